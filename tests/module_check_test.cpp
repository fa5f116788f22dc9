// tavohost check-module as the field engineer's gate: the shipped 32-bit
// module passes beside its libraries, and each patched copy of it that a
// host or the loader would trip over is refused with a finding naming why.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "DamagedCopies.h"
#include "ModuleCheck.h"
#include "PeFile.h"
#include "TempFile.h"

namespace {

std::string Folder(const std::string& path)
{
    return path.substr(0, path.find_last_of("\\/"));
}

typedef std::function<void(std::string& bytes, const CPeFile& pe)> Patch;

// The bytes at offset as a Type (x86 reads and writes them unaligned).
template <typename Type>
Type& At(std::string& bytes, size_t offset)
{
    return *reinterpret_cast<Type*>(&bytes.at(offset + sizeof(Type) - 1) - (sizeof(Type) - 1));
}

size_t NtHeaders(const std::string& bytes)
{
    return *reinterpret_cast<const LONG*>(&bytes.at(offsetof(IMAGE_DOS_HEADER, e_lfanew)));
}

size_t DirectoryOffset(std::string& bytes, int index)
{
    return NtHeaders(bytes) + offsetof(IMAGE_NT_HEADERS32, OptionalHeader.DataDirectory) +
           index * sizeof(IMAGE_DATA_DIRECTORY);
}

size_t TableOffset(const CPeFile& pe, int slot)
{
    return pe.FileOffset(pe.Exports().at("??_7CTestTAVO02@@6B@") + 4 * slot);
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

// The module's answer: the findings, one per line, or the reason it could
// not be read at all.
std::string Answer(const std::string& bytes, const std::string& libraries)
{
    CTempFile copy("TestTAVO02.test", bytes);
    std::vector<ModuleCheckLine> lines;
    std::string error;
    if (!CheckModuleFile(copy.Path(), libraries, &lines, &error))
        return error;
    std::string text;
    for (const ModuleCheckLine& line : lines)
        text += line.bOk ? "" : line.strText + "\n";
    return text;
}

std::string ShippedModule(CPeFile* pe)
{
    std::string error;
    EXPECT_TRUE(pe->Read(TAVO_MODULE_32, &error)) << error;
    return FileBytes(TAVO_MODULE_32);
}

TEST(ModuleCheckTest, RefusesEachPatchedCopyWithItsFinding)
{
    CPeFile pe;
    const std::string original = ShippedModule(&pe);
    const auto truncated = [](size_t length) {
        return [length](std::string& bytes, const CPeFile&) { bytes.resize(length); };
    };
    const auto outside = [](int directory) {
        return [directory](std::string& bytes, const CPeFile&) {
            At<DWORD>(bytes, DirectoryOffset(bytes, directory)) = 0x7FFFFF00;
        };
    };
    const size_t nt = NtHeaders(original);
    const size_t sections = nt + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) + sizeof(IMAGE_OPTIONAL_HEADER32);
    const size_t text = pe.FileOffset(pe.Sections().at(0).VirtualAddress);  // code, overwritten where a case needs room
    const struct
    {
        const char* pszWhat;
        Patch patch;
        const char* pszFinding;  // null: no finding at all
    } cases[] = {
        {"as shipped", [](std::string&, const CPeFile&) {}, nullptr},
        {"two slots swapped",
         [](std::string& bytes, const CPeFile& pe) {
             std::swap_ranges(&bytes[TableOffset(pe, 2)], &bytes[TableOffset(pe, 2) + 4], &bytes[TableOffset(pe, 3)]);
         },
         "its virtual table is not the published one: slot 2 (GetModuleName) holds "
         "?IsSupportedTest@CTestTAVO02@@UAEHPBD@Z, slot 3 (IsSupportedTest) holds "
         "?GetModuleName@CTestTAVO02@@UAEPBDXZ"},
        {"an import no library exports",
         [](std::string& bytes, const CPeFile&) {
             ReplaceText(bytes, "?ExitConfig@CTAVOTester@@QAEHXZ", "?ExitConfig@CTAVOTester@@QBEHXZ");
         },
         "imports from TAVOTester.dll what"},
        {"the RTTI locator cleared",
         [](std::string& bytes, const CPeFile& pe) { memset(&bytes[TableOffset(pe, -1)], 0, 4); },
         "no RTTI: the word before its virtual table names no object locator"},
        {"NX cleared",
         [nt](std::string& bytes, const CPeFile&) {
             bytes[nt + offsetof(IMAGE_NT_HEADERS32, OptionalHeader.DllCharacteristics) + 1] &= ~1;  // 0x0100
         },
         "NX: runs with data execution prevention"},
        // A file damaged on its way to the engineer.
        {"cut in the DOS header", truncated(40), "is not a Windows executable (no MZ header)"},
        {"cut in the file header", truncated(nt + 10), "is not a PE file (no PE signature)"},
        {"cut in the optional header", truncated(nt + 100), "has broken PE headers"},
        {"cut in the section table", truncated(sections + 20), "has broken PE headers"},
        {"cut in half", truncated(original.size() / 2), "the file is damaged: "},
        {"exports outside the file", outside(IMAGE_DIRECTORY_ENTRY_EXPORT),
         "the file is damaged: its export table lies outside the file"},
        {"imports outside the file", outside(IMAGE_DIRECTORY_ENTRY_IMPORT),
         "the file is damaged: its import table runs off the file"},
        {"resources outside the file", outside(IMAGE_DIRECTORY_ENTRY_RESOURCE),
         "the file is damaged: a resource directory lies outside the resource section or the file"},
        {"debug entries outside the file", outside(IMAGE_DIRECTORY_ENTRY_DEBUG), "no CodeView debug entry"},
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
        {"1,100 import libraries",
         [text](std::string& bytes, const CPeFile& pe) {
             const DWORD imports = pe.Directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress;
             for (size_t i = 0; i < 1100; ++i)
                 bytes.replace(text + 20 * i, 20, bytes, pe.FileOffset(imports), 20);
             At<DWORD>(bytes, DirectoryOffset(bytes, IMAGE_DIRECTORY_ENTRY_IMPORT)) =
                 pe.Sections().at(0).VirtualAddress;
         },
         "the file is damaged: its import table lists more than 1024 libraries"},
        {"an export table of 2^31 names",
         [](std::string& bytes, const CPeFile& pe) {
             const size_t exports = pe.FileOffset(pe.Directory(IMAGE_DIRECTORY_ENTRY_EXPORT).VirtualAddress);
             At<DWORD>(bytes, exports + offsetof(IMAGE_EXPORT_DIRECTORY, NumberOfNames)) = 0x80000000;
         },
         "the file is damaged: its export table counts more than 65536 names or functions"},
        {"an exported name without its end",
         [text](std::string& bytes, const CPeFile& pe) {
             const size_t exports = pe.FileOffset(pe.Directory(IMAGE_DIRECTORY_ENTRY_EXPORT).VirtualAddress);
             const size_t names =
                 pe.FileOffset(At<DWORD>(bytes, exports + offsetof(IMAGE_EXPORT_DIRECTORY, AddressOfNames)));
             bytes.replace(text, 5000, 5000, 'A');
             At<DWORD>(bytes, names) = pe.Sections().at(0).VirtualAddress;
         },
         "the file is damaged: an exported name is not terminated within 4096 characters"},
        {"an empty library name",
         [](std::string& bytes, const CPeFile&) { ReplaceText(bytes, "TAVOTester.dll", std::string(1, '\0')); },
         "an import library's name is empty: its"},
        {"a library name with a path",
         [](std::string& bytes, const CPeFile&) {
             ReplaceText(bytes, "TAVOTester.dll", std::string("..\\x.dll\0", 9));
         },
         "an import library's name holds a path: ..\\x.dll"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        std::string bytes = original;
        c.patch(bytes, pe);
        const std::string findings = Answer(bytes, Folder(TAVO_MODULE_32));
        if (!c.pszFinding)
            EXPECT_EQ("", findings);
        else
            EXPECT_NE(std::string::npos, findings.find(c.pszFinding)) << "findings:\n" << findings;
    }
}

// Copies of the module with bytes of its headers and tables changed at
// random: each is answered, fit or not, within a second.
TEST(ModuleCheckTest, AnswersEveryRandomlyDamagedCopy)
{
    CPeFile pe;
    const std::string original = ShippedModule(&pe);
    std::vector<std::pair<size_t, size_t>> regions = {{0, 0x400}};  // the headers and the section table
    for (int index : {IMAGE_DIRECTORY_ENTRY_EXPORT, IMAGE_DIRECTORY_ENTRY_IMPORT, IMAGE_DIRECTORY_ENTRY_RESOURCE,
                      IMAGE_DIRECTORY_ENTRY_DEBUG, IMAGE_DIRECTORY_ENTRY_IAT}) {
        const IMAGE_DATA_DIRECTORY directory = pe.Directory(index);
        regions.push_back({pe.FileOffset(directory.VirtualAddress), directory.Size});
    }
    const auto damage = [&regions](std::string& bytes, std::mt19937& random) {
        for (int changes = 1 + random() % 8; changes > 0; --changes) {
            const auto& region = regions[random() % regions.size()];
            bytes[region.first + random() % region.second] = static_cast<char>(random());
        }
    };
    AnswerDamagedCopies(original, 300, damage, [](const std::string& bytes) {
        return Answer(bytes, Folder(TAVO_MODULE_32)).empty();  // fit
    });
}

}  // namespace
