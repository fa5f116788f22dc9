// Functions in this file: TextOf, LengthOf, DialogWindow, ParentWindow: what
// the module needs of the window library beyond its published interface, a
// CDynString's text and length and a dialog's own and parent window. The one
// place to edit when the field's headers name these otherwise.
#pragma once

#include "DynString.h"
#include "MyDialog.h"

inline const char* TextOf(const CDynString& text)
{
    return text.GetString();
}

inline int LengthOf(const CDynString& text)
{
    return text.GetLength();
}

// The window library keeps both handles as protected members; a class
// derived from the dialog may name them, and hands out the member pointers.
// Never constructed.
class CDialogHandles : public CMyDialog
{
public:
    static HWND CMyWindow::*Own() { return &CDialogHandles::m_hWnd; }
    static HWND CMyDialog::*Parent() { return &CDialogHandles::m_hParentWnd; }
};

// The dialog's window while it exists, else null.
inline HWND DialogWindow(const CMyDialog& dialog)
{
    return dialog.*CDialogHandles::Own();
}

// The window the dialog was constructed with as its parent.
inline HWND ParentWindow(const CMyDialog& dialog)
{
    return dialog.*CDialogHandles::Parent();
}
