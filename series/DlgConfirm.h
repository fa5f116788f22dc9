// Classes in this file: CConfirmDialog, the dialog (template 2022) that asks
// the operator to connect the next unit of a series.
#pragma once

#include "MyDialog.h"

class CTAVOTester;

class CConfirmDialog : public CMyDialog
{
public:
    CConfirmDialog(HWND parent, HINSTANCE instance);
    ~CConfirmDialog() override;

    // WM_COMMAND: OnCommand(wParam, lParam); OK and Cancel end the dialog with their ID.
    int OnCommand(WPARAM wParam, LPARAM lParam) override;
    int ShowModalDialog() override;
    // WM_INITDIALOG: OnInitDialog().
    int OnInitDialog() override;
    int OnMyColoredTextGetTextParam(UINT controlId, _MY_COLORED_TEXT_STRUCT* param) override;

    void SetOwner(CTAVOTester* owner) { m_pOwner = owner; }

private:
    HINSTANCE m_hInstance;
    CMyColoredText m_ColoredText;
    CTAVOTester* m_pOwner;
};
