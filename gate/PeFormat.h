// Names in this file: the structures and constants of the PE format the
// readers of a module use. On Windows they are the SDK's own; elsewhere (the
// readers built natively, for the fuzzing harnesses) they are declared here
// with the same layout, held by the sizes below.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <strings.h>

#include <cstdint>

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint64_t ULONGLONG;
typedef int64_t LONGLONG;
typedef uintptr_t ULONG_PTR;
typedef const char* LPCSTR;

struct GUID
{
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};

#define MAKEINTRESOURCEA(id) (reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(id))))
#define LOWORD(value) (static_cast<WORD>(static_cast<ULONG_PTR>(value) & 0xFFFF))
#define IS_INTRESOURCE(name) ((reinterpret_cast<ULONG_PTR>(name) >> 16) == 0)
#define RT_BITMAP MAKEINTRESOURCEA(2)
#define RT_ICON MAKEINTRESOURCEA(3)
#define RT_DIALOG MAKEINTRESOURCEA(5)
#define RT_GROUP_ICON MAKEINTRESOURCEA(14)
#define RT_VERSION MAKEINTRESOURCEA(16)
#define _stricmp strcasecmp

const WORD IMAGE_DOS_SIGNATURE = 0x5A4D;
const DWORD IMAGE_NT_SIGNATURE = 0x00004550;
const WORD IMAGE_NT_OPTIONAL_HDR32_MAGIC = 0x10B;
const WORD IMAGE_NT_OPTIONAL_HDR64_MAGIC = 0x20B;
const WORD IMAGE_FILE_RELOCS_STRIPPED = 0x0001;
const WORD IMAGE_FILE_EXECUTABLE_IMAGE = 0x0002;
const WORD IMAGE_FILE_DLL = 0x2000;
const WORD IMAGE_FILE_MACHINE_I386 = 0x014C;
const WORD IMAGE_FILE_MACHINE_AMD64 = 0x8664;
const DWORD IMAGE_SCN_CNT_CODE = 0x00000020;
const DWORD IMAGE_SCN_MEM_EXECUTE = 0x20000000;
const DWORD IMAGE_SCN_MEM_READ = 0x40000000;
const DWORD IMAGE_SCN_MEM_WRITE = 0x80000000;
const int IMAGE_SIZEOF_SHORT_NAME = 8;
const int IMAGE_NUMBEROF_DIRECTORY_ENTRIES = 16;
enum
{
    IMAGE_DIRECTORY_ENTRY_EXPORT = 0,
    IMAGE_DIRECTORY_ENTRY_IMPORT = 1,
    IMAGE_DIRECTORY_ENTRY_RESOURCE = 2,
    IMAGE_DIRECTORY_ENTRY_EXCEPTION = 3,
    IMAGE_DIRECTORY_ENTRY_SECURITY = 4,
    IMAGE_DIRECTORY_ENTRY_BASERELOC = 5,
    IMAGE_DIRECTORY_ENTRY_DEBUG = 6,
    IMAGE_DIRECTORY_ENTRY_TLS = 9,
    IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG = 10,
    IMAGE_DIRECTORY_ENTRY_IAT = 12,
    IMAGE_DIRECTORY_ENTRY_COM_DESCRIPTOR = 14,
};
const int IMAGE_REL_BASED_ABSOLUTE = 0;
const int IMAGE_REL_BASED_HIGHLOW = 3;
const int IMAGE_REL_BASED_DIR64 = 10;
const DWORD IMAGE_ORDINAL_FLAG32 = 0x80000000;
const ULONGLONG IMAGE_ORDINAL_FLAG64 = 0x8000000000000000ull;
const DWORD IMAGE_DEBUG_TYPE_CODEVIEW = 2;

struct IMAGE_DOS_HEADER
{
    WORD e_magic, e_cblp, e_cp, e_crlc, e_cparhdr, e_minalloc, e_maxalloc, e_ss, e_sp, e_csum, e_ip, e_cs, e_lfarlc,
        e_ovno;
    WORD e_res[4];
    WORD e_oemid, e_oeminfo;
    WORD e_res2[10];
    LONG e_lfanew;
};

struct IMAGE_FILE_HEADER
{
    WORD Machine;
    WORD NumberOfSections;
    DWORD TimeDateStamp;
    DWORD PointerToSymbolTable;
    DWORD NumberOfSymbols;
    WORD SizeOfOptionalHeader;
    WORD Characteristics;
};

struct IMAGE_DATA_DIRECTORY
{
    DWORD VirtualAddress;
    DWORD Size;
};

struct IMAGE_OPTIONAL_HEADER32
{
    WORD Magic;
    BYTE MajorLinkerVersion, MinorLinkerVersion;
    DWORD SizeOfCode, SizeOfInitializedData, SizeOfUninitializedData, AddressOfEntryPoint, BaseOfCode, BaseOfData,
        ImageBase, SectionAlignment, FileAlignment;
    WORD MajorOperatingSystemVersion, MinorOperatingSystemVersion, MajorImageVersion, MinorImageVersion,
        MajorSubsystemVersion, MinorSubsystemVersion;
    DWORD Win32VersionValue, SizeOfImage, SizeOfHeaders, CheckSum;
    WORD Subsystem, DllCharacteristics;
    DWORD SizeOfStackReserve, SizeOfStackCommit, SizeOfHeapReserve, SizeOfHeapCommit, LoaderFlags, NumberOfRvaAndSizes;
    IMAGE_DATA_DIRECTORY DataDirectory[IMAGE_NUMBEROF_DIRECTORY_ENTRIES];
};

struct IMAGE_OPTIONAL_HEADER64
{
    WORD Magic;
    BYTE MajorLinkerVersion, MinorLinkerVersion;
    DWORD SizeOfCode, SizeOfInitializedData, SizeOfUninitializedData, AddressOfEntryPoint, BaseOfCode;
    ULONGLONG ImageBase;
    DWORD SectionAlignment, FileAlignment;
    WORD MajorOperatingSystemVersion, MinorOperatingSystemVersion, MajorImageVersion, MinorImageVersion,
        MajorSubsystemVersion, MinorSubsystemVersion;
    DWORD Win32VersionValue, SizeOfImage, SizeOfHeaders, CheckSum;
    WORD Subsystem, DllCharacteristics;
    ULONGLONG SizeOfStackReserve, SizeOfStackCommit, SizeOfHeapReserve, SizeOfHeapCommit;
    DWORD LoaderFlags, NumberOfRvaAndSizes;
    IMAGE_DATA_DIRECTORY DataDirectory[IMAGE_NUMBEROF_DIRECTORY_ENTRIES];
};

struct IMAGE_SECTION_HEADER
{
    BYTE Name[IMAGE_SIZEOF_SHORT_NAME];
    union
    {
        DWORD PhysicalAddress;
        DWORD VirtualSize;
    } Misc;
    DWORD VirtualAddress, SizeOfRawData, PointerToRawData, PointerToRelocations, PointerToLinenumbers;
    WORD NumberOfRelocations, NumberOfLinenumbers;
    DWORD Characteristics;
};

struct IMAGE_EXPORT_DIRECTORY
{
    DWORD Characteristics, TimeDateStamp;
    WORD MajorVersion, MinorVersion;
    DWORD Name, Base, NumberOfFunctions, NumberOfNames, AddressOfFunctions, AddressOfNames, AddressOfNameOrdinals;
};

struct IMAGE_IMPORT_DESCRIPTOR
{
    union
    {
        DWORD Characteristics;
        DWORD OriginalFirstThunk;
    };
    DWORD TimeDateStamp, ForwarderChain, Name, FirstThunk;
};

struct IMAGE_BASE_RELOCATION
{
    DWORD VirtualAddress, SizeOfBlock;
};

struct IMAGE_RESOURCE_DIRECTORY
{
    DWORD Characteristics, TimeDateStamp;
    WORD MajorVersion, MinorVersion, NumberOfNamedEntries, NumberOfIdEntries;
};

struct IMAGE_RESOURCE_DIRECTORY_ENTRY
{
    union
    {
        struct
        {
            DWORD NameOffset : 31;
            DWORD NameIsString : 1;
        };
        DWORD Name;
        WORD Id;
    };
    union
    {
        DWORD OffsetToData;
        struct
        {
            DWORD OffsetToDirectory : 31;
            DWORD DataIsDirectory : 1;
        };
    };
};

struct IMAGE_RESOURCE_DATA_ENTRY
{
    DWORD OffsetToData, Size, CodePage, Reserved;
};

struct IMAGE_DEBUG_DIRECTORY
{
    DWORD Characteristics, TimeDateStamp;
    WORD MajorVersion, MinorVersion;
    DWORD Type, SizeOfData, AddressOfRawData, PointerToRawData;
};

struct IMAGE_RUNTIME_FUNCTION_ENTRY
{
    DWORD BeginAddress, EndAddress;
    union
    {
        DWORD UnwindInfoAddress;
        DWORD UnwindData;
    };
};

struct IMAGE_TLS_DIRECTORY32
{
    DWORD StartAddressOfRawData, EndAddressOfRawData, AddressOfIndex, AddressOfCallBacks, SizeOfZeroFill,
        Characteristics;
};

struct IMAGE_TLS_DIRECTORY64
{
    ULONGLONG StartAddressOfRawData, EndAddressOfRawData, AddressOfIndex, AddressOfCallBacks;
    DWORD SizeOfZeroFill, Characteristics;
};

// The sizes the format fixes, which the SDK's declarations have.
static_assert(sizeof(IMAGE_DOS_HEADER) == 64, "IMAGE_DOS_HEADER");
static_assert(sizeof(IMAGE_FILE_HEADER) == 20, "IMAGE_FILE_HEADER");
static_assert(sizeof(IMAGE_OPTIONAL_HEADER32) == 224, "IMAGE_OPTIONAL_HEADER32");
static_assert(sizeof(IMAGE_OPTIONAL_HEADER64) == 240, "IMAGE_OPTIONAL_HEADER64");
static_assert(sizeof(IMAGE_SECTION_HEADER) == 40, "IMAGE_SECTION_HEADER");
static_assert(sizeof(IMAGE_EXPORT_DIRECTORY) == 40, "IMAGE_EXPORT_DIRECTORY");
static_assert(sizeof(IMAGE_IMPORT_DESCRIPTOR) == 20, "IMAGE_IMPORT_DESCRIPTOR");
static_assert(sizeof(IMAGE_RESOURCE_DIRECTORY) == 16, "IMAGE_RESOURCE_DIRECTORY");
static_assert(sizeof(IMAGE_RESOURCE_DIRECTORY_ENTRY) == 8, "IMAGE_RESOURCE_DIRECTORY_ENTRY");
static_assert(sizeof(IMAGE_DEBUG_DIRECTORY) == 28, "IMAGE_DEBUG_DIRECTORY");
static_assert(sizeof(IMAGE_RUNTIME_FUNCTION_ENTRY) == 12, "IMAGE_RUNTIME_FUNCTION_ENTRY");
static_assert(sizeof(IMAGE_TLS_DIRECTORY32) == 24, "IMAGE_TLS_DIRECTORY32");
static_assert(sizeof(IMAGE_TLS_DIRECTORY64) == 40, "IMAGE_TLS_DIRECTORY64");
#endif
