// CheckModuleFile: the module's export and import tables and resources.
#include "ModuleCheck.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

#include "resource.h"

namespace {

// The class members a host may look up by name, as Microsoft's compiler
// decorates them for 32-bit x86.
const struct
{
    const char* pszName;
    const char* pszMember;
} kMembers[] = {
    {"??0CTestTAVO02@@QAE@PAX@Z", "constructor CTestTAVO02(void*)"},
    {"??1CTestTAVO02@@UAE@XZ", "destructor"},
    {"?GetModuleName@CTestTAVO02@@UAEPBDXZ", "GetModuleName()"},
    {"?IsSupportedTest@CTestTAVO02@@UAEHPBD@Z", "IsSupportedTest(const char*)"},
    {"?GetSupportedTestCount@CTestTAVO02@@UAEIXZ", "GetSupportedTestCount()"},
    {"?GetSupportedTest@CTestTAVO02@@UAEPBDI@Z", "GetSupportedTest(unsigned int)"},
    {"?GetMessageA@CTestTAVO02@@UAEPBDI@Z", "GetMessageA(unsigned int)"},
    {"?GetDialogName@CTestTAVO02@@UAEPBDI@Z", "GetDialogName(unsigned int)"},
    {"?GetDialogControlName@CTestTAVO02@@UAEPBDII@Z", "GetDialogControlName(unsigned int, unsigned int)"},
    {"?ConfigureThermometer@CTestTAVO02@@UAEHPAXGH@Z", "ConfigureThermometer(void*, unsigned short, int)"},
    {"?m_szSupportedTest@CTestTAVO02@@2PAPADA", "the table m_szSupportedTest"},
};
const char* const kPlainExports[] = {"_GetTestInstance", "_GetTestInstanceID"};
// What the compiler adds for an exported class: its virtual table and the
// implicit copy operations.
const char* const kCompilerAdded[] = {"??_7CTestTAVO02@@6B@", "??4CTestTAVO02@@QAEAAV0@ABV0@@Z",
                                      "??0CTestTAVO02@@QAE@ABV0@@Z"};

// The file's bytes with the PE headers found, and RVAs turned into offsets.
class CPeFile
{
public:
    bool Read(const std::string& path, std::string* error)
    {
        std::ifstream file(path, std::ios::binary);
        if (!file) {
            *error = "'" + path + "' cannot be opened";
            return false;
        }
        m_bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        const auto* dos = At<IMAGE_DOS_HEADER>(0);
        if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew < 0) {
            *error = "'" + path + "' is not a Windows executable (no MZ header)";
            return false;
        }
        m_nNt = static_cast<size_t>(dos->e_lfanew);
        const auto* signature = At<DWORD>(m_nNt);
        m_pFile = At<IMAGE_FILE_HEADER>(m_nNt + sizeof(DWORD));
        if (!signature || *signature != IMAGE_NT_SIGNATURE || !m_pFile) {
            *error = "'" + path + "' is not a PE file (no PE signature)";
            return false;
        }
        const size_t optional = m_nNt + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER);
        m_pOptional = At<IMAGE_OPTIONAL_HEADER32>(optional);
        m_nSections = optional + m_pFile->SizeOfOptionalHeader;
        if (!m_pOptional || !At<IMAGE_SECTION_HEADER>(m_nSections, m_pFile->NumberOfSections)) {
            *error = "'" + path + "' has broken PE headers";
            return false;
        }
        return true;
    }

    bool IsPe32() const { return m_pOptional->Magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC; }
    WORD Machine() const { return m_pFile->Machine; }
    bool IsDll() const { return (m_pFile->Characteristics & IMAGE_FILE_DLL) != 0; }

    // A data directory of a PE32 file, or an empty one.
    IMAGE_DATA_DIRECTORY Directory(int index) const
    {
        if (!IsPe32() || static_cast<DWORD>(index) >= m_pOptional->NumberOfRvaAndSizes)
            return IMAGE_DATA_DIRECTORY{};
        return m_pOptional->DataDirectory[index];
    }

    // The structure at an RVA, or null when it lies outside the file.
    template <typename Type>
    const Type* AtRva(DWORD rva, size_t count = 1) const
    {
        const auto* sections = At<IMAGE_SECTION_HEADER>(m_nSections, m_pFile->NumberOfSections);
        for (WORD i = 0; i < m_pFile->NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER& section = sections[i];
            const DWORD size = std::max(section.Misc.VirtualSize, section.SizeOfRawData);
            if (rva >= section.VirtualAddress && rva - section.VirtualAddress < size)
                return At<Type>(section.PointerToRawData + (rva - section.VirtualAddress), count);
        }
        return nullptr;
    }

    // The NUL-terminated text at an RVA, or empty when it runs off the file.
    std::string TextAt(DWORD rva) const
    {
        const char* text = AtRva<char>(rva);
        if (!text)
            return std::string();
        const char* end = m_bytes.data() + m_bytes.size();
        const char* stop = std::find(text, end, '\0');
        return stop == end ? std::string() : std::string(text, stop);
    }

private:
    template <typename Type>
    const Type* At(size_t offset, size_t count = 1) const
    {
        if (offset > m_bytes.size() || count > (m_bytes.size() - offset) / sizeof(Type))
            return nullptr;
        return reinterpret_cast<const Type*>(m_bytes.data() + offset);
    }

    std::vector<char> m_bytes;
    size_t m_nNt = 0;
    size_t m_nSections = 0;
    const IMAGE_FILE_HEADER* m_pFile = nullptr;
    const IMAGE_OPTIONAL_HEADER32* m_pOptional = nullptr;
};

std::vector<std::string> ExportNames(const CPeFile& pe)
{
    std::vector<std::string> names;
    const IMAGE_DATA_DIRECTORY directory = pe.Directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
    const auto* exports = directory.Size ? pe.AtRva<IMAGE_EXPORT_DIRECTORY>(directory.VirtualAddress) : nullptr;
    const DWORD* nameRvas = exports ? pe.AtRva<DWORD>(exports->AddressOfNames, exports->NumberOfNames) : nullptr;
    for (DWORD i = 0; nameRvas && i < exports->NumberOfNames; ++i)
        names.push_back(pe.TextAt(nameRvas[i]));
    return names;
}

// Imported names by library, in the order of the import table; an import by
// ordinal reads "#ordinal".
std::vector<std::pair<std::string, std::vector<std::string>>> Imports(const CPeFile& pe)
{
    std::vector<std::pair<std::string, std::vector<std::string>>> libraries;
    const IMAGE_DATA_DIRECTORY directory = pe.Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
    if (!directory.Size)
        return libraries;
    for (DWORD rva = directory.VirtualAddress;; rva += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* descriptor = pe.AtRva<IMAGE_IMPORT_DESCRIPTOR>(rva);
        if (!descriptor || !descriptor->Name)
            break;
        std::vector<std::string> names;
        DWORD thunk = descriptor->OriginalFirstThunk ? descriptor->OriginalFirstThunk : descriptor->FirstThunk;
        for (const DWORD* entry = pe.AtRva<DWORD>(thunk); entry && *entry; entry = pe.AtRva<DWORD>(thunk += 4)) {
            if (*entry & IMAGE_ORDINAL_FLAG32)
                names.push_back("#" + std::to_string(*entry & 0xFFFF));
            else
                names.push_back(pe.TextAt(*entry + 2));  // behind the hint
        }
        libraries.emplace_back(pe.TextAt(descriptor->Name), names);
    }
    return libraries;
}

// A library of the system (in its system folder): its names are Windows'.
bool IsSystemLibrary(const std::string& name)
{
    char folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    return ::GetFileAttributesA((std::string(folder) + "\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
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

class CChecker
{
public:
    explicit CChecker(std::vector<ModuleCheckLine>* lines) : m_pLines(lines) {}

    void Line(bool ok, const std::string& text) { m_pLines->push_back({ok, text}); }

    void Exports(const std::vector<std::string>& names)
    {
        const auto has = [&names](const char* name) { return std::find(names.begin(), names.end(), name) != names.end(); };
        Line(has(kPlainExports[0]) && has(kPlainExports[1]),
             "exports _GetTestInstance and _GetTestInstanceID under their plain names");
        for (const auto& member : kMembers)
            Line(has(member.pszName), "exports " + std::string(member.pszMember) + " as " + member.pszName);
        std::vector<std::string> others;
        for (const std::string& name : names) {
            const auto known = [&name](const char* listed) { return name == listed; };
            if (std::none_of(std::begin(kPlainExports), std::end(kPlainExports), known) &&
                std::none_of(std::begin(kCompilerAdded), std::end(kCompilerAdded), known) &&
                std::none_of(std::begin(kMembers), std::end(kMembers),
                             [&name](const auto& member) { return name == member.pszName; }))
                others.push_back(name);
        }
        Line(others.empty(), others.empty()
                                 ? "exports nothing else but what the compiler adds for the class"
                                 : "exports more than the class and the two functions: " + Joined(others));
    }

    void Imports(const std::vector<std::pair<std::string, std::vector<std::string>>>& libraries)
    {
        for (const auto& library : libraries) {
            if (IsSystemLibrary(library.first))
                continue;
            std::vector<std::string> foreign;
            for (const std::string& name : library.second) {
                if (name.empty() || name[0] != '?')
                    foreign.push_back(name);
            }
            if (foreign.empty())
                Line(true, "imports " + std::to_string(library.second.size()) + " members from " + library.first +
                               ", all under Microsoft's names");
            else
                Line(false, "imports from " + library.first + " what a library built with Microsoft's compiler "
                                                              "does not export: " + Joined(foreign));
        }
    }

private:
    std::vector<ModuleCheckLine>* m_pLines;
};

// The resources, read through the loader as data (any bitness).
void CheckResources(const std::string& path, CChecker& checker)
{
    HMODULE module = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) {
        checker.Line(false, "its resources cannot be read");
        return;
    }
    const auto has = [module](LPCSTR name, LPCSTR type) { return ::FindResourceA(module, name, type) != nullptr; };
    checker.Line(has("MAINICON", RT_GROUP_ICON), "holds the icon MAINICON");
    checker.Line(has("IDB_TOOLBAR", RT_BITMAP), "holds the bitmap IDB_TOOLBAR");
    checker.Line(has(MAKEINTRESOURCEA(IDD_CONFIG), RT_DIALOG) &&
                     has(MAKEINTRESOURCEA(IDD_TEST_CONFIG), RT_DIALOG) &&
                     has(MAKEINTRESOURCEA(IDD_CONFIRM), RT_DIALOG),
                 "holds the dialog templates 2020, 2021 and 2022");
    checker.Line(has(MAKEINTRESOURCEA(IDB_UNIT_BOARD), RT_BITMAP), "holds the bitmap 2023");
    ::FreeLibrary(module);

    DWORD ignored = 0;
    std::vector<char> version(::GetFileVersionInfoSizeA(path.c_str(), &ignored));
    WORD* translation = nullptr;
    UINT size = 0;
    char* original = nullptr;
    bool named = false;
    if (!version.empty() && ::GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(version.size()), version.data()) &&
        ::VerQueryValueA(version.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &size) && size >= 4) {
        char key[64];
        snprintf(key, sizeof(key), "\\StringFileInfo\\%04x%04x\\OriginalFilename", translation[0], translation[1]);
        named = ::VerQueryValueA(version.data(), key, reinterpret_cast<void**>(&original), &size) && size &&
                strcmp(original, "TestTAVO02.test") == 0;
    }
    checker.Line(named, "its version block names the file TestTAVO02.test");
}

}  // namespace

bool CheckModuleFile(const std::string& path, std::vector<ModuleCheckLine>* lines, std::string* error)
{
    CPeFile pe;
    if (!pe.Read(path, error))
        return false;
    CChecker checker(lines);
    const bool pe32 = pe.IsPe32() && pe.Machine() == IMAGE_FILE_MACHINE_I386;
    checker.Line(pe32 && pe.IsDll(), pe32 ? (pe.IsDll() ? "a PE32 DLL for 32-bit x86" : "a PE32 program, not a DLL")
                                          : "not a PE32 file for 32-bit x86: the production host is a 32-bit program");
    if (!pe32)
        return true;  // the tables below are read as PE32's
    checker.Exports(ExportNames(pe));
    checker.Imports(Imports(pe));
    CheckResources(path, checker);
    return true;
}
