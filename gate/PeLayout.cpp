// CPeFile::CheckLayout: the headers, sections, data directories, relocations,
// the exported names' order and the resource directory held to what the
// loader requires before it maps an image, binds it and lets FindResource
// search it.
#include "PeFile.h"

#include <cstring>

namespace {

bool IsPowerOfTwo(DWORD value)
{
    return value && !(value & (value - 1));
}

ULONGLONG Aligned(ULONGLONG value, DWORD alignment)
{
    return IsPowerOfTwo(alignment) ? (value + alignment - 1) & ~static_cast<ULONGLONG>(alignment - 1) : value;
}

std::string SectionLabel(const IMAGE_SECTION_HEADER& section, size_t index)
{
    const char* name = reinterpret_cast<const char*>(section.Name);
    return "section " + std::to_string(index + 1) + " (" + std::string(name, strnlen(name, 8)) + ")";
}

}  // namespace

void CPeFile::CheckLayout() const
{
    CheckHeaders();
    CheckSections();
    CheckDirectories();
    CheckRelocations();
    CheckThreadStorage();
    CheckEntryPoint();
    CheckExportOrder();
    std::set<DWORD> seen;
    if (Directory(IMAGE_DIRECTORY_ENTRY_RESOURCE).Size)
        CheckResourceOrder(0, 0, &seen);
}

// The loader finds an exported name by binary search, comparing bytes.
void CPeFile::CheckExportOrder() const
{
    std::vector<std::string> names;
    ReadExports(&names);
    for (size_t i = 1; i < names.size(); ++i) {
        if (strcmp(names[i - 1].c_str(), names[i].c_str()) >= 0) {
            Damaged("its exported names are out of order (\"" + names[i] + "\" behind \"" + names[i - 1] +
                    "\"), where the loader's binary search needs them sorted");
            return;
        }
    }
}

void CPeFile::CheckHeaders() const
{
    if (!(m_pFile->Characteristics & IMAGE_FILE_EXECUTABLE_IMAGE))
        Damaged("its characteristics " + HexNumber(m_pFile->Characteristics) +
                " lack IMAGE_FILE_EXECUTABLE_IMAGE (0x2), which the loader requires of any image");
    const DWORD section = IsPe32() ? m_pOptional32->SectionAlignment : m_pOptional64->SectionAlignment;
    const DWORD file = IsPe32() ? m_pOptional32->FileAlignment : m_pOptional64->FileAlignment;
    // Below a page, sections lie in memory as in the file: both alignments are one.
    const bool fileSized = IsPowerOfTwo(file) && file >= 512 && file <= 0x10000 && file <= section;
    if (!IsPowerOfTwo(section) || !(fileSized || (section < 0x1000 && file == section)))
        Damaged("its section alignment " + HexNumber(section) + " and file alignment " + HexNumber(file) +
                ": the loader needs powers of two, the file alignment from 0x200 to 0x10000 and at most the "
                "section alignment, or both alike below a page");
    else if (SizeOfImage() % section)
        Damaged("its image size " + HexNumber(SizeOfImage()) + " is no multiple of its section alignment " +
                HexNumber(section));
    if (!m_pFile->NumberOfSections)
        Damaged("it has no section");
    const DWORD headers = IsPe32() ? m_pOptional32->SizeOfHeaders : m_pOptional64->SizeOfHeaders;
    const size_t table = m_sectionsOffset + m_pFile->NumberOfSections * sizeof(IMAGE_SECTION_HEADER);
    if (headers < table || headers > m_bytes.size())
        Damaged("its headers' size " + HexNumber(headers) + " must hold the section table (to " + HexNumber(table) +
                ") and lie within the file (" + HexNumber(m_bytes.size()) + " bytes)");
}

// Sections follow one another in memory without a gap, from the first page
// behind the headers, and lie in the image; their bytes lie in the file.
void CPeFile::CheckSections() const
{
    const DWORD alignment = IsPe32() ? m_pOptional32->SectionAlignment : m_pOptional64->SectionAlignment;
    const DWORD fileAlignment = IsPe32() ? m_pOptional32->FileAlignment : m_pOptional64->FileAlignment;
    ULONGLONG expected = Aligned(IsPe32() ? m_pOptional32->SizeOfHeaders : m_pOptional64->SizeOfHeaders, alignment);
    const std::vector<IMAGE_SECTION_HEADER> sections = Sections();
    for (size_t i = 0; i < sections.size(); ++i) {
        const auto& section = sections[i];
        const std::string name = SectionLabel(section, i);
        const ULONGLONG extent = section.Misc.VirtualSize ? section.Misc.VirtualSize : section.SizeOfRawData;
        const ULONGLONG end = section.VirtualAddress + Aligned(extent, alignment);
        if (section.VirtualAddress != expected)
            Damaged(name + " lies at " + HexNumber(section.VirtualAddress) +
                    " in memory, where the loader needs it at " + HexNumber(expected) +
                    ", right behind what comes before it");
        if (end > SizeOfImage())
            Damaged(name + " ends at " + HexNumber(end) + " in memory, past the image's size " +
                    HexNumber(SizeOfImage()));
        const ULONGLONG rawEnd = static_cast<ULONGLONG>(section.PointerToRawData) + section.SizeOfRawData;
        if (section.SizeOfRawData && IsPowerOfTwo(fileAlignment) &&
            (section.PointerToRawData % fileAlignment || section.SizeOfRawData % fileAlignment))
            Damaged(name + "'s bytes in the file (" + HexNumber(section.PointerToRawData) + ", " +
                    HexNumber(section.SizeOfRawData) + " of them) are off its file alignment " +
                    HexNumber(fileAlignment));
        if (section.SizeOfRawData && rawEnd > m_bytes.size())
            Damaged(name + "'s bytes run to " + HexNumber(rawEnd) + " in the file, past its end at " +
                    HexNumber(m_bytes.size()));
        // A section's bytes that run into the next one's fill memory with another section's data.
        const IMAGE_SECTION_HEADER* next = i + 1 < sections.size() ? &sections[i + 1] : nullptr;
        if (next && section.SizeOfRawData && next->SizeOfRawData && rawEnd > next->PointerToRawData &&
            section.PointerToRawData < next->PointerToRawData + static_cast<ULONGLONG>(next->SizeOfRawData))
            Damaged(name + "'s bytes run to " + HexNumber(rawEnd) + " in the file, into those of " +
                    SectionLabel(*next, i + 1) + " at " + HexNumber(next->PointerToRawData));
        expected = end;
    }
}

// The tables the loader reads lie whole in one section of the image; the
// entry point lies in code.
void CPeFile::CheckDirectories() const
{
    static const struct
    {
        int nIndex;
        const char* pszName;
    } kTables[] = {
        {IMAGE_DIRECTORY_ENTRY_EXPORT, "export table"},
        {IMAGE_DIRECTORY_ENTRY_IMPORT, "import table"},
        {IMAGE_DIRECTORY_ENTRY_RESOURCE, "resource directory"},
        {IMAGE_DIRECTORY_ENTRY_BASERELOC, "relocation table"},
        {IMAGE_DIRECTORY_ENTRY_TLS, "TLS directory"},
        {IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG, "load configuration"},
        {IMAGE_DIRECTORY_ENTRY_IAT, "import address table"},
        {IMAGE_DIRECTORY_ENTRY_DEBUG, "debug directory"},
    };
    for (const auto& table : kTables) {
        const IMAGE_DATA_DIRECTORY directory = Directory(table.nIndex);
        const auto* section = directory.Size ? SectionOf(directory.VirtualAddress) : nullptr;
        const ULONGLONG end = static_cast<ULONGLONG>(directory.VirtualAddress) + directory.Size;
        if (directory.Size &&
            (!section || end > section->VirtualAddress + static_cast<ULONGLONG>(Extent(*section))))
            Damaged(std::string("its ") + table.pszName + " (" + HexNumber(directory.VirtualAddress) + " to " +
                    HexNumber(end) + ") lies whole in no section of the image");
    }
}

// The loader calls the entry point first: it lies in code and, where x64's
// function table lists where functions begin, at the beginning of one.
void CPeFile::CheckEntryPoint() const
{
    if (!EntryPoint())
        return;
    if (!IsCode(EntryPoint())) {
        Damaged("its entry point " + HexNumber(EntryPoint()) + " lies in no executable section");
        return;
    }
    const IMAGE_DATA_DIRECTORY table = Directory(IMAGE_DIRECTORY_ENTRY_EXCEPTION);
    const size_t count = table.Size / sizeof(IMAGE_RUNTIME_FUNCTION_ENTRY);
    const auto* functions = !IsPe32() && count ? AtRva<IMAGE_RUNTIME_FUNCTION_ENTRY>(table.VirtualAddress, count)
                                               : nullptr;
    bool begins = !functions;
    for (size_t i = 0; functions && i < count && !begins; ++i)
        begins = functions[i].BeginAddress == EntryPoint();
    if (!begins)
        Damaged("its entry point " + HexNumber(EntryPoint()) + " begins no function of its function table");
}

// The TLS directory's addresses lie in the image; its callbacks, which the
// loader calls before the entry point, in code, up to the closing null.
void CPeFile::CheckThreadStorage() const
{
    const IMAGE_DATA_DIRECTORY directory = Directory(IMAGE_DIRECTORY_ENTRY_TLS);
    const DWORD pointer = PointerSize();
    if (!directory.Size || !AtRva<BYTE>(directory.VirtualAddress, 4 * pointer))
        return;  // absent, or its place is a finding already
    const auto inImage = [this](ULONGLONG address) {
        return address >= ImageBase() && address - ImageBase() < SizeOfImage();
    };
    ULONGLONG start = 0, end = 0, index = 0, callbacks = 0;
    PointerAt(directory.VirtualAddress, &start);
    PointerAt(directory.VirtualAddress + pointer, &end);
    PointerAt(directory.VirtualAddress + 2 * pointer, &index);
    PointerAt(directory.VirtualAddress + 3 * pointer, &callbacks);
    if ((start && !inImage(start)) || (end && !inImage(end)) || start > end || (index && !inImage(index)) ||
        (callbacks && !inImage(callbacks))) {
        Damaged("its TLS directory names " + HexNumber(start) + ", " + HexNumber(end) + ", " + HexNumber(index) +
                " and " + HexNumber(callbacks) + ", where the loader needs addresses of the image");
        return;
    }
    const DWORD first = callbacks ? static_cast<DWORD>(callbacks - ImageBase()) : 0;
    for (DWORD i = 0; callbacks && i < 64; ++i) {
        ULONGLONG callback = 0;
        if (!PointerAt(first + i * pointer, &callback) || !callback)
            return;
        if (!inImage(callback) || !IsCode(static_cast<DWORD>(callback - ImageBase()))) {
            Damaged("its TLS callback " + std::to_string(i) + " at " + HexNumber(callback) +
                    " lies in no code of the image");
            return;
        }
    }
}

// Blocks of a page's relocations: the page, the block's size (the header
// and an even count of entries), then entries of a type and an offset.
void CPeFile::CheckRelocations() const
{
    const IMAGE_DATA_DIRECTORY table = Directory(IMAGE_DIRECTORY_ENTRY_BASERELOC);
    const BYTE* bytes = table.Size ? AtRva<BYTE>(table.VirtualAddress, table.Size) : nullptr;
    const WORD full = IsPe32() ? IMAGE_REL_BASED_HIGHLOW : IMAGE_REL_BASED_DIR64;
    const std::string types = IsPe32() ? "0 and 3" : "0 and 10";
    for (DWORD at = 0; bytes && at < table.Size;) {
        IMAGE_BASE_RELOCATION block{};
        memcpy(&block, bytes + at, std::min<size_t>(sizeof(block), table.Size - at));
        if (table.Size - at < sizeof(block) || block.SizeOfBlock < sizeof(block) || block.SizeOfBlock % 2 ||
            block.SizeOfBlock > table.Size - at) {
            Damaged("its relocation block at byte " + HexNumber(at) + " of the table has size " +
                    HexNumber(block.SizeOfBlock) + ", where the loader needs an even size from 8 to the table's " +
                    HexNumber(table.Size - at) + " bytes left: the blocks behind it are lost");
            return;
        }
        if (block.VirtualAddress % 0x1000 || block.VirtualAddress >= SizeOfImage())
            Damaged("its relocation block at byte " + HexNumber(at) + " is for " + HexNumber(block.VirtualAddress) +
                    ", which is no page of the image");
        for (DWORD entry = sizeof(block); entry < block.SizeOfBlock; entry += 2) {
            WORD value = 0;
            memcpy(&value, bytes + at + entry, 2);
            const WORD type = value >> 12;
            if (type != IMAGE_REL_BASED_ABSOLUTE && type != full) {
                Damaged("its relocation block for page " + HexNumber(block.VirtualAddress) +
                        " holds an entry of type " + std::to_string(type) +
                        ", where the loader of this machine knows types " + types + " only");
                break;
            }
            // What a relocation moves is an address in the image (or just past its end).
            ULONGLONG address = 0;
            const DWORD at = block.VirtualAddress + (value & 0xFFF);
            if (type == full && PointerAt(at, &address) &&
                (address < ImageBase() || address - ImageBase() > SizeOfImage())) {
                Damaged("its relocation at " + HexNumber(at) + " moves " + HexNumber(address) +
                        ", where the loader needs an address of the image to move");
                break;
            }
        }
        at += block.SizeOfBlock;
    }
}

std::set<DWORD> CPeFile::Relocated() const
{
    std::set<DWORD> moved;
    const IMAGE_DATA_DIRECTORY table = Directory(IMAGE_DIRECTORY_ENTRY_BASERELOC);
    const BYTE* bytes = table.Size ? AtRva<BYTE>(table.VirtualAddress, table.Size) : nullptr;
    const WORD full = IsPe32() ? IMAGE_REL_BASED_HIGHLOW : IMAGE_REL_BASED_DIR64;
    for (DWORD at = 0; bytes && table.Size - at >= sizeof(IMAGE_BASE_RELOCATION);) {
        IMAGE_BASE_RELOCATION block{};
        memcpy(&block, bytes + at, sizeof(block));
        if (block.SizeOfBlock < sizeof(block) || block.SizeOfBlock > table.Size - at)
            break;  // CheckRelocations says so
        for (DWORD entry = sizeof(block); entry + 2 <= block.SizeOfBlock; entry += 2) {
            WORD value = 0;
            memcpy(&value, bytes + at + entry, 2);
            if (value >> 12 == full)
                moved.insert(block.VirtualAddress + (value & 0xFFF));
        }
        at += block.SizeOfBlock;
    }
    return moved;
}

// FindResource searches each directory by halves: its named entries first,
// by name, then its ID entries, by ID, each part in rising order.
void CPeFile::CheckResourceOrder(DWORD offset, int level, std::set<DWORD>* seen) const
{
    DWORD named = 0, count = 0;
    const Unaligned<IMAGE_RESOURCE_DIRECTORY_ENTRY>* entries =
        seen->insert(offset).second ? ResourceEntries(offset, &named, &count) : nullptr;
    std::wstring previous, name;
    for (DWORD i = 0; entries && i < count; ++i) {
        const auto& entry = entries[i];
        const bool isName = i < named;
        std::string fault;
        if (entry.NameIsString != isName)
            fault = isName ? "an ID among its named entries" : "a name among its ID entries";
        else if (isName && (!ResourceName(entry.NameOffset, &name) || (i && name <= previous)))
            fault = "a name out of order or outside the section";
        else if (!isName && i > named && entry.Id <= entries[i - 1].Id)
            fault = "ID " + std::to_string(entry.Id) + " behind ID " + std::to_string(entries[i - 1].Id);
        if (!fault.empty()) {
            Damaged("its resource directory at " + HexNumber(offset) + " holds " + fault +
                    ", where FindResource's binary search needs names, then IDs, each in rising order");
            return;
        }
        previous = name;
        if (entry.DataIsDirectory && level < 2)
            CheckResourceOrder(entry.OffsetToDirectory, level + 1, seen);
    }
}
