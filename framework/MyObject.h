// Classes in this file: CMyObject, the root of the window library, and the
// library's invariant report.
#pragma once

#include <windows.h>

#include "MyWindowApi.h"

class MYWINDOW_API CMyObject
{
public:
    CMyObject();
    virtual ~CMyObject();

    // Writes text to the debugger output.
    void OutputDebugStringA(const char* text) const;
};

// One broken invariant: the condition text, the source base name and the line
// fixed for the reporting site, and the thread that reported it.
struct MY_INVARIANT_REPORT
{
    char szCondition[64];
    char szSource[32];
    int nLine;
    DWORD dwThreadId;
};

extern "C" {
// Reports a broken invariant to the debugger output and to the process-wide
// list below. Never ends the process; callable from any thread.
MYWINDOW_API void MyInvariantFailed(const char* condition, const char* source, int line);
// The process-wide list of reports, oldest first, for the host and the tests.
MYWINDOW_API int MyGetInvariantReportCount(void);
MYWINDOW_API BOOL MyGetInvariantReport(int index, MY_INVARIANT_REPORT* report);
MYWINDOW_API void MyClearInvariantReports(void);
}
