// The new-setting test dialog with its worker, and the next-unit dialog, each
// reached through the shipped module's configuration command and run from the
// module's templates.
#include <gtest/gtest.h>

#include <algorithm>

#include "ModuleFixture.h"

namespace {

// The pixels of a coloured text control in exactly colour, drawn through
// WM_PRINTCLIENT into a white bitmap of the control's size. (Its weight, the
// record's 32-bit value, is checked inside, in inside_tests.)
int PixelsOf(HWND control, COLORREF colour)
{
    RECT area;
    ::GetClientRect(control, &area);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = area.right;
    info.bmiHeader.biHeight = -area.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    ::FillRect(dc, &area, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    ::GdiFlush();
    const DWORD wanted = GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
    const auto* pixels = static_cast<const DWORD*>(bits);
    const int count = static_cast<int>(std::count_if(pixels, pixels + area.right * area.bottom,
                                                      [wanted](DWORD pixel) { return (pixel & 0xFFFFFF) == wanted; }));
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return count;
}

class TestDialogTest : public CModuleFixture
{
protected:
    // Connects unit and configures it unchanged (address 5, 9600 Bd, even
    // parity), so that its test runs; action serves the test dialog. Answers
    // the command's result: 1 when the unit answered, which it does only once
    // the action is done. A test given up begins the pass again, whose
    // configuration dialog is then cancelled (2).
    int Run(const BenchUnit& unit, COperator::Action action, bool givenUp)
    {
        Bench({unit});
        if (!givenUp)
            CBench::Get().HoldPolls(BENCH_HOLD_ANSWERING);
        ExpectConfig([this, action, givenUp](CDialogView& view) {
            ExpectTest([action, givenUp](CDialogView& test) {
                action(test);
                if (!givenUp)
                    CBench::Get().HoldPolls(BENCH_HOLD_NONE);
            });
            if (givenUp)
                ExpectConfig([](CDialogView& again) { again.Click(IDCANCEL); });
            view.Click(IDC_WRITE_AND_TEST);
        });
        const int result = Configure();
        CBench::Get().HoldPolls(BENCH_HOLD_NONE);
        return result;
    }

    // The calls of the test's worker: after the write, up to the next pass.
    std::vector<std::string> WorkerCalls() const
    {
        const std::vector<std::string> calls = CBench::Get().CallLog();
        auto begin = std::find_if(calls.begin(), calls.end(),
                                  [](const std::string& call) { return call.compare(0, 11, "WriteConfig") == 0; });
        begin = begin == calls.end() ? begin : begin + 1;
        auto end = std::find_if(begin, calls.end(),
                                [](const std::string& call) { return call.compare(0, 11, "CheckEEPROM") == 0; });
        return std::vector<std::string>(begin, end);
    }

    static BenchUnit Silent()
    {
        BenchUnit silent = MakeUnit("A");
        silent.bNeverAnswers = true;
        return silent;
    }
};

TEST_F(TestDialogTest, AnswerAtTheFirstPollEndsWithOne)
{
    const int result = Run(MakeUnit("A"), [](CDialogView& view) {
        EXPECT_EQ("TAVO configuration test", view.Title());
        EXPECT_EQ("Back to module configuration", view.Text(IDCANCEL));
        EXPECT_EQ("Test of new TAVO configuration", view.Text(IDC_TEST_HEADING));
        EXPECT_NE(std::string::npos, view.Text(IDC_TEST_EXPLANATION).find("no longer than 10s"));
    }, false);
    EXPECT_EQ(1, result);
    EXPECT_EQ((std::vector<std::string>{"ExitConfig", "Reconnect 9600 8 2 1", "Poll 5 1"}), WorkerCalls());
    EXPECT_TRUE(m_debug.Invariants().empty());
}

TEST_F(TestDialogTest, NeverAnsweringUnitIsGivenUpWithTheButton)
{
    const int result = Run(Silent(), [](CDialogView& view) {
        view.When("27 polls", [] { return CBench::Get().PollCount() >= 27; }, [](CDialogView& polled) {
            polled.Click(IDCANCEL);
            EXPECT_FALSE(polled.IsEnabled(IDCANCEL)) << "the button is disabled at once";
            EXPECT_TRUE(polled.IsOpen()) << "the worker, not the button, ends the dialog";
        });
    }, true);
    EXPECT_EQ(2, result);
    EXPECT_EQ(Message(42), m_reports.Lines().at(4).strSecond) << "the test was given up";
    // ExitConfig goes out after every ninth unanswered poll.
    const std::vector<std::string> calls = WorkerCalls();
    ASSERT_GE(calls.size(), 30u);
    EXPECT_EQ("ExitConfig", calls[0]);
    EXPECT_EQ("Reconnect 9600 8 2 1", calls[1]);
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

// The close box reaches the same Cancel command: the button is disabled and
// the dialog stays open while the worker is held inside its poll; released,
// the worker ends it.
TEST_F(TestDialogTest, CloseBoxGivesUpLikeTheButton)
{
    bool cancelled = false;
    CBench::Get().HoldPolls(BENCH_HOLD_EVERY);
    EXPECT_EQ(2, Run(Silent(), [&cancelled](CDialogView& view) {
        view.When("a poll", [] { return CBench::Get().HeldPolls() > 0; }, [&cancelled](CDialogView& polling) {
            polling.Close();
            HWND button = polling.Item(IDCANCEL);
            // The dialog manager posts the close box's Cancel; the worker, held,
            // cannot end the dialog meanwhile, so it must still be open then.
            polling.When("the Cancel command", [button] { return !::IsWindowEnabled(button); },
                         [&cancelled](CDialogView&) {
                             cancelled = true;
                             CBench::Get().HoldPolls(BENCH_HOLD_NONE);
                         });
        });
    }, true));
    EXPECT_TRUE(cancelled) << "the close box disables the button as Cancel does, and leaves the dialog open";
}

// A test dialog ended by other means than its worker (here from outside):
// the worker is stopped and waited for before the series goes on, so the
// tester never serves two threads at once. When the module reports the
// failed test, no worker may run any more.
TEST_F(TestDialogTest, WorkerIsGoneWhenItsDialogEndsByOtherMeans)
{
    CBench::Get().HoldPolls(BENCH_HOLD_EVERY);
    EXPECT_EQ(2, Run(Silent(), [](CDialogView& view) {
        view.When("a poll", [] { return CBench::Get().HeldPolls() > 0; }, [](CDialogView& polling) {
            ::EndDialog(polling.Handle(), 2);
            CBench::Get().HoldPolls(BENCH_HOLD_NONE);
        });
    }, true));
    const auto failed = std::find(m_reports.Lines().begin(), m_reports.Lines().end(),
                                  ReportLine(TEST_REPORT_FAILURE, "(null)", Message(42)));
    ASSERT_NE(m_reports.Lines().end(), failed);
    EXPECT_EQ(0, failed->nWorkersRunning) << "the worker still ran when the series went on";
    std::string overlap;
    EXPECT_EQ(0, CBench::Get().Overlaps(&overlap)) << overlap;
}

TEST_F(TestDialogTest, FailedReconnectIsReportedAndPollingGoesOn)
{
    CBench::Get().FailCall("Reconnect", 1);
    const int result = Run(MakeUnit("A"), [](CDialogView& view) {
        view.When("ten polls", [] { return CBench::Get().PollCount() >= 10; },
                  [](CDialogView& polled) { polled.Click(IDCANCEL); });
    }, true);
    EXPECT_EQ(2, result);
    EXPECT_EQ((std::vector<InvariantReport>{{"0", "DlgTestConfig", 135}}), m_debug.Invariants());
    const std::vector<std::string> calls = WorkerCalls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ("Reconnect fails", calls[1]);
    EXPECT_EQ("Poll 5 0", calls[2]) << "polling went on";
}

// Unanswered polls write every out-value but the second, which alone tells
// an answer.
TEST_F(TestDialogTest, AnswerValueZeroIsNoAnswer)
{
    BenchUnit late = MakeUnit("A");
    late.nAnswerAfterPolls = 20;
    EXPECT_EQ(1, Run(late, [](CDialogView&) {}, false));
    const std::vector<std::string> calls = WorkerCalls();
    EXPECT_EQ(20, std::count(calls.begin(), calls.end(), "Poll 5 0"));
    EXPECT_EQ("Poll 5 1", calls.back());
}

TEST_F(TestDialogTest, StatusLineIsGreen)
{
    EXPECT_EQ(1, Run(MakeUnit("A"), [](CDialogView& view) {
        HWND line = view.Item(IDC_TEST_HEADING);
        ASSERT_NE(nullptr, line);
        EXPECT_EQ(0x50000030u, static_cast<DWORD>(::GetWindowLongA(line, GWL_STYLE)) & 0xFFFF00FFu);
        EXPECT_GT(PixelsOf(line, RGB(64, 192, 64)), 20) << "the text is drawn in green";
    }, false));
}

class ConfirmDialogTest : public CModuleFixture
{
protected:
    // A unit configured in a series, then the next-unit dialog that action
    // serves. Answers the last report line: the next pass's opening line
    // after OK (no unit is connected then), message 41 after anything else.
    std::string RunNext(COperator::Action action)
    {
        Bench({MakeUnit("A")});
        ExpectWrite(nullptr, true);
        ExpectTest();
        ExpectNext([action](CDialogView& view) {
            CBench::Get().Connect("");
            action(view);
        });
        EXPECT_EQ(2, Configure()) << "a series ends with 2";
        const ReportLine& last = m_reports.Lines().back();
        return last.nKind == TEST_REPORT_PROGRESS && last.strFirst == Message(34) ? "next pass" : last.strSecond;
    }
};

TEST_F(ConfirmDialogTest, OkGoesOnAndCancelEndsTheSeries)
{
    EXPECT_EQ("next pass", RunNext([](CDialogView& view) { view.Click(IDOK); }));
    EXPECT_EQ(Message(41), RunNext([](CDialogView& view) { view.Click(IDCANCEL); }));
    EXPECT_EQ(Message(41), RunNext([](CDialogView& view) { view.Close(); })) << "the close box is a Cancel";
}

TEST_F(ConfirmDialogTest, OtherCommandsLeaveItOpen)
{
    EXPECT_EQ("next pass", RunNext([](CDialogView& view) {
        view.Command(3);
        view.Command(IDC_CONFIRM_TEXT);
        EXPECT_TRUE(view.IsOpen());
        view.Command(IDOK, 0x4321);  // only the low 16 bits count
    }));
}

TEST_F(ConfirmDialogTest, TextsAndTheBlueLine)
{
    RunNext([](CDialogView& view) {
        EXPECT_EQ("Configuration of next unit ...", view.Title());
        EXPECT_EQ("OK", view.Text(IDOK));
        EXPECT_EQ("Cancel", view.Text(IDCANCEL));
        EXPECT_EQ("Connect next unit for configration", view.Text(IDC_CONFIRM_TEXT));
        HWND line = view.Item(IDC_CONFIRM_TEXT);
        RECT area;
        ::GetWindowRect(line, &area);
        ::MapWindowPoints(nullptr, view.Handle(), reinterpret_cast<POINT*>(&area), 2);
        EXPECT_EQ(30, area.left);
        EXPECT_EQ(25, area.top);
        EXPECT_EQ(270, area.right - area.left);
        EXPECT_EQ(static_cast<LONG>(WS_CHILD | WS_VISIBLE),
                  ::GetWindowLongA(line, GWL_STYLE) & static_cast<LONG>(0xFFFF00FF));
        EXPECT_GT(PixelsOf(line, RGB(0, 0, 255)), 20) << "the text is drawn in blue";
        view.Click(IDOK);
    });
}

}  // namespace
