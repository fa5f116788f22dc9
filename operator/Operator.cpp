// COperator and CDialogView: the operator automation of the tests and the host.
#include "Operator.h"

#include <commctrl.h>

#include <cstring>

namespace {

COperator* s_pOperator = nullptr;  // the one operator of the UI thread

const DWORD kWatchInterval = 50;
const DWORD kConditionInterval = 5;
// The text of a message box is a static control of this ID.
const int kMessageBoxText = 0xFFFF;
// Where a watched dialog keeps its own window procedure.
const char kWatchedProcedure[] = "COperator.Procedure";

bool IsTopLevelDialog(HWND hwnd)
{
    char className[16] = "";
    ::GetClassNameA(hwnd, className, sizeof(className));
    return strcmp(className, "#32770") == 0 && !(::GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD);
}

std::string WindowText(HWND hwnd)
{
    if (!hwnd)
        return std::string();
    const int length = ::GetWindowTextLengthA(hwnd);
    std::string text(length + 1, '\0');
    ::GetWindowTextA(hwnd, &text[0], length + 1);
    text.resize(strlen(text.c_str()));
    return text;
}

}  // namespace

// ---- CDialogView: reading -------------------------------------------------

std::string CDialogView::Title() const
{
    return WindowText(m_hDialog);
}

std::string CDialogView::Text(int id) const
{
    return WindowText(Item(id));
}

std::string CDialogView::MessageText() const
{
    // The message box text is its only static control with text.
    std::string text;
    for (HWND child = ::GetWindow(m_hDialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char className[16] = "";
        ::GetClassNameA(child, className, sizeof(className));
        if (_stricmp(className, "Static") == 0 && ::GetWindowTextLengthA(child) > 0)
            text = WindowText(child);
    }
    return text;
}

bool CDialogView::IsEnabled(int id) const
{
    HWND item = Item(id);
    return item && ::IsWindowEnabled(item);
}

bool CDialogView::IsVisible(int id) const
{
    HWND item = Item(id);
    return item && (::GetWindowLongA(item, GWL_STYLE) & WS_VISIBLE);
}

bool CDialogView::IsChecked(int id) const
{
    return ::IsDlgButtonChecked(m_hDialog, id) == BST_CHECKED;
}

int CDialogView::Selection(int id) const
{
    return static_cast<int>(::SendDlgItemMessageA(m_hDialog, id, CB_GETCURSEL, 0, 0));
}

std::string CDialogView::SelectionText(int id) const
{
    const int index = Selection(id);
    return index < 0 ? std::string() : ItemText(id, index);
}

LRESULT CDialogView::SelectionData(int id) const
{
    const int index = Selection(id);
    return index < 0 ? CB_ERR : ItemData(id, index);
}

int CDialogView::ItemCount(int id) const
{
    return static_cast<int>(::SendDlgItemMessageA(m_hDialog, id, CB_GETCOUNT, 0, 0));
}

std::string CDialogView::ItemText(int id, int index) const
{
    const LRESULT length = ::SendDlgItemMessageA(m_hDialog, id, CB_GETLBTEXTLEN, index, 0);
    if (length < 0)
        return std::string();
    std::string text(length + 1, '\0');
    ::SendDlgItemMessageA(m_hDialog, id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(length);
    return text;
}

LRESULT CDialogView::ItemData(int id, int index) const
{
    return ::SendDlgItemMessageA(m_hDialog, id, CB_GETITEMDATA, index, 0);
}

int CDialogView::UpDownPosition(int id) const
{
    return static_cast<int>(::SendDlgItemMessageA(m_hDialog, id, UDM_GETPOS32, 0, 0));
}

void CDialogView::UpDownRange(int id, int* lower, int* upper) const
{
    ::SendDlgItemMessageA(m_hDialog, id, UDM_GETRANGE32, reinterpret_cast<WPARAM>(lower),
                          reinterpret_cast<LPARAM>(upper));
}

int CDialogView::FocusId() const
{
    HWND focus = ::GetFocus();
    return focus && ::GetParent(focus) == m_hDialog ? ::GetDlgCtrlID(focus) : 0;
}

HICON CDialogView::Icon() const
{
    for (HWND child = ::GetWindow(m_hDialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char className[16] = "";
        ::GetClassNameA(child, className, sizeof(className));
        if (_stricmp(className, "Static") == 0 && (::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            return reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0));
    }
    return nullptr;
}

void CDialogView::SelectedRange(int id, int* start, int* end) const
{
    DWORD from = 0, to = 0;
    ::SendDlgItemMessageA(m_hDialog, id, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    *start = static_cast<int>(from);
    *end = static_cast<int>(to);
}

UINT CDialogView::Style() const
{
    return static_cast<UINT>(::GetWindowLongA(m_hDialog, GWL_STYLE));
}

// ---- CDialogView: acting --------------------------------------------------

// A person can act only on a control that is there, shown and enabled; any
// other is refused as a failure naming the control and the dialog.
bool CDialogView::Reachable(int id, const char* action)
{
    HWND item = Item(id);
    const char* why = !item ? "is not there" : !IsVisible(id) ? "is hidden" : !IsEnabled(id) ? "is disabled" : nullptr;
    if (!why)
        return true;
    m_op.Fail("cannot " + std::string(action) + " control " + std::to_string(id) +
              (item ? " (\"" + Text(id) + "\")" : std::string()) + " of dialog \"" + Title() + "\": it " + why);
    return false;
}

void CDialogView::SetText(int id, const std::string& text)
{
    if (Reachable(id, "type into"))
        ::SendMessageA(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void CDialogView::Click(int id)
{
    if (Reachable(id, "click"))
        ::SendMessageA(Item(id), BM_CLICK, 0, 0);
}

void CDialogView::SetChecked(int id, bool checked)
{
    if (IsChecked(id) != checked)
        Click(id);
}

void CDialogView::Select(int id, int index)
{
    if (!Reachable(id, "choose in"))
        return;
    HWND list = Item(id);
    ::SendMessageA(list, CB_SETCURSEL, index, 0);
    ::SendMessageA(m_hDialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

void CDialogView::SetUpDown(int id, int position)
{
    if (!Reachable(id, "spin"))
        return;
    HWND upDown = Item(id);
    ::SendMessageA(upDown, UDM_SETPOS32, 0, position);
    ::SendMessageA(m_hDialog, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(upDown));
    ::SendMessageA(m_hDialog, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, position), reinterpret_cast<LPARAM>(upDown));
}

void CDialogView::Focus(int id)
{
    if (!Reachable(id, "focus"))
        return;
    ::SendMessageA(m_hDialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
}

void CDialogView::Wheel(int delta)
{
    RECT area;
    ::GetWindowRect(m_hDialog, &area);
    ::SendMessageA(m_hDialog, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<short>(delta)),
                   MAKELPARAM(area.left + 10, area.top + 10));
}

void CDialogView::Command(int id, int code)
{
    if (Item(id) && !Reachable(id, "send a command from"))
        return;
    ::SendMessageA(m_hDialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Item(id)));
}

void CDialogView::Close()
{
    ::SendMessageA(m_hDialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void CDialogView::Later(DWORD ms, std::function<void(CDialogView&)> action)
{
    HWND dialog = m_hDialog;
    COperator& op = m_op;
    op.After(ms, [&op, dialog, ms, action] {
        CDialogView view(op, dialog);
        if (view.IsOpen())
            action(view);
        else
            op.Fail("a dialog was ended during a wait of " + std::to_string(ms) + " ms");
    });
}

namespace {

void WaitFor(COperator& op, HWND dialog, const std::string& what, std::function<bool()> ready,
             std::function<void(CDialogView&)> action, DWORD deadline, bool mayEnd)
{
    CDialogView view(op, dialog);
    if (!view.IsOpen()) {
        if (!mayEnd)
            op.Fail("a dialog waiting for " + what + " was ended before it came");
        return;
    }
    if (ready()) {
        action(view);
    } else if (static_cast<LONG>(::GetTickCount() - deadline) > 0) {
        op.Fail("dialog \"" + view.Title() + "\" waited in vain for " + what + "; it was cancelled");
        ::EndDialog(dialog, IDCANCEL);
    } else {
        op.After(kConditionInterval, [&op, dialog, what, ready, action, deadline, mayEnd] {
            WaitFor(op, dialog, what, ready, action, deadline, mayEnd);
        });
    }
}

}  // namespace

void CDialogView::When(const std::string& what, std::function<bool()> ready, std::function<void(CDialogView&)> action)
{
    WaitFor(m_op, m_hDialog, what, std::move(ready), std::move(action), ::GetTickCount() + m_op.Timeout(), false);
}

void CDialogView::WhenStillOpen(const std::string& what, std::function<bool()> ready,
                                std::function<void(CDialogView&)> action)
{
    WaitFor(m_op, m_hDialog, what, std::move(ready), std::move(action), ::GetTickCount() + m_op.Timeout(), true);
}

// ---- COperator -------------------------------------------------------------

// An operator made while another exists takes over until it goes; the hook
// is installed once and always serves the newest.
COperator::COperator(DWORD timeoutMs)
    : m_pPrevious(s_pOperator), m_hHook(nullptr), m_dwTimeout(timeoutMs), m_watchdog(0)
{
    s_pOperator = this;
    if (!m_pPrevious)
        m_hHook = ::SetWindowsHookExA(WH_CBT, &COperator::CbtHook, nullptr, ::GetCurrentThreadId());
    m_watchdog = ::SetTimer(nullptr, 0, kWatchInterval, &COperator::TimerProc);
}

COperator::~COperator()
{
    if (m_hHook)
        ::UnhookWindowsHookEx(m_hHook);
    ::KillTimer(nullptr, m_watchdog);
    for (const auto& timer : m_timers)
        ::KillTimer(nullptr, timer.first);
    s_pOperator = m_pPrevious;
}

void COperator::Expect(const std::string& name, int mark, Action action, int mayEnd)
{
    m_expected.push_back({name, mark, std::move(action), mayEnd});
}

std::vector<std::string> COperator::Pending() const
{
    std::vector<std::string> names;
    for (const Expectation& expectation : m_expected)
        names.push_back(expectation.strName);
    return names;
}

void COperator::After(DWORD ms, std::function<void()> callback)
{
    const UINT_PTR id = ::SetTimer(nullptr, 0, ms, &COperator::TimerProc);
    m_timers[id] = std::move(callback);
}

// A new top-level dialog gets a window procedure of the operator's in front
// of its own, which sees its WM_INITDIALOG return (a hook on every message
// would cost a trip to the wineserver for each).
LRESULT CALLBACK COperator::CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    HWND hwnd = reinterpret_cast<HWND>(wParam);
    if (s_pOperator && code == HCBT_CREATEWND) {
        const CREATESTRUCTA* create = reinterpret_cast<const CBT_CREATEWNDA*>(lParam)->lpcs;
        if (!(create->style & WS_CHILD) && IsTopLevelDialog(hwnd)) {
            const LONG_PTR own = reinterpret_cast<LONG_PTR>(&COperator::DialogWatch);
            ::SetPropA(hwnd, kWatchedProcedure, reinterpret_cast<HANDLE>(::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, own)));
        }
    } else if (s_pOperator && code == HCBT_DESTROYWND) {
        s_pOperator->m_idleSince.erase(hwnd);
        s_pOperator->m_busy.erase(hwnd);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// A dialog is taken the moment its WM_INITDIALOG returns: its controls and
// texts are in place, and nothing from another thread can have ended it yet.
LRESULT CALLBACK COperator::DialogWatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto own = reinterpret_cast<WNDPROC>(::GetPropA(hwnd, kWatchedProcedure));
    const LRESULT result = ::CallWindowProcA(own, hwnd, message, wParam, lParam);
    if (message == WM_INITDIALOG && s_pOperator)
        s_pOperator->OnDialogReady(hwnd);
    else if (message == WM_NCDESTROY)
        ::RemovePropA(hwnd, kWatchedProcedure);
    return result;
}

void CALLBACK COperator::TimerProc(HWND, UINT, UINT_PTR id, DWORD)
{
    COperator* op = s_pOperator;
    if (!op)
        return;
    if (id == op->m_watchdog) {
        op->Watch();
        return;
    }
    auto timer = op->m_timers.find(id);
    if (timer == op->m_timers.end())
        return;  // an operator's further down, paused while a newer one serves
    ::KillTimer(nullptr, id);
    std::function<void()> callback = std::move(timer->second);
    op->m_timers.erase(timer);
    callback();
}

void COperator::OnDialogReady(HWND dialog)
{
    CDialogView view(*this, dialog);
    m_seen.push_back(view.Title());
    const std::string opened =
        "\"" + view.Title() + "\"" + (view.MessageText().empty() ? "" : " (\"" + view.MessageText() + "\")");
    if (m_expected.empty()) {
        Fail("unexpected dialog " + opened + " opened; it was cancelled");
        Dismiss(dialog);
        return;
    }
    Expectation expectation = std::move(m_expected.front());
    m_expected.pop_front();
    const bool fits =
        expectation.nMark == ANY_DIALOG ||
        (expectation.nMark == MESSAGE_BOX ? view.Exists(kMessageBoxText) : view.Exists(expectation.nMark));
    if (!fits) {
        Fail("expected " + expectation.strName + ", but dialog " + opened + " opened; it was cancelled");
        Dismiss(dialog);
        return;
    }
    // Act once the dialog's modal loop runs.
    Action action = std::move(expectation.action);
    const bool mayEnd = expectation.nMayEnd && view.Exists(expectation.nMayEnd);
    const std::string name = expectation.strName;
    After(0, [this, dialog, name, mayEnd, action] { Serve(dialog, name, mayEnd, action); });
}

void COperator::Serve(HWND dialog, const std::string& name, bool mayEnd, Action action)
{
    CDialogView view(*this, dialog);
    if (!view.IsOpen()) {
        if (!mayEnd)
            Fail(name + " ended before its step");
        return;
    }
    if (m_observer)
        m_observer(dialog);
    m_busy.insert(dialog);
    action(view);
    if (::IsWindow(dialog)) {
        m_busy.erase(dialog);
        m_idleSince[dialog] = ::GetTickCount();
    }
}

// A dialog that stays open with nothing under way longer than the timeout is
// a script that does not fit what is on screen: fail and close it, so the
// call under test returns instead of hanging.
void COperator::Watch()
{
    if (!m_timers.empty())
        return;  // a scripted step is still to come
    const DWORD now = ::GetTickCount();
    for (auto it = m_idleSince.begin(); it != m_idleSince.end();) {
        HWND dialog = it->first;
        if (!::IsWindow(dialog)) {
            it = m_idleSince.erase(it);
        } else if (now - it->second > m_dwTimeout) {
            Fail("dialog \"" + WindowText(dialog) + "\" was still open " + std::to_string(m_dwTimeout) +
                 " ms after the script's last step; it was cancelled");
            it = m_idleSince.erase(it);
            Dismiss(dialog);
        } else {
            ++it;
        }
    }
}

void COperator::Dismiss(HWND dialog)
{
    ::EndDialog(dialog, IDCANCEL);
}
