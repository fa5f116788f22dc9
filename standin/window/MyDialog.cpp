// CMyDialog: the dialog base and its control helpers.
#include "MyDialog.h"

CMyDialog::CMyDialog(WORD templateId, DLGPROC dialogProc, HWND parent)
    : CMyWindow(templateId, dialogProc), m_hParentWnd(parent)
{
}

CMyDialog::~CMyDialog() = default;

int CMyDialog::Show(int command)
{
    return CMyWindow::Show(command);
}

HWND CMyDialog::GetDlgItem(int id) const
{
    return ::GetDlgItem(m_hWnd, id);
}

// Reads the control's text as a decimal number: blanks around it, a minus
// sign only when signed, nothing else. Any other text, or a number beyond 32
// bits, is no number and reads as 0 (the same on every platform, where the
// system's own reading differs in accepting a sign for unsigned reads).
UINT CMyDialog::GetDlgItemInt(int id, BOOL* translated, BOOL isSigned) const
{
    if (translated)
        *translated = FALSE;
    char text[32] = "";
    HWND item = GetDlgItem(id);
    if (!item || ::GetWindowTextLengthA(item) >= static_cast<int>(sizeof(text)))
        return 0;
    ::GetWindowTextA(item, text, sizeof(text));

    const char* p = text;
    while (*p == ' ')
        ++p;
    const bool negative = isSigned && *p == '-';
    if (negative)
        ++p;
    if (*p < '0' || *p > '9')
        return 0;
    unsigned long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > 0xFFFFFFFFull)
            return 0;
    }
    while (*p == ' ')
        ++p;
    if (*p != '\0')
        return 0;
    const unsigned long long limit = isSigned ? (negative ? 0x80000000ull : 0x7FFFFFFFull) : 0xFFFFFFFFull;
    if (value > limit)
        return 0;
    if (translated)
        *translated = TRUE;
    return negative ? static_cast<UINT>(0u - static_cast<UINT>(value)) : static_cast<UINT>(value);
}

BOOL CMyDialog::SetDlgItemInt(int id, UINT value, BOOL isSigned) const
{
    return ::SetDlgItemInt(m_hWnd, id, value, isSigned);
}

BOOL CMyDialog::SetDlgItemTextA(int id, const char* text) const
{
    return ::SetDlgItemTextA(m_hWnd, id, text ? text : "");
}

BOOL CMyDialog::EnableDialogItem(int id, BOOL enable) const
{
    HWND item = GetDlgItem(id);
    return item && (::EnableWindow(item, enable), TRUE);
}

BOOL CMyDialog::ShowDialogItem(int id, int command) const
{
    HWND item = GetDlgItem(id);
    return item && (::ShowWindow(item, command), TRUE);
}

BOOL CMyDialog::CheckDlgButton(int id, UINT check) const
{
    return ::CheckDlgButton(m_hWnd, id, check);
}

UINT CMyDialog::IsDlgButtonChecked(int id) const
{
    return ::IsDlgButtonChecked(m_hWnd, id);
}

int CMyDialog::GetDialogItemTextLength(int id) const
{
    HWND item = GetDlgItem(id);
    return item ? ::GetWindowTextLengthA(item) : 0;
}

// Through the dialog manager, which also moves the default button.
BOOL CMyDialog::SetDialogItemFocus(int id) const
{
    HWND item = GetDlgItem(id);
    if (!item)
        return FALSE;
    ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
    return TRUE;
}

BOOL CMyDialog::SetDialogItemBitmap(int id, HBITMAP bitmap) const
{
    HWND item = GetDlgItem(id);
    if (!item)
        return FALSE;
    ::SendMessageA(item, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    return TRUE;
}

BOOL CMyDialog::EndDialog(int result) const
{
    return ::EndDialog(m_hWnd, result);
}
