// tavohost check-module as the field engineer's gate: the module as shipped
// passes beside its libraries, and each damaged copy of it that a host or
// the loader would trip over is refused with a finding naming why. Every
// copy is held against the real loader too (tavoprobe, a process each): a
// copy the loader refuses is never fit, not even by the static reading alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "DamagedCopies.h"
#include "ModuleCheck.h"
#include "ModuleProbe.h"
#include "PdbFile.h"
#include "PeFile.h"
#include "Sha256.h"
#include "TempFile.h"

namespace {

// The bytes at offset as a Type (x86 and x64 read and write them unaligned).
template <typename Type>
Type& At(std::string& bytes, size_t offset)
{
    return *reinterpret_cast<Type*>(&bytes.at(offset + sizeof(Type) - 1) - (sizeof(Type) - 1));
}

// Where the headers lie; the fields used here lie alike in PE32 and PE32+.
size_t Optional(std::string& bytes)
{
    return At<LONG>(bytes, offsetof(IMAGE_DOS_HEADER, e_lfanew)) + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER);
}

template <typename Type = DWORD>
Type& Field(std::string& bytes, size_t offset)
{
    return At<Type>(bytes, Optional(bytes) + offset);
}

size_t DirectoryOffset(std::string& bytes, const CPeFile& pe, int index)
{
    return Optional(bytes) + index * sizeof(IMAGE_DATA_DIRECTORY) +
           (pe.IsPe32() ? offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory)
                        : offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory));
}

IMAGE_SECTION_HEADER& Section(std::string& bytes, const CPeFile& pe, size_t index)
{
    return At<IMAGE_SECTION_HEADER>(bytes, Optional(bytes) + pe.FileHeader().SizeOfOptionalHeader +
                                               index * sizeof(IMAGE_SECTION_HEADER));
}

// A pointer-sized slot of the image, written as the module's own address of
// rva (the low bytes first, on x86 and x64 alike).
void PointTo(std::string& bytes, const CPeFile& pe, size_t offset, DWORD rva)
{
    const ULONGLONG address = pe.ImageBase() + rva;
    memcpy(&bytes.at(offset + pe.PointerSize() - 1) - (pe.PointerSize() - 1), &address, pe.PointerSize());
}

size_t TableOffset(const CPeFile& pe, int slot)
{
    return pe.FileOffset(pe.Exports().at("??_7CTestTAVO02@@6B@") + pe.PointerSize() * slot);
}

IMAGE_EXPORT_DIRECTORY& Exported(std::string& bytes, const CPeFile& pe)
{
    return At<IMAGE_EXPORT_DIRECTORY>(bytes, pe.FileOffset(pe.Directory(IMAGE_DIRECTORY_ENTRY_EXPORT).VirtualAddress));
}

// The file offset of the function an exported name points to.
size_t ExportedFunction(std::string& bytes, const CPeFile& pe, const std::string& name)
{
    const auto& directory = Exported(bytes, pe);
    for (DWORD i = 0; i < directory.NumberOfNames; ++i) {
        if (pe.TextAt(At<DWORD>(bytes, pe.FileOffset(directory.AddressOfNames) + 4 * i)) == name)
            return pe.FileOffset(directory.AddressOfFunctions) +
                   4 * At<WORD>(bytes, pe.FileOffset(directory.AddressOfNameOrdinals) + 2 * i);
    }
    ADD_FAILURE() << name << " is not exported";
    return 0;
}

void ReplaceText(std::string& bytes, const std::string& from, const std::string& to)
{
    const size_t at = bytes.find(from);
    ASSERT_NE(std::string::npos, at) << from;
    bytes.replace(at, to.size(), to);
}

// The file offset of the first entry one level below a resource directory
// entry (at entry, or at the root's entry of type when entry is 0).
size_t ResourceChild(std::string& bytes, const CPeFile& pe, size_t entry, WORD type = 0)
{
    const size_t root = pe.FileOffset(pe.Directory(IMAGE_DIRECTORY_ENTRY_RESOURCE).VirtualAddress);
    if (!entry) {
        for (entry = root + sizeof(IMAGE_RESOURCE_DIRECTORY); At<WORD>(bytes, entry) != type; entry += 8) {
        }
    }
    return root + (At<DWORD>(bytes, entry + 4) & 0x7FFFFFFF) + sizeof(IMAGE_RESOURCE_DIRECTORY);
}

// The file offset of a resource's data, found as FindResource finds it.
size_t ResourceAt(const CPeFile& pe, LPCSTR type, WORD id)
{
    DWORD size = 0;
    const BYTE* data = pe.Resource(type, MAKEINTRESOURCEA(id), &size);
    EXPECT_NE(nullptr, data) << "no resource " << id;
    return data ? data - reinterpret_cast<const BYTE*>(pe.Bytes().data()) : 0;
}

// A folder of the test's own holding each copy as TestTAVO02.test with the
// shipped PDB beside it, so that the copy is read as the field reads it.
class CCopyFolder
{
public:
    CCopyFolder()
    {
        char temp[MAX_PATH];
        ::GetTempPathA(sizeof(temp), temp);
        m_strFolder = std::string(temp) + "tavo-copies-" + std::to_string(::GetCurrentProcessId());
        ::CreateDirectoryA(m_strFolder.c_str(), nullptr);
        ::CopyFileA("TestTAVO02.pdb", Pdb().c_str(), FALSE);
    }
    ~CCopyFolder()
    {
        ::DeleteFileA(Beside("SHA256SUMS").c_str());
        ::DeleteFileA(Module().c_str());
        ::DeleteFileA(Pdb().c_str());
        ::RemoveDirectoryA(m_strFolder.c_str());
    }
    CCopyFolder(const CCopyFolder&) = delete;
    CCopyFolder& operator=(const CCopyFolder&) = delete;
    std::string Module() const { return m_strFolder + "\\TestTAVO02.test"; }
    std::string Beside(const char* name) const { return m_strFolder + "\\" + name; }
    // Writes bytes beside the copy under name.
    void Put(const char* name, const std::string& bytes) const
    {
        FILE* file = fopen(Beside(name).c_str(), "wb");
        ASSERT_NE(nullptr, file) << Beside(name);
        fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
    }

    // check-module's findings on a copy of bytes, one a line ending with its
    // rule, but the one about the module's bitness; or the reason it could
    // not be read at all. With load, this PC's loader has its say too.
    std::string Answer(const std::string& bytes, bool load = true)
    {
        Put("TestTAVO02.test", bytes);
        m_nLoaderTakes = -1;
        std::vector<ModuleCheckLine> lines;
        std::string error;
        if (!CheckModuleFile(Module(), ".", &lines, &error, nullptr, load))
            return error;
        std::string text;
        for (const ModuleCheckLine& line : lines) {
            if (line.pszRule && strcmp(line.pszRule, "TM170") == 0)
                m_nLoaderTakes = line.bOk;
            if (!line.bOk && !line.bBitness)
                text += line.strText + " [" + line.pszRule + "]\n";
        }
        return text;
    }

    // Whether the loader takes the copy last answered: the probe's first
    // step, in the check's answer or run on its own where the check did not
    // load the copy, with the libraries of the test's folder (the current one).
    bool LoaderTakes()
    {
        if (m_nLoaderTakes >= 0)
            return m_nLoaderTakes == 1;
        std::vector<ModuleCheckLine> lines;
        EXPECT_TRUE(ProbeModule(Module(), ".", sizeof(void*) == 4, 0, &lines)) << "the probe cannot be started";
        return std::any_of(lines.begin(), lines.end(), [](const ModuleCheckLine& line) {
            return line.bOk && line.pszRule && strcmp(line.pszRule, "TM170") == 0;
        });
    }

private:
    std::string Pdb() const { return m_strFolder + "\\TestTAVO02.pdb"; }

    std::string m_strFolder;
    int m_nLoaderTakes = -1;  // the last answer's load: 1 taken, 0 refused, -1 not tried
};

typedef std::function<void(std::string& bytes, const CPeFile& pe)> Patch;

std::string ShippedModule(CPeFile* pe, const char* path = "TestTAVO02.test")
{
    std::string error;
    EXPECT_TRUE(pe->Read(path, &error)) << error;
    return FileBytes(path);
}

TEST(ModuleCheckTest, RefusesEachDamagedCopyWithItsFinding)
{
    CPeFile pe;
    const std::string original = ShippedModule(&pe);
    CCopyFolder folder;
    const auto pick = [&pe](const char* pe32, const char* pe64) { return std::string(pe.IsPe32() ? pe32 : pe64); };
    const auto truncated = [](size_t length) {
        return [length](std::string& bytes, const CPeFile&) { bytes.resize(length); };
    };
    // Patches of one structure: a field of the optional header (alike in PE32
    // and PE32+), a data directory, the first import descriptor, the first
    // relocation entry.
    const auto optional = [](size_t offset, std::function<void(DWORD&)> change) -> Patch {
        return [=](std::string& bytes, const CPeFile&) { change(Field(bytes, offset)); };
    };
    const auto directory = [](int index, std::function<void(IMAGE_DATA_DIRECTORY&)> change) -> Patch {
        return [=](std::string& bytes, const CPeFile& pe) {
            change(At<IMAGE_DATA_DIRECTORY>(bytes, DirectoryOffset(bytes, pe, index)));
        };
    };
    const auto outside = [&directory](int index) {
        return directory(index, [](IMAGE_DATA_DIRECTORY& table) { table.VirtualAddress = 0x7FFFFF00; });
    };
    const auto firstImport = [](std::function<void(IMAGE_IMPORT_DESCRIPTOR&)> change) -> Patch {
        return [=](std::string& bytes, const CPeFile& pe) {
            const size_t first = pe.FileOffset(pe.Directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress);
            change(At<IMAGE_IMPORT_DESCRIPTOR>(bytes, first));
        };
    };
    const size_t relocations = pe.FileOffset(pe.Directory(IMAGE_DIRECTORY_ENTRY_BASERELOC).VirtualAddress);
    const auto firstRelocation = [relocations](std::function<void(WORD&)> change) -> Patch {
        return [=](std::string& bytes, const CPeFile&) { change(At<WORD>(bytes, relocations + 8)); };
    };
    // The relocation entry that moves rva, made one that moves nothing.
    const auto unrelocated = [relocations](int slot) -> Patch {
        return [=](std::string& bytes, const CPeFile& pe) {
            const DWORD rva = pe.Exports().at("??_7CTestTAVO02@@6B@") + pe.PointerSize() * slot;
            const DWORD size = pe.Directory(IMAGE_DIRECTORY_ENTRY_BASERELOC).Size;
            for (size_t block = relocations; block + 8 <= relocations + size; block += At<DWORD>(bytes, block + 4)) {
                for (size_t entry = block + 8; entry < block + At<DWORD>(bytes, block + 4); entry += 2) {
                    if (At<DWORD>(bytes, block) + (At<WORD>(bytes, entry) & 0xFFF) == rva)
                        At<WORD>(bytes, entry) &= 0x0FFF;
                }
            }
        };
    };
    const auto set = [](WORD flag) -> Patch {
        return [flag](std::string& bytes, const CPeFile&) {
            Field<WORD>(bytes, offsetof(IMAGE_OPTIONAL_HEADER32, DllCharacteristics)) |= flag;
        };
    };
    const auto cleared = [](WORD flag) -> Patch {
        return [flag](std::string& bytes, const CPeFile&) {
            Field<WORD>(bytes, offsetof(IMAGE_OPTIONAL_HEADER32, DllCharacteristics)) &= ~flag;
        };
    };
    const auto library = [](const char* name) {
        return [name](std::string& bytes, const CPeFile&) {
            ReplaceText(bytes, "KERNEL32.dll", std::string(name, strlen(name) + 1));
        };
    };
    const auto plainExport = [](DWORD rva) {
        return [rva](std::string& bytes, const CPeFile& pe) {
            At<DWORD>(bytes, ExportedFunction(bytes, pe, "_GetTestInstance")) =
                rva != 1 ? rva : pe.Directory(IMAGE_DIRECTORY_ENTRY_EXPORT).VirtualAddress + 4;  // a forwarder
        };
    };
    // The C runtime's own start-up, to which the module's entry routine hands over.
    CPdbFile pdb;
    std::string pdbError;
    EXPECT_TRUE(pdb.Read("TestTAVO02.pdb", &pdbError)) << pdbError;
    DWORD startup = 0;
    for (const auto& symbol : pdb.Publics()) {
        if (symbol.first == (pe.IsPe32() ? "_DllMainCRTStartup@12" : "DllMainCRTStartup"))
            startup = pe.Sections().at(symbol.second.first - 1).VirtualAddress + symbol.second.second;
    }
    std::string scratch = original;
    const size_t nt = Optional(scratch) - sizeof(IMAGE_FILE_HEADER) - sizeof(DWORD);
    const size_t sections = Optional(scratch) + pe.FileHeader().SizeOfOptionalHeader;
    const IMAGE_SECTION_HEADER code = pe.Sections().at(0);  // overwritten where a case needs room
    const size_t text = code.PointerToRawData;
    const size_t padding = original.find("\xCC\xCC\xCC\xCC", text);
    const size_t last = pe.FileHeader().NumberOfSections - 1;
    const struct
    {
        const char* pszWhat;
        Patch patch;
        std::string strFinding;  // the findings' texts, each ending a line; empty: no finding at all
        const char* pszRules = nullptr;  // when given, the rules of every finding, in order
    } cases[] = {
        {"as shipped", [](std::string&, const CPeFile&) {}, ""},
        // The table the host calls through.
        {"two slots swapped",
         [](std::string& bytes, const CPeFile& pe) {
             std::swap_ranges(&bytes[TableOffset(pe, 2)], &bytes[TableOffset(pe, 3)], &bytes[TableOffset(pe, 3)]);
         },
         "its virtual table is not the published one: slot 2 (GetModuleName) holds ?IsSupportedTest@CTestTAVO02@@" +
             pick("UAEHPBD@Z, where it needs ?GetModuleName@CTestTAVO02@@UAEPBDXZ",
                  "UEAAHPEBD@Z, where it needs ?GetModuleName@CTestTAVO02@@UEAAPEBDXZ")},
        {"the last slot holds the one before it",
         [](std::string& bytes, const CPeFile& pe) {
             bytes.replace(TableOffset(pe, 41), pe.PointerSize(), bytes, TableOffset(pe, 40), pe.PointerSize());
         },
         "slot 41 (MeasureTest) holds ?ShowConfigure@CTAVOTester@@"},
        {"slot 0 at the entry point",
         [](std::string& bytes, const CPeFile& pe) { PointTo(bytes, pe, TableOffset(pe, 0), pe.EntryPoint()); },
         "slot 0 (scalar deleting destructor) holds "},
        {"slot 0 at padding",
         [&code, text, padding](std::string& bytes, const CPeFile& pe) {
             PointTo(bytes, pe, TableOffset(pe, 0), static_cast<DWORD>(code.VirtualAddress + padding - text));
         },
         "slot 0 (scalar deleting destructor) holds padding"},
        {"the RTTI locator cleared",
         [](std::string& bytes, const CPeFile& pe) { memset(&bytes[TableOffset(pe, -1)], 0, pe.PointerSize()); },
         "no RTTI: the word before its virtual table names no object locator"},
        // Imports the loader cannot bind.
        {"an import no library exports",
         [&pick](std::string& bytes, const CPeFile&) {
             ReplaceText(bytes, pick("?ExitConfig@CTAVOTester@@QAEHXZ", "?ExitConfig@CTAVOTester@@QEAAHXZ"),
                         pick("?ExitConfig@CTAVOTester@@QBEHXZ", "?ExitConfig@CTAVOTester@@QEBAHXZ"));
         },
         "imports from TAVOTester.dll what"},
        {"a system import renamed",
         [](std::string& bytes, const CPeFile&) { ReplaceText(bytes, "GetLastError", "GetLastErrox"); },
         "does not export: GetLastErrox"},
        {"a library named drivers", library("drivers"), "drivers cannot be bound: "},
        {"a library named .", library("."), ". cannot be bound: "},
        {"a library named CON", library("CON"), "names a device, which is no library: CON"},
        {"a library named NUL.dll", library("NUL.dll"), "names a device, which is no library: NUL.dll"},
        {"a library named COM1", library("COM1"), "names a device, which is no library: COM1"},
        {"an import descriptor without its address table",
         firstImport([](IMAGE_IMPORT_DESCRIPTOR& d) { d.FirstThunk = 0; }),
         "its import table ends at descriptor 0, which has no import address table (FirstThunk 0)"},
        {"an address table off its boundary", firstImport([](IMAGE_IMPORT_DESCRIPTOR& d) { d.FirstThunk += 2; }),
         "is off a 4-byte boundary, where the loader writes a pointer into each slot"},
        {"an empty library name",
         [](std::string& bytes, const CPeFile&) { ReplaceText(bytes, "TAVOTester.dll", std::string(1, '\0')); },
         "an import library's name is empty: its"},
        {"a library name with a path",
         [](std::string& bytes, const CPeFile&) {
             ReplaceText(bytes, "TAVOTester.dll", std::string("..\\x.dll\0", 9));
         },
         "an import library's name holds a path: ..\\x.dll"},
        {"1,100 import descriptors naming the file itself, in 8.5 MB",
         [text, &code](std::string& bytes, const CPeFile& pe) {
             const size_t first = pe.FileOffset(pe.Directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress);
             IMAGE_IMPORT_DESCRIPTOR itself = At<IMAGE_IMPORT_DESCRIPTOR>(bytes, first);
             itself.Name = Exported(bytes, pe).Name;
             for (size_t i = 0; i < 1100; ++i)
                 At<IMAGE_IMPORT_DESCRIPTOR>(bytes, text + 20 * i) = itself;
             At<DWORD>(bytes, DirectoryOffset(bytes, pe, IMAGE_DIRECTORY_ENTRY_IMPORT)) = code.VirtualAddress;
             bytes.resize(8704 * 1024);
         },
         "imports from TestTAVO02.test what\nthe file is damaged: its import table lists more than 1024 libraries\n"},
        // Exports the host cannot find.
        {"_GetTestInstance at 0", plainExport(0), "_GetTestInstance lies at 0x0, no code of the image"},
        {"_GetTestInstance a forwarder", plainExport(1), "_GetTestInstance is a forwarder"},
        {"_GetTestInstance outside the image", plainExport(0x7FFFFF00),
         "_GetTestInstance lies at 0x7FFFFF00, no code of the image"},
        {"_GetTestInstance in the headers", plainExport(0x10),
         "_GetTestInstance lies at 0x10, no code of the image\nthe step crashed: exception 0xC0000005", "TM110 TM175"},
        {"exported names out of order",
         [](std::string& bytes, const CPeFile& pe) {
             const size_t names = pe.FileOffset(Exported(bytes, pe).AddressOfNames);
             std::swap(At<DWORD>(bytes, names), At<DWORD>(bytes, names + 4 * (Exported(bytes, pe).NumberOfNames - 1)));
         },
         "its exported names are out of order"},
        {"exported names in order but for case, which the loader's search does not ignore",
         [](std::string& bytes, const CPeFile&) {
             ReplaceText(bytes, "?ConfigureThermometer@", "?configureThermometer@");
         },
         "its exported names are out of order"},
        {"a section under a long name no string table gives",
         [](std::string& bytes, const CPeFile& pe) { memcpy(Section(bytes, pe, 0).Name, "/4\0\0\0\0\0\0", 8); },
         "not stripped: DWARF sections /4"},
        {"an export table of 2^31 names",
         [](std::string& bytes, const CPeFile& pe) { Exported(bytes, pe).NumberOfNames = 0x80000000; },
         "the file is damaged: its export table counts more than 65536 names or functions"},
        {"an exported name without its end",
         [text, &code](std::string& bytes, const CPeFile& pe) {
             bytes.replace(text, 5000, 5000, 'A');
             At<DWORD>(bytes, pe.FileOffset(Exported(bytes, pe).AddressOfNames)) = code.VirtualAddress;
         },
         "the file is damaged: an exported name is not terminated within 4096 characters"},
        // Headers and sections the loader refuses; a file cut on its way.
        {"cut in the DOS header", truncated(40), "is not a Windows executable (no MZ header)"},
        {"cut in the file header", truncated(nt + 10), "is not a PE file (no PE signature)"},
        {"cut in the optional header", truncated(nt + 100), "has broken PE headers"},
        {"cut in the section table", truncated(sections + 20), "has broken PE headers"},
        {"cut in half", truncated(original.size() / 2), "'s bytes run to "},
        {"its last 3 KB missing", truncated(original.size() - 3072), "'s bytes run to " + HexNumber(original.size())},
        {"a section's bytes far past the end",
         [last](std::string& bytes, const CPeFile& pe) { Section(bytes, pe, last).PointerToRawData = 0x10000000; },
         "'s bytes run to 0x1"},
        {"the entry point inside a function",
         optional(offsetof(IMAGE_OPTIONAL_HEADER32, AddressOfEntryPoint), [](DWORD& at) { at += 16; }),
         "begins no function"},
        {"the TLS directory three bytes on",
         directory(IMAGE_DIRECTORY_ENTRY_TLS, [](IMAGE_DATA_DIRECTORY& tls) { tls.VirtualAddress += 3; }),
         "its TLS directory names "},
        {"marked a program, not a DLL",
         [nt](std::string& bytes, const CPeFile&) {
             At<WORD>(bytes, nt + 4 + offsetof(IMAGE_FILE_HEADER, Characteristics)) &= ~IMAGE_FILE_DLL;
         },
         pick("a PE32 program, where the production host", "a PE32+ program, where the host loads a DLL"),
         pe.IsPe32() ? "TM102" : "TM102 TM102"},
        {"for another machine",
         [nt](std::string& bytes, const CPeFile&) { At<WORD>(bytes, nt + 4) = 0x01C4; },  // ARM Thumb-2
         "a file for machine 0x1C4, where the production host", "TM102"},
        {"not an executable image",
         [nt](std::string& bytes, const CPeFile&) {
             At<WORD>(bytes, nt + 4 + offsetof(IMAGE_FILE_HEADER, Characteristics)) &= ~IMAGE_FILE_EXECUTABLE_IMAGE;
         },
         "lack IMAGE_FILE_EXECUTABLE_IMAGE (0x2), which the loader requires of any image"},
        {"an image too small for its last section",
         optional(offsetof(IMAGE_OPTIONAL_HEADER32, SizeOfImage), [](DWORD& size) { size -= 0x1000; }),
         "past the image's size"},
        {"a section of 0xFFFFFFFF bytes",
         [](std::string& bytes, const CPeFile& pe) { Section(bytes, pe, 0).Misc.VirtualSize = 0xFFFFFFFF; },
         "past the image's size"},
        {"alignments of 0",
         [](std::string& bytes, const CPeFile&) {
             Field(bytes, offsetof(IMAGE_OPTIONAL_HEADER32, SectionAlignment)) = 0;
             Field(bytes, offsetof(IMAGE_OPTIONAL_HEADER32, FileAlignment)) = 0;
         },
         "its section alignment 0x0 and file alignment 0x0: the loader needs powers of two"},
        // The tables' places.
        {"exports outside the file", outside(IMAGE_DIRECTORY_ENTRY_EXPORT),
         "the file is damaged: its export table lies outside the file"},
        {"imports outside the file", outside(IMAGE_DIRECTORY_ENTRY_IMPORT),
         "the file is damaged: its import table runs off the file"},
        {"resources outside the file", outside(IMAGE_DIRECTORY_ENTRY_RESOURCE),
         "the file is damaged: a resource directory lies outside the resource section or the file"},
        {"debug entries outside the file", outside(IMAGE_DIRECTORY_ENTRY_DEBUG), "its debug directory (0x7FFFFF00 to "},
        // Relocations, resources and the release conventions.
        {"a relocation of type 5", firstRelocation([](WORD& entry) { entry = (entry & 0x0FFF) | 0x5000; }),
         "holds an entry of type 5, where the loader of this machine knows types "},
        {"a relocation a byte off", firstRelocation([](WORD& entry) { entry += 1; }),
         "where the loader needs an address of the image to move"},
        {"relocation blocks zeroed, their size kept",
         [relocations](std::string& bytes, const CPeFile& pe) {
             memset(&bytes[relocations], 0, pe.Directory(IMAGE_DIRECTORY_ENTRY_BASERELOC).Size);
         },
         "its relocation block at byte 0x0 of the table has size 0x0"},
        {"no relocations", directory(IMAGE_DIRECTORY_ENTRY_BASERELOC, [](IMAGE_DATA_DIRECTORY& t) { t.Size = 0; }),
         "ASLR: dynamic base without relocations"},
        {"no dynamic base", cleared(IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE), "ASLR: no dynamic base"},
        {"NO_SEH cleared without a SafeSEH table", cleared(IMAGE_DLLCHARACTERISTICS_NO_SEH),
         pick("SEH: neither a SafeSEH table nor the NO_SEH mark", ""), pe.IsPe32() ? "TM142" : ""},
        {"code made writable",
         [](std::string& bytes, const CPeFile& pe) { Section(bytes, pe, 0).Characteristics |= IMAGE_SCN_MEM_WRITE; },
         "sections both writable and executable: .text", "TM143"},
        {"a member exported under another name",
         [](std::string& bytes, const CPeFile&) {
             ReplaceText(bytes, "?GetModuleName@CTestTAVO02@@", "?GetModuleNamf@CTestTAVO02@@");
         },
         "does not export ?GetModuleName@CTestTAVO02@@", "TM111 TM112 TM130"},
        {"NX cleared", cleared(IMAGE_DLLCHARACTERISTICS_NX_COMPAT),
         "NX: not marked compatible with data execution prevention, where it needs the NX_COMPAT mark"},
        {"dialog templates out of order",
         [](std::string& bytes, const CPeFile& pe) {
             const size_t dialogs = ResourceChild(bytes, pe, 0, 5);
             std::swap(At<ULONGLONG>(bytes, dialogs), At<ULONGLONG>(bytes, dialogs + 8));
         },
         "holds ID 2020 behind ID 2021, where FindResource's binary search needs names, then IDs, each in rising "
         "order\ndoes not hold the dialog templates 2020, 2021 and 2022 as FindResource looks for it, where it needs "
         "the dialog templates 2020, 2021 and 2022\n"},
        // What Windows does otherwise than a loader this check can ask.
        {"marked RELOCS_STRIPPED",
         [](std::string& bytes, const CPeFile&) {
             At<WORD>(bytes, Optional(bytes) - sizeof(IMAGE_FILE_HEADER) +
                                 offsetof(IMAGE_FILE_HEADER, Characteristics)) |= IMAGE_FILE_RELOCS_STRIPPED;
         },
         "ASLR: marked RELOCS_STRIPPED, which the loader never relocates\nthe loader refuses it: ", "TM140 TM170"},
        {"a slot's relocation moving nothing", unrelocated(5),
         "ASLR: no relocation for slot 5 (GetSupportedTest)\nslot 5 (GetSupportedTest) holds 0x", "TM140 TM176"},
        {"the locator's relocation moving nothing", unrelocated(-1), "ASLR: no relocation for the locator before"},
        {"a CLR header",
         directory(IMAGE_DIRECTORY_ENTRY_COM_DESCRIPTOR,
                   [](IMAGE_DATA_DIRECTORY& clr) {
                       clr = {0x1000, 0x48};
                   }),
         "a CLR header, so the loader hands the image to the .NET runtime"},
        {"FORCE_INTEGRITY without a signature", set(IMAGE_DLLCHARACTERISTICS_FORCE_INTEGRITY),
         "FORCE_INTEGRITY without a signature, which Windows refuses"},
        {"a thread-storage zero fill of 2 GB",
         [](std::string& bytes, const CPeFile& pe) {
             const size_t tls = pe.FileOffset(pe.Directory(IMAGE_DIRECTORY_ENTRY_TLS).VirtualAddress);
             At<DWORD>(bytes, tls + (pe.IsPe32() ? offsetof(IMAGE_TLS_DIRECTORY32, SizeOfZeroFill)
                                                 : offsetof(IMAGE_TLS_DIRECTORY64, SizeOfZeroFill))) = 0x80000000;
         },
         "its thread storage asks for 0x80000000 bytes of zero fill"},
        {"the stack cookie placed in code",
         [](std::string& bytes, const CPeFile& pe) {
             // A load configuration in the slack behind the first data section's bytes.
             for (size_t i = 0; i < pe.Sections().size(); ++i) {
                 IMAGE_SECTION_HEADER& section = Section(bytes, pe, i);
                 if ((section.Characteristics & IMAGE_SCN_MEM_EXECUTE) ||
                     section.SizeOfRawData < section.Misc.VirtualSize + 0x100)
                     continue;
                 const DWORD rva = (section.VirtualAddress + section.Misc.VirtualSize + 15) & ~15u;
                 const size_t at = pe.FileOffset(rva);
                 const size_t cookie = pe.IsPe32() ? offsetof(IMAGE_LOAD_CONFIG_DIRECTORY32, SecurityCookie)
                                                   : offsetof(IMAGE_LOAD_CONFIG_DIRECTORY64, SecurityCookie);
                 At<DWORD>(bytes, at) = static_cast<DWORD>(cookie + pe.PointerSize());
                 const ULONGLONG address = pe.ImageBase() + pe.EntryPoint();
                 memcpy(&bytes.at(at + cookie), &address, pe.PointerSize());
                 At<IMAGE_DATA_DIRECTORY>(bytes, DirectoryOffset(bytes, pe, IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG)) = {
                     rva, static_cast<DWORD>(cookie + pe.PointerSize())};
                 return;
             }
             ADD_FAILURE() << "no data section with slack for a load configuration";
         },
         "its load configuration places the stack cookie at 0x"},
        // Resources that are there but that the system cannot use.
        {"a dialog template counting one control more than it holds",
         [](std::string& bytes, const CPeFile& pe) { ++At<WORD>(bytes, ResourceAt(pe, RT_DIALOG, 2020) + 16); },
         "its dialog template 2020 ends before its last control does", "TM162 TM171"},
        {"a dialog template naming a class nobody registers",
         [](std::string& bytes, const CPeFile& pe) {
             const std::string button("B\0U\0T\0T\0O\0N\0", 12);
             bytes.replace(bytes.find(button, ResourceAt(pe, RT_DIALOG, 2021)), 2, std::string("X\0", 2));
         },
         "its dialog template 2021 names the class 'XUTTON', which no library the module loads registers",
         "TM162 TM171"},
        {"bitmap 2023 twice as high as its data",
         [](std::string& bytes, const CPeFile& pe) {
             At<LONG>(bytes, ResourceAt(pe, RT_BITMAP, 2023) + offsetof(BITMAPINFOHEADER, biHeight)) *= 2;
         },
         "its bitmap 2023 needs "},
        {"bitmap 2023 with no plane",
         [](std::string& bytes, const CPeFile& pe) {
             At<WORD>(bytes, ResourceAt(pe, RT_BITMAP, 2023) + offsetof(BITMAPINFOHEADER, biPlanes)) = 0;
         },
         "its bitmap 2023 has a header no uncompressed bitmap has"},
        {"the icon naming an icon not there",
         [](std::string& bytes, const CPeFile& pe) {
             DWORD size = 0;
             const auto* group = reinterpret_cast<const char*>(pe.Resource(RT_GROUP_ICON, "MAINICON", &size));
             At<WORD>(bytes, group - pe.Bytes().data() + 6 + 12) = 999;
         },
         "its icon MAINICON names icon 999, which the file does not hold", "TM162 TM172"},
        {"a Translation leading to no strings",
         [](std::string& bytes, const CPeFile&) { ReplaceText(bytes, "\x05\x04\xE2\x04", "\x09\x04\xE2\x04"); },
         "its version block names no file in the table its Translation names (040904E2)", "TM161 TM173"},
        {"two dialog templates of one ID",
         [](std::string& bytes, const CPeFile& pe) {
             const size_t dialogs = ResourceChild(bytes, pe, 0, 5);
             At<WORD>(bytes, dialogs + 8) = At<WORD>(bytes, dialogs);
         },
         "holds ID 2020 behind ID 2020, where FindResource's binary search needs names, then IDs, each in rising "
         "order"},
        {"a resource's data outside the image",
         [](std::string& bytes, const CPeFile& pe) {
             const size_t language = ResourceChild(bytes, pe, ResourceChild(bytes, pe, 0, 16));
             const size_t root = pe.FileOffset(pe.Directory(IMAGE_DIRECTORY_ENTRY_RESOURCE).VirtualAddress);
             At<DWORD>(bytes, root + At<DWORD>(bytes, language + 4)) = 0xFFFFF000;
         },
         "the file is damaged: a resource's data lies outside the image or the file"},
        {"a loop in the resource directory",
         [](std::string& bytes, const CPeFile& pe) {
             At<DWORD>(bytes, ResourceChild(bytes, pe, 0, 16) + 4) = 0x80000000;  // the name leads back to the root
         },
         "the file is damaged: its resource directory is deeper than three levels"},
        {"the version block naming another file",
         [](std::string& bytes, const CPeFile&) {
             const auto wide = [](const wchar_t* text) {
                 return std::string(reinterpret_cast<const char*>(text), 2 * wcslen(text));
             };
             ReplaceText(bytes, wide(L"TestTAVO02.test"), wide(L"TestTAVO03.test"));
         },
         "its version block names the file TestTAVO03.test, version 1.0.0.0, where it needs the file name "
         "TestTAVO02.test"},
        // What only this PC's loader, C runtime and dialog manager tell.
        {"_GetTestInstance at _GetTestInstanceID's code",
         [&plainExport](std::string& bytes, const CPeFile& pe) {
             plainExport(pe.Exports().at("_GetTestInstanceID"))(bytes, pe);
         },
         ", where the host needs the one object, in the module's image", "TM175"},
        {"a supported test renamed",
         [](std::string& bytes, const CPeFile&) { ReplaceText(bytes, std::string("TAV-02\0", 7), "TAV-03"); },
         "GetSupportedTest(2) answers \"TAV-03\", where it needs \"TAV-02\"", "TM177"},
        {"the object locator's offset 8 where the object begins at the table",
         [](std::string& bytes, const CPeFile& pe) {
             ULONGLONG locator = 0;
             pe.PointerAt(pe.Exports().at("??_7CTestTAVO02@@6B@") - pe.PointerSize(), &locator);
             At<DWORD>(bytes, pe.FileOffset(static_cast<DWORD>(locator - pe.ImageBase())) + 4) = 8;
         },
         "dynamic_cast<CTAVOTester*> of the CTest answers ", "TM178"},
        {"dialog 2021 marked a child window",
         [](std::string& bytes, const CPeFile& pe) {
             const size_t dialog = ResourceAt(pe, RT_DIALOG, 2021);
             const bool extended = At<WORD>(bytes, dialog + 2) == 0xFFFF;
             At<DWORD>(bytes, dialog + (extended ? 12 : 0)) |= WS_CHILD;
         },
         "dialog 2021: the dialog manager cannot make it", "TM171"},
        {"the icon's image bytes cleared",
         [](std::string& bytes, const CPeFile& pe) {
             DWORD size = 0;
             const auto* group = reinterpret_cast<const BYTE*>(pe.Resource(RT_GROUP_ICON, "MAINICON", &size));
             for (WORD i = 0; i < reinterpret_cast<const WORD*>(group)[2]; ++i) {
                 const WORD id = *reinterpret_cast<const WORD*>(group + 6 + 14 * i + 12);
                 const size_t icon = ResourceAt(pe, RT_ICON, id);
                 DWORD iconSize = 0;
                 pe.Resource(RT_ICON, MAKEINTRESOURCEA(id), &iconSize);
                 memset(&bytes[icon], 0, iconSize);
             }
         },
         "LoadImage cannot load its icon MAINICON", "TM172"},
        {"the entry point at the C runtime's start-up, which never seeds the stack cookie",
         [&startup](std::string& bytes, const CPeFile&) {
             Field(bytes, offsetof(IMAGE_OPTIONAL_HEADER32, AddressOfEntryPoint)) = startup;
         },
         "the module's start-up never seeded it", "TM174"},
        {"a PDB named COM1",
         [](std::string& bytes, const CPeFile&) { ReplaceText(bytes, "TestTAVO02.pdb", std::string("COM1\0", 5)); },
         "its CodeView entry names COM1 as its PDB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        std::string bytes = original;
        c.patch(bytes, pe);
        const std::string findings = folder.Answer(bytes);
        const bool loads = folder.LoaderTakes();
        const std::string statics = folder.Answer(bytes, false);
        if (c.strFinding.empty()) {
            EXPECT_EQ("", findings);
            EXPECT_TRUE(loads) << "the loader refuses the module as shipped";
        }
        if (c.pszRules) {
            std::string rules;
            for (size_t at = findings.find(" [TM"); at != std::string::npos; at = findings.find(" [TM", at + 1))
                rules += (rules.empty() ? "" : " ") + findings.substr(at + 2, 5);
            EXPECT_EQ(c.pszRules, rules) << "findings:\n" << findings;
        }
        for (size_t at = 0, end; at < c.strFinding.size(); at = end + 1) {
            end = std::min(c.strFinding.find('\n', at), c.strFinding.size());
            EXPECT_NE(std::string::npos, findings.find(c.strFinding.substr(at, end - at))) << "findings:\n" << findings;
        }
        EXPECT_TRUE(loads || !statics.empty()) << "the loader refuses a copy the static reading calls fit";
    }
}

// Beside the package's SHA256SUMS, the module's bytes must be the ones it
// lists for it (as sha256sum and certutil write the line, the name compared as
// Windows compares names); a flipped bit anywhere is then not fit.
TEST(ModuleCheckTest, BytesAreHeldAgainstThePackagesChecksums)
{
    CPeFile pe;
    const std::string original = ShippedModule(&pe);
    CCopyFolder folder;
    std::string flipped = original;
    flipped[flipped.size() / 2] ^= 0x10;
    const std::string sum = Sha256(original);
    const struct
    {
        const char* pszWhat;
        std::string sums, bytes;
        const char* pszFinding;
    } cases[] = {
        {"its line", "0000  lang/cs.xml\r\n" + sum + "  TestTAVO02.test\r\n", original, ""},
        {"a binary-mode line, another case", sum + " *testtavo02.TEST\n", original, ""},
        {"a bit flipped", sum + "  TestTAVO02.test\n", flipped, "that SHA256SUMS beside it lists: it is not the file"},
        {"no line for it", sum + "  TestTAVO02.pdb\n", original, "SHA256SUMS beside it lists no TestTAVO02.test"},
    };
    for (const auto& c : cases) {
        folder.Put("SHA256SUMS", c.sums);
        const std::string findings = folder.Answer(c.bytes);
        if (!*c.pszFinding)
            EXPECT_EQ("", findings) << c.pszWhat;
        else
            EXPECT_NE(std::string::npos, findings.find(c.pszFinding)) << c.pszWhat << ":\n" << findings;
    }
}

// A PDB beside the module that is damaged is a finding of its own; the
// module's reading goes on.
TEST(ModuleCheckTest, ReadsADamagedPdbBesideItAsAFinding)
{
    CPeFile pe;
    const std::string original = ShippedModule(&pe);
    CCopyFolder folder;
    const std::string pdb = FileBytes("TestTAVO02.pdb");
    const struct
    {
        const char* pszWhat;
        std::function<void(std::string&)> damage;
    } cases[] = {
        {"a block size of 0", [](std::string& bytes) { memset(&bytes[32], 0, 4); }},
        {"cut inside its stream directory", [](std::string& bytes) { bytes.resize(bytes.size() / 3); }},
    };
    for (const auto& c : cases) {
        std::string damaged = pdb;
        c.damage(damaged);
        folder.Put("TestTAVO02.pdb", damaged);
        EXPECT_EQ("TestTAVO02.pdb beside it cannot be read: '" + folder.Beside("TestTAVO02.pdb") +
                      "' is no PDB that can be read [TM145]\n",
                  folder.Answer(original, false))
            << c.pszWhat;
    }
}

// The 32-bit module, read as a file whichever tree runs the tests: nothing
// is found but the system libraries a PC without 32-bit Windows lacks.
TEST(ModuleCheckTest, The32BitModuleLacksAtMostThisPcsLibraries)
{
    if (!*TAVO_MODULE_32)
        GTEST_SKIP() << "this tree was configured without the 32-bit module";
    std::vector<ModuleCheckLine> lines;
    std::string error;
    ASSERT_TRUE(CheckModuleFile(TAVO_MODULE_32, "", &lines, &error)) << error;
    for (const ModuleCheckLine& line : lines)
        EXPECT_TRUE(line.bOk || (sizeof(void*) == 8 && line.strText.find(" cannot be bound: it is neither beside the "
                                                                          "module nor in ") != std::string::npos))
            << line.strText;
}

// Copies of the module with bytes of its headers and tables changed at
// random, held against the loader: the static reading alone refuses every
// copy the loader refuses, for the check decides by it whether to load; and
// copies changed only in bytes no structure refers to (the slack behind a
// section's data in the file), which stay fit.
TEST(ModuleCheckTest, RefusesEveryRandomlyDamagedCopyTheLoaderRefuses)
{
    CPeFile pe;
    const std::string original = ShippedModule(&pe);
    CCopyFolder folder;
    std::vector<std::pair<size_t, size_t>> tables = {{0, 0x400}};  // the headers and the section table
    for (int index : {IMAGE_DIRECTORY_ENTRY_EXPORT, IMAGE_DIRECTORY_ENTRY_IMPORT, IMAGE_DIRECTORY_ENTRY_RESOURCE,
                      IMAGE_DIRECTORY_ENTRY_BASERELOC, IMAGE_DIRECTORY_ENTRY_DEBUG, IMAGE_DIRECTORY_ENTRY_IAT}) {
        const IMAGE_DATA_DIRECTORY directory = pe.Directory(index);
        tables.push_back({pe.FileOffset(directory.VirtualAddress), std::min<DWORD>(directory.Size, 0x800)});
    }
    std::vector<std::pair<size_t, size_t>> slack;
    for (const IMAGE_SECTION_HEADER& section : pe.Sections()) {
        if (section.SizeOfRawData > section.Misc.VirtualSize)
            slack.push_back({section.PointerToRawData + section.Misc.VirtualSize,
                             section.SizeOfRawData - section.Misc.VirtualSize});
    }
    ASSERT_FALSE(slack.empty());
    bool harmless = false;
    const auto damage = [&](std::string& bytes, std::mt19937& random) {
        harmless = random() % 4 == 0;
        const auto& regions = harmless ? slack : tables;
        for (int changes = 1 + random() % 8; changes > 0; --changes) {
            const auto& region = regions[random() % regions.size()];
            bytes[region.first + random() % region.second] = static_cast<char>(random());
        }
    };
    JudgeDamagedCopies("TAVO_DAMAGED_MODULES", original, 60, damage, [&](const std::string& bytes) {
        const std::string findings = folder.Answer(bytes, false);
        const bool loads = folder.LoaderTakes();
        if (harmless) {
            EXPECT_EQ("", findings) << "bytes no structure refers to changed";
            EXPECT_TRUE(loads) << "bytes no structure refers to changed";
        }
        return Verdicts{loads, findings.empty()};
    });
}

}  // namespace
