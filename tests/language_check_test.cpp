// The localizer's check of a language file (tavohost check-lang).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "CaptionFit.h"
#include "DamagedCopies.h"
#include "TextConvert.h"
#include "LanguageCheck.h"
#include "TempFile.h"
#include "TestModule.h"

namespace {

std::vector<std::string> Check(const std::string& path)
{
    std::vector<LanguageFinding> findings;
    std::string error;
    EXPECT_TRUE(CheckLanguageFile(path, 1250, &findings, &error)) << error;
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

// The shipped files, and the Czech one in each other encoding the module's
// reading takes (MSXML reads UTF-16 with and without a byte-order mark and
// the Windows code pages; Wine's XmlLite misreads the first and refuses the
// second, so the check reads them as UTF-8).
TEST(LanguageCheck, ShippedFilesAreClean)
{
    for (const char* path : {"lang\\cs.xml", "lang\\de.xml"})
        EXPECT_EQ(std::vector<std::string>(), Check(path)) << path;
    std::string czech = FileBytes("lang\\cs.xml");
    czech.replace(czech.find("UTF-8"), 5, "UTF-16");
    const std::wstring wide = Widen(czech);
    std::string little(reinterpret_cast<const char*>(wide.data()), 2 * wide.size()), big = little;
    for (size_t i = 0; i + 1 < big.size(); i += 2)
        std::swap(big[i], big[i + 1]);
    std::string windows = Utf8ToAnsi(czech);
    windows.replace(windows.find("UTF-16"), 6, "windows-1250");
    for (const std::string& bytes : {"\xFF\xFE" + little, "\xFE\xFF" + big, little, windows}) {
        CTempFile file("encoded.xml", bytes);
        EXPECT_EQ(std::vector<std::string>(), Check(file.Path())) << bytes.substr(0, 6);
    }
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
        "  <x:MessageItem xmlns:x=\"urn:x\" ID=\"23\" text=\"x\"/></Message>\n"  // 9
        "  <Dialog>\n"                                                        // 10
        "    <DialogItem ID=\"2020\">\n"                                      // 11
        "      <ControlItem ID=\"32815\" text=\"Adresa:\"/>\n"                // 12
        "      <ControlItem ID=\"32815\" text=\"again\"/>\n"                  // 13
        "      <ControlItem ID=\"32816\"/>\n"                                 // 14
        "    </DialogItem>\n"                                                 // 15
        "    <DialogItem ID=\"2020\" text=\"late title\">\n"                 // 16
        "      <ControlItem ID=\"32817\" text=\"never read\"/>\n"           // 17
        "    </DialogItem>\n"                                                 // 18
        "  </Dialog>\n"                                                       // 19
        "</TesterLanguage>\n";                                                // 20
    CTempFile file("planted.xml", text);
    const std::vector<std::string> findings = Check(file.Path());
    const char* const expected[] = {
        "4: MessageItem ID \"0x25\" does not read as a decimal number; the module reads it as 0",
        "6: MessageItem ID 21 repeats line 5; this entry is never used",
        "7: MessageItem ID 22 has no text; the built-in text is used",
        "8: message 39 holds 1 \"%s\" of two: the report line will not show the parity (the first \"%s\" gets the "
        "serial number, the second the parity)",
        "9: x:MessageItem is no MessageItem to the module, which compares names with their prefix: it reads nothing "
        "of it",
        "13: ControlItem ID 32815 repeats line 12; this entry is never used",
        "14: ControlItem ID 32816 of dialog 2020 has no text; the built-in caption is used",
        "16: DialogItem ID 2020 repeats line 11; this entry is never used",
        "0: message 20 is not translated",
        "0: message 46 is not translated",
        "0: the title of dialog 2020 is not translated",
        "0: the title of dialog 2022 is not translated",
        "0: control 32830 of dialog 2020 is not translated",
        "0: control 32795 of dialog 2022 is not translated",
        "0: control 32817 of dialog 2020 is not translated",  // only the first DialogItem of an ID is read
    };
    for (const char* finding : expected)
        EXPECT_TRUE(Contains(findings, finding)) << "missing: " << finding << "\nfound:\n"
                                                 << ::testing::PrintToString(findings);
    EXPECT_FALSE(Contains(findings, "0: message 21 is not translated"));
    EXPECT_FALSE(Contains(findings, "0: control 32815 of dialog 2020 is not translated"));
}

const std::string kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<TesterLanguage>\n<Message>\n";
const std::string kTail = "</Message>\n</TesterLanguage>\n";

TEST(LanguageCheck, FilesTheModuleRefusesAreOneFindingWithItsLine)
{
    const std::string item = "<MessageItem ID=\"20\" text=\"a\"/>\n";
    const struct
    {
        const char* pszName;
        std::string bytes;
        const char* pszExpected;
    } cases[] = {
        {"broken", "<?xml version=\"1.0\"?>\n<TesterLanguage>\n<Message>\n</TesterLanguage>\n",
         "line 4: not well-formed XML (</TesterLanguage> where <Message> is open)"},
        {"root", "<?xml version=\"1.0\"?><Language/>", "the root element is not TesterLanguage"},
        {"DTD", "<?xml version=\"1.0\"?><!DOCTYPE TesterLanguage [<!ENTITY a \"x\">]><TesterLanguage/>",
         "line 1: not well-formed XML (error 0x"},
        // What a hand-edited file gets.
        {"& in a text", kHead + "<MessageItem ID=\"20\" text=\"a & b\"/>\n" + kTail,
         "line 4: not well-formed XML (a '&' that begins no reference)"},
        {"& between elements", kHead + "&\n" + item + kTail,
         "line 4: not well-formed XML (a '&' that begins no reference)"},
        {"NUL between elements", kHead + std::string("\0", 1) + item + kTail,
         "line 4: not well-formed XML (a control character (U+0000))"},
        {"NUL in the declaration", std::string("<?x\0l", 5) + kHead.substr(5) + kTail,
         "line 1: not well-formed XML (a control character (U+0000))"},
        {"attributes not apart", kHead + "<MessageItem ID=\"20\"text=\"a\"/>\n" + kTail,
         "line 4: not well-formed XML (no blank before 't' in a tag)"},
        {"a name beginning with '-'", kHead + "<-essageItem ID=\"20\"/>\n" + kTail,
         "line 4: not well-formed XML (a tag name that begins with '-')"},
        {"a malformed declaration", "<?xml version=\"1.0\" encoding='UTF-8\"?>\n<TesterLanguage/>",
         "line 1: not well-formed XML (a malformed XML declaration)"},
        {"a declaration without its end", "<?xml version=\"1.0\"\n<TesterLanguage/>",
         "line 2: not well-formed XML (a malformed XML declaration)"},
        {"cut inside an element", kHead + "<MessageIt", "line 4: not well-formed XML (a tag without its '>')"},
        {"cut inside an attribute", kHead + "<MessageItem ID=\"2",
         "line 4: not well-formed XML (an attribute value without its closing quote)"},
        {"cut after an element", kHead + "<MessageItem ID=\"20\" text=\"a\"/>",
         "line 4: not well-formed XML (the document ends inside <Message>)"},
        {"unterminated comment", kHead + "<!-- a note\n" + item + kTail,
         "line 4: not well-formed XML (a '<!--' without its '-->')"},
        {"nothing but the declaration", "<?xml version=\"1.0\"?>",
         "not well-formed XML (no element: the document has no root)"},
        // Bytes that are no text in the encoding the file declares.
        {"an overlong form", kHead + "<MessageItem ID=\"20\" text=\"\xC0\xAF\"/>\n" + kTail,
         "line 4: not well-formed XML (bytes C0 AF are not UTF-8)"},
        {"an overlong form led by C1", kHead + "<MessageItem ID=\"20\" text=\"\xC1\xBF\"/>\n" + kTail,
         "line 4: not well-formed XML (bytes C1 BF are not UTF-8)"},
        {"a lone FF", kHead + item + "\xFF" + kTail, "line 5: not well-formed XML (byte FF is not UTF-8)"},
        {"an encoded surrogate", kHead + "<MessageItem ID=\"20\" text=\"\xED\xA0\x80\"/>\n" + kTail,
         "line 4: not well-formed XML (bytes ED A0 80 are not UTF-8)"},
        {"UTF-16 declared, UTF-8 written", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<TesterLanguage/>\n",
         "line 1: not well-formed XML (its declaration says UTF-16, its bytes are 8-bit)"},
        {"UTF-16 byte-order mark, UTF-8 declared", "\xFF\xFE" + kHead + kTail,
         "line 1: not well-formed XML (its bytes are UTF-16, its declaration says UTF-8)"},
    };
    for (const auto& c : cases) {
        CTempFile file("bad.xml", c.bytes);
        std::vector<LanguageFinding> findings;
        std::string error;
        ASSERT_TRUE(CheckLanguageFile(file.Path(), 1250, &findings, &error)) << c.pszName << ": " << error;
        ASSERT_EQ(1u, findings.size()) << c.pszName;
        EXPECT_TRUE(findings[0].bUnusable) << c.pszName;
        const std::string said =
            (findings[0].nLine ? "line " + std::to_string(findings[0].nLine) + ": " : "") + findings[0].strText;
        EXPECT_NE(std::string::npos, said.find(c.pszExpected)) << c.pszName << ": " << said;
    }
    std::vector<LanguageFinding> findings;
    std::string error;
    EXPECT_FALSE(CheckLanguageFile("no-such.xml", 1250, &findings, &error));
    EXPECT_EQ("'no-such.xml' cannot be opened", error);
}

// What the report line and the dialogs will show of a text: the placeholders
// the module fills, and every character in the line's code page.
TEST(LanguageCheck, TextsAreHeldAgainstWhatTheLineShows)
{
    const struct
    {
        const char* pszWhat;
        std::string item;
        const char* pszFinding;  // empty: none on line 4
    } cases[] = {
        {"message 39 as the module fills it", "<MessageItem ID=\"39\" text=\"%d: %s, %s %d\"/>", ""},
        {"a \"%d\" dropped", "<MessageItem ID=\"39\" text=\"%s: %d, %s\"/>",
         "message 39 holds 1 \"%d\" of two: the report line will not show the baud rate"},
        {"\"%i\" for \"%d\"", "<MessageItem ID=\"39\" text=\"%s: %d %i, %s\"/>",
         "message 39 holds \"%i\", which the module fills with nothing: the line shows \"%i\" as it stands"},
        {"no \"%s\"", "<MessageItem ID=\"39\" text=\"%d %d\"/>",
         "message 39 holds 0 \"%s\" of two: the report line will show neither the serial number nor the parity"},
        {"a third \"%s\"", "<MessageItem ID=\"39\" text=\"%s %s %s %d %d\"/>", "holds \"%s\", which the module fills"},
        {"message 44 keeps its \"%s\"", "<MessageItem ID=\"44\" text=\"pro typ %s\"/>", ""},
        {"a placeholder in another message", "<MessageItem ID=\"21\" text=\"adresa %d\"/>",
         "message 21 holds \"%d\", which the module fills with nothing"},
        {"a character code page 1250 lacks", "<MessageItem ID=\"21\" text=\"a \xE2\x86\x92 b\"/>",
         "\"\xE2\x86\x92\" (U+2192) has no place in code page 1250: the module shows \"\xE2\x80\xBA\" in its place"},
        {"Czech in code page 1250", "<MessageItem ID=\"21\" text=\"\xC4\x8D\xC3\xADslo\"/>", ""},
    };
    for (const auto& c : cases) {
        CTempFile file("shown.xml", kHead + c.item + "\n" + kTail);
        std::vector<std::string> onItem;
        for (const std::string& finding : Check(file.Path())) {
            if (finding.compare(0, 3, "4: ") == 0)
                onItem.push_back(finding);
        }
        const bool said = std::any_of(onItem.begin(), onItem.end(), [&c](const std::string& finding) {
            return finding.find(c.pszFinding) != std::string::npos;
        });
        EXPECT_TRUE(*c.pszFinding ? said : onItem.empty()) << c.pszWhat << ": " << ::testing::PrintToString(onItem);
    }
    std::string czech = FileBytes("lang\\cs.xml");  // saved as UTF-8, declared otherwise
    czech.replace(czech.find("UTF-8"), 5, "windows-1250");
    CTempFile declared("declared.xml", czech);
    EXPECT_TRUE(Contains(Check(declared.Path()),
                         "5: bytes C4 8D read as UTF-8 \"\xC4\x8D\", but the file declares code page 1250: the "
                         "module shows \"\xC3\x84\xC5\xA4\" (save it as UTF-8 and declare so)"))
        << ::testing::PrintToString(Check(declared.Path()));
}

// A caption lengthened past its control is a note naming the control, its
// size and the size the text needs on this PC's fonts; the file stays clean.
TEST(LanguageCheck, CaptionsTooLongForTheirControlsAreNotes)
{
    const auto notesOn32815 = [](const std::string& bytes, std::string* said) {
        CTempFile file("captions.xml", bytes);
        std::vector<LanguageFinding> findings;
        std::vector<LanguageCaption> captions;
        std::string error;
        EXPECT_TRUE(CheckLanguageFile(file.Path(), 1250, &findings, &error, &captions)) << error;
        EXPECT_TRUE(MeasureCaptions("TestTAVO02.test", captions, &findings, &error)) << error;
        int notes = 0;
        for (const LanguageFinding& finding : findings) {
            EXPECT_TRUE(finding.bNote) << finding.strText;
            if (finding.strText.compare(0, 33, "control 32815 of dialog 2020 (a l") == 0) {
                ++notes;
                *said = finding.strText;
            }
        }
        return notes;
    };
    std::string said;
    const std::string czech = FileBytes("lang\\cs.xml");
    EXPECT_EQ(0, notesOn32815(czech, &said)) << said;
    std::string longer = czech;
    const std::string address = "text=\"Adresa:\"";
    longer.replace(longer.find(address), address.size(), "text=\"Adresa jednotky na sb\xC4\x9Brnici M-Bus:\"");
    ASSERT_EQ(1, notesOn32815(longer, &said));
    EXPECT_NE(std::string::npos, said.find("a label, ")) << said;
    EXPECT_NE(std::string::npos, said.find(" pixels for its text) cuts \"Adresa jednotky na sb\xC4\x9Brnici M-Bus:\": "
                                           "it needs "))
        << said;
}

// Files the module reads in a way of its own, each held against its reading:
// a file it refuses is unusable to the check too; where its message 20 is the
// file's text, the check takes it as message 20 (whatever the ID's form), and
// where it is not, the check says so.
TEST(LanguageCheck, AgreesWithTheModulesReadingOfEveryForm)
{
    CTestModule module;
    ASSERT_TRUE(module.Load("TestTAVO02.test")) << module.Error();
    ITest* tester = module.Instance();
    const std::string builtIn = tester->GetMessageA(20);
    const std::string item = "<MessageItem ID=\"20\" text=\"a\"/>\n";
    const struct
    {
        const char* pszWhat;
        std::string bytes;
    } cases[] = {
        {"a reference to a surrogate", kHead + "<MessageItem ID=\"20\" text=\"&#xD800;\"/>\n" + kTail},
        {"a pair of references to surrogates", kHead + "<MessageItem ID=\"20\" text=\"&#xD83D;&#xDE00;\"/>\n" + kTail},
        {"a reference to U+0000 between elements", kHead + item + "&#0;" + item + kTail},
        {"a reference past the planes", kHead + "<MessageItem ID=\"20\" text=\"&#x110000;\"/>\n" + kTail},
        {"a reference to a character of another plane",
         kHead + "<MessageItem ID=\"20\" text=\"&#x1F600;\"/>\n" + kTail},
        {"a root with a prefix", "<?xml version=\"1.0\"?>\n<x:TesterLanguage xmlns:x=\"urn:x\">\n<Message>\n" + item +
                                     "</Message>\n</x:TesterLanguage>\n"},
        {"a MessageItem with a prefix", kHead + "<x:MessageItem xmlns:x=\"urn:x\" ID=\"20\" text=\"a\"/>\n" + kTail},
        {"an ID with a blank behind it", kHead + "<MessageItem ID=\"20 \" text=\"a\"/>\n" + kTail},
        {"an ID in full-width digits", kHead + "<MessageItem ID=\"\xEF\xBC\x92\xEF\xBC\x90\" text=\"a\"/>\n" + kTail},
    };
    for (const auto& c : cases) {
        CTempFile file("form.xml", c.bytes);
        tester->SetLanguageFile(file.c_str());
        const bool used = tester->LanguageFileOpen() != 0;
        const bool fromFile = used && tester->GetMessageA(20) != builtIn;
        tester->LanguageFileClose();
        std::vector<LanguageFinding> findings;
        std::string error;
        ASSERT_TRUE(CheckLanguageFile(file.Path(), 1250, &findings, &error)) << c.pszWhat << ": " << error;
        std::vector<std::string> said;
        bool unusable = false, untranslated = false, wrongNumber = false;
        for (const LanguageFinding& finding : findings) {
            said.push_back(std::to_string(finding.nLine) + ": " + finding.strText);
            unusable = unusable || finding.bUnusable;
            untranslated = untranslated || finding.strText == "message 20 is not translated";
            wrongNumber = wrongNumber || (finding.nLine == 4 && finding.strText.find("MessageItem ID") == 0);
        }
        const std::string trace = std::string(c.pszWhat) + ":\n" + ::testing::PrintToString(said);
        EXPECT_EQ(!used, unusable) << trace;
        if (used) {
            EXPECT_EQ(!fromFile, untranslated) << trace;
            EXPECT_FALSE(fromFile && wrongNumber) << "a claim of a number the module does not read; " << trace;
        }
    }
}

// Copies of the Czech file with bytes changed or cut at random, some into
// sequences that are no UTF-8: check-lang never calls a copy readable that
// the module's own reading refuses, and the batch holds enough of both.
TEST(LanguageCheck, RefusesEveryDamagedCopyTheModuleRefuses)
{
    const std::string original = FileBytes("lang\\cs.xml");
    ASSERT_FALSE(original.empty());
    CTestModule module;
    ASSERT_TRUE(module.Load("TestTAVO02.test")) << module.Error();
    ITest* tester = module.Instance();
    const auto damage = [](std::string& bytes, std::mt19937& random) {
        static const char kBreakages[] = "&<>\"'\0/=!-\x80\xFF\xC0\xAF\xED\xA0\xE2";
        if (random() % 4 == 0)
            bytes.resize(random() % bytes.size());
        for (int changes = random() % 4; changes > 0 && !bytes.empty(); --changes)
            bytes[random() % bytes.size()] = kBreakages[random() % (sizeof(kBreakages) - 1)];
    };
    JudgeDamagedCopies("TAVO_DAMAGED_LANGUAGE_FILES", original, 200, damage, [tester](const std::string& bytes) {
        CTempFile damaged("damaged.xml", bytes);
        tester->SetLanguageFile(damaged.c_str());
        const bool used = tester->LanguageFileOpen() != 0;
        tester->LanguageFileClose();
        std::vector<LanguageFinding> findings;
        std::string error;
        const bool read = CheckLanguageFile(damaged.Path(), 1250, &findings, &error);
        const bool usable = std::none_of(findings.begin(), findings.end(),
                                         [](const LanguageFinding& finding) { return finding.bUnusable; });
        return Verdicts{used, read && usable};
    });
}

}  // namespace
