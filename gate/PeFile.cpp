// CPeFile: the headers, tables, resources and debug entry of a Windows
// image.
#include "PeFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <utility>

#include "Text.h"

std::string CPeFile::SectionName(const IMAGE_SECTION_HEADER& section) const
{
    const char* raw = reinterpret_cast<const char*>(section.Name);
    const std::string name(raw, strnlen(raw, IMAGE_SIZEOF_SHORT_NAME));
    if (name.size() < 2 || name[0] != '/' || name.find_first_not_of("0123456789", 1) != std::string::npos)
        return name;
    // The string table follows the symbols, 18 bytes each.
    const size_t table = m_pFile->PointerToSymbolTable + static_cast<size_t>(m_pFile->NumberOfSymbols) * 18;
    const size_t at = table + strtoul(name.c_str() + 1, nullptr, 10);
    if (!m_pFile->PointerToSymbolTable || at < table || at >= m_bytes.size())
        return name;
    const char* text = m_bytes.data() + at;
    return std::string(text, strnlen(text, std::min(m_bytes.size() - at, kMaxName)));
}

bool CPeFile::Parse(std::string bytes, const std::string& path, std::string* error)
{
    m_bytes = std::move(bytes);
    const auto* dos = At<IMAGE_DOS_HEADER>(0);
    if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew < 0) {
        *error = "'" + path + "' is not a Windows executable (no MZ header)";
        return false;
    }
    const size_t nt = static_cast<size_t>(dos->e_lfanew);
    const auto* signature = At<DWORD>(nt);
    m_pFile = At<IMAGE_FILE_HEADER>(nt + sizeof(DWORD));
    if (!signature || *signature != IMAGE_NT_SIGNATURE || !m_pFile) {
        *error = "'" + path + "' is not a PE file (no PE signature)";
        return false;
    }
    const size_t optional = nt + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER);
    m_pOptional32 = At<IMAGE_OPTIONAL_HEADER32>(optional);
    if (m_pOptional32 && !IsPe32())
        m_pOptional64 = At<IMAGE_OPTIONAL_HEADER64>(optional);
    m_sectionsOffset = optional + m_pFile->SizeOfOptionalHeader;
    if (!m_pOptional32 || (!IsPe32() && !m_pOptional64) ||
        !At<IMAGE_SECTION_HEADER>(m_sectionsOffset, m_pFile->NumberOfSections)) {
        *error = "'" + path + "' has broken PE headers";
        return false;
    }
    return true;
}

ULONGLONG CPeFile::ImageBase() const
{
    return IsPe32() ? m_pOptional32->ImageBase : m_pOptional64->ImageBase;
}

DWORD CPeFile::SizeOfImage() const
{
    return IsPe32() ? m_pOptional32->SizeOfImage : m_pOptional64->SizeOfImage;
}

DWORD CPeFile::EntryPoint() const
{
    return IsPe32() ? m_pOptional32->AddressOfEntryPoint : m_pOptional64->AddressOfEntryPoint;
}

WORD CPeFile::DllCharacteristics() const
{
    return IsPe32() ? m_pOptional32->DllCharacteristics : m_pOptional64->DllCharacteristics;
}

IMAGE_DATA_DIRECTORY CPeFile::Directory(int index) const
{
    const DWORD count = IsPe32() ? m_pOptional32->NumberOfRvaAndSizes : m_pOptional64->NumberOfRvaAndSizes;
    if (static_cast<DWORD>(index) >= count)
        return IMAGE_DATA_DIRECTORY{};
    return IsPe32() ? m_pOptional32->DataDirectory[index] : m_pOptional64->DataDirectory[index];
}

std::vector<IMAGE_SECTION_HEADER> CPeFile::Sections() const
{
    std::vector<IMAGE_SECTION_HEADER> sections(m_pFile->NumberOfSections);
    if (!sections.empty())
        memcpy(sections.data(), At<IMAGE_SECTION_HEADER>(m_sectionsOffset, sections.size()),
               sections.size() * sizeof(IMAGE_SECTION_HEADER));
    return sections;
}

const Unaligned<IMAGE_SECTION_HEADER>* CPeFile::SectionOf(DWORD rva) const
{
    const auto* sections = At<IMAGE_SECTION_HEADER>(m_sectionsOffset, m_pFile->NumberOfSections);
    for (WORD i = 0; i < m_pFile->NumberOfSections; ++i) {
        if (rva >= sections[i].VirtualAddress && rva - sections[i].VirtualAddress < Extent(sections[i]))
            return &sections[i];
    }
    return nullptr;
}

bool CPeFile::IsCode(DWORD rva) const
{
    const auto* section = SectionOf(rva);
    return section && (section->Characteristics & IMAGE_SCN_MEM_EXECUTE);
}

size_t CPeFile::FileOffset(DWORD rva) const
{
    const auto* section = SectionOf(rva);
    if (!section || rva - section->VirtualAddress >= section->SizeOfRawData)
        return 0;
    return section->PointerToRawData + (rva - section->VirtualAddress);
}

std::string CPeFile::TextAt(DWORD rva, bool* terminated) const
{
    const char* text = AtRva<char>(rva);
    const size_t most = text ? std::min<size_t>(m_bytes.data() + m_bytes.size() - text, kMaxName + 1) : 0;
    const char* stop = text ? static_cast<const char*>(memchr(text, '\0', most)) : nullptr;
    if (terminated)
        *terminated = stop != nullptr;
    return stop ? std::string(text, stop) : std::string();
}

void CPeFile::Damaged(const std::string& what) const
{
    if (m_damageSeen.insert(what).second)
        m_damage.push_back(what);
}

bool CPeFile::PointerAt(DWORD rva, ULONGLONG* value) const
{
    if (IsPe32()) {
        const auto* word = AtRva<DWORD>(rva);
        *value = word ? *word : 0;
        return word != nullptr;
    }
    const auto* word = AtRva<ULONGLONG>(rva);
    *value = word ? *word : 0;
    return word != nullptr;
}

std::map<std::string, DWORD> CPeFile::Exports() const
{
    return ReadExports(nullptr);
}

std::map<std::string, DWORD> CPeFile::ReadExports(std::vector<std::string>* inOrder) const
{
    std::map<std::string, DWORD> names;
    const IMAGE_DATA_DIRECTORY directory = Directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
    const auto* exports = directory.Size ? AtRva<IMAGE_EXPORT_DIRECTORY>(directory.VirtualAddress) : nullptr;
    if (!exports) {
        if (directory.Size)
            Damaged("its export table lies outside the file");
        return names;
    }
    if (exports->NumberOfNames > kMaxExports || exports->NumberOfFunctions > kMaxExports) {
        Damaged("its export table counts more than " + std::to_string(kMaxExports) + " names or functions");
        return names;
    }
    const auto* nameRvas = AtRva<DWORD>(exports->AddressOfNames, exports->NumberOfNames);
    const auto* ordinals = AtRva<WORD>(exports->AddressOfNameOrdinals, exports->NumberOfNames);
    const auto* functions = AtRva<DWORD>(exports->AddressOfFunctions, exports->NumberOfFunctions);
    if (exports->NumberOfNames && !(nameRvas && ordinals && functions))
        Damaged("its export table runs off the file");
    for (DWORD i = 0; nameRvas && ordinals && functions && i < exports->NumberOfNames; ++i) {
        bool terminated = false;
        const std::string name = TextAt(nameRvas[i], &terminated);
        if (!terminated)
            Damaged("an exported name is not terminated within " + std::to_string(kMaxName) + " characters");
        else if (ordinals[i] < exports->NumberOfFunctions)
            names[name] = functions[ordinals[i]];
        if (terminated && inOrder)
            inOrder->push_back(name);
    }
    return names;
}

bool CPeFile::IsForwarder(DWORD rva) const
{
    const IMAGE_DATA_DIRECTORY directory = Directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
    return rva >= directory.VirtualAddress && rva - directory.VirtualAddress < directory.Size;
}

std::vector<PeLibrary> CPeFile::Imports() const
{
    std::vector<PeLibrary> libraries;
    const IMAGE_DATA_DIRECTORY directory = Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
    if (!directory.Size)
        return libraries;
    const DWORD slotSize = PointerSize();
    const ULONGLONG byOrdinal = IsPe32() ? IMAGE_ORDINAL_FLAG32 : IMAGE_ORDINAL_FLAG64;
    const DWORD descriptors = directory.Size / sizeof(IMAGE_IMPORT_DESCRIPTOR);
    size_t imports = 0;
    std::map<ULONGLONG, ULONGLONG> tables;  // each library's address table: its end by its start
    for (DWORD index = 0;; ++index) {
        const DWORD rva = directory.VirtualAddress + index * sizeof(IMAGE_IMPORT_DESCRIPTOR);
        const auto* descriptor = AtRva<IMAGE_IMPORT_DESCRIPTOR>(rva);
        if (!descriptor) {
            Damaged("its import table runs off the file");
            break;
        }
        // The loader stops at the first descriptor without a name or an
        // address table: whatever the table holds behind it stays unbound.
        if (!descriptor->Name || !descriptor->FirstThunk) {
            // Up to the closing descriptor, all of whose fields are 0.
            DWORD behind = 0;
            for (DWORD later = index + 1; later < descriptors && later - index <= kMaxLibraries; ++later) {
                const auto* next = AtRva<IMAGE_IMPORT_DESCRIPTOR>(rva + (later - index) * sizeof(*descriptor));
                if (!next || (!next->Name && !next->FirstThunk))
                    break;
                ++behind;
            }
            if (descriptor->Name || descriptor->FirstThunk)
                Damaged("its import table ends at descriptor " + std::to_string(index) + ", which has " +
                        (descriptor->Name ? "no import address table (FirstThunk 0)" : "no library name") +
                        ": the loader binds nothing from there on, and the table holds " +
                        std::to_string(behind + (descriptor->Name ? 1 : 0)) + " more libraries");
            break;
        }
        if (libraries.size() == kMaxLibraries) {
            Damaged("its import table lists more than " + std::to_string(kMaxLibraries) + " libraries");
            break;
        }
        PeLibrary library{};
        library.strName = TextAt(descriptor->Name, &library.bNameTerminated);
        const DWORD names = descriptor->OriginalFirstThunk ? descriptor->OriginalFirstThunk : descriptor->FirstThunk;
        for (DWORD i = 0;; ++i, ++imports) {
            ULONGLONG entry = 0;
            if (imports == kMaxImports) {
                Damaged("its import table lists more than " + std::to_string(kMaxImports) + " names");
                return libraries;
            }
            if (!PointerAt(names + i * slotSize, &entry)) {
                Damaged("the imports of " + library.strName + " run off the file");
                break;
            }
            if (entry == 0)
                break;
            bool terminated = true;
            const std::string name = (entry & byOrdinal)
                                         ? "#" + std::to_string(entry & 0xFFFF)
                                         : TextAt(static_cast<DWORD>(entry) + 2, &terminated);  // behind the hint
            if (!terminated)
                Damaged("a name imported from " + library.strName + " is not terminated within " +
                        std::to_string(kMaxName) + " characters");
            library.imports.push_back({name, descriptor->FirstThunk + i * slotSize});
        }
        CheckAddressTable(library, descriptor->FirstThunk, &tables);
        libraries.push_back(library);
    }
    return libraries;
}

// The loader writes each bound address into the library's address table:
// it lies, with its closing slot, in the table the image keeps apart for it
// (or, without one, in a section of data), on a 4-byte boundary and apart
// from every other library's.
void CPeFile::CheckAddressTable(const PeLibrary& library, DWORD first,
                                std::map<ULONGLONG, ULONGLONG>* tables) const
{
    const IMAGE_DATA_DIRECTORY all = Directory(IMAGE_DIRECTORY_ENTRY_IAT);
    const ULONGLONG end = first + (library.imports.size() + 1) * static_cast<ULONGLONG>(PointerSize());
    const auto next = tables->lower_bound(first);
    const bool apart = (next == tables->end() || next->first >= end) &&
                       (next == tables->begin() || std::prev(next)->second <= first);
    tables->emplace(first, end);
    // Linkers put x64's tables on 4 bytes at the least, as they do x86's.
    if (first % 4 || !apart)
        Damaged("the address table of " + library.strName + " (" + HexNumber(first) + " to " + HexNumber(end) + ") " +
                (apart ? "is off a 4-byte boundary" : "overlaps another library's") +
                ", where the loader writes a pointer into each slot");
    const auto* section = SectionOf(first);
    const bool inside =
        all.Size ? first >= all.VirtualAddress && end <= static_cast<ULONGLONG>(all.VirtualAddress) + all.Size
                 : section && !(section->Characteristics & IMAGE_SCN_MEM_EXECUTE) &&
                       end <= section->VirtualAddress + static_cast<ULONGLONG>(section->Misc.VirtualSize);
    if (!inside)
        Damaged("the address table of " + library.strName + " (" + HexNumber(first) + " to " + HexNumber(end) +
                ") lies outside " +
                (all.Size ? "the image's import address table (" + HexNumber(all.VirtualAddress) + " to " +
                                HexNumber(static_cast<ULONGLONG>(all.VirtualAddress) + all.Size) + ")"
                          : std::string("any section of data")));
}

bool CPeFile::CodeView(std::string* pdb, GUID* guid, DWORD* age) const
{
    const IMAGE_DATA_DIRECTORY directory = Directory(IMAGE_DIRECTORY_ENTRY_DEBUG);
    const size_t count = directory.Size / sizeof(IMAGE_DEBUG_DIRECTORY);
    const auto* entries = count ? AtRva<IMAGE_DEBUG_DIRECTORY>(directory.VirtualAddress, count) : nullptr;
    for (size_t i = 0; entries && i < count; ++i) {
        const auto& entry = entries[i];
        // "RSDS", the GUID, the age, then the PDB's name.
        const size_t fixed = 4 + sizeof(GUID) + 4;
        const char* record = At<char>(entry.PointerToRawData, entry.SizeOfData);
        if (entry.Type != IMAGE_DEBUG_TYPE_CODEVIEW || !record || entry.SizeOfData <= fixed ||
            memcmp(record, "RSDS", 4) != 0)
            continue;
        memcpy(guid, record + 4, sizeof(GUID));
        memcpy(age, record + 4 + sizeof(GUID), 4);
        const char* name = record + fixed;
        *pdb = std::string(name, strnlen(name, entry.SizeOfData - fixed));
        return true;
    }
    return false;
}

const BYTE* CPeFile::Resource(LPCSTR type, LPCSTR name, DWORD* size) const
{
    // Three levels: type, name, language; the first two lead to directories,
    // the third to the data.
    const Unaligned<IMAGE_RESOURCE_DIRECTORY_ENTRY>* entry = ResourceEntry(0, type);
    const LPCSTR keys[] = {name, nullptr};
    for (LPCSTR key : keys) {
        if (entry && !entry->DataIsDirectory)
            Damaged("a resource directory holds data where a directory belongs");
        entry = entry && entry->DataIsDirectory ? ResourceEntry(entry->OffsetToDirectory, key) : nullptr;
    }
    if (!entry)
        return nullptr;
    if (entry->DataIsDirectory) {
        Damaged("its resource directory is deeper than three levels");
        return nullptr;
    }
    const IMAGE_DATA_DIRECTORY root = Directory(IMAGE_DIRECTORY_ENTRY_RESOURCE);
    const auto* data = entry->OffsetToData <= root.Size - std::min<DWORD>(root.Size, sizeof(IMAGE_RESOURCE_DATA_ENTRY))
                           ? AtRva<IMAGE_RESOURCE_DATA_ENTRY>(root.VirtualAddress + entry->OffsetToData)
                           : nullptr;
    const BYTE* bytes = data ? AtRva<BYTE>(data->OffsetToData, data->Size) : nullptr;
    if (!data || data->OffsetToData >= SizeOfImage() || data->Size > SizeOfImage() - data->OffsetToData || !bytes) {
        Damaged("a resource's data lies outside the image or the file");
        return nullptr;
    }
    *size = data->Size;
    return bytes;
}

const Unaligned<IMAGE_RESOURCE_DIRECTORY_ENTRY>* CPeFile::ResourceEntries(DWORD offset, DWORD* named, DWORD* count) const
{
    const IMAGE_DATA_DIRECTORY root = Directory(IMAGE_DIRECTORY_ENTRY_RESOURCE);
    const auto* directory =
        offset < root.Size ? AtRva<IMAGE_RESOURCE_DIRECTORY>(root.VirtualAddress + offset) : nullptr;
    *named = directory ? directory->NumberOfNamedEntries : 0;
    *count = directory ? *named + directory->NumberOfIdEntries : 0;
    const DWORD entriesOffset = offset + sizeof(IMAGE_RESOURCE_DIRECTORY);
    const auto* entries = directory ? AtRva<IMAGE_RESOURCE_DIRECTORY_ENTRY>(root.VirtualAddress + entriesOffset, *count)
                                    : nullptr;
    if (!entries || entriesOffset + static_cast<ULONGLONG>(*count) * sizeof(*entries) > root.Size) {
        Damaged("a resource directory lies outside the resource section or the file");
        return nullptr;
    }
    return entries;
}

// As FindResource looks: names first, then IDs, each part by binary search.
const Unaligned<IMAGE_RESOURCE_DIRECTORY_ENTRY>* CPeFile::ResourceEntry(DWORD offset, LPCSTR key) const
{
    if (!Directory(IMAGE_DIRECTORY_ENTRY_RESOURCE).Size)
        return nullptr;
    DWORD named = 0, count = 0;
    const Unaligned<IMAGE_RESOURCE_DIRECTORY_ENTRY>* entries = ResourceEntries(offset, &named, &count);
    if (!entries || !key)
        return entries && count ? entries : nullptr;
    std::wstring wanted;
    for (const char* c = key; !IS_INTRESOURCE(key) && *c; ++c)
        wanted += static_cast<wchar_t>(toupper(static_cast<unsigned char>(*c)));
    const WORD id = LOWORD(reinterpret_cast<ULONG_PTR>(key));
    long low = IS_INTRESOURCE(key) ? named : 0, high = IS_INTRESOURCE(key) ? count : std::min(named, count);
    while (low < high) {
        const long middle = (low + high) / 2;
        const auto& entry = entries[middle];
        std::wstring name;
        const int order = IS_INTRESOURCE(key) ? (entry.Id < id ? -1 : entry.Id > id)
                          : ResourceName(entry.NameOffset, &name) ? name.compare(wanted) : 1;
        if (order == 0)
            return &entry;
        if (order < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return nullptr;
}

// A resource's name: its length in UTF-16 units, then the units; upper case,
// as FindResource compares them.
bool CPeFile::ResourceName(DWORD offset, std::wstring* name) const
{
    const IMAGE_DATA_DIRECTORY root = Directory(IMAGE_DIRECTORY_ENTRY_RESOURCE);
    const auto* length = offset < root.Size ? AtRva<WORD>(root.VirtualAddress + offset) : nullptr;
    const auto* units = length ? AtRva<WORD>(root.VirtualAddress + offset, 1 + *length) : nullptr;
    if (!units || offset + 2 * (1 + static_cast<ULONGLONG>(*length)) > root.Size)
        return false;
    name->clear();
    for (WORD i = 1; i <= *length; ++i)
        name->push_back(static_cast<wchar_t>(units[i] < 0x80 ? toupper(units[i]) : units[i]));
    return true;
}
