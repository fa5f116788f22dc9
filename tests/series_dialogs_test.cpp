// The new-setting test dialog with its worker, and the next-unit dialog,
// each run through the real dialog from the module's templates.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "DlgConfirm.h"
#include "DlgTestConfig.h"
#include "ModuleFixture.h"
#include "resource.h"

namespace {

class TestDialogTest : public CModuleFixture
{
protected:
    // Connects unit (in configuration mode, as after a write) and runs the
    // test dialog for address 5, 9600 Bd, even parity.
    int Run(const BenchUnit& unit, COperator::Action action, int baud = 9600, CTestTAVO02* owner = nullptr)
    {
        Bench({unit});
        m_pOwner->CheckEEPROM(m_hHost, 0, 1);
        CBench::Get().ClearCallLog();
        m_pDialog->SetTestParameters(owner ? owner : m_pOwner, 5, baud, 2);
        m_op.Expect("new-setting test", std::move(action));
        return m_pDialog->Show(-1);
    }

    std::vector<std::string> Calls() const { return CBench::Get().CallLog(); }

    void SetUp() override
    {
        CModuleFixture::SetUp();
        m_pDialog.reset(new CTestConfigDialog(m_hHost, m_module.Handle()));
    }

    void TearDown() override
    {
        m_pDialog.reset();
        CModuleFixture::TearDown();
    }

    std::unique_ptr<CTestConfigDialog> m_pDialog;
};

TEST_F(TestDialogTest, AnswerAtTheFirstPollEndsWithOne)
{
    const int result = Run(MakeUnit("A"), [](CDialogView& view) {
        EXPECT_EQ("TAVO configuration test", view.Title());
        EXPECT_EQ("Back to module configuration", view.Text(IDCANCEL));
        EXPECT_EQ("Test of new TAVO configuration", view.Text(IDC_TEST_HEADING));
        EXPECT_NE(std::string::npos, view.Text(IDC_TEST_EXPLANATION).find("no longer than 10s"));
    });
    EXPECT_EQ(1, result);
    EXPECT_EQ((std::vector<std::string>{"ExitConfig", "Reconnect 9600 8 2 1", "Poll 5 1"}), Calls());
    EXPECT_EQ(0, MyGetInvariantReportCount());
}

TEST_F(TestDialogTest, NeverAnsweringUnitIsGivenUpWithTheButton)
{
    BenchUnit silent = MakeUnit("A");
    silent.bNeverAnswers = true;
    const int result = Run(silent, [](CDialogView& view) {
        view.Later(600, [](CDialogView& later) {
            later.Click(IDCANCEL);
            EXPECT_FALSE(later.IsEnabled(IDCANCEL)) << "the button is disabled at once";
            EXPECT_TRUE(later.IsOpen()) << "the worker, not the button, ends the dialog";
        });
    });
    EXPECT_EQ(2, result);
    // ExitConfig goes out after every ninth unanswered poll.
    const std::vector<std::string> calls = Calls();
    ASSERT_GE(calls.size(), 25u);
    EXPECT_EQ("ExitConfig", calls[0]);
    int polls = 0;
    for (size_t i = 2; i < calls.size(); ++i) {
        if (calls[i] == "ExitConfig") {
            EXPECT_EQ(9, polls) << "call " << i;
            polls = 0;
        } else {
            EXPECT_EQ("Poll 5 0", calls[i]);
            ++polls;
        }
    }
}

TEST_F(TestDialogTest, CloseBoxGivesUpLikeTheButton)
{
    BenchUnit silent = MakeUnit("A");
    silent.bNeverAnswers = true;
    EXPECT_EQ(2, Run(silent, [](CDialogView& view) { view.Later(400, [](CDialogView& v) { v.Close(); }); }));
}

TEST_F(TestDialogTest, CancelBetweenAnswerAndFinalReadGivesTwo)
{
    BenchUnit slow = MakeUnit("A");
    slow.dwPollMs = 2000;  // the first poll (from about 300 ms on) answers, but takes its time
    const int result = Run(slow, [](CDialogView& view) {
        view.Later(1000, [](CDialogView& later) { later.Click(IDCANCEL); });
    });
    EXPECT_EQ(2, result);
    EXPECT_EQ("Poll 5 1", Calls().back()) << "the unit had answered";
}

TEST_F(TestDialogTest, FailedReconnectIsReportedAndPollingGoesOn)
{
    const int result = Run(MakeUnit("A"), [](CDialogView& view) {
        view.Later(500, [](CDialogView& later) { later.Click(IDCANCEL); });
    }, 1234);
    EXPECT_EQ(2, result);
    ASSERT_EQ(1, MyGetInvariantReportCount());
    MY_INVARIANT_REPORT report;
    MyGetInvariantReport(0, &report);
    EXPECT_STREQ("DlgTestConfig", report.szSource);
    EXPECT_EQ(135, report.nLine);
    EXPECT_NE(::GetCurrentThreadId(), report.dwThreadId) << "reported by the worker";
    const std::vector<std::string> calls = Calls();
    EXPECT_GT(std::count(calls.begin(), calls.end(), "Poll 5 0"), 10) << "polling went on";
}

TEST_F(TestDialogTest, AnswerValueZeroIsNoAnswerAndOldValuesAreCleared)
{
    BenchUnit late = MakeUnit("A");
    late.nAnswerAfterPolls = 20;
    EXPECT_EQ(1, Run(late, [](CDialogView&) {}));
    const std::vector<std::string> calls = Calls();
    EXPECT_EQ(20, std::count(calls.begin(), calls.end(), "Poll 5 0"));
    EXPECT_EQ("Poll 5 1", calls.back());
}

TEST_F(TestDialogTest, SecondRunOfTheSameObjectStartsANewWorker)
{
    EXPECT_EQ(1, Run(MakeUnit("A"), [](CDialogView&) {}));
    EXPECT_EQ(1, Run(MakeUnit("A"), [](CDialogView&) {}));
    EXPECT_EQ((std::vector<std::string>{"ExitConfig", "Reconnect 9600 8 2 1", "Poll 5 1"}), Calls());
}

TEST_F(TestDialogTest, WithoutOwnerNothingIsPolledAndTheDialogEnds)
{
    Bench({MakeUnit("A")});
    CBench::Get().ClearCallLog();
    m_pDialog->SetTestParameters(nullptr, 5, 9600, 2);
    // The worker ends the dialog at once, before an operator could see it.
    EXPECT_EQ(2, m_pDialog->Show(-1)) << "nothing was tested";
    EXPECT_TRUE(Calls().empty());
}

TEST_F(TestDialogTest, StatusLineIsGreen)
{
    Run(MakeUnit("A"), [](CDialogView& view) {
        CMyWindow* dialog = CMyWindow::FromHandle(view.Handle());
        ASSERT_NE(nullptr, dialog);
        _MY_COLORED_TEXT_STRUCT param = {{1, 2, 3}, 4};
        EXPECT_EQ(1, dialog->OnMyColoredTextGetTextParam(IDC_TEST_HEADING, &param));
        EXPECT_EQ(64, param.byColor[0]);
        EXPECT_EQ(192, param.byColor[1]);
        EXPECT_EQ(64, param.byColor[2]);
        EXPECT_EQ(1u, param.dwValue);
        _MY_COLORED_TEXT_STRUCT other = {{1, 2, 3}, 4};
        EXPECT_EQ(1, dialog->OnMyColoredTextGetTextParam(IDCANCEL, &other));
        EXPECT_EQ(1, other.byColor[0]) << "another control's record stays";
        EXPECT_EQ(0, dialog->OnMyColoredTextGetTextParam(IDC_TEST_HEADING, nullptr));
    });
}

TEST_F(TestDialogTest, NullInstanceAnswersMinusTwoAndReportsLine52)
{
    CTestConfigDialog dialog(m_hHost, nullptr);
    dialog.SetTestParameters(m_pOwner, 5, 9600, 2);
    EXPECT_EQ(-2, dialog.Show(-1));
    ASSERT_EQ(1, MyGetInvariantReportCount());
    MY_INVARIANT_REPORT report;
    MyGetInvariantReport(0, &report);
    EXPECT_EQ(52, report.nLine);
}

class ConfirmDialogTest : public CModuleFixture
{
protected:
    int Run(COperator::Action action)
    {
        CConfirmDialog dialog(m_hHost, m_module.Handle());
        dialog.SetOwner(m_pOwner);
        m_op.Expect("next unit", std::move(action));
        return dialog.Show(-1);
    }
};

TEST_F(ConfirmDialogTest, OkGivesOneAndCancelTwo)
{
    EXPECT_EQ(1, Run([](CDialogView& view) { view.Click(IDOK); }));
    EXPECT_EQ(2, Run([](CDialogView& view) { view.Click(IDCANCEL); }));
    EXPECT_EQ(2, Run([](CDialogView& view) { view.Close(); })) << "the close box is a Cancel";
}

TEST_F(ConfirmDialogTest, OtherCommandsLeaveItOpen)
{
    EXPECT_EQ(1, Run([](CDialogView& view) {
        view.Command(3);
        view.Command(IDC_CONFIRM_TEXT);
        EXPECT_TRUE(view.IsOpen());
        view.Command(IDOK, 0x4321);  // only the low 16 bits count
    }));
}

TEST_F(ConfirmDialogTest, TextsAndTheBlueLine)
{
    Run([](CDialogView& view) {
        EXPECT_EQ("Configuration of next unit ...", view.Title());
        EXPECT_EQ("OK", view.Text(IDOK));
        EXPECT_EQ("Cancel", view.Text(IDCANCEL));
        EXPECT_EQ("Connect next unit for configration", view.Text(IDC_CONFIRM_TEXT));
        RECT area;
        ::GetWindowRect(view.Item(IDC_CONFIRM_TEXT), &area);
        ::MapWindowPoints(nullptr, view.Handle(), reinterpret_cast<POINT*>(&area), 2);
        EXPECT_EQ(30, area.left);
        EXPECT_EQ(25, area.top);
        EXPECT_EQ(270, area.right - area.left);
        EXPECT_EQ(static_cast<LONG>(WS_CHILD | WS_VISIBLE), ::GetWindowLongA(view.Item(IDC_CONFIRM_TEXT), GWL_STYLE) &
                                                                 static_cast<LONG>(0xFFFF0000));
        CMyWindow* dialog = CMyWindow::FromHandle(view.Handle());
        _MY_COLORED_TEXT_STRUCT param = {{9, 9, 9}, 9};
        EXPECT_EQ(1, dialog->OnMyColoredTextGetTextParam(IDC_CONFIRM_TEXT, &param));
        EXPECT_EQ(0, param.byColor[0]);
        EXPECT_EQ(0, param.byColor[1]);
        EXPECT_EQ(255, param.byColor[2]);
        EXPECT_EQ(1u, param.dwValue);
        _MY_COLORED_TEXT_STRUCT other = {{9, 9, 9}, 9};
        EXPECT_EQ(1, dialog->OnMyColoredTextGetTextParam(IDOK, &other));
        EXPECT_EQ(9, other.byColor[2]);
        EXPECT_EQ(0, dialog->OnMyColoredTextGetTextParam(IDC_CONFIRM_TEXT, nullptr));
        view.Click(IDOK);
    });
}

TEST_F(ConfirmDialogTest, LanguageFileNamesTitleButtonsAndLine)
{
    m_pOwner->SetLanguageFile("lang\\de.xml");
    ASSERT_EQ(1, m_pOwner->LanguageFileOpen());
    Run([](CDialogView& view) {
        EXPECT_EQ("Konfiguration der n\xE4" "chsten Einheit ...", view.Title());
        EXPECT_EQ("Abbrechen", view.Text(IDCANCEL));
        EXPECT_EQ("N\xE4" "chste Einheit zur Konfiguration anschlie\xDF" "en", view.Text(IDC_CONFIRM_TEXT));
        view.Click(IDCANCEL);
    });
}

TEST_F(ConfirmDialogTest, NullInstanceAnswersMinusTwoAndReportsLine81)
{
    CConfirmDialog dialog(m_hHost, nullptr);
    dialog.SetOwner(m_pOwner);
    EXPECT_EQ(-2, dialog.Show(-1));
    ASSERT_EQ(1, MyGetInvariantReportCount());
    MY_INVARIANT_REPORT report;
    MyGetInvariantReport(0, &report);
    EXPECT_STREQ("DlgConfirm", report.szSource);
    EXPECT_EQ(81, report.nLine);
}

}  // namespace
