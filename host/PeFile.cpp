// CPeFile: the headers, tables and debug entry of a Windows image; and the
// identity a PDB records.
#include "PeFile.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

std::vector<char> ReadAll(const std::string& path, bool* opened)
{
    std::ifstream file(path, std::ios::binary);
    *opened = static_cast<bool>(file);
    return std::vector<char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace

bool CPeFile::Read(const std::string& path, std::string* error)
{
    bool opened = false;
    m_bytes = ReadAll(path, &opened);
    if (!opened) {
        *error = "'" + path + "' cannot be opened";
        return false;
    }
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
    const auto* sections = At<IMAGE_SECTION_HEADER>(m_sectionsOffset, m_pFile->NumberOfSections);
    return std::vector<IMAGE_SECTION_HEADER>(sections, sections + m_pFile->NumberOfSections);
}

const IMAGE_SECTION_HEADER* CPeFile::SectionOf(DWORD rva) const
{
    const auto* sections = At<IMAGE_SECTION_HEADER>(m_sectionsOffset, m_pFile->NumberOfSections);
    for (WORD i = 0; i < m_pFile->NumberOfSections; ++i) {
        const DWORD size = std::max(sections[i].Misc.VirtualSize, sections[i].SizeOfRawData);
        if (rva >= sections[i].VirtualAddress && rva - sections[i].VirtualAddress < size)
            return &sections[i];
    }
    return nullptr;
}

size_t CPeFile::FileOffset(DWORD rva) const
{
    const IMAGE_SECTION_HEADER* section = SectionOf(rva);
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
    if (std::find(m_damage.begin(), m_damage.end(), what) == m_damage.end())
        m_damage.push_back(what);
}

bool CPeFile::PointerAt(DWORD rva, ULONGLONG* value) const
{
    if (IsPe32()) {
        const DWORD* word = AtRva<DWORD>(rva);
        *value = word ? *word : 0;
        return word != nullptr;
    }
    const ULONGLONG* word = AtRva<ULONGLONG>(rva);
    *value = word ? *word : 0;
    return word != nullptr;
}

std::map<std::string, DWORD> CPeFile::Exports() const
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
    const DWORD* nameRvas = AtRva<DWORD>(exports->AddressOfNames, exports->NumberOfNames);
    const WORD* ordinals = AtRva<WORD>(exports->AddressOfNameOrdinals, exports->NumberOfNames);
    const DWORD* functions = AtRva<DWORD>(exports->AddressOfFunctions, exports->NumberOfFunctions);
    if (exports->NumberOfNames && !(nameRvas && ordinals && functions))
        Damaged("its export table runs off the file");
    for (DWORD i = 0; nameRvas && ordinals && functions && i < exports->NumberOfNames; ++i) {
        bool terminated = false;
        const std::string name = TextAt(nameRvas[i], &terminated);
        if (!terminated)
            Damaged("an exported name is not terminated within " + std::to_string(kMaxName) + " characters");
        else if (ordinals[i] < exports->NumberOfFunctions)
            names[name] = functions[ordinals[i]];
    }
    return names;
}

std::vector<PeLibrary> CPeFile::Imports() const
{
    std::vector<PeLibrary> libraries;
    const IMAGE_DATA_DIRECTORY directory = Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
    if (!directory.Size)
        return libraries;
    const DWORD slotSize = IsPe32() ? 4 : 8;
    const ULONGLONG byOrdinal = IsPe32() ? IMAGE_ORDINAL_FLAG32 : IMAGE_ORDINAL_FLAG64;
    size_t imports = 0;
    for (DWORD rva = directory.VirtualAddress;; rva += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* descriptor = AtRva<IMAGE_IMPORT_DESCRIPTOR>(rva);
        if (!descriptor) {
            Damaged("its import table runs off the file");
            break;
        }
        if (!descriptor->Name)
            break;
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
        libraries.push_back(library);
    }
    return libraries;
}

bool CPeFile::CodeView(std::string* pdb, GUID* guid, DWORD* age) const
{
    const IMAGE_DATA_DIRECTORY directory = Directory(IMAGE_DIRECTORY_ENTRY_DEBUG);
    const size_t count = directory.Size / sizeof(IMAGE_DEBUG_DIRECTORY);
    const auto* entries = count ? AtRva<IMAGE_DEBUG_DIRECTORY>(directory.VirtualAddress, count) : nullptr;
    for (size_t i = 0; entries && i < count; ++i) {
        const IMAGE_DEBUG_DIRECTORY& entry = entries[i];
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
    const IMAGE_RESOURCE_DIRECTORY_ENTRY* entry = ResourceEntry(0, type);
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

const IMAGE_RESOURCE_DIRECTORY_ENTRY* CPeFile::ResourceEntry(DWORD offset, LPCSTR key) const
{
    const IMAGE_DATA_DIRECTORY root = Directory(IMAGE_DIRECTORY_ENTRY_RESOURCE);
    if (!root.Size)
        return nullptr;
    const auto* directory =
        offset < root.Size ? AtRva<IMAGE_RESOURCE_DIRECTORY>(root.VirtualAddress + offset) : nullptr;
    const DWORD count = directory ? directory->NumberOfNamedEntries + directory->NumberOfIdEntries : 0;
    const DWORD entriesOffset = offset + sizeof(IMAGE_RESOURCE_DIRECTORY);
    const auto* entries = directory ? AtRva<IMAGE_RESOURCE_DIRECTORY_ENTRY>(root.VirtualAddress + entriesOffset, count)
                                    : nullptr;
    if (!entries || entriesOffset + static_cast<ULONGLONG>(count) * sizeof(*entries) > root.Size) {
        Damaged("a resource directory lies outside the resource section or the file");
        return nullptr;
    }
    for (DWORD i = 0; i < count; ++i) {
        const IMAGE_RESOURCE_DIRECTORY_ENTRY& entry = entries[i];
        if (!key || (IS_INTRESOURCE(key) ? !entry.NameIsString && entry.Id == LOWORD(reinterpret_cast<ULONG_PTR>(key))
                                         : entry.NameIsString && ResourceNameIs(entry.NameOffset, key)))
            return &entry;
    }
    return nullptr;
}

// A resource's name: its length in UTF-16 units, then the units; compared
// without regard to case, as FindResource compares.
bool CPeFile::ResourceNameIs(DWORD offset, const char* name) const
{
    const IMAGE_DATA_DIRECTORY root = Directory(IMAGE_DIRECTORY_ENTRY_RESOURCE);
    const size_t length = strlen(name);
    const WORD* units = offset < root.Size ? AtRva<WORD>(root.VirtualAddress + offset, 1 + length) : nullptr;
    if (!units || units[0] != length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        if (units[1 + i] > 0x7F || toupper(units[1 + i]) != toupper(static_cast<unsigned char>(name[i])))
            return false;
    }
    return true;
}

// A PDB is an MSF file: a super block, then fixed-size blocks. The stream
// directory lists every stream's size and blocks; stream 1 begins with the
// version, the signature, the age and the GUID.
bool ReadPdbIdentity(const std::string& path, GUID* guid, DWORD* age)
{
    bool opened = false;
    const std::vector<char> bytes = ReadAll(path, &opened);
    static const char kMagic[] = "Microsoft C/C++ MSF 7.00\r\n\x1a" "DS\0\0";
    struct SuperBlock
    {
        char magic[32];
        DWORD blockSize, freeBlockMap, blockCount, directoryBytes, unknown, directoryMapBlock;
    };
    if (!opened || bytes.size() < sizeof(SuperBlock) || memcmp(bytes.data(), kMagic, sizeof(kMagic) - 1) != 0)
        return false;
    SuperBlock super;
    memcpy(&super, bytes.data(), sizeof(super));
    if (super.blockSize == 0 || super.blockSize % 4 != 0)
        return false;
    auto word = [&bytes](ULONGLONG offset, DWORD* value) {
        if (offset + 4 > bytes.size())
            return false;
        memcpy(value, bytes.data() + offset, 4);
        return true;
    };
    auto block = [&super](DWORD index) { return static_cast<ULONGLONG>(index) * super.blockSize; };
    // The directory's words, read through the block map that names its blocks.
    auto directoryWord = [&](DWORD index, DWORD* value) {
        DWORD directoryBlock = 0;
        const DWORD perBlock = super.blockSize / 4;
        return word(block(super.directoryMapBlock) + 4ull * (index / perBlock), &directoryBlock) &&
               word(block(directoryBlock) + 4ull * (index % perBlock), value);
    };
    DWORD streams = 0, size0 = 0, size1 = 0, firstBlock = 0;
    if (!directoryWord(0, &streams) || streams < 2 || !directoryWord(1, &size0) || !directoryWord(2, &size1) ||
        size1 < 28)
        return false;
    const DWORD blocks0 = size0 == 0xFFFFFFFF ? 0 : (size0 + super.blockSize - 1) / super.blockSize;
    if (!directoryWord(1 + streams + blocks0, &firstBlock))
        return false;
    const ULONGLONG info = block(firstBlock);
    if (info + 28 > bytes.size() || super.blockSize < 28)
        return false;
    memcpy(age, bytes.data() + info + 8, 4);
    memcpy(guid, bytes.data() + info + 12, sizeof(GUID));
    return true;
}
