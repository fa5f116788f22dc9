// CDynString: the window library's 8-bit text.
#include <gtest/gtest.h>

#include <cstring>

#include "DynString.h"

namespace {

TEST(DynString, StartsNullAndInitBufferCopiesAndNullStaysNull)
{
    char source[] = "abc";
    CDynString text;
    EXPECT_EQ(nullptr, text.GetString());
    EXPECT_EQ(0, text.GetLength());
    text.InitBuffer(source);
    source[0] = 'x';  // the string holds its own copy
    EXPECT_STREQ("abc", text.GetString());
    EXPECT_EQ(3, text.GetLength());

    text.InitBuffer(nullptr);
    EXPECT_EQ(nullptr, text.GetString()) << "a null text is handed on as null";
    EXPECT_EQ(0, text.GetLength());
}

struct SetStringCase
{
    const char* pszSource;
    int nMax;
    const char* pszExpected;
};

TEST(DynString, SetStringTakesAtMostTheGivenCount)
{
    const char kSixteenNoNul[16] = {'Q', 'X', '2', '2', '5', '0', '.', '1', '0', ' ', ' ', ' ', ' ', ' ', ' ', 'Z'};
    const char kWithEarlyNul[16] = {'A', 'B', '\0', 'C', 'D'};
    char buffer[32];
    memcpy(buffer, kSixteenNoNul, 16);
    memset(buffer + 16, 'Y', 16);  // what follows the field must not be read
    const SetStringCase cases[] = {
        {"hello", 16, "hello"},
        {"hello", 3, "hel"},
        {"hello", 0, ""},
        {buffer, 16, "QX2250.10      Z"},
        {kWithEarlyNul, 16, "AB"},
    };
    for (const SetStringCase& c : cases) {
        CDynString text;
        text.SetString(c.pszSource, c.nMax);
        EXPECT_STREQ(c.pszExpected, text.GetString()) << "max " << c.nMax;
        EXPECT_EQ(static_cast<int>(strlen(c.pszExpected)), text.GetLength());
    }
    CDynString nullText;
    nullText.SetString(nullptr, 16);
    EXPECT_EQ(nullptr, nullText.GetString());
}

TEST(DynString, FormatPrintsLikePrintf)
{
    const struct
    {
        double dValue;
        const char* pszExpected;
    } cases[] = {{0 * 2.5, "0.0"}, {1 * 2.5, "2.5"}, {3 * 2.5, "7.5"}, {255 * 2.5, "637.5"}};
    CDynString text;
    for (const auto& c : cases) {
        text.Format("%2.1f", c.dValue);
        EXPECT_STREQ(c.pszExpected, text.GetString());
    }
    text.Format("%s-%d", "unit", 125);
    EXPECT_STREQ("unit-125", text.GetString());
    EXPECT_EQ(8, text.GetLength());
}

TEST(DynString, ReplaceWithZeroChangesOnlyTheFirstOccurrence)
{
    CDynString text;
    text.InitBuffer("configuration for %s: address %d; %d Bd, parity %s");
    EXPECT_EQ(1, text.Replace("%s", "00012345", 0));
    EXPECT_STREQ("configuration for 00012345: address %d; %d Bd, parity %s", text.GetString());
    EXPECT_EQ(1, text.Replace("%s", "lich\xe1 (ODD)", 0));
    EXPECT_EQ(1, text.Replace("%d", "7", 0));
    EXPECT_EQ(1, text.Replace("%d", "9600", 0));
    EXPECT_STREQ("configuration for 00012345: address 7; 9600 Bd, parity lich\xe1 (ODD)", text.GetString());
    EXPECT_EQ(static_cast<int>(strlen(text.GetString())), text.GetLength());
}

TEST(DynString, ReplaceEdgeCases)
{
    CDynString text;
    text.InitBuffer("a-a-a");
    EXPECT_EQ(3, text.Replace("a", "bb", 1)) << "non-zero flag replaces all";
    EXPECT_STREQ("bb-bb-bb", text.GetString());
    EXPECT_EQ(0, text.Replace("zz", "y", 0)) << "no occurrence leaves the text";
    EXPECT_STREQ("bb-bb-bb", text.GetString());
    text.InitBuffer("a-a");
    EXPECT_EQ(2, text.Replace("a", "aa", 1)) << "a replacement holding the pattern is not replaced again";
    EXPECT_STREQ("aa-aa", text.GetString());

    CDynString empty;
    EXPECT_EQ(0, empty.Replace("%s", "x", 0)) << "a null text has nothing to replace";
    EXPECT_EQ(nullptr, empty.GetString());
}

TEST(DynString, TrimStripsBlanksAtBothEnds)
{
    const struct
    {
        const char* pszSource;
        const char* pszExpected;
    } cases[] = {
        {"  QX2250.10  ", "QX2250.10"},
        {"QX2210.00", "QX2210.00"},
        {"                ", ""},
        {"\tA B\r\n", "A B"},
        {"", ""},
    };
    for (const auto& c : cases) {
        CDynString text;
        text.InitBuffer(c.pszSource);
        text.Trim();
        EXPECT_STREQ(c.pszExpected, text.GetString()) << "from \"" << c.pszSource << "\"";
        EXPECT_EQ(static_cast<int>(strlen(c.pszExpected)), text.GetLength());
    }
    CDynString nullText;
    nullText.Trim();
    EXPECT_EQ(nullptr, nullText.GetString());
}

}  // namespace
