// CMyObject and the process-wide invariant report.
#include "MyObject.h"

#include <cstdio>
#include <cstring>
#include <vector>

CMyObject::CMyObject() = default;

CMyObject::~CMyObject() = default;

void CMyObject::OutputDebugStringA(const char* text) const
{
    if (text)
        ::OutputDebugStringA(text);
}

namespace {

// The reports are written by the worker thread of a test dialog as well as by
// the user-interface thread, so the list has its own lock.
class CInvariantLog
{
public:
    CInvariantLog() { ::InitializeCriticalSection(&m_lock); }
    ~CInvariantLog() { ::DeleteCriticalSection(&m_lock); }

    void Add(const MY_INVARIANT_REPORT& report)
    {
        ::EnterCriticalSection(&m_lock);
        m_reports.push_back(report);
        ::LeaveCriticalSection(&m_lock);
    }

    int Count()
    {
        ::EnterCriticalSection(&m_lock);
        const int count = static_cast<int>(m_reports.size());
        ::LeaveCriticalSection(&m_lock);
        return count;
    }

    bool Get(int index, MY_INVARIANT_REPORT* report)
    {
        ::EnterCriticalSection(&m_lock);
        const bool found = index >= 0 && index < static_cast<int>(m_reports.size());
        if (found)
            *report = m_reports[index];
        ::LeaveCriticalSection(&m_lock);
        return found;
    }

    void Clear()
    {
        ::EnterCriticalSection(&m_lock);
        m_reports.clear();
        ::LeaveCriticalSection(&m_lock);
    }

private:
    CRITICAL_SECTION m_lock;
    std::vector<MY_INVARIANT_REPORT> m_reports;
};

CInvariantLog g_invariantLog;

void CopyText(char* target, size_t size, const char* text)
{
    snprintf(target, size, "%s", text ? text : "");
}

}  // namespace

void MyInvariantFailed(const char* condition, const char* source, int line)
{
    MY_INVARIANT_REPORT report = {};
    CopyText(report.szCondition, sizeof(report.szCondition), condition);
    CopyText(report.szSource, sizeof(report.szSource), source);
    report.nLine = line;
    report.dwThreadId = ::GetCurrentThreadId();

    char text[160];
    snprintf(text, sizeof(text), "Invariant failed: %s (%s, line %d)\n",
             report.szCondition, report.szSource, line);
    ::OutputDebugStringA(text);
    g_invariantLog.Add(report);
}

int MyGetInvariantReportCount(void)
{
    return g_invariantLog.Count();
}

BOOL MyGetInvariantReport(int index, MY_INVARIANT_REPORT* report)
{
    return report && g_invariantLog.Get(index, report);
}

void MyClearInvariantReports(void)
{
    g_invariantLog.Clear();
}
