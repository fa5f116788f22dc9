// The localizer's check of a language file (tavohost check-lang).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LanguageCheck.h"
#include "TempFile.h"

namespace {

std::vector<std::string> Check(const std::string& path)
{
    std::vector<LanguageFinding> findings;
    std::string error;
    EXPECT_TRUE(CheckLanguageFile(path, &findings, &error)) << error;
    std::vector<std::string> lines;
    for (const LanguageFinding& finding : findings)
        lines.push_back(std::to_string(finding.nLine) + ": " + finding.strText);
    return lines;
}

bool Contains(const std::vector<std::string>& lines, const std::string& wanted)
{
    for (const std::string& line : lines) {
        if (line == wanted)
            return true;
    }
    return false;
}

TEST(LanguageCheck, ShippedFilesAreClean)
{
    for (const char* path : {"lang\\cs.xml", "lang\\de.xml"})
        EXPECT_EQ(std::vector<std::string>(), Check(path)) << path;
}

TEST(LanguageCheck, FindsEveryPlantedFaultWithItsLine)
{
    // Line numbers below are the lines of this text.
    const std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"                        // 1
        "<TesterLanguage>\n"                                                  // 2
        "  <Message>\n"                                                       // 3
        "    <MessageItem ID=\"0x25\" text=\"hex\"/>\n"                       // 4
        "    <MessageItem ID=\"21\" text=\"first\"/>\n"                       // 5
        "    <MessageItem ID=\" 21\" text=\"never used\"/>\n"                 // 6
        "    <MessageItem ID=\"22\"/>\n"                                      // 7
        "    <MessageItem ID=\"39\" text=\"%s %d %d\"/>\n"                    // 8
        "  </Message>\n"                                                      // 9
        "  <Dialog>\n"                                                        // 10
        "    <DialogItem ID=\"2020\">\n"                                      // 11
        "      <ControlItem ID=\"32815\" text=\"Adresa:\"/>\n"                // 12
        "      <ControlItem ID=\"32815\" text=\"again\"/>\n"                  // 13
        "      <ControlItem ID=\"32816\"/>\n"                                 // 14
        "    </DialogItem>\n"                                                 // 15
        "    <DialogItem ID=\"2020\" text=\"late title\"/>\n"                 // 16
        "  </Dialog>\n"                                                       // 17
        "</TesterLanguage>\n";                                                // 18
    CTempFile file("planted.xml", text);
    const std::vector<std::string> findings = Check(file.Path());
    const char* const expected[] = {
        "4: MessageItem ID \"0x25\" does not read as a decimal number; the module reads it as 0",
        "6: MessageItem ID 21 repeats line 5; this entry is never used",
        "7: MessageItem ID 22 has no text; the built-in text is used",
        "8: message 39 must hold two \"%s\" and two \"%d\"",
        "13: ControlItem ID 32815 repeats line 12; this entry is never used",
        "14: ControlItem ID 32816 of dialog 2020 has no text; the built-in caption is used",
        "16: DialogItem ID 2020 repeats line 11; this entry is never used",
        "0: message 20 is not translated",
        "0: message 46 is not translated",
        "0: the title of dialog 2020 is not translated",
        "0: the title of dialog 2022 is not translated",
        "0: control 32830 of dialog 2020 is not translated",
        "0: control 32795 of dialog 2022 is not translated",
    };
    for (const char* finding : expected)
        EXPECT_TRUE(Contains(findings, finding)) << "missing: " << finding << "\nfound:\n"
                                                 << ::testing::PrintToString(findings);
    EXPECT_FALSE(Contains(findings, "0: message 21 is not translated"));
    EXPECT_FALSE(Contains(findings, "0: control 32815 of dialog 2020 is not translated"));
}

TEST(LanguageCheck, UnreadableFilesAreRefusedWithAReason)
{
    const struct
    {
        const char* pszName;
        std::string bytes;
        const char* pszExpected;
    } cases[] = {
        {"broken", "<?xml version=\"1.0\"?>\n<TesterLanguage>\n<Message>\n</TesterLanguage>\n", "line 4: not well-formed XML"},
        {"root", "<?xml version=\"1.0\"?><Language/>", "the root element is not TesterLanguage"},
        {"DTD", "<?xml version=\"1.0\"?><!DOCTYPE TesterLanguage [<!ENTITY a \"x\">]><TesterLanguage/>",
         "not well-formed XML"},
    };
    for (const auto& c : cases) {
        CTempFile file("bad.xml", c.bytes);
        std::vector<LanguageFinding> findings;
        std::string error;
        EXPECT_FALSE(CheckLanguageFile(file.Path(), &findings, &error)) << c.pszName;
        EXPECT_NE(std::string::npos, error.find(c.pszExpected)) << c.pszName << ": " << error;
    }
    std::vector<LanguageFinding> findings;
    std::string error;
    EXPECT_FALSE(CheckLanguageFile("no-such.xml", &findings, &error));
    EXPECT_EQ("'no-such.xml' cannot be opened", error);
}

}  // namespace
