// Classes in this file: CMyDialog (the base of the plug-in's dialogs and its
// control helpers), CMyColoredText (a static text drawn in its dialog's colours)
// and _MY_COLORED_TEXT_STRUCT (the colours a dialog hands to it).
#pragma once

#include <windows.h>

#include "MyWindow.h"

#pragma pack(push, 1)
// Filled by the dialog's OnMyColoredTextGetTextParam: three colour bytes
// (red, green, blue), then a 32-bit value whose bit 0 draws the text in bold.
struct _MY_COLORED_TEXT_STRUCT
{
    BYTE byColor[3];
    DWORD dwValue;
};
#pragma pack(pop)
static_assert(sizeof(_MY_COLORED_TEXT_STRUCT) == 7, "three colour bytes and a 32-bit value");

class MYWINDOW_API CMyDialog : public CMyWindow
{
public:
    CMyDialog(WORD templateId, DLGPROC dialogProc, HWND parent);
    ~CMyDialog() override;

    int Show(int command) override;

    HWND GetDlgItem(int id) const;
    UINT GetDlgItemInt(int id, BOOL* translated, BOOL isSigned) const;
    BOOL SetDlgItemInt(int id, UINT value, BOOL isSigned) const;
    // A null text shows as empty.
    BOOL SetDlgItemTextA(int id, const char* text) const;
    BOOL EnableDialogItem(int id, BOOL enable) const;
    BOOL ShowDialogItem(int id, int command) const;
    BOOL CheckDlgButton(int id, UINT check) const;
    UINT IsDlgButtonChecked(int id) const;
    int GetDialogItemTextLength(int id) const;
    // Moves the focus as the dialog manager does, default button included.
    BOOL SetDialogItemFocus(int id) const;
    // Shows a bitmap in a picture (static) control.
    BOOL SetDialogItemBitmap(int id, HBITMAP bitmap) const;
    // Ends the modal run, which then returns result.
    BOOL EndDialog(int result) const;

protected:
    HWND m_hParentWnd;
};

// A static text whose colours and weight its dialog supplies through
// OnMyColoredTextGetTextParam each time the text is drawn. Style bit 0x10
// centres the text across, 0x20 centres one line from top to bottom.
class MYWINDOW_API CMyColoredText : public CMyWindowObject
{
public:
    CMyColoredText();
    ~CMyColoredText() override;

    // Creates the control as a child of parent with the given id; the two
    // reserved values must be 0; rect is in the parent's client pixels.
    virtual BOOL Create(const char* text, DWORD style, HWND parent, UINT id,
                        int reserved1, int reserved2, const RECT* rect);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};
