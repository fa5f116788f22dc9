// tavohost check-module as the field engineer's gate: the shipped 32-bit
// module passes beside its libraries, and each patched copy of it that a
// host or the loader would trip over is refused with a finding naming why.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "ModuleCheck.h"
#include "PeFile.h"
#include "TempFile.h"

namespace {

std::string Folder(const std::string& path)
{
    return path.substr(0, path.find_last_of("\\/"));
}

// The lines that failed, one per line.
std::string Findings(const std::vector<ModuleCheckLine>& lines)
{
    std::string text;
    for (const ModuleCheckLine& line : lines)
        text += line.bOk ? "" : line.strText + "\n";
    return text;
}

typedef std::function<void(std::string& bytes, const CPeFile& pe)> Patch;

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

TEST(ModuleCheckTest, RefusesEachPatchedCopyWithItsFinding)
{
    const std::string shipped = TAVO_MODULE_32;
    std::ifstream file(shipped, std::ios::binary);
    const std::string original((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    CPeFile pe;
    std::string error;
    ASSERT_TRUE(pe.Read(shipped, &error)) << error;

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
         "?IsSupportedTest@CTestTAVO02@@UAEHPBD@Z, slot 3 (IsSupportedTest) holds ?GetModuleName@CTestTAVO02@@UAEPBDXZ"},
        {"an import no library exports",
         [](std::string& bytes, const CPeFile&) {
             ReplaceText(bytes, "?ExitConfig@CTAVOTester@@QAEHXZ", "?ExitConfig@CTAVOTester@@QBEHXZ");
         },
         "imports from TAVOTester.dll what"},
        {"the RTTI locator cleared",
         [](std::string& bytes, const CPeFile& pe) { memset(&bytes[TableOffset(pe, -1)], 0, 4); },
         "no RTTI: the word before its virtual table names no object locator"},
        {"NX cleared",
         [](std::string& bytes, const CPeFile&) {
             const size_t nt = *reinterpret_cast<const LONG*>(&bytes[offsetof(IMAGE_DOS_HEADER, e_lfanew)]);
             bytes[nt + offsetof(IMAGE_NT_HEADERS32, OptionalHeader.DllCharacteristics) + 1] &= ~1;  // 0x0100
         },
         "NX: runs with data execution prevention"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        std::string bytes = original;
        c.patch(bytes, pe);
        CTempFile copy("TestTAVO02.test", bytes);
        std::vector<ModuleCheckLine> lines;
        ASSERT_TRUE(CheckModuleFile(copy.Path(), Folder(shipped), &lines, &error)) << error;
        const std::string findings = Findings(lines);
        if (!c.pszFinding)
            EXPECT_EQ("", findings);
        else
            EXPECT_NE(std::string::npos, findings.find(c.pszFinding)) << "findings:\n" << findings;
    }
}

}  // namespace
