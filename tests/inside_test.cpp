// What no host can reach: the module's dialogs without an owner or without an
// instance handle, their answers to a colour request in full, and the scratch
// text of the text lookups. The module's sources are built into this program
// with the stand-ins' and run over the same bench and operator.
#include <gtest/gtest.h>

#include <windows.h>

#include "DlgConfig.h"
#include "DlgConfirm.h"
#include "DlgTestConfig.h"
#include "ModuleFixture.h"
#include "TempFile.h"
#include "TestTAVO02.h"

namespace {

class InsideTest : public CDialogFixture
{
protected:
    // The templates are built into this program.
    static HINSTANCE Templates() { return ::GetModuleHandleA(nullptr); }
};

TEST_F(InsideTest, ConfigurationDialogWithoutOwnerKeepsItsTemplateAndWritesNothing)
{
    CConfigDialog dialog(m_hHost, Templates());
    m_op.Expect("the configuration dialog", IDC_WRITE_AND_TEST, [this](CDialogView& view) {
        EXPECT_EQ("Konfigurace \xE8\xED" "ta\xE8" "e", view.Title());
        EXPECT_EQ("Adresa:", view.Text(IDC_ADDRESS_LABEL));
        EXPECT_EQ("", view.Text(IDC_ADDRESS)) << "nothing to load";
        m_op.Expect("a box without text", COperator::MESSAGE_BOX, [](CDialogView& box) {
            EXPECT_EQ("", box.MessageText());
            box.Click(IDOK);
        });
        EXPECT_FALSE(view.IsEnabled(IDC_WRITE_AND_TEST)) << "nothing typed yet";
        view.SetText(IDC_ADDRESS, "0");
        view.SetText(IDC_ANSWER_DELAY, "10");
        view.Click(IDC_WRITE_AND_TEST);  // address 0: refused
        view.SetText(IDC_ADDRESS, "5");
        view.Click(IDC_WRITE_AND_TEST);  // valid, but there is no tester to write through
        EXPECT_TRUE(view.IsOpen());
        view.Click(IDCANCEL);
    });
    EXPECT_EQ(-1, dialog.Show(-1));
    EXPECT_TRUE(CBench::Get().CallLog().empty()) << "no tester call at all";
}

TEST_F(InsideTest, TestDialogWithoutOwnerEndsAtOnceWithTwo)
{
    CTestConfigDialog dialog(m_hHost, Templates());
    dialog.SetTestParameters(nullptr, 5, 9600, 2);
    m_op.Expect("the new-setting test dialog", IDC_TEST_EXPLANATION, [](CDialogView&) {}, IDC_TEST_EXPLANATION);
    EXPECT_EQ(2, dialog.Show(-1)) << "nothing was tested";
    EXPECT_TRUE(CBench::Get().CallLog().empty());
}

TEST_F(InsideTest, NextUnitDialogWithoutOwnerKeepsItsTemplate)
{
    CConfirmDialog dialog(m_hHost, Templates());
    m_op.Expect("the next-unit dialog", IDC_CONFIRM_TEXT, [](CDialogView& view) {
        EXPECT_EQ("Konfigurace dal\x9A\xED jednotky ...", view.Title());
        EXPECT_EQ("OK", view.Text(IDOK));
        EXPECT_EQ("Storno", view.Text(IDCANCEL));
        EXPECT_EQ("", view.Text(IDC_CONFIRM_TEXT));
        view.Click(IDCANCEL);
    });
    EXPECT_EQ(2, dialog.Show(-1));
}

// The modal run without an instance handle: its Czech debug text and its
// invariant line, result -2, and no window.
TEST_F(InsideTest, NullInstanceAnswersMinusTwoAndReportsItsLine)
{
    CTestTAVO02 owner(nullptr);
    CConfigDialog config(m_hHost, nullptr);
    config.SetOwner(&owner);
    CTestConfigDialog test(m_hHost, nullptr);
    test.SetTestParameters(&owner, 5, 9600, 2);
    CConfirmDialog confirm(m_hHost, nullptr);
    confirm.SetOwner(&owner);
    const struct
    {
        CMyDialog* pDialog;
        const char* pszReport;
    } dialogs[] = {{&config, "Invariant failed: 0 (DlgConfig, line 74)\n"},
                   {&test, "Invariant failed: 0 (DlgTestConfig, line 52)\n"},
                   {&confirm, "Invariant failed: 0 (DlgConfirm, line 81)\n"}};
    for (const auto& dialog : dialogs) {
        m_debug.Clear();
        EXPECT_EQ(-2, dialog.pDialog->Show(-1)) << dialog.pszReport;
        EXPECT_EQ((std::vector<std::string>{"HINSTANCE je NULL\n", dialog.pszReport}), m_debug.Texts());
    }
    EXPECT_TRUE(m_op.Seen().empty()) << "no dialog was created";
}

// The full answer to a colour request: the dialog's own line gets its three
// colour bytes and the value 1; another control's record stays untouched;
// no record, no answer.
TEST_F(InsideTest, ColourRequestsAnswerOnlyForTheOwnLine)
{
    CTestConfigDialog test(m_hHost, Templates());
    CConfirmDialog confirm(m_hHost, Templates());
    const struct
    {
        CMyDialog* pDialog;
        UINT nLine;
        BYTE abyColour[3];
    } cases[] = {{&test, IDC_TEST_HEADING, {64, 192, 64}}, {&confirm, IDC_CONFIRM_TEXT, {0, 0, 255}}};
    for (const auto& c : cases) {
        _MY_COLORED_TEXT_STRUCT own = {{9, 9, 9}, 9};
        EXPECT_EQ(1, c.pDialog->OnMyColoredTextGetTextParam(c.nLine, &own));
        EXPECT_EQ(0, memcmp(c.abyColour, own.byColor, 3)) << c.nLine;
        EXPECT_EQ(1u, own.dwValue) << c.nLine;
        _MY_COLORED_TEXT_STRUCT other = {{9, 9, 9}, 9};
        EXPECT_EQ(1, c.pDialog->OnMyColoredTextGetTextParam(IDOK, &other));
        EXPECT_EQ(9, other.byColor[0]);
        EXPECT_EQ(9u, other.dwValue);
        EXPECT_EQ(0, c.pDialog->OnMyColoredTextGetTextParam(c.nLine, nullptr));
    }
}

// Each ID text the walk reads goes through the scratch text; a walk that
// reads none leaves it as it was.
TEST_F(InsideTest, ScratchHoldsTheLastIdTextRead)
{
    CTestTAVO02 test(nullptr);
    CTempFile file("scratch.xml",
                   "<?xml version=\"1.0\"?><TesterLanguage><Message><MessageItem ID=\"21\" text=\"a\"/>"
                   "<MessageItem ID=\" 22x\" text=\"b\"/><MessageItem text=\"no id\"/></Message></TesterLanguage>");
    ASSERT_EQ(1, test.SetLanguage(file.c_str())) << BenchLanguageError();
    test.GetMessageA(22);
    EXPECT_STREQ(" 22x", test.m_strScratch.GetString()) << "the walk stopped on the match";
    test.GetMessageA(99);
    EXPECT_EQ(nullptr, test.m_strScratch.GetString()) << "the last item had no ID";

    test.m_strScratch.InitBuffer("kept");
    test.GetDialogName(2020);  // the file has no DialogItem at all
    EXPECT_STREQ("kept", test.m_strScratch.GetString());
}

}  // namespace
