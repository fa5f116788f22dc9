// Load and time: a long series and many single calls in one process without
// growth of handles, GDI and USER objects or memory, and the operator's
// Cancel landing at random moments around a unit's answer.
//
// TAVO_SOAK_UNITS (default 20) units in one series and TAVO_SOAK_CALLS
// (default 10) single calls; TAVO_RACES (default 20) new-setting tests. The
// reliability run uses 1000, 100 and 1000.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>

#include "ModuleFixture.h"

namespace {

int Count(const char* variable, int fallback)
{
    const char* value = getenv(variable);
    return value && atoi(value) > 0 ? atoi(value) : fallback;
}

// What the process holds. Wine answers GetProcessHandleCount and
// GetGuiResources with 0, so beside them stand measures that work there too:
// the value a new handle gets (handles are given out lowest free first, so it
// follows the number in use), the bytes in use on every heap, the module's
// workers still running, and the top-level windows of this thread.
struct Resources
{
    DWORD dwHandles;
    DWORD dwGdi;
    DWORD dwUser;
    UINT_PTR nNextHandle;
    SIZE_T nHeapBytes;
    int nWorkers;
    int nWindows;
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

// Measures after dropping what the tests themselves keep (the bench's call
// log, the report lines).
Resources Measure()
{
    Resources resources = {};
    resources.nWorkers = CBench::Get().OtherCallersRunning();
    CBench::Get().ClearCallLog();
    ::GetProcessHandleCount(::GetCurrentProcess(), &resources.dwHandles);
    resources.dwGdi = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    resources.dwUser = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    HANDLE probe = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    resources.nNextHandle = reinterpret_cast<UINT_PTR>(probe);
    ::CloseHandle(probe);
    resources.nHeapBytes = HeapBytes();
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountWindow, reinterpret_cast<LPARAM>(&resources.nWindows));
    return resources;
}

void Print(const char* when, const Resources& r)
{
    printf("%-24s handles %lu, GDI %lu, USER %lu | next handle %#llx, heap %zu KiB, workers %d, windows %d\n", when,
           r.dwHandles, r.dwGdi, r.dwUser, static_cast<unsigned long long>(r.nNextHandle), static_cast<size_t>(r.nHeapBytes / 1024),
           r.nWorkers, r.nWindows);
}

class EnduranceTest : public CModuleFixture
{
protected:
    // Serves a series of units: writes each proposed configuration, waits for
    // its test, answers the address-wrap warning, and in the next-unit dialog
    // puts a unit with a new serial number on the bench, until units are done.
    void QueueSeries(COperator& op, int units)
    {
        m_nUnitsLeft = units;
        for (int i = 0; i < units * 3 + units / 100 + 10; ++i) {
            op.Expect("any dialog of the series", COperator::ANY_DIALOG, [this](CDialogView& view) {
                if (view.Exists(IDC_WRITE_AND_TEST)) {
                    view.SetChecked(IDC_SERIES, true);
                    view.Click(IDC_WRITE_AND_TEST);
                } else if (view.Exists(IDC_CONFIRM_TEXT)) {
                    BenchUnit unit = MakeUnit("S", "QX2250.10");
                    char text[16];
                    snprintf(text, sizeof(text), "%08d", ++m_nSerial);
                    unit.strSerial = text;
                    CBench::Get().Put(unit);
                    view.Click(--m_nUnitsLeft > 0 ? IDOK : IDCANCEL);
                } else if (!view.Exists(IDC_TEST_EXPLANATION)) {
                    view.Click(IDOK);  // the address wrap
                }
            });
        }
    }

    int m_nUnitsLeft = 0;
    int m_nSerial = 0;

    void ExpectNoGrowth(const Resources& before, const Resources& after)
    {
        EXPECT_LE(after.dwHandles, before.dwHandles);
        EXPECT_LE(after.dwGdi, before.dwGdi);
        EXPECT_LE(after.dwUser, before.dwUser);
        EXPECT_LE(after.nNextHandle, before.nNextHandle + 16) << "handles in use grew";
        EXPECT_EQ(0, after.nWorkers) << "a worker outlived its dialog";
        EXPECT_LE(after.nWindows, before.nWindows);
        EXPECT_LT(after.nHeapBytes, before.nHeapBytes + 32 * 1024) << "steady heap growth";
    }
};

TEST_F(EnduranceTest, LongSeriesAndManyCallsLeaveNothingBehind)
{
    CBench::Get().Put(MakeUnit("S", "QX2250.10", "00000000"));
    CBench::Get().Connect("S");
    // One warm-up call: the first dialogs load fonts, classes and caches once.
    {
        COperator op(10000);
        QueueSeries(op, 1);
        m_pTest->ConfigureThermometer(m_hHost, 0, 0);
    }
    m_reports.Clear();
    const Resources start = Measure();
    Print("after one warm-up call", start);

    const int units = Count("TAVO_SOAK_UNITS", 20);
    {
        COperator op(10000);
        QueueSeries(op, units);
        m_reports.Clear();
        EXPECT_EQ(2, m_pTest->ConfigureThermometer(m_hHost, 0, 0));
        EXPECT_TRUE(op.Failures().empty()) << ::testing::PrintToString(op.Failures());
        EXPECT_EQ(static_cast<size_t>(units * 6 + 1), m_reports.Lines().size()) << "six lines a unit, then the break";
        printf("%d units in one series: last unit's line: %s\n", units,
               m_reports.Lines()[m_reports.Lines().size() - 3].strSecond.c_str());
    }
    m_reports.Clear();
    const Resources afterSeries = Measure();
    Print("after the series", afterSeries);
    ExpectNoGrowth(start, afterSeries);

    const int calls = Count("TAVO_SOAK_CALLS", 10);
    for (int i = 0; i < calls; ++i) {
        COperator op(10000);
        op.Expect("the configuration dialog", IDC_WRITE_AND_TEST, [](CDialogView& view) {
            view.SetChecked(IDC_SERIES, false);
            view.Click(IDC_WRITE_AND_TEST);
        });
        op.Expect("the new-setting test dialog", IDC_TEST_EXPLANATION, [](CDialogView&) {});
        ASSERT_EQ(1, m_pTest->ConfigureThermometer(m_hHost, 0, 0)) << "call " << i;
    }
    m_reports.Clear();
    const Resources afterCalls = Measure();
    Print("after the single calls", afterCalls);
    ExpectNoGrowth(start, afterCalls);
}

// The operator's Cancel lands at a random moment between 250 and 450 ms
// after the test dialog opens; the unit answers at its first poll, about
// 300 ms after it (the worker's pause), and each poll takes 40 ms. A test
// given up begins the pass again, whose configuration dialog is cancelled.
TEST_F(EnduranceTest, CancelAroundTheAnswer)
{
    BenchUnit unit = MakeUnit("A");
    unit.dwPollMs = 40;
    Bench({unit});
    std::mt19937 random(42);
    const int races = Count("TAVO_RACES", 20);
    int answered = 0, givenUp = 0;
    for (int race = 0; race < races; ++race) {
        CBench::Get().ClearCallLog();
        const DWORD cancelAt = 250 + random() % 200;
        bool cancelled = false;
        COperator op(5000);
        op.Expect("the configuration dialog", IDC_WRITE_AND_TEST, [](CDialogView& view) { view.Click(IDC_WRITE_AND_TEST); });
        op.Expect("the new-setting test dialog", IDC_TEST_EXPLANATION, [cancelAt, &cancelled](CDialogView& view) {
            view.Later(cancelAt, [&cancelled](CDialogView& later) {
                cancelled = true;
                later.Click(IDCANCEL);
            });
        });
        op.Expect("the configuration dialog again", IDC_WRITE_AND_TEST, [](CDialogView& view) { view.Click(IDCANCEL); });
        const int result = m_pTest->ConfigureThermometer(m_hHost, 0, 0);
        EXPECT_EQ(0, CBench::Get().OtherCallersRunning()) << "race " << race << ": the worker outlived its dialog";
        const std::vector<std::string> calls = CBench::Get().CallLog();
        const bool unitAnswered = std::find(calls.begin(), calls.end(), "Poll 5 1") != calls.end();
        ASSERT_TRUE(result == 1 || result == 2) << "race " << race << ": " << result;
        if (result == 1) {
            EXPECT_TRUE(unitAnswered) << "race " << race << ": success without an answer";
            ++answered;
        } else {
            EXPECT_TRUE(cancelled) << "race " << race << ": given up without a Cancel";
            EXPECT_TRUE(op.AllDone()) << "race " << race << ": the pass did not begin again";
            ++givenUp;
        }
    }
    printf("%d races: %d answered, %d given up\n", races, answered, givenUp);
}

}  // namespace
