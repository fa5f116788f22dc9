// The series under faults: every tester call the module makes failing or
// answering unexpectedly, and every dialog ending with every result, at the
// first and the second pass of a series of units A and B. Each run must end
// with the reports and result the procedure gives, no dialog left behind and,
// as in every test of the fixture, no worker left and no two threads in the
// tester at once.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "ModuleFixture.h"

namespace {

const char kSerialA[] = "00000001";
const char kSerialB[] = "00000002";

BOOL CALLBACK CountDialog(HWND window, LPARAM count)
{
    char name[16] = "";
    ::GetClassNameA(window, name, sizeof(name));
    if (strcmp(name, "#32770") == 0)
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

class FaultMatrixTest : public CModuleFixture
{
protected:
    // One run: the bench with units A and B, A connected, then the
    // configuration command with a robot that fills an empty configuration
    // dialog and writes (again after a refused write), gives the test up after
    // twenty unanswered polls, answers boxes with No or OK, connects B in the
    // first next-unit dialog and cancels the second. A dialog of endMark is
    // instead ended from outside with endResult at its endOpening-th opening.
    int Run(int endMark = 0, int endOpening = 0, int endResult = 0)
    {
        m_reports.Clear();
        CBench::Get().Connect("A");
        bool nextUnit = true;
        std::map<int, int> openings;
        const auto ended = [&openings, endMark, endOpening, endResult](int mark, CDialogView& view) {
            if (mark != endMark || ++openings[mark] != endOpening)
                return false;
            ::EndDialog(view.Handle(), endResult);
            return true;
        };
        COperator robot(10000);
        ServeAny(robot, 40,
                 {[&ended](CDialogView& view) {
                      if (!ended(IDC_WRITE_AND_TEST, view))
                          Configure(view);
                  },
                  [&ended](CDialogView& view) {
                      if (!ended(IDC_TEST_EXPLANATION, view))
                          GiveUp(view, 20, true);
                  },
                  [&ended, &nextUnit](CDialogView& view) {
                      if (ended(IDC_CONFIRM_TEXT, view))
                          return;
                      if (nextUnit)
                          CBench::Get().Connect("B");
                      view.Click(nextUnit ? IDOK : IDCANCEL);
                      nextUnit = false;
                  },
                  nullptr});
        const int result = m_pTest->ConfigureThermometer(m_hHost, 0, 0);
        EXPECT_TRUE(robot.Failures().empty()) << ::testing::PrintToString(robot.Failures());
        ExpectCleanEnd();
        return result;
    }

    void SetUp() override
    {
        CModuleFixture::SetUp();
        PutUnits();
    }

    static void PutUnits()
    {
        CBench::Get().Put(MakeUnit("A", "QX2250.10", kSerialA));
        CBench::Get().Put(MakeUnit("B", "QX2210.00", kSerialB));
    }

    static void Configure(CDialogView& view)
    {
        if (view.Text(IDC_ADDRESS).empty())
            view.SetText(IDC_ADDRESS, "88");
        if (view.Selection(IDC_BAUD_RATE) < 0)
            view.Select(IDC_BAUD_RATE, 4);
        if (view.Selection(IDC_PARITY) < 0)
            view.Select(IDC_PARITY, 2);
        if (view.Text(IDC_ANSWER_DELAY).empty())
            view.SetText(IDC_ANSWER_DELAY, "10");
        view.SetChecked(IDC_SERIES, true);
        for (int attempt = 0; attempt < 3 && view.IsOpen(); ++attempt)
            view.Click(IDC_WRITE_AND_TEST);
    }

    void ExpectCleanEnd()
    {
        std::string overlap;
        EXPECT_EQ(0, CBench::Get().Overlaps(&overlap)) << overlap;
        EXPECT_EQ(0, CBench::Get().OtherCallersRunning()) << "a worker outlived its dialog";
        int dialogs = 0;
        ::EnumThreadWindows(::GetCurrentThreadId(), &CountDialog, reinterpret_cast<LPARAM>(&dialogs));
        EXPECT_EQ(0, dialogs) << "a dialog was left behind";
    }

    // Two passes, each after its opening, and the series broken at the next-unit dialog.
    Lines TwoPasses(const Lines& first, const Lines& second) const
    {
        return Join({{Opening()}, first, {Opening()}, second, {Failure(41)}});
    }
    // The unit configured but its test given up: the pass begins again.
    Lines GivenUp() const { return {Progress(37), Success(31), Progress(38), Failure(42), Opening()}; }
    Lines WriteRefusedOnce(Lines unit) const
    {
        unit.insert(unit.begin() + 1, Failure(32));
        return unit;
    }
};

TEST_F(FaultMatrixTest, EveryTesterCallFailingAtEachPass)
{
    const Lines series = TwoPasses(ConfiguredAt(kSerialA, 5), ConfiguredAt(kSerialB, 6));
    const struct
    {
        const char* pszOperation;
        int nNth;
        int nAnswer;
        Lines expected;
    } faults[] = {
        {nullptr, 0, 0, series},
        {"CheckEEPROM", 1, 0, {Opening()}},
        {"CheckEEPROM", 1, 2, {Opening()}},  // answers, but not 1
        {"CheckEEPROM", 1, -1, {Opening()}},
        {"CheckEEPROM", 2, 0, Join({{Opening()}, ConfiguredAt(kSerialA, 5), {Opening()}})},
        {"ReadUserConfig", 1, 0, TwoPasses(ConfiguredAt(kSerialA, 88), ConfiguredAt(kSerialB, 89))},
        {"ReadUserConfig", 2, 0, TwoPasses(ConfiguredAt(kSerialA, 5), ConfiguredAt(kSerialB, 88))},
        {"ReadDefaultConfig", 1, 0, series},  // selector 1: its answer is not used
        {"ReadDefaultConfig", 2, 0, series},
        {"WriteConfig", 1, 0, TwoPasses(WriteRefusedOnce(ConfiguredAt(kSerialA, 5)), ConfiguredAt(kSerialB, 6))},
        {"WriteConfig", 2, 0, TwoPasses(ConfiguredAt(kSerialA, 5), WriteRefusedOnce(ConfiguredAt(kSerialB, 6)))},
        {"ExitConfig", 1, 0, series},  // repeated after nine polls
        {"ExitConfig", 2, 0, series},
        {"MeasureValue", 1, 0, series},  // the next poll answers
        {"MeasureValue", 2, 0, series},  // B's first poll
        {"Reconnect", 1, 0, TwoPasses(Join({GivenUp(), ConfiguredAt(kSerialA, 5)}), ConfiguredAt(kSerialB, 6))},
        {"Reconnect", 2, 0, series},  // the line still has A's setting
    };
    for (const auto& fault : faults) {
        const std::string name = fault.pszOperation ? fault.pszOperation : "none";
        SCOPED_TRACE(name + ", call " + std::to_string(fault.nNth) + ", answering " + std::to_string(fault.nAnswer));
        CBench::Get().Clear();  // the line too: a failed Reconnect keeps what it had
        PutUnits();
        if (fault.pszOperation) {
            ASSERT_EQ(1, CBench::Get().FailCall(fault.pszOperation, fault.nNth, fault.nAnswer));
        }
        EXPECT_EQ(2, Run());
        EXPECT_EQ(fault.expected, m_reports.Lines());
    }
}

TEST_F(FaultMatrixTest, EveryDialogEndingWithEveryResult)
{
    const Lines passA = Join({{Opening()}, ConfiguredAt(kSerialA, 5)});
    const Lines passB = Join({{Opening()}, ConfiguredAt(kSerialB, 6)});
    const ReportLine seriesBreak = Failure(41);
    for (int result : {1, 2, -1, 0, -2}) {
        const bool ok = result == 1;
        const struct
        {
            int nMark;
            int nOpening;
            int nResult;
            Lines expected;
        } cases[] = {
            // Ended from outside with 1, the configuration dialog wrote nothing and set no series:
            // the unit is tested on its stored address (5); a first unit then ends the call with 1.
            {IDC_WRITE_AND_TEST, 1, ok ? 1 : 2,
             ok ? Join({{Opening()}, ConfiguredAt(kSerialA, 5, false)}) : Lines{Opening(), Progress(37), Failure(43)}},
            {IDC_WRITE_AND_TEST, 2, 2,
             ok ? Join({passA, {Opening()}, ConfiguredAt(kSerialB, 5, false), {seriesBreak}})
                : Join({passA, {Opening(), Progress(37), Failure(43)}})},
            {IDC_TEST_EXPLANATION, 1, 2,
             ok ? Join({passA, passB, {seriesBreak}})
                : Join({{Opening()}, GivenUp(), ConfiguredAt(kSerialA, 5), passB, {seriesBreak}})},
            {IDC_TEST_EXPLANATION, 2, 2,
             ok ? Join({passA, passB, {seriesBreak}})
                : Join({passA, {Opening()}, GivenUp(), ConfiguredAt(kSerialB, 6), {seriesBreak}})},
            // Ended with 1 without the operator connecting B: unit A again, refused, then B.
            {IDC_CONFIRM_TEXT, 1, 2,
             ok ? Join({passA, {Opening()}, passB, {seriesBreak}}) : Join({passA, {seriesBreak}})},
            // After B: with 1, B comes again, is refused and the next-unit dialog is cancelled.
            {IDC_CONFIRM_TEXT, 2, 2,
             ok ? Join({passA, passB, {Opening(), Failure(36)}}) : Join({passA, passB, {seriesBreak}})},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE("dialog with control " + std::to_string(c.nMark) + ", opening " + std::to_string(c.nOpening) +
                         ", ended with " + std::to_string(result));
            CBench::Get().Clear();
            PutUnits();
            EXPECT_EQ(c.nResult, Run(c.nMark, c.nOpening, result));
            EXPECT_EQ(c.expected, m_reports.Lines());
        }
    }
}

}  // namespace
