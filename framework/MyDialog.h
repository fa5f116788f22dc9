// Classes in this file: CMyDialog (the base of the plug-in's dialogs and its
// control helpers), CMyColoredText (a static text drawn in its dialog's colours)
// and _MY_COLORED_TEXT_STRUCT (the colours a dialog hands to it).
#pragma once

#include <windows.h>

#include "MyWindow.h"

#pragma pack(push, 1)
// Filled by the dialog's OnMyColoredTextGetTextParam: red, green, blue, then
// the drawing flags (MYCT_BOLD).
struct _MY_COLORED_TEXT_STRUCT
{
    BYTE byColor[3];
    DWORD dwValue;
};
#pragma pack(pop)
static_assert(sizeof(_MY_COLORED_TEXT_STRUCT) == 7, "three colour bytes and a 32-bit value");

enum : DWORD { MYCT_BOLD = 1 };                     // dwValue: draw the text in bold
enum : DWORD { MYCTS_CENTER = 0x10, MYCTS_VCENTER = 0x20 }; // window styles of CMyColoredText

class MYWINDOW_API CMyDialog : public CMyWindow
{
public:
    CMyDialog(WORD templateId, DLGPROC dialogProc, HWND parent);
    ~CMyDialog() override;

    int Show(int command) override;

    HWND GetParentWindow() const { return m_hParentWnd; }

    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    UINT GetDlgItemInt(int id, BOOL* translated, BOOL isSigned) const;
    BOOL SetDlgItemInt(int id, UINT value, BOOL isSigned) const;
    // A null text shows as empty.
    BOOL SetDlgItemTextA(int id, const char* text) const;
    BOOL EnableDialogItem(int id, BOOL enable) const;
    BOOL ShowDialogItem(int id, int command) const;
    BOOL CheckDlgButton(int id, UINT check) const;
    UINT IsDlgButtonChecked(int id) const;
    int GetDialogItemTextLength(int id) const;
    BOOL SetDialogItemFocus(int id) const;
    // Shows a bitmap in a picture (static) control.
    BOOL SetDialogItemBitmap(int id, HBITMAP bitmap) const;
    // Ends the modal run, which then returns result.
    BOOL EndDialog(int result) const;

protected:
    HWND m_hParentWnd;
};

// A static text whose colours and weight its dialog supplies through
// OnMyColoredTextGetTextParam each time the text is drawn.
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
    static void Paint(HWND hwnd);
};
