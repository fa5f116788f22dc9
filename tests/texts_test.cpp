// The module's texts: messages, dialog titles and control captions from the
// host's language file (read by the tester stand-in over MSXML 6), with the
// built-in English texts and the tester's own texts behind them.
#include <gtest/gtest.h>

#include <objbase.h>

#include <string>
#include <vector>

#include "BuiltInTexts.h"
#include "LanguageCheck.h"
#include "LanguageTemplate.h"
#include "ModuleFixture.h"
#include "ModuleTexts.h"
#include "TempFile.h"

namespace {

// UTF-8 text as the 8-bit bytes of a code page.
std::string InCodePage(const char* utf8, UINT codePage)
{
    wchar_t wide[1024];
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 1024);
    char bytes[1024];
    ::WideCharToMultiByte(codePage, 0, wide, length, bytes, sizeof(bytes), nullptr, nullptr);
    return bytes;
}

std::string LanguageFile(const std::string& messages, const std::string& dialogs = "")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<TesterLanguage>\n<Message>\n" + messages +
           "</Message>\n<Dialog>\n" + dialogs + "</Dialog>\n</TesterLanguage>\n";
}

typedef CModuleFixture TextsTest;

TEST_F(TextsTest, BuiltInTextsByteForByte)
{
    for (const BuiltInText& message : kBuiltInMessages)
        EXPECT_EQ(message.pszText, Str(m_pTest->GetMessageA(message.nId))) << "message " << message.nId;
    for (const BuiltInText& title : kBuiltInTitles)
        EXPECT_EQ(title.pszText, Str(m_pTest->GetDialogName(title.nId))) << "dialog " << title.nId;
    for (const BuiltInText& caption : kBuiltInCaptions)
        EXPECT_EQ(caption.pszText, Str(m_pTest->GetDialogControlName(caption.nDialog, caption.nId)))
            << caption.nDialog << "/" << caption.nId;
    EXPECT_TRUE(m_debug.Invariants().empty());

    // What tavohost's check-lang asks a translation to cover is these texts.
    std::vector<std::pair<unsigned int, unsigned int>> listed, shown;
    for (unsigned int id = kModuleFirstMessage; id <= kModuleLastMessage; ++id)
        listed.push_back({0, id});
    for (unsigned int id : kModuleDialogs)
        listed.push_back({0, id});
    for (const ModuleControlText& control : kModuleControls)
        listed.push_back({control.nDialog, control.nControl});
    const auto add = [&shown](const auto& texts) {
        for (const BuiltInText& text : texts)
            shown.push_back({text.nDialog, text.nId});
    };
    add(kBuiltInMessages);
    add(kBuiltInTitles);
    add(kBuiltInCaptions);
    EXPECT_EQ(shown, listed);
}

TEST_F(TextsTest, OtherIdsReachTheTesterBase)
{
    for (unsigned int id : {0u, 19u, 47u, 4000000000u})
        EXPECT_EQ(MessageWithoutFile(id), Str(m_pTest->GetMessageA(id))) << id;
    EXPECT_EQ("TAVO tester dialog 2019", Str(m_pTest->GetDialogName(2019)));
    EXPECT_EQ("TAVO tester control 2023/1", Str(m_pTest->GetDialogControlName(2023, 1)));
    EXPECT_TRUE(m_debug.Invariants().empty());
}

TEST_F(TextsTest, UnknownControlsOfTheOwnDialogsAreReportedAndEmpty)
{
    const struct
    {
        unsigned int nDialog, nControl;
        int nLine;
    } cases[] = {{2020, 1, 374}, {2020, 32831, 374}, {2021, 1, 333}, {2022, 32800, 322}};
    for (const auto& c : cases) {
        m_debug.Clear();
        EXPECT_EQ("", Str(m_pTest->GetDialogControlName(c.nDialog, c.nControl)));
        EXPECT_EQ((std::vector<InvariantReport>{{"0", "TestTAVO02", c.nLine}}), m_debug.Invariants())
            << c.nDialog << "/" << c.nControl;
    }
}

TEST_F(TextsTest, CzechFileArrivesInCodePage1250)
{
    ASSERT_EQ(1250u, ::GetACP()) << "the tests run with LC_ALL=cs_CZ.UTF-8";
    ASSERT_EQ(1, UseLanguage("lang\\cs.xml")) << BenchLanguageError();
    EXPECT_EQ(InCodePage(u8"Jednotka s tímto výrobním číslem již byla konfigurována!\t\n\nOpravdu chcete tuto "
                         u8"jednotku konfigurovat znovu?\t", 1250),
              Str(m_pTest->GetMessageA(35)));
    EXPECT_EQ(InCodePage(u8"Test konfigurace čítače", 1250), Str(m_pTest->GetDialogName(2021)));
    EXPECT_EQ(InCodePage(u8"neodpovídat", 1250), Str(m_pTest->GetDialogControlName(2020, 32786)));
    EXPECT_EQ("TAVO tester message 19", Str(m_pTest->GetMessageA(19))) << "the file has no message 19";
}

struct MatchCase
{
    const char* pszItems;
    unsigned int nId;
    const char* pszExpected;  // null: the built-in or base text
};

TEST_F(TextsTest, IdReadingAndFirstMatch)
{
    const MatchCase cases[] = {
        {"<MessageItem ID=\" 37\" text=\"blank\"/>", 37, "blank"},
        {"<MessageItem ID=\"37abc\" text=\"letter\"/>", 37, "letter"},
        {"<MessageItem ID=\"+37\" text=\"plus\"/>", 37, "plus"},
        {"<MessageItem ID=\"0x25\" text=\"hex\"/>", 37, nullptr},
        {"<MessageItem ID=\"0x25\" text=\"hex\"/>", 0, "hex"},
        {"<MessageItem ID=\"abc\" text=\"none\"/>", 0, "none"},
        {"<MessageItem ID=\"99999999999\" text=\"big\"/>", 2147483647u, "big"},
        {"<MessageItem ID=\"-99999999999\" text=\"small\"/>", 0x80000000u, "small"},
        {"<MessageItem ID=\"-1\" text=\"minus one\"/>", 0xFFFFFFFFu, "minus one"},
        {"<MessageItem ID=\"37\" text=\"first\"/><MessageItem ID=\"37\" text=\"second\"/>", 37, "first"},
        {"<MessageItem ID=\"37\"/><MessageItem ID=\"37\" text=\"second\"/>", 37, nullptr},
        {"<MessageItem text=\"no id\"/><MessageItem ID=\"37\" text=\"after\"/>", 37, "after"},
        {"<MessageItem ID=\"5\" text=\"five\"/>", 5, "five"},
        {"<Other ID=\"37\" text=\"other\"/><MessageItem ID=\"37\" text=\"skipped other\"/>", 37, "skipped other"},
        {"<MessageItem ID=\"37\" text=\"\"/>", 37, ""},
    };
    for (const MatchCase& c : cases) {
        CTempFile file("match.xml", LanguageFile(c.pszItems));
        ASSERT_EQ(1, UseLanguage(file.Path())) << BenchLanguageError();
        const std::string expected = c.pszExpected ? c.pszExpected
                                     : c.nId == 37 ? "configuration dialog is displayed"
                                                   : MessageWithoutFile(c.nId);
        EXPECT_EQ(expected, Str(m_pTest->GetMessageA(c.nId))) << c.pszItems;
        m_pTest->LanguageFileClose();
    }
}

TEST_F(TextsTest, ControlCaptionsComeOnlyFromTheFirstMatchingDialog)
{
    const MatchCase cases[] = {
        {"<DialogItem ID=\"2020\"/><DialogItem ID=\"2020\"><ControlItem ID=\"32815\" text=\"late\"/></DialogItem>",
         32815, "Address:"},
        {"<DialogItem ID=\"2020\"><ControlItem ID=\"1\" text=\"x\"/></DialogItem>"
         "<DialogItem ID=\"2020\"><ControlItem ID=\"32815\" text=\"late\"/></DialogItem>",
         32815, "Address:"},
        {"<DialogItem ID=\"2021\"><ControlItem ID=\"32815\" text=\"other dialog\"/></DialogItem>"
         "<DialogItem ID=\"2020\"><ControlItem ID=\"32815\" text=\"Adresa:\"/></DialogItem>",
         32815, "Adresa:"},
        {"<DialogItem ID=\"2020\"><ControlItem ID=\"32815\"/><ControlItem ID=\"32815\" text=\"second\"/></DialogItem>",
         32815, "Address:"},
        {"<DialogItem ID=\"2020\" text=\"Titul\"><ControlItem ID=\"1\" text=\"Extra\"/></DialogItem>", 1, "Extra"},
    };
    for (const MatchCase& c : cases) {
        CTempFile file("dialog.xml", LanguageFile("", c.pszItems));
        ASSERT_EQ(1, UseLanguage(file.Path())) << BenchLanguageError();
        m_debug.Clear();
        EXPECT_EQ(c.pszExpected, Str(m_pTest->GetDialogControlName(2020, c.nId))) << c.pszItems;
        EXPECT_TRUE(m_debug.Invariants().empty()) << "a caption the file answers is no caller's error";
        m_pTest->LanguageFileClose();
    }
    CTempFile titled("title.xml", LanguageFile("", "<DialogItem ID=\"2022\" text=\"Dal&#353;&#237;\"/>"));
    ASSERT_EQ(1, UseLanguage(titled.Path()));
    EXPECT_EQ(InCodePage(u8"Další", 1250), Str(m_pTest->GetDialogName(2022)));
    EXPECT_EQ("OK", Str(m_pTest->GetDialogControlName(2022, 1))) << "an item without controls";
}

// A file that cannot be used at all is the corpus's (bad_language_files_test);
// one that is not there is refused the same way.
TEST_F(TextsTest, MissingFileFindsNothing)
{
    EXPECT_EQ(0, UseLanguage("no-such-language-file.xml"));
    EXPECT_STRNE("", BenchLanguageError()) << "the reason is kept for the host";
    EXPECT_EQ("TAVO configuration", Str(m_pTest->GetDialogName(2020)));
}

TEST_F(TextsTest, LargeFileStillAnswers)
{
    std::string items;
    for (int i = 0; i < 10000; ++i)
        items += "<MessageItem ID=\"" + std::to_string(100000 + i) + "\" text=\"item " + std::to_string(i) + "\"/>\n";
    items += "<MessageItem ID=\"35\" text=\"last\"/>\n";
    CTempFile file("large.xml", LanguageFile(items));
    ASSERT_EQ(1, UseLanguage(file.Path()));
    EXPECT_EQ("last", Str(m_pTest->GetMessageA(35)));
    EXPECT_EQ("item 5000", Str(m_pTest->GetMessageA(105000)));
    EXPECT_EQ("Answer delay:\n\n     expected value is from 0 to 254", Str(m_pTest->GetMessageA(22)));
}

// Every text the module shows, as the language file the template writes
// holds it: the module reads each back as it was, from the built-in texts and
// from the Czech file as the base, and check-lang calls the file clean.
TEST_F(TextsTest, TemplateHoldsEveryTextAsTheModuleReadsItBack)
{
    const auto texts = [this] {
        std::vector<std::string> all;
        for (unsigned int id = kModuleFirstMessage; id <= kModuleLastMessage; ++id)
            all.push_back(Str(m_pTest->GetMessageA(id)));
        for (unsigned int id : kModuleDialogs)
            all.push_back(Str(m_pTest->GetDialogName(id)));
        for (const ModuleControlText& control : kModuleControls)
            all.push_back(Str(m_pTest->GetDialogControlName(control.nDialog, control.nControl)));
        return all;
    };
    for (const char* base : {"", "lang\\cs.xml"}) {
        if (*base) {
            ASSERT_EQ(1, UseLanguage(base)) << BenchLanguageError();
        }
        const std::vector<std::string> before = texts();
        CTempFile written("template.xml", "");
        std::string error;
        ASSERT_TRUE(WriteLanguageTemplate(m_module, written.Path(), &error)) << error;
        std::vector<LanguageFinding> findings;
        ASSERT_TRUE(CheckLanguageFile(written.Path(), 1250, &findings, &error)) << error;
        EXPECT_TRUE(findings.empty()) << base << ": " << findings.size() << " findings, the first: "
                                      << (findings.empty() ? "" : findings[0].strText);
        ASSERT_EQ(1, UseLanguage(written.Path())) << BenchLanguageError();
        EXPECT_EQ(before, texts()) << "the texts read back from the template of " << base;
        const std::string bytes = FileBytes(written.Path());
        for (size_t at = bytes.find('\n'); at != std::string::npos; at = bytes.find('\n', at + 1))
            ASSERT_TRUE(at > 0 && bytes[at - 1] == '\r') << "a line without its Windows line end at byte " << at;
    }
}

// The tester reads the whole file when it opens it and lets go of MSXML and
// COM at once: no COM state is left on the host's thread, and a host that
// unloads the module with a file open has nothing released for it under the
// loader lock.
TEST(LanguageFileLifetime, OpeningLeavesNoComBehindAndUnloadingWithAFileOpenIsQuiet)
{
    CTestModule module;
    ASSERT_TRUE(module.Load("TestTAVO02.test")) << module.Error();
    ASSERT_EQ(1, module.Instance()->SetLanguage("lang\\cs.xml")) << BenchLanguageError();
    const HRESULT started = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_EQ(S_OK, started) << "COM was still started on this thread (in another model)";
    if (SUCCEEDED(started))
        ::CoUninitialize();
    EXPECT_EQ("Konfigurace TAVO", Str(module.Instance()->GetMessageA(34))) << "the texts outlive the parser";
    module.Unload();
    EXPECT_EQ(nullptr, ::GetModuleHandleA("TestTAVO02.test"));
}

}  // namespace
