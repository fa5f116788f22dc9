// The localizer's check of a language file (tavohost check-lang).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "DamagedCopies.h"
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

const std::string kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<TesterLanguage>\n<Message>\n";
const std::string kTail = "</Message>\n</TesterLanguage>\n";

TEST(LanguageCheck, UnreadableFilesAreRefusedWithAReason)
{
    const struct
    {
        const char* pszName;
        std::string bytes;
        const char* pszExpected;
    } cases[] = {
        {"broken", "<?xml version=\"1.0\"?>\n<TesterLanguage>\n<Message>\n</TesterLanguage>\n",
         "line 4: not well-formed XML"},
        {"root", "<?xml version=\"1.0\"?><Language/>", "the root element is not TesterLanguage"},
        {"DTD", "<?xml version=\"1.0\"?><!DOCTYPE TesterLanguage [<!ENTITY a \"x\">]><TesterLanguage/>",
         "not well-formed XML"},
        // What a hand-edited file gets.
        {"& in a text", kHead + "<MessageItem ID=\"20\" text=\"a & b\"/>\n" + kTail, "line 4: not well-formed XML"},
        {"& between elements", kHead + "&\n<MessageItem ID=\"20\" text=\"a\"/>\n" + kTail,
         "line 4: not well-formed XML"},
        {"NUL between elements", kHead + std::string("\0", 1) + "<MessageItem ID=\"20\" text=\"a\"/>\n" + kTail,
         "line 4: not well-formed XML"},
        {"NUL in the declaration", std::string("<?x\0l", 5) + kHead.substr(5) + kTail, "line 1: not well-formed XML"},
        {"cut inside an element", kHead + "<MessageIt", "line 4: not well-formed XML"},
        {"cut inside an attribute", kHead + "<MessageItem ID=\"2", "line 4: not well-formed XML"},
        {"cut after an element", kHead + "<MessageItem ID=\"20\" text=\"a\"/>", "line 4: not well-formed XML"},
        {"unterminated comment", kHead + "<!-- a note\n<MessageItem ID=\"20\" text=\"a\"/>\n" + kTail,
         "not well-formed XML"},
        {"UTF-16 byte-order mark, UTF-8 declared", "\xFF\xFE" + kHead + kTail, "not well-formed XML"},
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

// Copies of the Czech file with bytes changed or cut at random: each is
// answered, with findings or a reason, within a second.
TEST(LanguageCheck, AnswersEveryRandomlyDamagedCopy)
{
    const std::string original = FileBytes("lang\\cs.xml");
    ASSERT_FALSE(original.empty());
    const auto damage = [](std::string& bytes, std::mt19937& random) {
        static const char kBreakages[] = "&<>\"'\0/=!-\x80\xFF";
        if (random() % 4 == 0)
            bytes.resize(random() % bytes.size());
        for (int changes = random() % 4; changes > 0 && !bytes.empty(); --changes)
            bytes[random() % bytes.size()] = kBreakages[random() % (sizeof(kBreakages) - 1)];
    };
    AnswerDamagedCopies(original, 200, damage, [](const std::string& bytes) {
        CTempFile damaged("damaged.xml", bytes);
        std::vector<LanguageFinding> findings;
        std::string error;
        return CheckLanguageFile(damaged.Path(), &findings, &error);  // readable
    });
}

}  // namespace
