// Classes in this file: CSimulatedBench, the units on the table, the one
// connected to the tester, and the line the tester polls them on.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "BenchUnit.h"

class CSimulatedBench
{
public:
    static CSimulatedBench& Get();

    // Loads a bench file; on any mistake nothing changes and error names the
    // file, line, unit and key. Answers 1 when loaded.
    int Load(const std::string& path, std::string* error);
    int Save(const std::string& path, std::string* error) const;
    void Clear();

    // Connects the named unit (an empty name disconnects); 0 for an unknown name.
    int Connect(const std::string& name);
    std::string Connected() const;
    std::vector<BenchUnit> Units() const;
    // Puts a unit on the bench (replacing one of the same name).
    void Put(const BenchUnit& unit);

    // What the tester does with the connected unit; see TestBench.h.
    int CheckEEPROM(void* window, unsigned short value, int mode, unsigned char* image, int size);
    int LastCheckCaller(void** window, unsigned short* value) const;
    int ReadUserConfig(unsigned char* config, int size);
    int ReadDefaultConfig(unsigned char* block, int size);
    int WriteConfig(unsigned short offset, const unsigned char* record, int count);
    int ExitConfig();
    int Reconnect(int baud, int dataBits, int parity);
    int Poll(unsigned char address);

    int FailCall(const std::string& operation, int nth, int answer);
    void ClearFaults();
    void HoldPolls(int which);
    int HeldPolls() const;
    int PollsHeldTooLong() const;

    std::vector<std::string> CallLog() const;
    // When (QueryPerformanceCounter) the call at index began; 0 for none.
    LONGLONG CallTime(size_t index) const;
    int PollCount() const;
    void ClearCallLog();
    LONGLONG FirstAnswerTime() const;
    int Overlaps(std::string* first) const;
    int CallersRunning(DWORD exceptThreadId) const;

private:
    class CCall;

    CSimulatedBench();
    ~CSimulatedBench();
    CSimulatedBench(const CSimulatedBench&) = delete;
    CSimulatedBench& operator=(const CSimulatedBench&) = delete;

    BenchUnit* ConnectedUnit();
    bool Fault(const std::string& operation, int* answer = nullptr);
    void Record(const std::string& call);
    void ResetCallLog();
    void Enter(const char* operation);
    void Leave();
    void ForgetCallers();

    mutable CRITICAL_SECTION m_lock;
    std::vector<BenchUnit> m_units;
    int m_nConnected;       // index into m_units, -1 for none
    int m_nLineBaud;        // the tester's line; 0 until Reconnect
    int m_nLineParity;

    struct FaultSwitch
    {
        std::string strOperation;
        int nCountdown;
        int nAnswer;
    };
    std::vector<FaultSwitch> m_faults;

    std::vector<std::string> m_calls;
    std::vector<LONGLONG> m_callTimes;  // of each call in m_calls
    int m_nPolls;
    LONGLONG m_llFirstAnswer;
    // The operation under way, for telling overlaps; one thread at a time.
    DWORD m_dwBusyThread;
    const char* m_pszBusyOperation;
    int m_nOverlaps;
    std::string m_strFirstOverlap;
    // Every thread that made a unit operation, held open so its end can be seen.
    std::vector<std::pair<DWORD, HANDLE>> m_callers;
    HANDLE m_hPollRelease;  // manual-reset: set while polls go through
    int m_nHoldWhich;       // BENCH_HOLD_...
    void* m_pCheckWindow;   // what the last CheckEEPROM was given
    unsigned short m_wCheckValue;
    bool m_bChecked;
    int m_nHeldPolls;
    int m_nHeldTooLong;
};
