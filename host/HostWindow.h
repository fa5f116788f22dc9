// Classes in this file: CHostWindow, a host window like a production host's
// (the module's identity, a Configure button, the report in colour), and
// CBenchWindow, a separate window over the simulated bench in which a person
// connects units and sets their jumpers while the module's dialogs are open.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

#include "BenchStatus.h"
#include "ReportFile.h"
#include "TestBench.h"
#include "TestInterface.h"

class CTraceLog;

class CBenchWindow
{
public:
    enum { IDC_UNITS = 201, IDC_CONNECT, IDC_DISCONNECT, IDC_JP1, IDC_JP2 };

    // Not owned by the host window, so it stays usable beside modal dialogs.
    bool Create(HINSTANCE instance);
    HWND Handle() const { return m_hWnd; }
    // Shows every unit as the bench holds it now, keeping the selection.
    void Refresh() const;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id);
    std::string SelectedUnit() const;

    HWND m_hWnd = nullptr;
    HWND m_hUnits = nullptr;
};

class CHostWindow
{
public:
    enum { IDC_IDENTITY = 101, IDC_CONFIGURE, IDC_REPORT };

    // Report lines go to log and, when not null, to reportFile too.
    CHostWindow(ITest* module, unsigned short id, CTraceLog* log, CReportFile* reportFile)
        : m_pModule(module), m_wId(id), m_pLog(log), m_pReportFile(reportFile)
    {
    }

    bool Create(HINSTANCE instance);
    HWND Handle() const { return m_hWnd; }
    // Runs until the host window is closed.
    int Run();
    void AddReport(const TEST_REPORT& report);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static void CALLBACK OnReport(void* context, const TEST_REPORT* report);
    void Configure();
    void DrawReportLine(const DRAWITEMSTRUCT& item) const;

    ITest* m_pModule;
    unsigned short m_wId;
    CTraceLog* m_pLog;
    CReportFile* m_pReportFile;
    CReasonWatch m_reasons;
    HWND m_hWnd = nullptr;
    HWND m_hReport = nullptr;
    CBenchWindow m_bench;
};
