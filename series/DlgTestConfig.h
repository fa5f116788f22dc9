// Classes in this file: CTestConfigDialog, the dialog (template 2021) whose
// worker thread checks that a unit answers with its new setting.
#pragma once

#include "MyDialog.h"

class CTAVOTester;

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

    void SetTestParameters(CTAVOTester* owner, BYTE address, int baudRate, BYTE parity);

private:
    void FinishWorker();

    HANDLE m_hThread;
    HINSTANCE m_hInstance;
    CMyColoredText m_ColoredText;
};
