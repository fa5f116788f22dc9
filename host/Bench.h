// Classes in this file: CBench, the test bench as the development host and the
// tests drive it: the C interface of TestBench.dll in C++ clothes.
#pragma once

#include <string>
#include <vector>

#include "BenchUnit.h"
#include "TestBench.h"

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

    // Loads a bench file; on any mistake nothing changes and error names the
    // file, line, unit and key.
    bool Load(const std::string& path, std::string* error) { return Call(BenchLoad, path, error); }
    bool Save(const std::string& path, std::string* error) const { return Call(BenchSave, path, error); }
    void Clear() { BenchClear(); }

    // Connects the named unit (an empty name disconnects); false for an unknown name.
    bool Connect(const std::string& name) { return BenchConnect(name.c_str()) != 0; }
    std::string Connected() const
    {
        char name[BENCH_NAME_SIZE];
        BenchConnected(name, sizeof(name));
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
        for (int i = 0; BenchGetUnit(i, &unit); ++i)
            units.push_back(BenchUnit::FromPlain(unit));
        return units;
    }
    // Puts a unit on the bench, replacing one of the same name.
    void Put(const BenchUnit& unit)
    {
        const BENCH_UNIT plain = unit.ToPlain();
        BenchPutUnit(&plain);
    }

    // See TestBench.h.
    bool FailCall(const std::string& operation, int nth, int answer = 0)
    {
        return BenchFailCall(operation.c_str(), nth, answer) != 0;
    }
    void HoldPolls(int which) { BenchHoldPolls(which); }
    int HeldPolls() const { return BenchHeldPolls(); }
    int PollsHeldTooLong() const { return BenchPollsHeldTooLong(); }
    std::vector<std::string> CallLog() const
    {
        std::vector<std::string> calls;
        char call[128];
        for (int i = 0; BenchGetCall(i, call, sizeof(call)); ++i)
            calls.push_back(call);
        return calls;
    }
    // Milliseconds from the call at first to the call at second in the log.
    double MillisecondsBetween(int first, int second) const
    {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        return (BenchCallTime(second) - BenchCallTime(first)) * 1000.0 / frequency.QuadPart;
    }
    int PollCount() const { return BenchPollCount(); }
    void ClearCallLog() { BenchClearCallLog(); }
    LONGLONG FirstAnswerTime() const { return BenchFirstAnswerTime(); }
    // Unit operations of two threads at once; the first is described.
    int Overlaps(std::string* first = nullptr) const
    {
        char text[256];
        const int overlaps = BenchOverlaps(text, sizeof(text));
        if (first)
            *first = text;
        return overlaps;
    }
    // Threads other than this one that made a unit operation and still run.
    int OtherCallersRunning() const { return BenchCallersRunning(::GetCurrentThreadId()); }

private:
    CBench() = default;

    static bool Call(int (*operation)(const char*, char*, int), const std::string& path, std::string* error)
    {
        char why[1024];
        const bool done = operation(path.c_str(), why, sizeof(why)) != 0;
        if (!done && error)
            *error = why;
        return done;
    }
};
