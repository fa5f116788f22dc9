// Classes in this file: CMyWindowObject (a window handle with message box and
// title), CMyWindow (the window base whose virtual table the dialogs share).
#pragma once

#include <windows.h>

#include "MyObject.h"

struct _MY_COLORED_TEXT_STRUCT;

class MYWINDOW_API CMyWindowObject : public CMyObject
{
public:
    CMyWindowObject();
    ~CMyWindowObject() override;

    // A message box owned by this object's window.
    int MessageBoxA(const char* text, const char* caption, UINT flags) const;
    // Sets the window's title.
    BOOL SetWindowTextA(const char* text) const;

protected:
    HWND m_hWnd;
};

// The virtual operations are declared in the order of the library's published
// table; plug-in modules override them by slot, so the order must not change.
// A handler answers non-zero when it has dealt with its message, and that
// answer is the message's result; zero leaves the message to the dialog
// manager's default processing. OnNotify answers the notification's result,
// and a handler of a message whose result is a handle or a code (the
// WM_CTLCOLOR family, WM_QUERYDRAGICON, WM_COMPAREITEM, WM_VKEYTOITEM,
// WM_CHARTOITEM, through OnOtherMessage) answers that value itself.
class MYWINDOW_API CMyWindow : public CMyWindowObject
{
public:
    explicit CMyWindow(WORD templateId, DLGPROC dialogProc = nullptr);
    ~CMyWindow() override;

    // The library's dialog procedure (or the one given to the constructor):
    // binds the object passed as init parameter to its window and routes
    // messages to the handlers below.
    DLGPROC GetWndProc() const;
    WORD GetClassTemplate() const;

    virtual int Create(HWND parent);
    virtual int CreateEx(DWORD exStyle, HWND parent);
    // -1 runs the dialog modally (ShowModalDialog); other values are ShowWindow commands.
    virtual int Show(int command);
    virtual int OnActivate(WORD state, HWND other);                  // WM_ACTIVATE
    virtual int OnActivateApp(BOOL active, DWORD threadId);          // WM_ACTIVATEAPP
    virtual int OnChar(WPARAM character, LPARAM flags);              // WM_CHAR
    virtual int OnClose();                                           // WM_CLOSE
    virtual int OnCommand(WPARAM wParam, LPARAM lParam);             // WM_COMMAND: id in the low 16 bits
    virtual int OnContextMenu(HWND window, int x, int y);            // WM_CONTEXTMENU
    virtual int OnCreate(CREATESTRUCTA* create);                     // WM_CREATE
    virtual int OnDestroy();                                         // WM_DESTROY
    virtual int OnEraseBkgnd(HDC dc);                                // WM_ERASEBKGND
    virtual int OnHelp(HELPINFO* info);                              // WM_HELP
    virtual int OnHScroll(WORD code, WORD position, HWND scrollBar); // WM_HSCROLL
    virtual int OnKeyDown(WPARAM key, LPARAM flags);                 // WM_KEYDOWN
    virtual int OnKeyUp(WPARAM key, LPARAM flags);                   // WM_KEYUP
    virtual int OnLButtonDown(WPARAM keys, int x, int y);            // WM_LBUTTONDOWN
    virtual int OnLButtonUp(WPARAM keys, int x, int y);              // WM_LBUTTONUP
    virtual int OnMouseLeave();                                      // WM_MOUSELEAVE
    virtual int OnMouseMove(WPARAM keys, int x, int y);              // WM_MOUSEMOVE
    virtual int OnMouseWheel(WORD keys, int delta, int x, int y);    // WM_MOUSEWHEEL
    virtual int OnMove(int x, int y);                                // WM_MOVE
    virtual int OnNCActivate(BOOL active);                           // WM_NCACTIVATE
    virtual int OnNCCreate(CREATESTRUCTA* create);                   // WM_NCCREATE
    virtual int OnNCPaint(HRGN region);                              // WM_NCPAINT
    virtual int OnNotify(int id, NMHDR* header);                     // WM_NOTIFY
    virtual int OnPaint();                                           // WM_PAINT
    virtual int OnPrint(HDC dc, LPARAM flags);                       // WM_PRINT
    virtual int OnRButtonDown(WPARAM keys, int x, int y);            // WM_RBUTTONDOWN
    virtual int OnRButtonUp(WPARAM keys, int x, int y);              // WM_RBUTTONUP
    virtual int OnSetCursor(HWND window, WORD hitTest, WORD message); // WM_SETCURSOR
    virtual int OnSetText(const char* text);                         // WM_SETTEXT
    virtual int OnSize(WPARAM type, int width, int height);          // WM_SIZE
    virtual int OnSizing(WPARAM edge, RECT* rect);                   // WM_SIZING
    virtual int OnSysCommand(WPARAM command, LPARAM position);       // WM_SYSCOMMAND
    virtual int OnTimer(UINT_PTR id);                                // WM_TIMER
    virtual int OnVScroll(WORD code, WORD position, HWND scrollBar); // WM_VSCROLL
    virtual int OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam); // any message not above
    // Microsoft's compiler gives overloads their slots in the reverse order of
    // declaration: the untyped one takes the first slot.
    virtual int RegisterMyWindow(WNDCLASSEXA* windowClass);
    virtual int RegisterMyWindow(void* classInfo);
    virtual int ShowModalDialog();
    virtual int ShowModelessDialog();
    virtual int CloseModelessDialog();
    virtual int OnExitSizeMove();                                    // WM_EXITSIZEMOVE
    virtual int OnInitDialog();                                      // WM_INITDIALOG
    virtual int OnLButtonDblClk(WPARAM keys, int x, int y);          // WM_LBUTTONDBLCLK
    virtual int OnMoving(WPARAM edge, RECT* rect);                   // WM_MOVING
    // Asked by a coloured text control of this window for its colours.
    virtual int OnMyColoredTextGetTextParam(UINT controlId, _MY_COLORED_TEXT_STRUCT* param);
    virtual int OnNCLButtonDblClk(WPARAM hitTest, int x, int y);     // WM_NCLBUTTONDBLCLK
    virtual int OnNCLButtonDown(WPARAM hitTest, int x, int y);       // WM_NCLBUTTONDOWN
    virtual int OnNCLButtonUp(WPARAM hitTest, int x, int y);         // WM_NCLBUTTONUP
    virtual int OnQuit(WPARAM exitCode);                             // WM_QUIT

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void Bind(HWND hwnd);
    void Unbind();

    WORD m_wTemplateId;
    DLGPROC m_pDialogProc;
};
