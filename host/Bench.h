// Classes in this file: CBench, the test bench as the development host and the
// tests drive it: the C interface of TestBench.dll in C++ clothes. The host
// looks the library up when it first needs it, not when it starts, so that
// its checks run on a PC where no simulated bench is.
#pragma once

#include <string>
#include <vector>

#include "BenchUnit.h"
#include "TestBench.h"

// The functions of TestBench.dll that the development host and the tests call
// through CBench.
#define TAVO_BENCH_FUNCTIONS(X)                                                                                  \
    X(BenchLoad) X(BenchSave) X(BenchClear) X(BenchConnect) X(BenchConnected) X(BenchGetUnit) X(BenchPutUnit)  \
    X(BenchFailCall) X(BenchHoldPolls) X(BenchHeldPolls) X(BenchPollsHeldTooLong) X(BenchGetCall)               \
    X(BenchCallTime) X(BenchPollCount) X(BenchClearCallLog) X(BenchFirstAnswerTime) X(BenchOverlaps)             \
    X(BenchCallersRunning) X(BenchSetReportSink) X(BenchLanguageError)

struct BenchFunctions
{
#define TAVO_BENCH_POINTER(name) decltype(&::name) name;
    TAVO_BENCH_FUNCTIONS(TAVO_BENCH_POINTER)
#undef TAVO_BENCH_POINTER
};

// TestBench.dll's functions, the library loaded on the first call (beside this
// program, as Windows looks for a library); null when it is not there or not
// whole.
const BenchFunctions* BenchLibrary();
// The same, only when something in this process has loaded the library
// already: the stand-in tester does, a field's tester does not.
const BenchFunctions* LoadedBenchLibrary();

// The name of a unit's parity code (0 none, 1 odd, 2 even), or unnamed for a
// code a unit's record may hold but no line uses.
inline const char* ParityName(int parity, const char* unnamed)
{
    static const char* const kNames[] = {"none", "odd", "even"};
    return parity >= 0 && parity <= 2 ? kNames[parity] : unnamed;
}

class CBench
{
public:
    static CBench& Get()
    {
        static CBench bench;
        return bench;
    }
    // False when TestBench.dll cannot be had: then no other member may be called.
    static bool Available() { return BenchLibrary() != nullptr; }

    // Loads a bench file; on any mistake nothing changes and error names the
    // file, line, unit and key.
    bool Load(const std::string& path, std::string* error) { return Call(F().BenchLoad, path, error); }
    bool Save(const std::string& path, std::string* error) const { return Call(F().BenchSave, path, error); }
    void Clear() { F().BenchClear(); }

    // Connects the named unit (an empty name disconnects); false for an unknown name.
    bool Connect(const std::string& name) { return F().BenchConnect(name.c_str()) != 0; }
    std::string Connected() const
    {
        char name[BENCH_NAME_SIZE];
        F().BenchConnected(name, sizeof(name));
        return name;
    }
    // The connected unit as the bench holds it now; false when none is.
    bool ConnectedUnit(BenchUnit* unit) const { return FindUnit(Connected(), unit); }
    // The unit of that name as the bench holds it now; false when there is none.
    bool FindUnit(const std::string& name, BenchUnit* unit) const
    {
        for (const BenchUnit& candidate : Units()) {
            if (candidate.strName == name) {
                *unit = candidate;
                return true;
            }
        }
        return false;
    }
    std::vector<BenchUnit> Units() const
    {
        std::vector<BenchUnit> units;
        BENCH_UNIT unit;
        for (int i = 0; F().BenchGetUnit(i, &unit); ++i)
            units.push_back(BenchUnit::FromPlain(unit));
        return units;
    }
    // Puts a unit on the bench, replacing one of the same name.
    void Put(const BenchUnit& unit)
    {
        const BENCH_UNIT plain = unit.ToPlain();
        F().BenchPutUnit(&plain);
    }

    // See TestBench.h.
    bool FailCall(const std::string& operation, int nth, int answer = 0)
    {
        return F().BenchFailCall(operation.c_str(), nth, answer) != 0;
    }
    void HoldPolls(int which) { F().BenchHoldPolls(which); }
    int HeldPolls() const { return F().BenchHeldPolls(); }
    int PollsHeldTooLong() const { return F().BenchPollsHeldTooLong(); }
    std::vector<std::string> CallLog() const
    {
        std::vector<std::string> calls;
        char call[128];
        for (int i = 0; F().BenchGetCall(i, call, sizeof(call)); ++i)
            calls.push_back(call);
        return calls;
    }
    // Milliseconds from the call at first to the call at second in the log.
    double MillisecondsBetween(int first, int second) const
    {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        return (F().BenchCallTime(second) - F().BenchCallTime(first)) * 1000.0 / frequency.QuadPart;
    }
    // Host report lines go to sink until it is taken away with null.
    void SetReportSink(TEST_REPORT_SINK sink, void* context) { F().BenchSetReportSink(sink, context); }
    // Why the bench's tester refused the latest language file; empty when it
    // did not, or when the module's tester is not the bench's.
    static std::string LanguageError()
    {
        const BenchFunctions* bench = LoadedBenchLibrary();
        return bench ? bench->BenchLanguageError() : std::string();
    }

    int PollCount() const { return F().BenchPollCount(); }
    void ClearCallLog() { F().BenchClearCallLog(); }
    LONGLONG FirstAnswerTime() const { return F().BenchFirstAnswerTime(); }
    // Unit operations of two threads at once; the first is described.
    int Overlaps(std::string* first = nullptr) const
    {
        char text[256];
        const int overlaps = F().BenchOverlaps(text, sizeof(text));
        if (first)
            *first = text;
        return overlaps;
    }
    // Threads other than this one that made a unit operation and still run.
    int OtherCallersRunning() const { return F().BenchCallersRunning(::GetCurrentThreadId()); }

private:
    CBench() = default;

    static const BenchFunctions& F() { return *BenchLibrary(); }

    static bool Call(int (*operation)(const char*, char*, int), const std::string& path, std::string* error)
    {
        char why[1024];
        const bool done = operation(path.c_str(), why, sizeof(why)) != 0;
        if (!done && error)
            *error = why;
        return done;
    }
};
