// Classes in this file: CDialogView (one open dialog or message box, read and
// driven by window messages to its controls) and COperator (notices each
// dialog as it opens on this thread, checks it is the one the script expects
// next and performs the script's action).
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

class COperator;

// An open dialog, seen from outside. Every action is a message to the real
// control, as a person's click or keystroke would be.
class CDialogView
{
public:
    CDialogView(COperator& op, HWND dialog) : m_op(op), m_hDialog(dialog) {}

    HWND Handle() const { return m_hDialog; }
    HWND Item(int id) const { return ::GetDlgItem(m_hDialog, id); }
    // Still there for the operator: a dialog that has been ended is hidden
    // at once, though its window lives on until its modal loop notices.
    bool IsOpen() const { return ::IsWindow(m_hDialog) && ::IsWindowVisible(m_hDialog); }

    // Reading.
    std::string Title() const;
    std::string Text(int id) const;
    // The message box's text (its static text that is not the icon).
    std::string MessageText() const;
    bool Exists(int id) const { return Item(id) != nullptr; }
    bool IsEnabled(int id) const;
    bool IsVisible(int id) const;
    bool IsChecked(int id) const;
    int Selection(int id) const;                 // combo box: index, -1 for none
    std::string SelectionText(int id) const;     // combo box: text of the selection
    LRESULT SelectionData(int id) const;         // combo box: item data of the selection
    int ItemCount(int id) const;                 // combo box entries
    std::string ItemText(int id, int index) const;
    LRESULT ItemData(int id, int index) const;
    int UpDownPosition(int id) const;
    void UpDownRange(int id, int* lower, int* upper) const;
    int FocusId() const;                          // control with the focus, 0 for none
    HICON Icon() const;                           // a message box's icon, null for none
    void SelectedRange(int id, int* start, int* end) const; // edit: selected characters
    UINT Style() const;

    // Acting, as a person does: a control that is missing, hidden or
    // disabled refuses, and the operator counts a failure that names it.
    void SetText(int id, const std::string& text);     // WM_SETTEXT (an edit then reports the change)
    void Click(int id);                                // BM_CLICK
    void SetChecked(int id, bool checked);             // clicks the box when its state differs
    void Select(int id, int index);                    // CB_SETCURSEL + CBN_SELCHANGE
    void SetUpDown(int id, int position);              // UDM_SETPOS32 + WM_VSCROLL
    void Focus(int id);
    void Wheel(int delta);                             // WM_MOUSEWHEEL to the dialog
    // The WM_COMMAND a control sends when used, or one of an ID no control
    // has (an accelerator's).
    void Command(int id, int code = BN_CLICKED);
    void Close();                                      // the close box: WM_SYSCOMMAND SC_CLOSE
    // Runs action on this dialog after ms milliseconds, as a person who
    // waits; a dialog ended meanwhile is a failure.
    void Later(DWORD ms, std::function<void(CDialogView&)> action);
    // Runs action on this dialog as soon as ready() holds; ready is asked
    // every few milliseconds. A dialog ended before it holds is a failure, and
    // so is one where it does not hold within the operator's timeout, which
    // is then cancelled.
    void When(const std::string& what, std::function<bool()> ready, std::function<void(CDialogView&)> action);
    // As When, but a dialog ended first (by its worker, say) is no failure:
    // for a robot that cannot know whether it will be.
    void WhenStillOpen(const std::string& what, std::function<bool()> ready, std::function<void(CDialogView&)> action);

private:
    bool Reachable(int id, const char* action);

    COperator& m_op;
    HWND m_hDialog;
};

class COperator
{
public:
    typedef std::function<void(CDialogView&)> Action;
    // Which dialog an expectation is for: a control only that dialog has, or one of these.
    enum : int { ANY_DIALOG = 0, MESSAGE_BOX = -1 };

    explicit COperator(DWORD timeoutMs = 10000);
    ~COperator();
    COperator(const COperator&) = delete;
    COperator& operator=(const COperator&) = delete;

    // The next dialog or message box that opens gets this action; name says
    // which dialog the script expects, for the failure messages, and mark
    // tells it: a dialog without the mark is a failure, and is cancelled.
    // The dialog is taken the moment its WM_INITDIALOG returns, so one that a
    // worker ends at once is still the one expected. A dialog ended before
    // its action's turn is a failure, unless it has the control mayEnd names:
    // the new-setting test dialog, whose worker ends it when the unit answers
    // at its first poll, for a step that only watches it.
    void Expect(const std::string& name, int mark, Action action, int mayEnd = 0);
    // Every dialog that opens when nothing is expected is cancelled and counted
    // as a failure.
    bool AllDone() const { return m_expected.empty(); }
    std::vector<std::string> Pending() const;
    const std::vector<std::string>& Failures() const { return m_failures; }
    // Titles of the dialogs seen so far, in the order they opened.
    const std::vector<std::string>& Seen() const { return m_seen; }
    void Fail(const std::string& failure)
    {
        m_failures.push_back(failure);
        if (m_onFailure)
            m_onFailure();
    }
    // Called at every failure: a test that holds a latch lets it go, so the
    // call under test can return and the failure be told.
    void SetOnFailure(std::function<void()> onFailure) { m_onFailure = std::move(onFailure); }

    void After(DWORD ms, std::function<void()> callback);
    DWORD Timeout() const { return m_dwTimeout; }
    // Called with every dialog when its turn comes, before its action.
    void SetObserver(std::function<void(HWND)> observer) { m_observer = std::move(observer); }

private:
    struct Expectation
    {
        std::string strName;
        int nMark;
        Action action;
        int nMayEnd;
    };

    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK DialogWatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);
    void OnDialogReady(HWND dialog);
    void Serve(HWND dialog, const std::string& name, bool mayEnd, Action action);
    void Watch();
    static void Dismiss(HWND dialog);

    COperator* m_pPrevious;
    HHOOK m_hHook;
    DWORD m_dwTimeout;
    UINT_PTR m_watchdog;
    std::deque<Expectation> m_expected;
    std::vector<std::string> m_failures;
    std::vector<std::string> m_seen;
    std::map<HWND, DWORD> m_idleSince;   // dialogs open with no action under way
    std::set<HWND> m_busy;
    std::map<UINT_PTR, std::function<void()>> m_timers;
    std::function<void(HWND)> m_observer;
    std::function<void()> m_onFailure;
};
