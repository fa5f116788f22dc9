// CMyWindowObject, CMyWindow and the library's dialog procedure.
#include "MyWindow.h"

#include <windowsx.h>

#include "Binding.h"

CMyWindowObject::CMyWindowObject() : m_hWnd(nullptr) {}

CMyWindowObject::~CMyWindowObject() = default;

int CMyWindowObject::MessageBoxA(const char* text, const char* caption, UINT flags) const
{
    return ::MessageBoxA(m_hWnd, text, caption, flags);
}

BOOL CMyWindowObject::SetWindowTextA(const char* text) const
{
    return m_hWnd && ::SetWindowTextA(m_hWnd, text ? text : "");
}

CMyWindow::CMyWindow(WORD templateId, DLGPROC dialogProc)
    : m_wTemplateId(templateId), m_pDialogProc(dialogProc)
{
}

CMyWindow::~CMyWindow()
{
    if (m_hWnd && BoundWindow(m_hWnd) == this)
        Unbind();
}

DLGPROC CMyWindow::GetWndProc() const
{
    return m_pDialogProc ? m_pDialogProc : &CMyWindow::DialogProc;
}

WORD CMyWindow::GetClassTemplate() const
{
    return m_wTemplateId;
}

namespace {

// The binding lives in a window property of its own, so no other user of the
// dialog's window data can be mistaken for a bound object.
const char kBindingProperty[] = "CMyWindow.Object";

}  // namespace

CMyWindow* BoundWindow(HWND hwnd)
{
    return hwnd ? static_cast<CMyWindow*>(::GetPropA(hwnd, kBindingProperty)) : nullptr;
}

void CMyWindow::Bind(HWND hwnd)
{
    m_hWnd = hwnd;
    ::SetPropA(hwnd, kBindingProperty, this);
}

void CMyWindow::Unbind()
{
    ::RemovePropA(m_hWnd, kBindingProperty);
    m_hWnd = nullptr;
}

namespace {

// Messages whose result a dialog procedure returns itself rather than
// through DWLP_MSGRESULT.
bool AnswersDirectly(UINT message)
{
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_QUERYDRAGICON:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        return true;
    default:
        return false;
    }
}

}  // namespace

// Binds the object given as init parameter on WM_INITDIALOG, routes every later
// message to its handler and unbinds on WM_NCDESTROY. A handler's non-zero
// answer is the message's result, in DWLP_MSGRESULT or returned directly as
// the message requires; a notification's answer is its result whatever it is.
// It never ends a dialog by itself: what a command means is the dialog
// object's decision.
INT_PTR CALLBACK CMyWindow::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* window = reinterpret_cast<CMyWindow*>(lParam);
        if (!window)
            return FALSE;
        window->Bind(hwnd);
        return window->OnInitDialog();
    }
    CMyWindow* window = BoundWindow(hwnd);
    if (!window)
        return FALSE;
    const INT_PTR result = window->Dispatch(message, wParam, lParam);
    if (message == WM_NCDESTROY)
        window->Unbind();
    if (AnswersDirectly(message))
        return result;
    if (!result && message != WM_NOTIFY)
        return FALSE;
    ::SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR CMyWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    switch (message) {
    case WM_ACTIVATE:       return OnActivate(LOWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_ACTIVATEAPP:    return OnActivateApp(static_cast<BOOL>(wParam), static_cast<DWORD>(lParam));
    case WM_CHAR:           return OnChar(wParam, lParam);
    case WM_CLOSE:          return OnClose();
    case WM_COMMAND:        return OnCommand(wParam, lParam);
    case WM_CONTEXTMENU:    return OnContextMenu(reinterpret_cast<HWND>(wParam), x, y);
    case WM_CREATE:         return OnCreate(reinterpret_cast<CREATESTRUCTA*>(lParam));
    case WM_DESTROY:        return OnDestroy();
    case WM_ERASEBKGND:     return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
    case WM_HELP:           return OnHelp(reinterpret_cast<HELPINFO*>(lParam));
    case WM_HSCROLL:        return OnHScroll(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_KEYDOWN:        return OnKeyDown(wParam, lParam);
    case WM_KEYUP:          return OnKeyUp(wParam, lParam);
    case WM_LBUTTONDOWN:    return OnLButtonDown(wParam, x, y);
    case WM_LBUTTONUP:      return OnLButtonUp(wParam, x, y);
    case WM_MOUSELEAVE:     return OnMouseLeave();
    case WM_MOUSEMOVE:      return OnMouseMove(wParam, x, y);
    case WM_MOUSEWHEEL:     return OnMouseWheel(GET_KEYSTATE_WPARAM(wParam), GET_WHEEL_DELTA_WPARAM(wParam), x, y);
    case WM_MOVE:           return OnMove(x, y);
    case WM_NCACTIVATE:     return OnNCActivate(static_cast<BOOL>(wParam));
    case WM_NCCREATE:       return OnNCCreate(reinterpret_cast<CREATESTRUCTA*>(lParam));
    case WM_NCPAINT:        return OnNCPaint(reinterpret_cast<HRGN>(wParam));
    case WM_NOTIFY:         return OnNotify(static_cast<int>(wParam), reinterpret_cast<NMHDR*>(lParam));
    case WM_PAINT:          return OnPaint();
    case WM_PRINT:          return OnPrint(reinterpret_cast<HDC>(wParam), lParam);
    case WM_RBUTTONDOWN:    return OnRButtonDown(wParam, x, y);
    case WM_RBUTTONUP:      return OnRButtonUp(wParam, x, y);
    case WM_SETCURSOR:      return OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam));
    case WM_SETTEXT:        return OnSetText(reinterpret_cast<const char*>(lParam));
    case WM_SIZE:           return OnSize(wParam, LOWORD(lParam), HIWORD(lParam));
    case WM_SIZING:         return OnSizing(wParam, reinterpret_cast<RECT*>(lParam));
    case WM_SYSCOMMAND:     return OnSysCommand(wParam, lParam);
    case WM_TIMER:          return OnTimer(wParam);
    case WM_VSCROLL:        return OnVScroll(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_EXITSIZEMOVE:   return OnExitSizeMove();
    case WM_LBUTTONDBLCLK:  return OnLButtonDblClk(wParam, x, y);
    case WM_MOVING:         return OnMoving(wParam, reinterpret_cast<RECT*>(lParam));
    case WM_NCLBUTTONDBLCLK: return OnNCLButtonDblClk(wParam, x, y);
    case WM_NCLBUTTONDOWN:  return OnNCLButtonDown(wParam, x, y);
    case WM_NCLBUTTONUP:    return OnNCLButtonUp(wParam, x, y);
    default:                return OnOtherMessage(message, wParam, lParam);
    }
}

// A window of this library exists only as a dialog from a template; creating
// one without a template is not supported by this stand-in.
int CMyWindow::Create(HWND) { return 0; }
int CMyWindow::CreateEx(DWORD, HWND) { return 0; }

int CMyWindow::Show(int command)
{
    if (command == -1)
        return ShowModalDialog();
    return m_hWnd ? ::ShowWindow(m_hWnd, command) : 0;
}

// The handlers leave every message to the default processing.
int CMyWindow::OnActivate(WORD, HWND) { return 0; }
int CMyWindow::OnActivateApp(BOOL, DWORD) { return 0; }
int CMyWindow::OnChar(WPARAM, LPARAM) { return 0; }
int CMyWindow::OnClose() { return 0; }
int CMyWindow::OnCommand(WPARAM, LPARAM) { return 0; }
int CMyWindow::OnContextMenu(HWND, int, int) { return 0; }
int CMyWindow::OnCreate(CREATESTRUCTA*) { return 0; }
int CMyWindow::OnDestroy() { return 0; }
int CMyWindow::OnEraseBkgnd(HDC) { return 0; }
int CMyWindow::OnHelp(HELPINFO*) { return 0; }
int CMyWindow::OnHScroll(WORD, WORD, HWND) { return 0; }
int CMyWindow::OnKeyDown(WPARAM, LPARAM) { return 0; }
int CMyWindow::OnKeyUp(WPARAM, LPARAM) { return 0; }
int CMyWindow::OnLButtonDown(WPARAM, int, int) { return 0; }
int CMyWindow::OnLButtonUp(WPARAM, int, int) { return 0; }
int CMyWindow::OnMouseLeave() { return 0; }
int CMyWindow::OnMouseMove(WPARAM, int, int) { return 0; }
int CMyWindow::OnMouseWheel(WORD, int, int, int) { return 0; }
int CMyWindow::OnMove(int, int) { return 0; }
int CMyWindow::OnNCActivate(BOOL) { return 0; }
int CMyWindow::OnNCCreate(CREATESTRUCTA*) { return 0; }
int CMyWindow::OnNCPaint(HRGN) { return 0; }
int CMyWindow::OnNotify(int, NMHDR*) { return 0; }
int CMyWindow::OnPaint() { return 0; }
int CMyWindow::OnPrint(HDC, LPARAM) { return 0; }
int CMyWindow::OnRButtonDown(WPARAM, int, int) { return 0; }
int CMyWindow::OnRButtonUp(WPARAM, int, int) { return 0; }
int CMyWindow::OnSetCursor(HWND, WORD, WORD) { return 0; }
int CMyWindow::OnSetText(const char*) { return 0; }
int CMyWindow::OnSize(WPARAM, int, int) { return 0; }
int CMyWindow::OnSizing(WPARAM, RECT*) { return 0; }
int CMyWindow::OnSysCommand(WPARAM, LPARAM) { return 0; }
int CMyWindow::OnTimer(UINT_PTR) { return 0; }
int CMyWindow::OnVScroll(WORD, WORD, HWND) { return 0; }
int CMyWindow::OnOtherMessage(UINT, WPARAM, LPARAM) { return 0; }
int CMyWindow::OnExitSizeMove() { return 0; }
int CMyWindow::OnInitDialog() { return 1; }
int CMyWindow::OnLButtonDblClk(WPARAM, int, int) { return 0; }
int CMyWindow::OnMoving(WPARAM, RECT*) { return 0; }
int CMyWindow::OnNCLButtonDblClk(WPARAM, int, int) { return 0; }
int CMyWindow::OnNCLButtonDown(WPARAM, int, int) { return 0; }
int CMyWindow::OnNCLButtonUp(WPARAM, int, int) { return 0; }
// WM_QUIT ends a message loop and never reaches a window; the slot stays.
int CMyWindow::OnQuit(WPARAM) { return 0; }

// A window without coloured texts supplies no colours.
int CMyWindow::OnMyColoredTextGetTextParam(UINT, _MY_COLORED_TEXT_STRUCT*) { return 0; }

// Window classes are registered by the library itself; registering others
// through a window object is not supported by this stand-in.
int CMyWindow::RegisterMyWindow(void*) { return 0; }
int CMyWindow::RegisterMyWindow(WNDCLASSEXA*) { return 0; }

// Only a dialog class knows the module that holds its template, so the modal
// and modeless runs belong to the dialog classes of the plug-in; the base has none.
int CMyWindow::ShowModalDialog() { return -1; }
int CMyWindow::ShowModelessDialog() { return 0; }
int CMyWindow::CloseModelessDialog()
{
    return m_hWnd && ::DestroyWindow(m_hWnd);
}
