// The module's texts: messages, dialog titles and control captions from the
// host's language file (read by the tester stand-in over MSXML 6), with the
// built-in English texts and the tester's own texts behind them.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "TempFile.h"
#include "TestModule.h"
#include "TestTAVO02.h"

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

std::string Str(const char* text)
{
    return text ? text : "(null)";
}

class TextsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_module.Load("TestTAVO02.test")) << m_module.Error();
        m_pTest = m_module.Instance();
        MyClearInvariantReports();
    }

    void TearDown() override
    {
        m_pTest->LanguageFileClose();
        m_pTest->SetLanguageFile(nullptr);
    }

    // Sets and opens a language file; answers LanguageFileOpen's result.
    int Use(const CTempFile& file)
    {
        m_pTest->SetLanguageFile(file.c_str());
        return m_pTest->LanguageFileOpen();
    }

    std::string Base(unsigned int id)
    {
        return static_cast<CTAVOTester*>(m_pTest)->CTAVOTester::GetMessageA(id);
    }

    CTestModule m_module;
    CTest* m_pTest = nullptr;
};

TEST_F(TextsTest, BuiltInMessagesByteForByte)
{
    const struct
    {
        unsigned int nId;
        const char* pszText;
    } expected[] = {
        {20, "Module address can not be greater than 125!\nNext unit will have initialize address as 1."},
        {21, "Communication address:\n\n     expected value is from 1 to 125"},
        {22, "Answer delay:\n\n     expected value is from 0 to 254"},
        {23, "Minimal pulse length of input I0:\n\n     expected value is from 0 to 637.5ms\t"},
        {26, "Minimal pulse length of input I3:\n\n     expected value is from 0 to 637.5ms\t"},
        {27, "Maximal pulse length of input I0:\n\n     expected value is from minimal to 637.5ms\t"},
        {30, "Maximal pulse length of input I3:\n\n     expected value is from minimal to 637.5ms\t"},
        {31, "configuration has been succesfully written to EEPROM"},
        {32, "EEPROM configuration write error!"},
        {33, "EEPROM configuration write error!"},
        {34, "TAVO configuration"},
        {35, "Unit with this serial number already has been configured.!\t\n\nDo you really want to configure this unit again?\t"},
        {36, "unit series configuration user break"},
        {37, "configuration dialog is displayed"},
        {38, "dialog for new setting test is displayed"},
        {39, "configuration for %s: address %d; %d Bd, parity %s"},
        {40, "TAVO configuration has been succesfully finished"},
        {41, "unit series configuration user break"},
        {42, "new setting test error"},
        {43, "configuration user break"},
        {44, "for type %s"},
        {45, "there is no configuration"},
        {46, "Communication timeout:\n\n     expected value is from 1 to 65535\t"},
    };
    for (const auto& message : expected)
        EXPECT_EQ(message.pszText, Str(m_pTest->GetMessageA(message.nId))) << "message " << message.nId;
    EXPECT_EQ("Minimal pulse length of input I1:\n\n     expected value is from 0 to 637.5ms\t",
              Str(m_pTest->GetMessageA(24)));
    EXPECT_EQ("Maximal pulse length of input I2:\n\n     expected value is from minimal to 637.5ms\t",
              Str(m_pTest->GetMessageA(29)));
}

TEST_F(TextsTest, BuiltInTitlesAndCaptions)
{
    EXPECT_EQ("TAVO configuration", Str(m_pTest->GetDialogName(2020)));
    EXPECT_EQ("TAVO configuration test", Str(m_pTest->GetDialogName(2021)));
    EXPECT_EQ("Configuration of next unit ...", Str(m_pTest->GetDialogName(2022)));
    const struct
    {
        unsigned int nDialog, nControl;
        const char* pszText;
    } captions[] = {
        {2020, 2, "Cancel"}, {2020, 32786, "without response"}, {2020, 32788, "Write and test"},
        {2020, 32789, "configuration unit series"}, {2020, 32815, "Address:"}, {2020, 32816, "Answer delay [ms]:"},
        {2020, 32817, "Baud rate [Bd]:"}, {2020, 32818, "Parity:"}, {2020, 32819, "Quadrature input:"},
        {2020, 32820, "Active input current I0 a I1:"}, {2020, 32821, "Active input current I2 a I3:"},
        {2020, 32822, "minimum"}, {2020, 32823, "maximum"}, {2020, 32824, "I0 - time between pulses [ms]:"},
        {2020, 32825, "I1 - time between pulses [ms]:"}, {2020, 32826, "I2 - time between pulses [ms]:"},
        {2020, 32827, "I3 - time between pulses [ms]:"}, {2020, 32830, "Communication timeout [ms]"},
        {2021, 2, "Back to module configuration"}, {2021, 32800, "Test of new TAVO configuration"},
        {2021, 32801, "Test is proceeding now. Dialog will close by succesfully test.\n\nTest remains no longer than 10s."},
        {2022, 1, "OK"}, {2022, 2, "Cancel"}, {2022, 32795, "Connect next unit for configration"},
    };
    for (const auto& caption : captions)
        EXPECT_EQ(caption.pszText, Str(m_pTest->GetDialogControlName(caption.nDialog, caption.nControl)))
            << caption.nDialog << "/" << caption.nControl;
    EXPECT_EQ(0, MyGetInvariantReportCount());
}

TEST_F(TextsTest, OtherIdsReachTheTesterBase)
{
    for (unsigned int id : {0u, 19u, 47u, 4000000000u})
        EXPECT_EQ(Base(id), Str(m_pTest->GetMessageA(id))) << id;
    EXPECT_EQ("TAVO tester message 19", Str(m_pTest->GetMessageA(19)));
    auto* tester = static_cast<CTAVOTester*>(m_pTest);
    EXPECT_EQ(Str(tester->CTAVOTester::GetDialogName(2019)), Str(m_pTest->GetDialogName(2019)));
    EXPECT_EQ(Str(tester->CTAVOTester::GetDialogControlName(2023, 1)), Str(m_pTest->GetDialogControlName(2023, 1)));
    EXPECT_EQ(0, MyGetInvariantReportCount());
}

TEST_F(TextsTest, UnknownControlsOfTheOwnDialogsAreReportedAndEmpty)
{
    const struct
    {
        unsigned int nDialog, nControl;
        int nLine;
    } cases[] = {{2020, 1, 374}, {2020, 32831, 374}, {2021, 1, 333}, {2022, 32800, 322}};
    for (const auto& c : cases) {
        MyClearInvariantReports();
        EXPECT_EQ("", Str(m_pTest->GetDialogControlName(c.nDialog, c.nControl)));
        ASSERT_EQ(1, MyGetInvariantReportCount()) << c.nDialog << "/" << c.nControl;
        MY_INVARIANT_REPORT report;
        MyGetInvariantReport(0, &report);
        EXPECT_STREQ("0", report.szCondition);
        EXPECT_STREQ("TestTAVO02", report.szSource);
        EXPECT_EQ(c.nLine, report.nLine);
    }
}

TEST_F(TextsTest, CzechFileArrivesInCodePage1250)
{
    ASSERT_EQ(1250u, ::GetACP()) << "the tests run with LC_ALL=cs_CZ.UTF-8";
    m_pTest->SetLanguageFile("lang\\cs.xml");
    ASSERT_EQ(1, m_pTest->LanguageFileOpen()) << TesterGetLanguageFileError();
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
        ASSERT_EQ(1, Use(file)) << TesterGetLanguageFileError();
        const std::string expected = c.pszExpected ? c.pszExpected
                                     : c.nId == 37 ? "configuration dialog is displayed"
                                                   : Base(c.nId);
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
        ASSERT_EQ(1, Use(file)) << TesterGetLanguageFileError();
        MyClearInvariantReports();
        EXPECT_EQ(c.pszExpected, Str(m_pTest->GetDialogControlName(2020, c.nId))) << c.pszItems;
        EXPECT_EQ(0, MyGetInvariantReportCount()) << "a caption the file answers is no caller's error";
        m_pTest->LanguageFileClose();
    }
    CTempFile titled("title.xml", LanguageFile("", "<DialogItem ID=\"2022\" text=\"Dal&#353;&#237;\"/>"));
    ASSERT_EQ(1, Use(titled));
    EXPECT_EQ(InCodePage(u8"Další", 1250), Str(m_pTest->GetDialogName(2022)));
    EXPECT_EQ("OK", Str(m_pTest->GetDialogControlName(2022, 1))) << "an item without controls";
}

TEST_F(TextsTest, ScratchHoldsTheLastIdTextRead)
{
    CTempFile file("scratch.xml", LanguageFile("<MessageItem ID=\"21\" text=\"a\"/><MessageItem ID=\" 22x\" text=\"b\"/>"
                                               "<MessageItem text=\"no id\"/>"));
    ASSERT_EQ(1, Use(file));
    m_pTest->GetMessageA(22);
    EXPECT_STREQ(" 22x", m_pTest->m_strScratch.GetString()) << "the walk stopped on the match";
    m_pTest->GetMessageA(99);
    EXPECT_EQ(nullptr, m_pTest->m_strScratch.GetString()) << "the last item had no ID";

    m_pTest->m_strScratch.InitBuffer("kept");
    m_pTest->GetDialogName(2020);  // the file has no DialogItem at all
    EXPECT_STREQ("kept", m_pTest->m_strScratch.GetString());
}

TEST_F(TextsTest, UnusableFilesFindNothing)
{
    const struct
    {
        const char* pszName;
        std::string bytes;
    } files[] = {
        {"not XML", "this is not xml"},
        {"truncated", "<?xml version=\"1.0\"?><TesterLanguage><Message><MessageItem ID=\"35\" text=\"x\"/>"},
        {"another root", "<?xml version=\"1.0\"?><Language><Message><MessageItem ID=\"35\" text=\"x\"/></Message></Language>"},
        {"DTD", "<?xml version=\"1.0\"?><!DOCTYPE TesterLanguage [<!ENTITY a \"x\">]><TesterLanguage><Message>"
                "<MessageItem ID=\"35\" text=\"&a;\"/></Message></TesterLanguage>"},
        {"broken encoding", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><TesterLanguage><Message>"
                            "<MessageItem ID=\"35\" text=\"\xC3\x28\xFF\"/></Message></TesterLanguage>"},
        {"empty", ""},
    };
    for (const auto& bad : files) {
        CTempFile file("bad.xml", bad.bytes);
        EXPECT_EQ(0, Use(file)) << bad.pszName;
        EXPECT_STRNE("", TesterGetLanguageFileError()) << bad.pszName << ": the reason is kept for the host";
        EXPECT_EQ("Unit with this serial number already has been configured.!\t\n\nDo you really want to configure "
                  "this unit again?\t",
                  Str(m_pTest->GetMessageA(35)))
            << bad.pszName;
        EXPECT_EQ("Address:", Str(m_pTest->GetDialogControlName(2020, 32815))) << bad.pszName;
    }
    m_pTest->SetLanguageFile("no-such-language-file.xml");
    EXPECT_EQ(0, m_pTest->LanguageFileOpen());
    EXPECT_EQ("TAVO configuration", Str(m_pTest->GetDialogName(2020)));
}

TEST_F(TextsTest, LargeFileStillAnswers)
{
    std::string items;
    for (int i = 0; i < 10000; ++i)
        items += "<MessageItem ID=\"" + std::to_string(100000 + i) + "\" text=\"item " + std::to_string(i) + "\"/>\n";
    items += "<MessageItem ID=\"35\" text=\"last\"/>\n";
    CTempFile file("large.xml", LanguageFile(items));
    ASSERT_EQ(1, Use(file));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ("last", Str(m_pTest->GetMessageA(35)));
    EXPECT_EQ("item 5000", Str(m_pTest->GetMessageA(105000)));
    EXPECT_EQ("Answer delay:\n\n     expected value is from 0 to 254", Str(m_pTest->GetMessageA(22)));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::seconds(10)) << "three walks over 10,000 items";
}

}  // namespace
