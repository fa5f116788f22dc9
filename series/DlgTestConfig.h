// Classes in this file: CTestConfigDialog, the dialog (template 2021) whose
// worker thread checks that a unit answers with its new setting.
#pragma once

#include "MyDialog.h"

class CTestTAVO02;

// What the worker tests, set by SetTestParameters before the dialog runs.
extern CTestTAVO02* s_pOwner;
extern BYTE s_byAddress;
extern int s_dwBaudRate;
extern BYTE s_byParity;
// 1 while the worker may poll; the operator's Cancel lowers it. Read fresh at
// every test of the worker's loop.
extern volatile LONG s_bRunTest;

// The worker: leaves configuration mode, reconnects with the new setting and
// polls the unit until it answers or the run flag falls, then ends the
// dialog whose window it was given (1: answered, 2: given up). Runs on its
// own thread and touches no dialog object.
DWORD WINAPI TestThreadProc(LPVOID dialogWindow);

class CTestConfigDialog : public CMyDialog
{
public:
    CTestConfigDialog(HWND parent, HINSTANCE instance);
    ~CTestConfigDialog() override;

    // WM_COMMAND: OnCommand(wParam, lParam); the button lowers the run flag.
    int OnCommand(WPARAM wParam, LPARAM lParam) override;
    int ShowModalDialog() override;
    // WM_INITDIALOG: OnInitDialog() starts the worker.
    int OnInitDialog() override;
    int OnMyColoredTextGetTextParam(UINT controlId, _MY_COLORED_TEXT_STRUCT* param) override;

    void SetTestParameters(CTestTAVO02* owner, BYTE address, int baudRate, BYTE parity);

private:
    void FinishWorker();

    HANDLE m_hThread;
    HINSTANCE m_hInstance;
    CMyColoredText m_ColoredText;
};
