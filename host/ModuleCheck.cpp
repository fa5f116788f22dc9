// CheckModuleFile: the module's tables, type information, release
// conventions and resources, as the host and the field's libraries see them.
#include "ModuleCheck.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>
#include <new>
#include <set>
#include <stdexcept>

#include "PeFile.h"
#include "resource.h"

namespace {

const char kClass[] = "CTestTAVO02";
const char kTester[] = "CTAVOTester";
const char kTest[] = "CTest";

// The published table of a test object, slot by slot: the member, the class
// whose version fills the slot, and the rest of its name as Microsoft's
// compiler decorates it for 32-bit x86. Slot 0, the scalar deleting
// destructor, is the module's own code and exported by no name.
const struct Slot
{
    const char* pszMember;
    const char* pszClass;
    const char* pszSignature;
} kSlots[] = {
    {"scalar deleting destructor", nullptr, nullptr},
    {"GetProductName", kTester, "UAEHPAX0I@Z"},
    {"GetModuleName", kClass, "UAEPBDXZ"},
    {"IsSupportedTest", kClass, "UAEHPBD@Z"},
    {"GetSupportedTestCount", kClass, "UAEIXZ"},
    {"GetSupportedTest", kClass, "UAEPBDI@Z"},
    {"GetExtendedInfoCount", kTest, "UAEIXZ"},
    {"GetExtendedInfo", kTest, "UAEPBDI@Z"},
    {"GetExtendedInfoName", kTest, "UAEPBDI@Z"},
    {"Test", kTester, "UAEHIPAXG0@Z"},
    {"Prepare4Test", kTest, "UAEHIPAXG0@Z"},
    {"AfterTest", kTest, "UAEHIPAXG0@Z"},
    {"GetTestID", kTest, "UAEIIH@Z"},
    {"ShowHelp", kTester, "UAEHPAXIK@Z"},
    {"GetFirstLanguage", kTester, "UAEHPAI@Z"},
    {"GetNextLanguage", kTester, "UAEHPAI@Z"},
    {"GetCurrentLanguageID", kTester, "UAEIXZ"},
    {"LanguageFileClose", kTester, "UAEHXZ"},
    {"SetCurrentLanguage", kTester, "UAEHI@Z"},
    {"LanguageFileOpen", kTester, "UAEHXZ"},
    {"GetLanguageFileName", kTester, "UAEPBDI@Z"},
    {"GetLanguageValue", kTester, "UAEPBDI@Z"},
    {"InitTestMenu", kTester, "UAEHPAX@Z"},
    {"LanguageFileGetTag", kTester, "UAEHKPBD@Z"},
    {"LanguageFileGetCurrentTagAttribute", kTester, "UAEPBDPBD@Z"},
    {"LanguageFileGetCurrentTagName", kTester, "UAEPBDXZ"},
    {"GetMenuTooltip", kTester, "UAEPBDII@Z"},
    {"InitLanguage", kTester, "UAEHXZ"},
    {"SetLanguage", kTester, "UAEHPBD@Z"},
    {"SetLanguageFile", kTester, "UAEHPBD@Z"},
    {"GetMessageA", kClass, "UAEPBDI@Z"},
    {"GetDialogName", kClass, "UAEPBDI@Z"},
    {"GetDialogControlName", kClass, "UAEPBDII@Z"},
    {"AutoTest", kTester, "UAEHPAXG@Z"},
    {"CheckEEPROM", kTester, "UAEHPAXGH@Z"},
    {"ShowEEPROM", kTester, "UAEHPAXGH@Z"},
    {"SaveEEPROMToFile", kTester, "UAEHPAXG@Z"},
    {"ClearEEPROM", kTester, "UAEHPAXG@Z"},
    {"ConfigureThermometer", kClass, "UAEHPAXGH@Z"},
    {"WriteEEPROM", kTester, "UAEHPAXHG@Z"},
    {"ShowConfigure", kTester, "UAEHPAXG@Z"},
    {"MeasureTest", kTester, "UAEHPAXG@Z"},
};

std::string Decorated(const Slot& slot)
{
    return std::string("?") + slot.pszMember + "@" + slot.pszClass + "@@" + slot.pszSignature;
}

const char kTable[] = "??_7CTestTAVO02@@6B@";
const char* const kPlainExports[] = {"_GetTestInstance", "_GetTestInstanceID"};
// Exported members that fill no slot, and what the compiler adds for an
// exported class (the implicit copy operations).
const char* const kOtherMembers[] = {"??0CTestTAVO02@@QAE@PAX@Z", "??1CTestTAVO02@@UAE@XZ",
                                     "?m_szSupportedTest@CTestTAVO02@@2PAPADA"};
const char* const kCompilerAdded[] = {"??4CTestTAVO02@@QAEAAV0@ABV0@@Z", "??0CTestTAVO02@@QAE@ABV0@@Z"};
// The class and its bases, as the RTTI of Microsoft's compiler names them.
const char* const kHierarchy[] = {".?AVCTestTAVO02@@", ".?AVCTAVOTester@@", ".?AVCTest@@"};

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
    return std::string();
}

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A library of the system (in its system folder): its names are Windows'.
bool IsSystemLibrary(const std::string& name)
{
    char folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH && Exists(std::string(folder) + "\\" + name);
}

std::string Folder(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "." : path.substr(0, slash);
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

class CChecker
{
public:
    CChecker(const CPeFile& pe, std::vector<ModuleCheckLine>* lines)
        : m_pe(pe), m_exports(pe.Exports()), m_imports(pe.Imports()), m_pLines(lines)
    {
    }

    void Line(bool ok, const std::string& text) { m_pLines->push_back({ok, text}); }

    void Exports()
    {
        const auto has = [this](const std::string& name) { return m_exports.count(name) != 0; };
        Line(has(kPlainExports[0]) && has(kPlainExports[1]),
             "exports _GetTestInstance and _GetTestInstanceID under their plain names");
        std::set<std::string> members(std::begin(kOtherMembers), std::end(kOtherMembers));
        for (const Slot& slot : kSlots) {
            if (slot.pszClass == kClass)
                members.insert(Decorated(slot));
        }
        members.insert(kTable);
        std::vector<std::string> missing;
        for (const std::string& name : members) {
            if (!has(name))
                missing.push_back(name);
        }
        Line(missing.empty(), missing.empty()
                                  ? "exports CTestTAVO02's " + std::to_string(members.size()) +
                                        " members and table under Microsoft's names"
                                  : "does not export " + Joined(missing));
        std::vector<std::string> others;
        for (const auto& exported : m_exports) {
            const std::string& name = exported.first;
            const auto known = [&name](const char* listed) { return name == listed; };
            if (!members.count(name) && std::none_of(std::begin(kPlainExports), std::end(kPlainExports), known) &&
                std::none_of(std::begin(kCompilerAdded), std::end(kCompilerAdded), known))
                others.push_back(name);
        }
        Line(others.empty(), others.empty()
                                 ? "exports nothing else but what the compiler adds for the class"
                                 : "exports more than the class and the two functions: " + Joined(others));
    }

    // Binds each import to the export table of the library it names, as the
    // loader will: a name the library does not export stops the host loading
    // the module.
    void Bindings(const std::string& moduleFolder, const std::string& libraries)
    {
        for (const PeLibrary& library : m_imports) {
            const std::string wrongName = NameFault(library);
            if (!wrongName.empty()) {
                Line(false, "an import library's name " + wrongName + ": its " +
                                std::to_string(library.imports.size()) + " imports cannot be bound");
                continue;
            }
            if (IsSystemLibrary(library.strName))
                continue;
            std::string path = libraries.empty() ? "" : libraries + "\\" + library.strName;
            if (path.empty() || !Exists(path))
                path = moduleFolder + "\\" + library.strName;
            CPeFile dll;
            std::string error;
            if (!Exists(path) || !dll.Read(path, &error)) {
                Line(false, library.strName + " is neither beside the module nor in --libs: its " +
                                std::to_string(library.imports.size()) + " imports cannot be bound");
                continue;
            }
            const std::map<std::string, DWORD> exported = dll.Exports();
            std::vector<std::string> unbound, foreign;
            for (const PeImport& import : library.imports) {
                if (!exported.count(import.strName))
                    unbound.push_back(import.strName);
                if (import.strName.empty() || import.strName[0] != '?')
                    foreign.push_back(import.strName);
            }
            if (!foreign.empty())
                Line(false, "imports from " + library.strName + " what a library built with Microsoft's compiler "
                                                                "does not export: " + Joined(foreign));
            Line(unbound.empty(), unbound.empty() ? "binds its " + std::to_string(library.imports.size()) +
                                                        " imports from " + library.strName + " to " + path
                                                  : "imports from " + library.strName + " what " + path +
                                                        " does not export: " + Joined(unbound));
        }
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
            const std::string held = SlotTarget(table->second + static_cast<DWORD>(4 * i), bySlot, ownByRva);
            const std::string expected = kSlots[i].pszClass ? Decorated(kSlots[i]) : std::string();
            if (held != expected)
                wrong.push_back("slot " + std::to_string(i) + " (" + kSlots[i].pszMember + ") holds " +
                                (held.empty() ? "code of its own" : held));
        }
        Line(wrong.empty(), wrong.empty() ? "its virtual table holds the " + std::to_string(std::size(kSlots)) +
                                                " published slots in order"
                                          : "its virtual table is not the published one: " + Joined(wrong, 3));
        TypeInformation(table->second);
    }

    void ReleaseConventions(const std::string& moduleFolder)
    {
        const WORD flags = m_pe.DllCharacteristics();
        Line((flags & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE) && m_pe.Directory(IMAGE_DIRECTORY_ENTRY_BASERELOC).Size,
             "ASLR: loads at any address (dynamic base, relocations)");
        Line((flags & IMAGE_DLLCHARACTERISTICS_NX_COMPAT) != 0, "NX: runs with data execution prevention");
        SehMarking(flags);

        std::vector<std::string> writableCode, dwarf;
        for (const IMAGE_SECTION_HEADER& section : m_pe.Sections()) {
            const std::string name(reinterpret_cast<const char*>(section.Name),
                                   strnlen(reinterpret_cast<const char*>(section.Name), 8));
            if ((section.Characteristics & IMAGE_SCN_MEM_WRITE) && (section.Characteristics & IMAGE_SCN_MEM_EXECUTE))
                writableCode.push_back(name);
            if (name.rfind(".debug", 0) == 0 || name[0] == '/')
                dwarf.push_back(name);
        }
        Line(writableCode.empty(), writableCode.empty()
                                       ? "no section is both writable and executable"
                                       : "sections both writable and executable: " + Joined(writableCode));
        const IMAGE_FILE_HEADER& header = m_pe.FileHeader();
        const bool symbols = header.PointerToSymbolTable || header.NumberOfSymbols;
        Line(!symbols && dwarf.empty(),
             symbols ? "not stripped: a COFF symbol table of " + std::to_string(header.NumberOfSymbols) + " symbols"
             : dwarf.empty() ? "stripped: no symbol table, no DWARF sections"
                             : "not stripped: DWARF sections " + Joined(dwarf));
        Pdb(moduleFolder);
    }

private:
    // The name of what a slot points to: an export of the module, the import
    // a jump stub (jmp [slot]) goes through, or empty for code of its own.
    std::string SlotTarget(DWORD rva, const std::map<DWORD, std::string>& bySlot,
                           const std::map<DWORD, std::string>& ownByRva) const
    {
        ULONGLONG address = 0;
        if (!m_pe.PointerAt(rva, &address) || address < m_pe.ImageBase())
            return "no address of the module";
        const DWORD target = static_cast<DWORD>(address - m_pe.ImageBase());
        const IMAGE_SECTION_HEADER* section = m_pe.SectionOf(target);
        if (!section || !(section->Characteristics & IMAGE_SCN_MEM_EXECUTE))
            return "no code";
        const auto own = ownByRva.find(target);
        if (own != ownByRva.end())
            return own->second;
        const BYTE* stub = m_pe.AtRva<BYTE>(target, 6);
        if (stub && stub[0] == 0xFF && stub[1] == 0x25) {
            DWORD slot = 0;
            memcpy(&slot, stub + 2, 4);
            const auto import = bySlot.find(slot - static_cast<DWORD>(m_pe.ImageBase()));
            return import != bySlot.end() ? import->second : "a jump through no import";
        }
        return std::string();
    }

    // The word before the table points to the complete object locator: its
    // type descriptor and class hierarchy name the class and its bases.
    void TypeInformation(DWORD table)
    {
        std::vector<std::string> names;
        ULONGLONG locator = 0;
        m_pe.PointerAt(table - 4, &locator);
        const DWORD base = static_cast<DWORD>(m_pe.ImageBase());
        // signature, offset, constructor displacement, type descriptor, hierarchy
        const DWORD* object = locator ? m_pe.AtRva<DWORD>(static_cast<DWORD>(locator) - base, 5) : nullptr;
        // signature, attributes, base count, base array
        const DWORD* hierarchy = object ? m_pe.AtRva<DWORD>(object[4] - base, 4) : nullptr;
        const DWORD count = hierarchy ? std::min<DWORD>(hierarchy[2], 16) : 0;
        const DWORD* bases = count ? m_pe.AtRva<DWORD>(hierarchy[3] - base, count) : nullptr;
        for (DWORD i = 0; bases && i < count; ++i) {
            const DWORD* descriptor = m_pe.AtRva<DWORD>(bases[i] - base);
            names.push_back(descriptor ? m_pe.TextAt(*descriptor - base + 8) : std::string("?"));
        }
        if (!object) {
            Line(false, "no RTTI: the word before its virtual table names no object locator");
            return;
        }
        const bool named = m_pe.TextAt(object[3] - base + 8) == kHierarchy[0] &&
                           names.size() >= std::size(kHierarchy) &&
                           std::equal(std::begin(kHierarchy), std::end(kHierarchy), names.begin());
        Line(named, named ? "its RTTI names CTestTAVO02, derived from CTAVOTester and CTest"
                          : "its RTTI does not name CTestTAVO02 with its bases CTAVOTester and CTest: " +
                                (names.empty() ? std::string("no class hierarchy") : Joined(names)));
    }

    void SehMarking(WORD flags)
    {
        if (m_pe.Machine() != IMAGE_FILE_MACHINE_I386)
            return;  // other machines keep their handlers in tables
        if (flags & IMAGE_DLLCHARACTERISTICS_NO_SEH) {
            Line(true, "SEH: marked as registering no exception handler (NO_SEH)");
            return;
        }
        const IMAGE_DATA_DIRECTORY directory = m_pe.Directory(IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG);
        const auto* config =
            directory.Size ? m_pe.AtRva<IMAGE_LOAD_CONFIG_DIRECTORY32>(directory.VirtualAddress) : nullptr;
        const bool safeSeh = config && config->Size >= offsetof(IMAGE_LOAD_CONFIG_DIRECTORY32, SEHandlerCount) + 4 &&
                             config->SEHandlerTable;
        Line(safeSeh, safeSeh ? "SEH: a SafeSEH table of " + std::to_string(config->SEHandlerCount) + " handlers"
                              : "SEH: neither a SafeSEH table nor the NO_SEH mark, so a host that enforces SafeSEH "
                                "refuses any exception handler in it");
    }

    void Pdb(const std::string& moduleFolder)
    {
        std::string name;
        GUID guid{};
        DWORD age = 0;
        if (!m_pe.CodeView(&name, &guid, &age)) {
            Line(false, "no CodeView debug entry: no PDB can be matched to a crash dump from the line");
            return;
        }
        if (name.find_first_of("\\/") != std::string::npos) {
            Line(false, "its CodeView entry names the build machine's path: " + name);
            return;
        }
        const std::string identity = "GUID " + GuidText(guid) + ", age " + std::to_string(age);
        GUID pdbGuid{};
        DWORD pdbAge = 0;
        const std::string path = moduleFolder + "\\" + name;
        if (!Exists(path))
            Line(true, "names its PDB " + name + " (" + identity + "); it is not beside the module");
        else if (!ReadPdbIdentity(path, &pdbGuid, &pdbAge))
            Line(false, name + " beside it is no PDB that can be read");
        else if (memcmp(&pdbGuid, &guid, sizeof(GUID)) != 0 || pdbAge != age)
            Line(false, name + " beside it belongs to another build (GUID " + GuidText(pdbGuid) + ", age " +
                            std::to_string(pdbAge) + "; the module names " + identity + ")");
        else
            Line(true, name + " beside it matches (" + identity + ")");
    }

    const CPeFile& m_pe;
    const std::map<std::string, DWORD> m_exports;
    const std::vector<PeLibrary> m_imports;
    std::vector<ModuleCheckLine>* m_pLines;
};

// One block of a version resource: its length, its key, its value's length
// and type, then the value and the blocks it holds, each on a 32-bit boundary.
struct VersionBlock
{
    std::wstring strKey;
    const BYTE* pValue = nullptr;  // to the end of the block
    size_t nValueBytes = 0;
    const BYTE* pChildren = nullptr;
    size_t nChildrenBytes = 0;
};

size_t Aligned(size_t offset)
{
    return (offset + 3) & ~size_t(3);
}

// Reads the block at the start of bytes, within the length it gives and the
// bytes there are; *length gets its length. False when it does not fit.
bool ReadVersionBlock(const BYTE* bytes, size_t available, VersionBlock* block, size_t* length)
{
    WORD header[3];  // length, value length, type (1: text)
    if (available < sizeof(header))
        return false;
    memcpy(header, bytes, sizeof(header));
    if (header[0] < sizeof(header) || header[0] > available)
        return false;
    size_t at = sizeof(header);
    for (wchar_t unit = 0; at + 2 <= header[0]; at += 2) {
        memcpy(&unit, bytes + at, 2);
        if (!unit)
            break;
        block->strKey += unit;
    }
    at = Aligned(at + 2);
    if (at > header[0])
        return false;
    block->pValue = bytes + at;
    block->nValueBytes = header[0] - at;
    const size_t children = Aligned(at + (header[2] == 1 ? 2 * header[1] : header[1]));
    block->pChildren = bytes + std::min<size_t>(children, header[0]);
    block->nChildrenBytes = header[0] - std::min<size_t>(children, header[0]);
    *length = header[0];
    return true;
}

// Calls visit with each block that parent holds, in order.
template <typename Visit>
void ForEachChild(const VersionBlock& parent, Visit visit)
{
    size_t length = 0;
    for (size_t at = 0; at < parent.nChildrenBytes; at = Aligned(at + length)) {
        VersionBlock child;
        if (!ReadVersionBlock(parent.pChildren + at, parent.nChildrenBytes - at, &child, &length))
            return;
        visit(child);
    }
}

// The text a string table of the version resource gives for key, read
// within the blocks' lengths; empty when there is none.
std::string VersionText(const BYTE* resource, DWORD size, const std::wstring& key)
{
    VersionBlock root;
    size_t length = 0;
    std::string text;
    if (!ReadVersionBlock(resource, size, &root, &length) || root.strKey != L"VS_VERSION_INFO")
        return text;
    ForEachChild(root, [&](const VersionBlock& info) {
        if (info.strKey != L"StringFileInfo")
            return;
        ForEachChild(info, [&](const VersionBlock& table) {
            ForEachChild(table, [&](const VersionBlock& entry) {
                for (size_t i = 0; entry.strKey == key && i + 2 <= entry.nValueBytes; i += 2) {
                    wchar_t unit = 0;
                    memcpy(&unit, entry.pValue + i, 2);
                    if (!unit)
                        break;
                    text += unit < 0x80 ? static_cast<char>(unit) : '?';
                }
            });
        });
    });
    return text;
}

// The resources a host and the dialogs need, read from the file.
void CheckResources(const CPeFile& pe, CChecker& checker)
{
    DWORD size = 0;
    const auto has = [&pe, &size](LPCSTR name, LPCSTR type) { return pe.Resource(type, name, &size) != nullptr; };
    checker.Line(has("MAINICON", RT_GROUP_ICON), "holds the icon MAINICON");
    checker.Line(has("IDB_TOOLBAR", RT_BITMAP), "holds the bitmap IDB_TOOLBAR");
    checker.Line(has(MAKEINTRESOURCEA(IDD_CONFIG), RT_DIALOG) &&
                     has(MAKEINTRESOURCEA(IDD_TEST_CONFIG), RT_DIALOG) &&
                     has(MAKEINTRESOURCEA(IDD_CONFIRM), RT_DIALOG),
                 "holds the dialog templates 2020, 2021 and 2022");
    checker.Line(has(MAKEINTRESOURCEA(IDB_UNIT_BOARD), RT_BITMAP), "holds the bitmap 2023");
    const BYTE* version = pe.Resource(RT_VERSION, MAKEINTRESOURCEA(VS_VERSION_INFO), &size);
    const std::string number = version ? VersionText(version, size, L"FileVersion") : std::string();
    checker.Line(version && VersionText(version, size, L"OriginalFilename") == "TestTAVO02.test",
                 "its version block names the file TestTAVO02.test, version " + (number.empty() ? "none" : number));
}

bool CheckReadable(const std::string& path, const std::string& libraries, std::vector<ModuleCheckLine>* lines,
                   std::string* error)
{
    CPeFile pe;
    if (!pe.Read(path, error))
        return false;
    CChecker checker(pe, lines);
    const bool pe32 = pe.IsPe32() && pe.Machine() == IMAGE_FILE_MACHINE_I386;
    checker.Line(pe32 && pe.IsDll(), pe32 ? (pe.IsDll() ? "a PE32 DLL for 32-bit x86" : "a PE32 program, not a DLL")
                                          : "not a PE32 file for 32-bit x86: the production host is a 32-bit program");
    if (!pe32)
        return true;  // the tables below are read as PE32's
    checker.Exports();
    checker.Bindings(Folder(path), libraries);
    checker.VirtualTable();
    checker.ReleaseConventions(Folder(path));
    CheckResources(pe, checker);
    for (const std::string& damage : pe.Damage())
        checker.Line(false, "the file is damaged: " + damage);
    return true;
}

}  // namespace

bool CheckModuleFile(const std::string& path, const std::string& libraries, std::vector<ModuleCheckLine>* lines,
                     std::string* error)
{
    // Whatever the file holds, the answer is a finding, never the end of the
    // engineer's script.
    try {
        return CheckReadable(path, libraries, lines, error);
    } catch (const std::bad_alloc&) {
        lines->push_back({false, "the file is damaged: reading it takes more memory than there is"});
    } catch (const std::exception& e) {
        lines->push_back({false, std::string("the file is damaged: ") + e.what()});
    }
    return true;
}
