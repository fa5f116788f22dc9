// CheckModuleFile: the module's layout, tables, type information, release
// conventions and resources, as the loader, the host and the field's
// libraries see them.
#include "ModuleCheck.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <map>
#include <new>
#include <set>
#include <sstream>
#include <stdexcept>

#include "FileDoor.h"
#include "PdbFile.h"
#include "PeFile.h"
#include "DialogTemplate.h"
#include "ModuleProbe.h"
#include "ModuleTexts.h"
#include "PublishedTable.h"
#include "Sha256.h"
#include "Text.h"
#include "TextConvert.h"
#include "VersionBlock.h"
#include "resource.h"

namespace {

// No SHA256SUMS of a package comes near.
const size_t kMaxSumsBytes = 1u << 20;

const char kClass[] = "CTestTAVO02";

// The published table of a test object, slot by slot: the member, the class
// whose version fills the slot, and the rest of its name as Microsoft's
// compiler decorates it for 32-bit x86 and for x64. Slot 0, the scalar
// deleting destructor, is the module's own code and exported by no name:
// only the PDB names it.
const struct Slot
{
    const char* pszMember;
    const char* pszClass;
    const char* pszSignature32;
    const char* pszSignature64;
} kSlots[] = {
    {"scalar deleting destructor", kClass, "UAEPAXI@Z", "UEAAPEAXI@Z"},
#define TAVO_SLOT_ROW(member, result, parameters, owner, signature32, signature64) \
    {#member, #owner, signature32, signature64},
    TAVO_PUBLISHED_SLOTS(TAVO_SLOT_ROW)
#undef TAVO_SLOT_ROW
};

// A name as each bitness decorates it.
struct Decoration
{
    const char* psz32;
    const char* psz64;
};

const char kTable[] = "??_7CTestTAVO02@@6B@";
const char* const kPlainExports[] = {"_GetTestInstance", "_GetTestInstanceID"};
// Exported members that fill no slot, and what the compiler adds for an
// exported class (the implicit copy operations).
const Decoration kOtherMembers[] = {
    {"??0CTestTAVO02@@QAE@PAX@Z", "??0CTestTAVO02@@QEAA@PEAX@Z"},
    {"??1CTestTAVO02@@UAE@XZ", "??1CTestTAVO02@@UEAA@XZ"},
    {"?m_szSupportedTest@CTestTAVO02@@2PAPADA", "?m_szSupportedTest@CTestTAVO02@@2PAPEADA"},
};
const Decoration kCompilerAdded[] = {
    {"??4CTestTAVO02@@QAEAAV0@ABV0@@Z", "??4CTestTAVO02@@QEAAAEAV0@AEBV0@@Z"},
    {"??0CTestTAVO02@@QAE@ABV0@@Z", "??0CTestTAVO02@@QEAA@AEBV0@@Z"},
};
// The class and its bases, as the RTTI of Microsoft's compiler names them.
const char* const kHierarchy[] = {".?AVCTestTAVO02@@", ".?AVCTAVOTester@@", ".?AVCTest@@"};

std::string Decorated(const Slot& slot, bool pe32)
{
    const char* signature = pe32 ? slot.pszSignature32 : slot.pszSignature64;
    if (&slot == &kSlots[0])
        return std::string("??_G") + slot.pszClass + "@@" + signature;
    return std::string("?") + slot.pszMember + "@" + slot.pszClass + "@@" + signature;
}

// Microsoft's compiler fills slot 0 with the vector deleting destructor
// instead where the class is exported; either does what the host asks of it.
bool IsDeletingDestructor(const std::string& name, bool pe32)
{
    const std::string scalar = Decorated(kSlots[0], pe32);
    return name == scalar || name == "??_E" + scalar.substr(4);
}

// What makes a library's name in the import table no file name beside the
// module; empty when nothing does.
std::string NameFault(const PeLibrary& library)
{
    const std::string& name = library.strName;
    if (!library.bNameTerminated)
        return "is not terminated within " + std::to_string(kMaxName) + " characters";
    if (name.empty())
        return "is empty";
    if (name.size() > 255)
        return "is longer than a file name can be (" + std::to_string(name.size()) + " characters)";
    if (name.find_first_of("\\/:") != std::string::npos || name.find("..") != std::string::npos)
        return "holds a path: " + name;
    if (IsDeviceName(name))
        return "names a device, which is no library: " + name;
    return std::string();
}

// The folder where this PC's loader takes the system libraries of a module
// of the given bitness; empty when this program cannot reach it.
std::string SystemFolder(bool pe32)
{
    wchar_t folder[MAX_PATH];
    UINT length = 0;
#ifdef _WIN64
    length = pe32 ? ::GetSystemWow64DirectoryW(folder, MAX_PATH) : ::GetSystemDirectoryW(folder, MAX_PATH);
#else
    BOOL wow64 = FALSE;
    if (pe32)
        length = ::GetSystemDirectoryW(folder, MAX_PATH);
    else if (::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64 && ::GetWindowsDirectoryW(folder, MAX_PATH) &&
             wcslen(folder) + 10 < MAX_PATH)
        length = static_cast<UINT>(wcslen(wcscat(folder, L"\\Sysnative")));
#endif
    return length > 0 && length < MAX_PATH ? Narrow(folder, static_cast<size_t>(length)) : std::string();
}

std::string Folder(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return toupper(c); });
    return text;
}

std::string Joined(const std::vector<std::string>& names, size_t most = 4)
{
    std::string text;
    for (size_t i = 0; i < names.size() && i < most; ++i)
        text += (i ? ", " : "") + names[i];
    if (names.size() > most)
        text += ", ... (" + std::to_string(names.size()) + " in all)";
    return text;
}

std::string GuidText(const GUID& guid)
{
    char text[40];
    snprintf(text, sizeof(text), "%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X",
             static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
             guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}

// A library the imports name, read once however many descriptors name it.
struct BoundLibrary
{
    std::string strPath;     // the file the loader would load
    std::string strProblem;  // why its imports cannot be bound; empty when they can
    bool bSystem = false;    // from the system folder: its names are Windows' own
    std::map<std::string, DWORD> exports;
};

class CChecker
{
public:
    CChecker(const CPeFile& pe, const std::string& path, std::vector<ModuleCheckLine>* lines)
        : m_pe(pe), m_bPe32(pe.IsPe32()), m_strFolder(Folder(path)), m_exports(pe.Exports()), m_imports(pe.Imports()),
          m_pLines(lines)
    {
    }

    void Line(const char* rule, bool ok, const std::string& text)
    {
        m_pLines->push_back({ok, text, false, false, rule});
    }

    // A value held against the one it needs: the fit line, or what was found
    // and what was expected.
    void Compare(const char* rule, bool ok, const std::string& fit, const std::string& found,
                 const std::string& expected)
    {
        Line(rule, ok, ok ? fit : found + ", where it needs " + expected);
    }

    const char* Name(const Decoration& decoration) const { return m_bPe32 ? decoration.psz32 : decoration.psz64; }

    void Exports()
    {
        std::vector<std::string> wrong;
        for (const char* name : kPlainExports) {
            const auto exported = m_exports.find(name);
            if (exported == m_exports.end())
                wrong.push_back("it does not export " + std::string(name));
            else if (m_pe.IsForwarder(exported->second))
                wrong.push_back(std::string(name) + " is a forwarder (" + HexNumber(exported->second) +
                                " lies in the export table)");
            else if (!m_pe.IsCode(exported->second))
                wrong.push_back(std::string(name) + " lies at " + HexNumber(exported->second) +
                                ", no code of the image");
        }
        Line("TM110", wrong.empty(),
             wrong.empty() ? "exports _GetTestInstance and _GetTestInstanceID under their plain names, "
                             "each a function of its own"
                           : Joined(wrong) + ", where the host calls each as a function of the module");
        std::set<std::string> members;
        for (const Decoration& member : kOtherMembers)
            members.insert(Name(member));
        for (const Slot& slot : kSlots) {
            if (strcmp(slot.pszClass, kClass) == 0 && &slot != &kSlots[0])
                members.insert(Decorated(slot, m_bPe32));
        }
        members.insert(kTable);
        std::vector<std::string> missing;
        for (const std::string& name : members) {
            if (!m_exports.count(name))
                missing.push_back(name);
        }
        const std::string all = "CTestTAVO02's " + std::to_string(members.size()) + " members and table";
        Compare("TM111", missing.empty(), "exports " + all + " under Microsoft's names",
                "does not export " + Joined(missing), all + " under Microsoft's names");
        std::vector<std::string> others;
        for (const auto& exported : m_exports) {
            const std::string& name = exported.first;
            const auto known = [&name](const char* listed) { return name == listed; };
            const auto added = [this, &name](const Decoration& listed) { return name == Name(listed); };
            if (!members.count(name) && std::none_of(std::begin(kPlainExports), std::end(kPlainExports), known) &&
                std::none_of(std::begin(kCompilerAdded), std::end(kCompilerAdded), added))
                others.push_back(name);
        }
        Compare("TM112", others.empty(), "exports nothing else but what the compiler adds for the class",
                "exports more than the class and the two functions: " + Joined(others),
                "nothing else but what the compiler adds for the class");
    }

    // Binds each import to the export table of the library the loader would
    // load: a name it does not export stops the host loading the module.
    void Bindings(const std::string& libraries)
    {
        for (const PeLibrary& library : m_imports) {
            const std::string count = std::to_string(library.imports.size());
            const std::string wrongName = NameFault(library);
            if (!wrongName.empty()) {
                Line("TM120", false,
                     "an import library's name " + wrongName + ": its " + count + " imports cannot be bound");
                continue;
            }
            const BoundLibrary& bound = Library(library.strName, libraries);
            if (!bound.strProblem.empty()) {
                Line("TM120", false, library.strName + " cannot be bound: " + bound.strProblem + ": its " + count +
                                " imports stay unbound");
                continue;
            }
            std::vector<std::string> unbound, foreign;
            for (const PeImport& import : library.imports) {
                if (!bound.exports.count(import.strName))
                    unbound.push_back(import.strName);
                if (!bound.bSystem && (import.strName.empty() || import.strName[0] != '?'))
                    foreign.push_back(import.strName);
            }
            if (!foreign.empty())
                Line("TM120", false,
                     "imports from " + library.strName +
                         " what a library built with Microsoft's compiler "
                         "does not export: " +
                         Joined(foreign));
            Line("TM120", unbound.empty(),
                 unbound.empty() ? "binds its " + count + " imports from " + library.strName + " to " + bound.strPath
                                 : "imports from " + library.strName + " what " + bound.strPath +
                                       " does not export: " + Joined(unbound));
        }
    }

    // The PDB the debug entry names, read when it lies beside the module and
    // belongs to this build; its line waits for the release conventions.
    void ReadPdb()
    {
        std::string name;
        GUID guid{};
        DWORD age = 0;
        if (!m_pe.CodeView(&name, &guid, &age)) {
            m_pdbLine = {false, "no CodeView debug entry: no PDB can be matched to a crash dump from the line"};
            return;
        }
        if (name.find_first_of("\\/:") != std::string::npos || IsDeviceName(name)) {
            m_pdbLine = {false, "its CodeView entry names " + name +
                                    " as its PDB, where it needs a file name without the build machine's path"};
            return;
        }
        const std::string identity = "GUID " + GuidText(guid) + ", age " + std::to_string(age);
        const std::string path = m_strFolder + "\\" + name;
        std::string error;
        if (!PathExists(path))
            m_pdbLine = {true, "names its PDB " + name + " (" + identity + "); it is not beside the module"};
        else if (!m_pdb.Read(path, &error))
            m_pdbLine = {false, name + " beside it cannot be read: " + error};
        else if (memcmp(&m_pdb.Guid(), &guid, sizeof(GUID)) != 0 || m_pdb.Age() != age)
            m_pdbLine = {false, name + " beside it belongs to another build (GUID " + GuidText(m_pdb.Guid()) +
                                    ", age " + std::to_string(m_pdb.Age()) + "), where the module names " + identity};
        else {
            m_pdbLine = {true, name + " beside it matches (" + identity + ")"};
            m_bPdb = true;
            MapSymbols();
            EntryPointNamed();
        }
    }

    // The PDB's public symbols by the address they name in the image.
    void MapSymbols()
    {
        const std::vector<IMAGE_SECTION_HEADER> sections = m_pe.Sections();
        for (const auto& symbol : m_pdb.Publics()) {
            const WORD section = symbol.second.first;
            if (section >= 1 && section <= sections.size())
                m_symbolByRva[sections[section - 1].VirtualAddress + symbol.second.second] = symbol.first;
        }
    }

    // The loader calls the entry point first: the PDB names a function there.
    void EntryPointNamed()
    {
        if (m_symbolByRva.count(m_pe.EntryPoint()))
            return;
        Line("TM132", false, "its entry point " + HexNumber(m_pe.EntryPoint()) + " begins no function the PDB names");
    }

    // Reads the exported table slot by slot: each holds the module's own
    // member or the import of the base member the published order names.
    void VirtualTable()
    {
        const auto table = m_exports.find(kTable);
        if (table == m_exports.end())
            return;  // the export line above says so
        std::map<DWORD, std::string> bySlot;
        for (const PeLibrary& library : m_imports) {
            for (const PeImport& import : library.imports)
                bySlot[import.dwSlotRva] = import.strName;
        }
        std::map<DWORD, std::string> ownByRva;
        for (const auto& exported : m_exports)
            ownByRva[exported.second] = exported.first;

        std::vector<std::string> wrong;
        for (size_t i = 0; i < std::size(kSlots); ++i) {
            const DWORD at = table->second + static_cast<DWORD>(m_pe.PointerSize() * i);
            const std::string held = SlotTarget(at, bySlot, ownByRva);
            const std::string expected = i || m_bPdb ? Decorated(kSlots[i], m_bPe32) : "code of its own";
            const bool ok = i == 0 ? (m_bPdb ? IsDeletingDestructor(held, m_bPe32) : held.empty()) : held == expected;
            if (!ok)
                wrong.push_back("slot " + std::to_string(i) + " (" + kSlots[i].pszMember + ") holds " +
                                (held.empty() ? "code of its own" : held) + ", where it needs " + expected);
        }
        Line("TM130", wrong.empty(),
             wrong.empty() ? "its virtual table holds the " + std::to_string(std::size(kSlots)) +
                                 " published slots in order; slot 0 " +
                                 (m_bPdb ? "is " + Decorated(kSlots[0], m_bPe32) + " by the PDB"
                                         : "is code of its own (no PDB beside it names it)")
                           : "its virtual table is not the published one: " + Joined(wrong, 3));
        TypeInformation(table->second);
    }

    // The addresses the host and the C runtime read from the image that a
    // relocation must move when the loader puts it elsewhere: each slot of
    // the exported table and its complete object locator before it.
    std::vector<std::string> UnrelocatedPointers() const
    {
        std::vector<std::string> unmoved;
        const auto table = m_exports.find(kTable);
        if (table == m_exports.end())
            return unmoved;
        const std::set<DWORD> moved = m_pe.Relocated();
        const DWORD pointer = m_pe.PointerSize();
        if (!moved.count(table->second - pointer))
            unmoved.push_back("the locator before the table");
        for (size_t i = 0; i < std::size(kSlots); ++i) {
            if (!moved.count(table->second + static_cast<DWORD>(pointer * i)))
                unmoved.push_back("slot " + std::to_string(i) + " (" + kSlots[i].pszMember + ")");
        }
        return unmoved;
    }

    // What Windows refuses or does otherwise than a plain DLL load, which
    // no loader this check can ask need show: a .NET image, an integrity
    // check without a signature, a thread-storage zero fill or a stack
    // cookie outside the image's writable data.
    void LoaderRefusals()
    {
        const bool clr = m_pe.Directory(IMAGE_DIRECTORY_ENTRY_COM_DESCRIPTOR).Size != 0;
        Line("TM150", !clr,
             clr ? "a CLR header, so the loader hands the image to the .NET runtime, where the host needs native "
                   "code"
                 : "native code: no CLR header");
        const bool integrity = m_pe.DllCharacteristics() & IMAGE_DLLCHARACTERISTICS_FORCE_INTEGRITY;
        const bool signature = m_pe.Directory(IMAGE_DIRECTORY_ENTRY_SECURITY).Size != 0;
        if (integrity)
            Line("TM151", signature, signature ? "FORCE_INTEGRITY with a signature to check"
                                      : "FORCE_INTEGRITY without a signature, which Windows refuses to load, where it "
                                        "needs either a signature or no such mark");
        const IMAGE_DATA_DIRECTORY tls = m_pe.Directory(IMAGE_DIRECTORY_ENTRY_TLS);
        if (tls.Size) {
            const DWORD zeroFill = m_bPe32 ? TlsZeroFill<IMAGE_TLS_DIRECTORY32>(tls.VirtualAddress)
                                           : TlsZeroFill<IMAGE_TLS_DIRECTORY64>(tls.VirtualAddress);
            Line("TM152", zeroFill <= m_pe.SizeOfImage(),
                 zeroFill <= m_pe.SizeOfImage()
                     ? "its thread storage fits in the image"
                     : "its thread storage asks for " + HexNumber(zeroFill) + " bytes of zero fill, past the image's " +
                           HexNumber(m_pe.SizeOfImage()) + ", where each thread must get it");
        }
        const ULONGLONG cookie = CookieAddress();
        if (cookie) {
            const DWORD rva = static_cast<DWORD>(cookie - m_pe.ImageBase());
            const auto* section =
                cookie >= m_pe.ImageBase() && cookie - m_pe.ImageBase() < m_pe.SizeOfImage() ? m_pe.SectionOf(rva)
                                                                                               : nullptr;
            const bool writable = section && (section->Characteristics & IMAGE_SCN_MEM_WRITE) &&
                                  !(section->Characteristics & IMAGE_SCN_MEM_EXECUTE);
            Line("TM153", writable,
                 writable ? "its stack cookie lies in writable data, where the entry routine seeds it"
                          : "its load configuration places the stack cookie at " + HexNumber(cookie) +
                                ", no writable data of the image, where the entry routine must seed it");
        }
    }

    template <typename Directory>
    DWORD TlsZeroFill(DWORD rva) const
    {
        const auto* directory = m_pe.AtRva<Directory>(rva);
        return directory ? directory->SizeOfZeroFill : 0;
    }

    // The stack cookie's address the load configuration names; 0 for none.
    ULONGLONG CookieAddress() const
    {
        const IMAGE_DATA_DIRECTORY directory = m_pe.Directory(IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG);
        if (!directory.Size)
            return 0;
        if (m_bPe32) {
            const auto* config = m_pe.AtRva<IMAGE_LOAD_CONFIG_DIRECTORY32>(directory.VirtualAddress);
            return config && config->Size >= offsetof(IMAGE_LOAD_CONFIG_DIRECTORY32, SecurityCookie) + 4
                       ? config->SecurityCookie
                       : 0;
        }
        const auto* config = m_pe.AtRva<IMAGE_LOAD_CONFIG_DIRECTORY64>(directory.VirtualAddress);
        return config && config->Size >= offsetof(IMAGE_LOAD_CONFIG_DIRECTORY64, SecurityCookie) + 8
                   ? config->SecurityCookie
                   : 0;
    }

    // Where the stack cookie lies, as an RVA: the PDB's symbol for it, else
    // the load configuration's address; 0 when neither says.
    DWORD CookieRva() const
    {
        for (const auto& symbol : m_symbolByRva) {
            if (symbol.second == (m_bPe32 ? "___security_cookie" : "__security_cookie"))
                return symbol.first;
        }
        const ULONGLONG address = CookieAddress();
        return address > m_pe.ImageBase() ? static_cast<DWORD>(address - m_pe.ImageBase()) : 0;
    }

    void ReleaseConventions()
    {
        const WORD flags = m_pe.DllCharacteristics();
        const bool dynamic = flags & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE;
        const bool relocations = m_pe.Directory(IMAGE_DIRECTORY_ENTRY_BASERELOC).Size != 0;
        const bool stripped = m_pe.FileHeader().Characteristics & IMAGE_FILE_RELOCS_STRIPPED;
        const std::vector<std::string> unmoved = UnrelocatedPointers();
        const bool aslr = dynamic && relocations && !stripped && unmoved.empty();
        Line("TM140", aslr,
             aslr ? "ASLR: loads at any address (dynamic base, relocations of every address the host reads)"
                  : std::string("ASLR: ") +
                        (!dynamic       ? "no dynamic base"
                         : !relocations ? "dynamic base without relocations"
                         : stripped     ? "marked RELOCS_STRIPPED, which the loader never relocates"
                                        : "no relocation for " + Joined(unmoved, 3)) +
                        ", where the loader needs a dynamic base, relocations and each address the host "
                        "reads moved with the image");
        LoaderRefusals();
        Compare("TM141", (flags & IMAGE_DLLCHARACTERISTICS_NX_COMPAT) != 0, "NX: runs with data execution prevention",
                "NX: not marked compatible with data execution prevention", "the NX_COMPAT mark");
        SehMarking(flags);

        std::vector<std::string> writableCode, dwarf;
        for (const IMAGE_SECTION_HEADER& section : m_pe.Sections()) {
            const std::string name = m_pe.SectionName(section);
            if ((section.Characteristics & IMAGE_SCN_MEM_WRITE) && (section.Characteristics & IMAGE_SCN_MEM_EXECUTE))
                writableCode.push_back(name);
            // A long name the string table cannot give is taken for debug data.
            if (name.rfind(".debug", 0) == 0 || name.rfind(".zdebug", 0) == 0 || name[0] == '/')
                dwarf.push_back(name);
        }
        Compare("TM143", writableCode.empty(), "no section is both writable and executable",
                "sections both writable and executable: " + Joined(writableCode), "each section one or the other");
        const IMAGE_FILE_HEADER& header = m_pe.FileHeader();
        // A string table of nothing but long section names (.eh_frame) is no
        // symbol table: symbols are what a stripped image has none of.
        const bool symbols = header.NumberOfSymbols != 0;
        Compare("TM144", !symbols && dwarf.empty(), "stripped: no symbol table, no DWARF sections",
                symbols ? "not stripped: a COFF symbol table of " + std::to_string(header.NumberOfSymbols) + " symbols"
                        : "not stripped: DWARF sections " + Joined(dwarf),
                "neither, its symbols in the PDB");
        m_pdbLine.pszRule = "TM145";
        m_pLines->push_back(m_pdbLine);
    }

private:
    // The library the loader would load for name: from libraries, else
    // beside the module, else from the system folder of the module's
    // bitness. Read once, whatever names it again.
    const BoundLibrary& Library(const std::string& name, const std::string& libraries)
    {
        const auto known = m_libraries.find(Upper(name));
        if (known != m_libraries.end())
            return known->second;
        BoundLibrary& library = m_libraries[Upper(name)];
        const std::string system = SystemFolder(m_bPe32);
        const std::string folders[] = {libraries, m_strFolder, system};
        for (const std::string& folder : folders) {
            const std::string path = folder + "\\" + name;
            if (folder.empty() || !PathExists(path))
                continue;
            CPeFile dll;
            library.strPath = path;
            library.bSystem = &folder == &folders[2];
            if (!dll.Read(path, &library.strProblem))
                return library;
            if (dll.Machine() != m_pe.Machine())
                library.strProblem = path + " is for machine " + HexNumber(dll.Machine()) +
                                     ", where the module needs " + HexNumber(m_pe.Machine());
            else
                library.exports = dll.Exports();
            return library;
        }
        library.strProblem = "it is neither " + std::string(libraries.empty() ? "" : "in --libs nor ") +
                             "beside the module nor in " +
                             (system.empty() ? "a system folder this program can reach" : system);
        return library;
    }

    // The name of what a slot points to: an export of the module, the import
    // a jump stub (jmp [slot]) goes through, a symbol the PDB names (it
    // names the stubs too, but only the stub's jump shows where they lead),
    // or empty for code of its own that is none of these, the entry point or
    // padding.
    std::string SlotTarget(DWORD rva, const std::map<DWORD, std::string>& bySlot,
                           const std::map<DWORD, std::string>& ownByRva) const
    {
        ULONGLONG address = 0;
        if (!m_pe.PointerAt(rva, &address) || address < m_pe.ImageBase() ||
            address - m_pe.ImageBase() >= m_pe.SizeOfImage())
            return "no address of the module";
        const DWORD target = static_cast<DWORD>(address - m_pe.ImageBase());
        if (!m_pe.IsCode(target))
            return "no code";
        const auto own = ownByRva.find(target);
        if (own != ownByRva.end())
            return own->second;
        const BYTE* stub = m_pe.AtRva<BYTE>(target, 6);
        if (stub && stub[0] == 0xFF && stub[1] == 0x25) {
            DWORD operand = 0;
            memcpy(&operand, stub + 2, 4);
            // x86 jumps through an address, x64 through an offset from the next instruction.
            const DWORD slot = m_bPe32 ? operand - static_cast<DWORD>(m_pe.ImageBase()) : target + 6 + operand;
            const auto import = bySlot.find(slot);
            return import != bySlot.end() ? import->second : "a jump through no import";
        }
        const auto symbol = m_symbolByRva.find(target);
        if (symbol != m_symbolByRva.end())
            return symbol->second;
        if (target == m_pe.EntryPoint())
            return "the entry point";
        if (!stub || stub[0] == 0xCC || stub[0] == 0x90 || stub[0] == 0x00)
            return "padding";
        return std::string();
    }

    // The value a field of the RTTI holds as an RVA: x86 keeps addresses,
    // x64 offsets from the image's base.
    DWORD RttiRva(DWORD value) const { return m_bPe32 ? value - static_cast<DWORD>(m_pe.ImageBase()) : value; }

    // The word before the table points to the complete object locator: its
    // type descriptor and class hierarchy name the class and its bases.
    void TypeInformation(DWORD table)
    {
        std::vector<std::string> names;
        ULONGLONG locator = 0;
        m_pe.PointerAt(table - m_pe.PointerSize(), &locator);
        // A type descriptor's name follows its table pointer and a spare word.
        const DWORD nameOffset = 2 * m_pe.PointerSize();
        // signature, offset, constructor displacement, type descriptor, hierarchy
        const auto* object = locator > m_pe.ImageBase() && locator - m_pe.ImageBase() < m_pe.SizeOfImage()
                                  ? m_pe.AtRva<DWORD>(static_cast<DWORD>(locator - m_pe.ImageBase()), 5)
                                  : nullptr;
        // signature, attributes, base count, base array
        const auto* hierarchy = object ? m_pe.AtRva<DWORD>(RttiRva(object[4]), 4) : nullptr;
        const DWORD count = hierarchy ? std::min<DWORD>(hierarchy[2], 16) : 0;
        const auto* bases = count ? m_pe.AtRva<DWORD>(RttiRva(hierarchy[3]), count) : nullptr;
        for (DWORD i = 0; bases && i < count; ++i) {
            const auto* descriptor = m_pe.AtRva<DWORD>(RttiRva(bases[i]));
            names.push_back(descriptor ? m_pe.TextAt(RttiRva(*descriptor) + nameOffset) : std::string("?"));
        }
        if (!object) {
            Line("TM131", false, "no RTTI: the word before its virtual table names no object locator");
            return;
        }
        const bool named = m_pe.TextAt(RttiRva(object[3]) + nameOffset) == kHierarchy[0] &&
                           names.size() >= std::size(kHierarchy) &&
                           std::equal(std::begin(kHierarchy), std::end(kHierarchy), names.begin());
        Compare("TM131", named, "its RTTI names CTestTAVO02, derived from CTAVOTester and CTest",
                "its RTTI names " + (names.empty() ? std::string("no class hierarchy") : Joined(names)),
                "CTestTAVO02 with its bases CTAVOTester and CTest");
    }

    void SehMarking(WORD flags)
    {
        if (m_pe.Machine() != IMAGE_FILE_MACHINE_I386)
            return;  // other machines keep their handlers in tables
        if (flags & IMAGE_DLLCHARACTERISTICS_NO_SEH) {
            Line("TM142", true, "SEH: marked as registering no exception handler (NO_SEH)");
            return;
        }
        const IMAGE_DATA_DIRECTORY directory = m_pe.Directory(IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG);
        const auto* config =
            directory.Size ? m_pe.AtRva<IMAGE_LOAD_CONFIG_DIRECTORY32>(directory.VirtualAddress) : nullptr;
        const bool safeSeh = config && config->Size >= offsetof(IMAGE_LOAD_CONFIG_DIRECTORY32, SEHandlerCount) + 4 &&
                             config->SEHandlerTable;
        Line("TM142", safeSeh,
             safeSeh ? "SEH: a SafeSEH table of " + std::to_string(config->SEHandlerCount) + " handlers"
                     : "SEH: neither a SafeSEH table nor the NO_SEH mark, so a host that enforces SafeSEH "
                       "refuses any exception handler in it");
    }

    const CPeFile& m_pe;
    const bool m_bPe32;
    const std::string m_strFolder;
    const std::map<std::string, DWORD> m_exports;
    const std::vector<PeLibrary> m_imports;
    std::vector<ModuleCheckLine>* m_pLines;
    std::map<std::string, BoundLibrary> m_libraries;  // by upper-case name
    CPdbFile m_pdb;
    bool m_bPdb = false;                         // m_pdb is read and belongs to this build
    std::map<DWORD, std::string> m_symbolByRva;  // the PDB's public symbols, when m_bPdb
    ModuleCheckLine m_pdbLine{false, ""};
};

// What keeps a bitmap resource (a BITMAPINFOHEADER, its colour table, its
// rows) from being drawn; empty when nothing does.
std::string BitmapFault(const BYTE* bytes, DWORD size)
{
    BITMAPINFOHEADER header{};
    if (size < sizeof(header))
        return "is shorter than its header";
    memcpy(&header, bytes, sizeof(header));
    const WORD bits = header.biBitCount;
    if (header.biSize < sizeof(header) || header.biWidth <= 0 || header.biHeight == 0 || header.biPlanes != 1 ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) ||
        header.biCompression != BI_RGB)
        return "has a header no uncompressed bitmap has";
    const ULONGLONG colours = header.biClrUsed ? header.biClrUsed : bits <= 8 ? 1ull << bits : 0;
    const ULONGLONG stride = (static_cast<ULONGLONG>(header.biWidth) * bits + 31) / 32 * 4;
    const ULONGLONG rows = header.biHeight < 0 ? -static_cast<LONGLONG>(header.biHeight) : header.biHeight;
    const ULONGLONG needed = header.biSize + colours * 4 + stride * rows;
    if (needed > size)
        return "needs " + std::to_string(needed) + " bytes for its " + std::to_string(header.biWidth) + " x " +
               std::to_string(rows) + " pixels, where it holds " + std::to_string(size);
    return std::string();
}

// What keeps an icon group from being loaded: an icon it names that the
// file does not hold; empty when nothing does.
std::string IconGroupFault(const CPeFile& pe, const BYTE* bytes, DWORD size)
{
    if (size < 6)
        return "is shorter than its header";
    WORD count = 0;
    memcpy(&count, bytes + 4, 2);
    if (count == 0 || size < 6 + 14u * count)
        return "names " + std::to_string(count) + " icons in " + std::to_string(size) + " bytes";
    for (WORD i = 0; i < count; ++i) {
        WORD id = 0;
        memcpy(&id, bytes + 6 + 14 * i + 12, 2);
        DWORD iconSize = 0;
        if (!pe.Resource(RT_ICON, MAKEINTRESOURCEA(id), &iconSize))
            return "names icon " + std::to_string(id) + ", which the file does not hold";
    }
    return std::string();
}

// What keeps a dialog template from making the dialog the module shows:
// bytes that end before its controls do, a class no Windows library
// registers, a control the module reaches that it does not hold; empty when
// nothing does.
std::string DialogFault(const BYTE* bytes, DWORD size, unsigned int id)
{
    DialogTemplate dialog;
    if (!ReadDialogTemplate(bytes, size, &dialog))
        return "ends before its last control does";
    static const char* const kClasses[] = {"Button", "Edit", "Static", "ComboBox", "msctls_updown32"};
    for (const DialogControl& control : dialog.controls) {
        if (std::none_of(std::begin(kClasses), std::end(kClasses),
                         [&control](const char* known) { return _stricmp(known, control.strClass.c_str()) == 0; }))
            return "names the class '" + control.strClass + "', which no library the module loads registers";
    }
    for (const ModuleControlText& text : kModuleControls) {
        const bool atRunTime = text.nControl == IDC_TEST_HEADING || text.nControl == IDC_CONFIRM_TEXT;
        if (text.nDialog == id && !atRunTime &&
            std::none_of(dialog.controls.begin(), dialog.controls.end(),
                         [&text](const DialogControl& control) { return control.dwId == text.nControl; }))
            return "holds no control " + std::to_string(text.nControl) + ", which the module reaches";
    }
    return std::string();
}

// The resources a host and the dialogs need, read from the file.
void CheckResources(const CPeFile& pe, CChecker& checker)
{
    DWORD size = 0;
    const auto has = [&pe, &size](LPCSTR name, LPCSTR type) { return pe.Resource(type, name, &size) != nullptr; };
    const auto hold = [&checker](bool held, const std::string& what) {
        checker.Compare("TM160", held, "holds " + what, "does not hold " + what + " as FindResource looks for it",
                        what);
    };
    hold(has("MAINICON", RT_GROUP_ICON), "the icon MAINICON");
    hold(has("IDB_TOOLBAR", RT_BITMAP), "the bitmap IDB_TOOLBAR");
    hold(has(MAKEINTRESOURCEA(IDD_CONFIG), RT_DIALOG) && has(MAKEINTRESOURCEA(IDD_TEST_CONFIG), RT_DIALOG) &&
             has(MAKEINTRESOURCEA(IDD_CONFIRM), RT_DIALOG),
         "the dialog templates 2020, 2021 and 2022");
    hold(has(MAKEINTRESOURCEA(IDB_UNIT_BOARD), RT_BITMAP), "the bitmap 2023");

    // What is there must be usable: the dialog manager, LoadBitmap and
    // LoadIcon read these bytes as they stand.
    std::vector<std::string> unusable;
    for (unsigned int id : {IDD_CONFIG, IDD_TEST_CONFIG, IDD_CONFIRM}) {
        const BYTE* dialog = pe.Resource(RT_DIALOG, MAKEINTRESOURCEA(id), &size);
        const std::string fault = dialog ? DialogFault(dialog, size, id) : std::string();
        if (!fault.empty())
            unusable.push_back("its dialog template " + std::to_string(id) + " " + fault);
    }
    const std::pair<LPCSTR, const char*> bitmaps[] = {{MAKEINTRESOURCEA(IDB_UNIT_BOARD), "2023"},
                                                      {"IDB_TOOLBAR", "IDB_TOOLBAR"}};
    for (const auto& bitmap : bitmaps) {
        const BYTE* bytes = pe.Resource(RT_BITMAP, bitmap.first, &size);
        const std::string fault = bytes ? BitmapFault(bytes, size) : std::string();
        if (!fault.empty())
            unusable.push_back("its bitmap " + std::string(bitmap.second) + " " + fault);
    }
    const BYTE* group = pe.Resource(RT_GROUP_ICON, "MAINICON", &size);
    const std::string iconFault = group ? IconGroupFault(pe, group, size) : std::string();
    if (!iconFault.empty())
        unusable.push_back("its icon MAINICON " + iconFault);
    checker.Compare("TM162", unusable.empty(), "its dialog templates, bitmaps and icon read as the system reads them",
                    Joined(unusable, 3), "each usable as it stands");

    const BYTE* version = pe.Resource(RT_VERSION, MAKEINTRESOURCEA(VS_VERSION_INFO), &size);
    std::wstring table;
    const std::string file = version ? VersionText(version, size, L"OriginalFilename", &table) : std::string();
    const std::string number = version ? VersionText(version, size, L"FileVersion", &table) : std::string();
    const std::string found = !version       ? "is missing"
                              : table.empty() ? "names no Translation"
                              : file.empty()  ? "names no file in the table its Translation names (" +
                                                   Narrow(table) + ")"
                                              : "names the file " + file + ", version " +
                                                   (number.empty() ? "none" : number);
    checker.Compare("TM161", file == "TestTAVO02.test",
                    "its version block names the file TestTAVO02.test, version " + number, "its version block " + found,
                    "the file name TestTAVO02.test");
}

// The line of a SHA256SUMS ("HASH  NAME" or "HASH *NAME", as sha256sum
// writes it) for the file called name, as Windows compares names; empty
// when it lists none.
std::string ListedSum(const std::string& sums, const std::string& name)
{
    std::istringstream lines(sums);
    std::string line;
    while (std::getline(lines, line)) {
        line = Trimmed(line);
        const size_t blank = line.find_first_of(" \t");
        if (blank == std::string::npos)
            continue;
        std::string listed = Trimmed(line.substr(blank));
        if (!listed.empty() && listed[0] == '*')
            listed.erase(0, 1);
        if (listed.compare(0, 2, "./") == 0)
            listed.erase(0, 2);
        if (Upper(listed) == Upper(name))
            return line.substr(0, blank);
    }
    return std::string();
}

// The module's bytes against the SHA256SUMS of its package, where one lies
// beside it (the field package ships one): a copy damaged on its way is not
// the module that was packed, whatever its structure.
ModuleCheckLine PackageLine(const std::string& path, const std::string& sha)
{
    const std::string sumsPath = Folder(path) + "\\SHA256SUMS";
    if (!PathExists(sumsPath))
        return {true, "no SHA256SUMS beside it: its bytes are not checked against a package"};
    std::string sums, error;
    if (!ReadRegularFile(sumsPath, kMaxSumsBytes, &sums, &error))
        return {false, "SHA256SUMS beside it cannot be read (" + error + "), where it needs its line checked"};
    const size_t slash = path.find_last_of("\\/");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string listed = ListedSum(sums, name);
    std::transform(listed.begin(), listed.end(), listed.begin(), [](unsigned char c) { return tolower(c); });
    if (listed.empty())
        return {false, "SHA256SUMS beside it lists no " + name + ", where the package lists every file it holds"};
    if (listed != sha)
        return {false, "its SHA-256 differs from the " + listed +
                           " that SHA256SUMS beside it lists: it is not the file "
                           "that was packed"};
    return {true, "its bytes are the ones SHA256SUMS beside it lists"};
}

// Loading is tried only where the static reading leaves the loader something
// to judge: an image of a machine this PC runs, whole, its imports bound, no
// .NET image. The probe then gives the platform's verdict.
void LoadIfSafe(const std::string& path, const std::string& libraries, bool pe32, DWORD cookieRva,
                std::vector<ModuleCheckLine>* lines)
{
    static const char* const kUnsafe[] = {"TM102", "TM103", "TM120", "TM150"};
    std::set<std::string> unsafe;
    for (const ModuleCheckLine& line : *lines) {
        for (const char* rule : kUnsafe) {
            if (!line.bOk && !line.bBitness && line.pszRule && strcmp(line.pszRule, rule) == 0)
                unsafe.insert(rule);
        }
    }
    if (!unsafe.empty()) {
        std::vector<std::string> rules(unsafe.begin(), unsafe.end());
        lines->push_back({true, "not loaded: the static reading's findings (" + Joined(rules) +
                                    ") leave the loader nothing to judge", false, true});
        return;
    }
    ProbeModule(path, libraries, pe32, cookieRva, lines);
}

bool CheckReadable(const std::string& path, const std::string& libraries, bool load,
                   std::vector<ModuleCheckLine>* lines, std::string* error, FileIdentity* identity)
{
    CPeFile pe;
    bool readable = false;
    const bool headers = pe.Read(path, error, &readable);
    if (!readable)
        return false;
    const std::string sha = Sha256(pe.Bytes());
    if (identity)
        *identity = {sha, pe.Bytes().size()};
    lines->push_back({true, "SHA-256 " + sha + ", " + std::to_string(pe.Bytes().size()) + " bytes", false, true});
    lines->push_back(PackageLine(path, sha));
    lines->back().pszRule = "TM101";
    if (!headers) {
        lines->push_back({false, "the file is damaged: " + *error, false, false, "TM103"});
        error->clear();
        return true;
    }
    CChecker checker(pe, path, lines);
    const bool x86 = pe.IsPe32() && pe.Machine() == IMAGE_FILE_MACHINE_I386;
    const bool x64 = !pe.IsPe32() && pe.Machine() == IMAGE_FILE_MACHINE_AMD64;
    checker.Line("TM102", x86 && pe.IsDll(), x86 && pe.IsDll()
                                        ? "a PE32 DLL for 32-bit x86"
                                        : std::string(x86   ? "a PE32 program"
                                                      : x64 ? "a PE32+ file for x64"
                                                            : "a file for machine " + HexNumber(pe.Machine())) +
                                              ", where the production host, a 32-bit program, needs a PE32 DLL for "
                                              "32-bit x86");
    lines->back().bBitness = x64 && pe.IsDll();
    if (!x86 && !x64)
        return true;  // the tables below are read as x86's or x64's
    if (x64 && !pe.IsDll())
        checker.Line("TM102", false, "a PE32+ program, where the host loads a DLL");
    pe.CheckLayout();
    checker.Exports();
    checker.Bindings(libraries);
    checker.ReadPdb();
    checker.VirtualTable();
    checker.ReleaseConventions();
    CheckResources(pe, checker);
    for (const std::string& damage : pe.Damage())
        checker.Line("TM103", false, "the file is damaged: " + damage);
    if (load)
        LoadIfSafe(path, libraries, pe.IsPe32(), checker.CookieRva(), lines);
    return true;
}

}  // namespace

bool CheckModuleFile(const std::string& path, const std::string& libraries, std::vector<ModuleCheckLine>* lines,
                     std::string* error, FileIdentity* identity, bool load)
{
    // Whatever the file holds, the answer is a finding, never the end of the
    // engineer's script.
    try {
        return CheckReadable(path, libraries, load, lines, error, identity);
    } catch (const std::bad_alloc&) {
        lines->push_back(
            {false, "the file is damaged: reading it takes more memory than there is", false, false, "TM103"});
    } catch (const std::exception& e) {
        lines->push_back({false, std::string("the file is damaged: ") + e.what(), false, false, "TM103"});
    }
    return true;
}
