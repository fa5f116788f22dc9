// Classes in this file: CPeFile, a Windows image read as a file (PE32 or
// PE32+), for the checks of a built module and of the libraries it binds to,
// at the strictness of the loader that will load it.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "PeFormat.h"
#include "Text.h"

struct PeImport
{
    std::string strName;  // "#ordinal" for an import by ordinal
    DWORD dwSlotRva;      // its slot in the import address table
};

struct PeLibrary
{
    std::string strName;
    bool bNameTerminated;  // false: no NUL within kMaxName characters
    std::vector<PeImport> imports;
};

// A structure of the file where the file puts it: at any address, as the
// loader of x86 and x64 reads it, so no access assumes its alignment.
template <typename Type>
struct UnalignedOf
{
    typedef Type __attribute__((aligned(1))) type;
};
template <typename Type>
using Unaligned = typename UnalignedOf<Type>::type;

// Limits that no real module or library reaches: a table past one is damaged.
const size_t kMaxName = 4096;              // characters of a name
const size_t kMaxLibraries = 1024;         // import descriptors
const size_t kMaxImports = 65536;          // imported names in all
const DWORD kMaxExports = 65536;           // exported names and functions
const size_t kMaxImageBytes = 256u << 20;  // bytes of a module or library file

class CPeFile
{
public:
    // False, with error, when the file cannot be read or has no PE headers;
    // *readable (when given) tells the two apart: true when its bytes were
    // read, so that what is wrong lies in them. The file comes through the
    // file door (ReaderFiles.cpp); everything else here reads bytes alone.
    bool Read(const std::string& path, std::string* error, bool* readable = nullptr);
    // The same for bytes already read; name names them in the error.
    bool Parse(std::string bytes, const std::string& name, std::string* error);
    // The file's bytes as read.
    const std::string& Bytes() const { return m_bytes; }

    bool IsPe32() const { return m_pOptional32->Magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC; }
    WORD Machine() const { return m_pFile->Machine; }
    bool IsDll() const { return (m_pFile->Characteristics & IMAGE_FILE_DLL) != 0; }
    IMAGE_FILE_HEADER FileHeader() const { return *m_pFile; }
    DWORD PointerSize() const { return IsPe32() ? 4 : 8; }
    ULONGLONG ImageBase() const;
    DWORD SizeOfImage() const;
    DWORD EntryPoint() const;
    WORD DllCharacteristics() const;
    IMAGE_DATA_DIRECTORY Directory(int index) const;
    std::vector<IMAGE_SECTION_HEADER> Sections() const;
    // A section's name; a long one ("/4") as the COFF string table holds it,
    // or as it stands when the table does not.
    std::string SectionName(const IMAGE_SECTION_HEADER& section) const;
    // How far from its address a section holds what an RVA can name: its
    // size in memory or its bytes from the file, whichever reach further
    // (the loader maps the bytes behind the size too).
    static DWORD Extent(const Unaligned<IMAGE_SECTION_HEADER>& section)
    {
        const DWORD virtualSize = section.Misc.VirtualSize, rawSize = section.SizeOfRawData;
        return virtualSize > rawSize ? virtualSize : rawSize;
    }
    // The section that holds rva, or null.
    const Unaligned<IMAGE_SECTION_HEADER>* SectionOf(DWORD rva) const;
    // Whether rva lies in an executable section.
    bool IsCode(DWORD rva) const;

    // Where rva lies in the file; 0 when it lies in no section's bytes.
    size_t FileOffset(DWORD rva) const;
    // The structure at an RVA, or null when it lies outside the file.
    template <typename Type>
    const Unaligned<Type>* AtRva(DWORD rva, size_t count = 1) const
    {
        const size_t offset = FileOffset(rva);
        return offset ? At<Type>(offset, count) : nullptr;
    }
    // The NUL-terminated text at an RVA, read up to kMaxName characters;
    // empty, with *terminated false, when no NUL comes before the limit or
    // the end of the file.
    std::string TextAt(DWORD rva, bool* terminated = nullptr) const;
    // A pointer-sized value stored at rva (4 bytes in a PE32 file, else 8).
    bool PointerAt(DWORD rva, ULONGLONG* value) const;

    // The RVAs the relocation table moves (its full-pointer entries), as far
    // as its blocks can be read.
    std::set<DWORD> Relocated() const;

    // Exported names and their RVAs.
    std::map<std::string, DWORD> Exports() const;
    // Whether an exported RVA is a forwarder: it lies in the export table.
    bool IsForwarder(DWORD rva) const;
    // Imported names by library, as the loader walks the import table.
    std::vector<PeLibrary> Imports() const;
    // The PDB the CodeView debug entry names, with its GUID and age; false
    // without such an entry.
    bool CodeView(std::string* pdb, GUID* guid, DWORD* age) const;
    // The data of a resource in its first language, found by type and name
    // as FindResource finds them (an ID or a name, by binary search); null
    // when there is none. Every directory, entry and data block read must
    // lie in the file and the image.
    const BYTE* Resource(LPCSTR type, LPCSTR name, DWORD* size) const;

    // Reads the headers, the sections, the data directories, the
    // relocations and the resource directory at the loader's strictness;
    // what breaks them goes to Damage().
    void CheckLayout() const;

    // What the reads so far found damaged, one line each.
    const std::vector<std::string>& Damage() const { return m_damage; }

private:
    void Damaged(const std::string& what) const;
    // The entry of a resource directory (at offset in the resource section)
    // that matches key, or its first entry when key is null.
    const Unaligned<IMAGE_RESOURCE_DIRECTORY_ENTRY>* ResourceEntry(DWORD offset, LPCSTR key) const;
    // A resource directory's entries, or null when they lie outside it.
    const Unaligned<IMAGE_RESOURCE_DIRECTORY_ENTRY>* ResourceEntries(DWORD offset, DWORD* named, DWORD* count) const;
    // A resource entry's name (upper case, as FindResource compares), or
    // false when it lies outside the resource section.
    bool ResourceName(DWORD offset, std::wstring* name) const;
    // The exported names and their RVAs; inOrder, when given, gets the names
    // in the order of the table.
    std::map<std::string, DWORD> ReadExports(std::vector<std::string>* inOrder) const;
    void CheckExportOrder() const;
    void CheckAddressTable(const PeLibrary& library, DWORD first, std::map<ULONGLONG, ULONGLONG>* tables) const;
    void CheckHeaders() const;
    void CheckSections() const;
    void CheckDirectories() const;
    void CheckRelocations() const;
    void CheckThreadStorage() const;
    void CheckEntryPoint() const;
    void CheckResourceOrder(DWORD offset, int level, std::set<DWORD>* seen) const;

    template <typename Type>
    const Unaligned<Type>* At(size_t offset, size_t count = 1) const
    {
        if (offset > m_bytes.size() || count > (m_bytes.size() - offset) / sizeof(Type))
            return nullptr;
        return reinterpret_cast<const Unaligned<Type>*>(m_bytes.data() + offset);
    }

    std::string m_bytes;
    mutable std::vector<std::string> m_damage;
    mutable std::set<std::string> m_damageSeen;
    size_t m_sectionsOffset = 0;
    const Unaligned<IMAGE_FILE_HEADER>* m_pFile = nullptr;
    const Unaligned<IMAGE_OPTIONAL_HEADER32>* m_pOptional32 = nullptr;
    const Unaligned<IMAGE_OPTIONAL_HEADER64>* m_pOptional64 = nullptr;
};
