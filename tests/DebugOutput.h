// Classes in this file: CDebugOutput, a debug-output viewer inside the test
// process: it receives what the module and the libraries write with
// OutputDebugStringA through the DBWIN_BUFFER protocol, as DebugView does.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

// One invariant report, as the module writes it.
struct InvariantReport
{
    std::string strCondition;
    std::string strSource;
    int nLine;

    bool operator==(const InvariantReport& other) const
    {
        return strCondition == other.strCondition && strSource == other.strSource && nLine == other.nLine;
    }
};

std::ostream& operator<<(std::ostream& out, const InvariantReport& report);

class CDebugOutput
{
public:
    CDebugOutput();
    ~CDebugOutput();
    CDebugOutput(const CDebugOutput&) = delete;
    CDebugOutput& operator=(const CDebugOutput&) = delete;

    // Every text this process wrote since the start or the last Clear, in
    // order, once all written so far have arrived.
    std::vector<std::string> Texts();
    // The invariant reports among them.
    std::vector<InvariantReport> Invariants();
    void Clear();

private:
    static DWORD WINAPI Reader(LPVOID self);
    void Read();

    HANDLE m_hBuffer = nullptr;
    HANDLE m_hBufferReady = nullptr;
    HANDLE m_hDataReady = nullptr;
    HANDLE m_hStop = nullptr;
    HANDLE m_hMarkerSeen = nullptr;
    HANDLE m_hThread = nullptr;
    const char* m_pView = nullptr;
    std::mutex m_lock;
    std::vector<std::string> m_texts;
    std::string m_strMarker;
    int m_nMarkers = 0;
};
