// Load and order: a long series and many single calls in one process without
// growth of handles, windows, bitmaps or memory, and the operator's Cancel
// landing before, during and after a unit's answer.
//
// TAVO_SOAK_UNITS (default 20) units in one series and TAVO_SOAK_CALLS
// (default 10) single calls; TAVO_RACES (default 20) rounds of the three
// Cancel moments. The reliability run uses 1000, 100 and 334.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "ModuleFixture.h"

namespace {

// What the process holds, as Wine too can tell it: the value a new handle
// gets (handles are given out lowest free first, so it follows the number in
// use), the bytes in use on every heap, the module's workers still running,
// the top-level windows of this thread, and the dialog bitmaps GDI still
// knows. (GetProcessHandleCount and GetGuiResources answer 0 under Wine.)
struct Resources
{
    UINT_PTR nNextHandle;
    SIZE_T nHeapBytes;
    int nWorkers;
    int nWindows;
    int nBitmaps;
};

BOOL CALLBACK CountWindow(HWND, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

SIZE_T HeapBytes()
{
    HANDLE heaps[64];
    const DWORD count = std::min<DWORD>(::GetProcessHeaps(64, heaps), 64);
    SIZE_T bytes = 0;
    for (DWORD i = 0; i < count; ++i) {
        PROCESS_HEAP_ENTRY entry = {};
        ::HeapLock(heaps[i]);
        while (::HeapWalk(heaps[i], &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                bytes += entry.cbData;
        }
        ::HeapUnlock(heaps[i]);
    }
    return bytes;
}

class EnduranceTest : public CModuleFixture
{
protected:
    // Measures after dropping what the tests themselves keep (the bench's
    // call log, the report lines).
    Resources Measure()
    {
        Resources resources = {};
        resources.nWorkers = CBench::Get().OtherCallersRunning();
        CBench::Get().ClearCallLog();
        m_reports.Clear();
        HANDLE probe = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
        resources.nNextHandle = reinterpret_cast<UINT_PTR>(probe);
        ::CloseHandle(probe);
        resources.nHeapBytes = HeapBytes();
        ::EnumThreadWindows(::GetCurrentThreadId(), &CountWindow, reinterpret_cast<LPARAM>(&resources.nWindows));
        resources.nBitmaps = m_nBitmapsLeft + (m_hLastBitmap && ::GetObjectType(m_hLastBitmap) ? 1 : 0);
        return resources;
    }

    static void Print(const char* when, const Resources& r)
    {
        printf("%-24s next handle %#llx, heap %zu KiB, workers %d, windows %d, bitmaps alive %d\n", when,
               static_cast<unsigned long long>(r.nNextHandle), static_cast<size_t>(r.nHeapBytes / 1024), r.nWorkers,
               r.nWindows, r.nBitmaps);
    }

    void ExpectNoGrowth(const Resources& before, const Resources& after)
    {
        EXPECT_LE(after.nNextHandle, before.nNextHandle + 16) << "handles in use grew";
        EXPECT_EQ(0, after.nWorkers) << "a worker outlived its dialog";
        EXPECT_LE(after.nWindows, before.nWindows) << "a dialog's window was left";
        EXPECT_EQ(0, after.nBitmaps) << "a dialog's bitmap was not deleted";
        EXPECT_LT(after.nHeapBytes, before.nHeapBytes + 32 * 1024) << "steady heap growth";
    }

    // Serves a series of units: writes each proposed configuration (the
    // previous opening's picture must be gone when the next shows its own),
    // lets its test run, answers the address-wrap warning, and in the
    // next-unit dialog puts a unit with a new serial number on the bench,
    // until units are done.
    void QueueSeries(COperator& op, int units)
    {
        m_nUnitsLeft = units;
        m_progress = CProgress("units of the series", units);
        ServeAny(op, units * 3 + units / 100 + 10,
                 {[this](CDialogView& view) {
                      const auto shown = reinterpret_cast<HGDIOBJ>(
                          ::SendMessageA(view.Item(IDC_PICTURE), STM_GETIMAGE, IMAGE_BITMAP, 0));
                      if (m_hLastBitmap && m_hLastBitmap != shown && ::GetObjectType(m_hLastBitmap))
                          ++m_nBitmapsLeft;
                      m_nPictures += shown && shown != m_hLastBitmap ? 1 : 0;
                      m_hLastBitmap = shown;
                      view.SetChecked(IDC_SERIES, m_nUnitsLeft > 0);
                      view.Click(IDC_WRITE_AND_TEST);
                  },
                  nullptr,
                  [this](CDialogView& view) {
                      char serial[16];
                      snprintf(serial, sizeof(serial), "%08d", ++m_nSerial);
                      CBench::Get().Put(MakeUnit("S", "QX2250.10", serial));
                      m_progress.Done(m_progress.Total() - m_nUnitsLeft + 1);
                      view.Click(--m_nUnitsLeft > 0 ? IDOK : IDCANCEL);
                  },
                  nullptr});
    }

    int m_nUnitsLeft = 0;
    CProgress m_progress{"units of the series", 0};
    int m_nSerial = 0;
    HGDIOBJ m_hLastBitmap = nullptr;  // the picture the last configuration dialog showed
    int m_nPictures = 0;              // pictures shown, each a bitmap of its own
    int m_nBitmapsLeft = 0;           // pictures still alive when the next was shown
};

TEST_F(EnduranceTest, LongSeriesAndManyCallsLeaveNothingBehind)
{
    Bench({MakeUnit("S", "QX2250.10", "00000000")});
    // One warm-up call: the first dialogs load fonts, classes and caches once.
    {
        COperator op(10000);
        QueueSeries(op, 1);
        Configure();
    }
    const Resources start = Measure();
    Print("after one warm-up call", start);

    const int units = EnvCount("TAVO_SOAK_UNITS", 20);
    {
        COperator op(10000);
        QueueSeries(op, units);
        EXPECT_EQ(2, Configure());
        EXPECT_TRUE(op.Failures().empty()) << ::testing::PrintToString(op.Failures());
        EXPECT_EQ(static_cast<size_t>(units * 6 + 1), m_reports.Lines().size()) << "six lines a unit, then the break";
    }
    EXPECT_GE(m_nPictures, 2) << "each opening shows its own picture";
    const Resources afterSeries = Measure();
    Print("after the series", afterSeries);
    ExpectNoGrowth(start, afterSeries);

    const int calls = EnvCount("TAVO_SOAK_CALLS", 10);
    for (int i = 0; i < calls; ++i) {
        COperator op(10000);
        QueueSeries(op, 0);
        ASSERT_EQ(1, Configure()) << "call " << i;
    }
    const Resources afterCalls = Measure();
    Print("after the single calls", afterCalls);
    ExpectNoGrowth(start, afterCalls);
}

// The operator's Cancel lands while the worker is inside a poll the unit
// does not answer, inside the poll it answers (held there), or after the
// dialog has ended: given up (2: the pass again, whose configuration dialog
// is cancelled), given up, and answered (1). The bench's held polls order
// each moment; no clock decides it.
TEST_F(EnduranceTest, CancelAroundTheAnswer)
{
    BenchUnit unit = MakeUnit("A");
    unit.nAnswerAfterPolls = 1;
    Bench({unit});
    const struct
    {
        const char* pszMoment;
        int nHold;          // which polls the bench holds
        int nHeldPoll;      // Cancel while this poll (1, 2) is held; 0: no Cancel
        int nResult;
    } moments[] = {
        {"during an unanswered poll", BENCH_HOLD_EVERY, 1, 2},
        {"during the answer", BENCH_HOLD_ANSWERING, 2, 2},
        {"never", BENCH_HOLD_NONE, 0, 1},
    };
    const int rounds = EnvCount("TAVO_RACES", 20);
    CProgress progress("rounds of Cancel moments", rounds);
    for (int round = 0; round < rounds; ++round) {
        progress.Done(round);
        for (const auto& moment : moments) {
            SCOPED_TRACE(std::string("Cancel ") + moment.pszMoment + ", round " + std::to_string(round));
            CBench::Get().Put(unit);  // its polls counted anew
            CBench::Get().ClearCallLog();
            CBench::Get().HoldPolls(moment.nHold);
            ExpectConfig([](CDialogView& view) { view.Click(IDC_WRITE_AND_TEST); });
            if (moment.nHeldPoll) {
                ExpectTest([](CDialogView& view) {
                    view.When("the held poll", [] { return CBench::Get().HeldPolls() > 0; }, [](CDialogView& held) {
                        held.Click(IDCANCEL);
                        CBench::Get().HoldPolls(BENCH_HOLD_NONE);
                    });
                });
            } else {
                ExpectTest();
            }
            if (moment.nResult == 2)
                ExpectConfig([](CDialogView& again) { again.Click(IDCANCEL); });
            EXPECT_EQ(moment.nResult, Configure());
            CBench::Get().HoldPolls(BENCH_HOLD_NONE);
            ASSERT_TRUE(m_op.Failures().empty() && m_op.AllDone())
                << ::testing::PrintToString(m_op.Failures()) << ::testing::PrintToString(m_op.Pending());
            EXPECT_EQ(0, CBench::Get().OtherCallersRunning()) << "the worker outlived its dialog";
            const std::vector<std::string> log = CBench::Get().CallLog();
            EXPECT_EQ(moment.nHeldPoll == 1 ? 0 : 1, CountCalls(log, "Poll 5 1")) << "the unit answered";
            // The held poll is the worker's last call: the next is the pass again's.
            const auto poll = [](const std::string& call) { return call.rfind("Poll ", 0) == 0; };
            const auto last = std::find_if(log.rbegin(), log.rend(), poll);
            EXPECT_TRUE(!moment.nHeldPoll || (last > log.rbegin() && last < log.rend() &&
                                              (last - 1)->rfind("CheckEEPROM", 0) == 0))
                << ::testing::PrintToString(log);
        }
    }
}

}  // namespace
