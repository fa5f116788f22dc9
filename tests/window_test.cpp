// The window library stand-in: the dialog procedure's binding, routing and
// results, the modal run through Show(-1), the control helpers and the
// coloured text; all through a real dialog under Wine, with the stand-in's
// and the modal run's sources built into this program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Binding.h"
#include "ModalRun.h"
#include "ModuleFixture.h"
#include "MyDialog.h"
#include "window_test_ids.h"

namespace {

const ModalRunSite kProbeSite = {"Probe", 10, 11, 12};

// A dialog of the tests' own that records what the library routes to it.
class CProbeDialog : public CMyDialog
{
public:
    explicit CProbeDialog(HINSTANCE instance, HWND parent = nullptr)
        : CMyDialog(IDD_PROBE, nullptr, parent), m_hInstance(instance)
    {
    }

    int ShowModalDialog() override { return RunModalDialog(*this, m_hParentWnd, m_hInstance, kProbeSite); }

    int OnInitDialog() override
    {
        ++m_nInitCount;
        m_hWndAtInit = m_hWnd;
        m_ColoredText.Create("coloured", WS_CHILD | WS_VISIBLE | 0x10, m_hWnd, 1500, 0, 0, &kTextRect);
        return 1;
    }

    // WM_COMMAND: records the clicks; only "End with 2" ends the dialog.
    int OnCommand(WPARAM wParam, LPARAM) override
    {
        const WORD id = LOWORD(wParam);
        if (HIWORD(wParam) == BN_CLICKED)
            m_commands.push_back(id);
        if (id == IDC_PROBE_END2) {
            EndDialog(2);
            return 1;
        }
        return 0;
    }

    int OnMouseWheel(WORD, int delta, int, int) override
    {
        m_wheelDeltas.push_back(delta);
        return 0;
    }

    // WM_NOTIFY: the notification's code is its answer.
    int OnNotify(int, NMHDR* header) override { return static_cast<int>(header->code); }

    // A static's colour request is answered with a brush, a drag icon request with an icon.
    int OnOtherMessage(UINT message, WPARAM, LPARAM) override
    {
        if (message == WM_CTLCOLORSTATIC)
            return static_cast<int>(reinterpret_cast<INT_PTR>(::GetStockObject(GRAY_BRUSH)));
        if (message == WM_QUERYDRAGICON)
            return static_cast<int>(reinterpret_cast<INT_PTR>(::LoadIconA(nullptr, IDI_ASTERISK)));
        return 0;
    }

    int OnMyColoredTextGetTextParam(UINT controlId, _MY_COLORED_TEXT_STRUCT* param) override
    {
        ++m_nColourRequests;
        if (!param)
            return 0;
        if (controlId == 1500) {
            param->byColor[0] = 0;
            param->byColor[1] = 0;
            param->byColor[2] = 255;
            param->dwValue = 1;
        }
        return 1;
    }

    HWND Window() const { return m_hWnd; }

    static constexpr RECT kTextRect = {30, 40, 300, 60};
    HINSTANCE m_hInstance;
    CMyColoredText m_ColoredText;
    int m_nInitCount = 0;
    HWND m_hWndAtInit = nullptr;
    std::vector<WORD> m_commands;
    std::vector<int> m_wheelDeltas;
    int m_nColourRequests = 0;
};

class WindowLibraryTest : public CDialogFixture
{
protected:
    // Runs the probe dialog through Show(-1), action looking at it and
    // setting it; the dialog must still be open after it, and is ended with
    // "End with 2".
    int ShowProbe(COperator::Action action)
    {
        m_op.Expect("the probe dialog", IDC_PROBE_EDIT, [action](CDialogView& view) {
            action(view);
            ASSERT_TRUE(view.IsOpen()) << "the case ended the dialog it was to leave open";
            view.Click(IDC_PROBE_END2);
        });
        return m_probe.Show(-1);
    }

    static HINSTANCE Self() { return ::GetModuleHandleA(nullptr); }
    CProbeDialog m_probe{Self()};
};

TEST_F(WindowLibraryTest, ShowMinusOneRunsTheDialogAndReturnsTheEndDialogValue)
{
    HWND seen = nullptr;
    EXPECT_EQ(2, ShowProbe([&](CDialogView& view) {
        seen = view.Handle();
        EXPECT_EQ("Probe", view.Title());
        EXPECT_EQ(view.Handle(), m_probe.Window()) << "the object is bound to its window while it runs";
        EXPECT_EQ(&m_probe, BoundWindow(view.Handle()));
    }));
    EXPECT_EQ(1, m_probe.m_nInitCount);
    EXPECT_EQ(seen, m_probe.m_hWndAtInit) << "WM_INITDIALOG already sees the bound window";
    EXPECT_EQ(nullptr, m_probe.Window()) << "the binding ends with the window";
    EXPECT_FALSE(::IsWindow(seen));
}

TEST_F(WindowLibraryTest, CommandsNeverEndTheDialogByThemselves)
{
    m_op.Expect("the probe dialog", IDC_PROBE_EDIT, [&](CDialogView& view) {
        view.Click(IDOK);
        view.Click(IDCANCEL);
        view.Close();  // the close box arrives as a Cancel command, posted
        view.When("the close box's command", [this] { return m_probe.m_commands.size() == 3; },
                  [](CDialogView& later) {
                      EXPECT_TRUE(later.IsOpen()) << "OK, Cancel and the close box left the dialog open";
                      later.Click(IDC_PROBE_END2);
                  });
    });
    EXPECT_EQ(2, m_probe.Show(-1));
    const std::vector<WORD> expected = {IDOK, IDCANCEL, IDCANCEL, IDC_PROBE_END2};
    EXPECT_EQ(expected, m_probe.m_commands);
}

TEST_F(WindowLibraryTest, RoutesTheWheelWithItsSignedDelta)
{
    EXPECT_EQ(2, ShowProbe([&](CDialogView& view) {
        view.Wheel(WHEEL_DELTA);
        view.Wheel(-WHEEL_DELTA);
    }));
    EXPECT_EQ((std::vector<int>{WHEEL_DELTA, -WHEEL_DELTA}), m_probe.m_wheelDeltas);
}

TEST_F(WindowLibraryTest, ControlHelpersActOnTheRealControls)
{
    EXPECT_EQ(2, ShowProbe([&](CDialogView& view) {
        EXPECT_TRUE(m_probe.SetDlgItemTextA(IDC_PROBE_EDIT, nullptr));
        EXPECT_EQ("", view.Text(IDC_PROBE_EDIT)) << "a null text shows empty";
        EXPECT_EQ(0, m_probe.GetDialogItemTextLength(IDC_PROBE_EDIT));

        m_probe.SetDlgItemInt(IDC_PROBE_EDIT, 125, FALSE);
        EXPECT_EQ("125", view.Text(IDC_PROBE_EDIT));
        EXPECT_EQ(125u, m_probe.GetDlgItemInt(IDC_PROBE_EDIT, nullptr, FALSE));
        EXPECT_EQ(3, m_probe.GetDialogItemTextLength(IDC_PROBE_EDIT));

        m_probe.CheckDlgButton(IDC_PROBE_CHECK, 1);
        EXPECT_TRUE(view.IsChecked(IDC_PROBE_CHECK));
        EXPECT_EQ(1u, m_probe.IsDlgButtonChecked(IDC_PROBE_CHECK));
        m_probe.EnableDialogItem(IDC_PROBE_CHECK, 0);
        EXPECT_FALSE(view.IsEnabled(IDC_PROBE_CHECK));
        m_probe.ShowDialogItem(IDC_PROBE_CHECK, SW_HIDE);
        EXPECT_FALSE(view.IsVisible(IDC_PROBE_CHECK));
        m_probe.SetDialogItemFocus(IDC_PROBE_EDIT);
        EXPECT_EQ(IDC_PROBE_EDIT, view.FocusId());
        // As the dialog manager moves the focus: a push button given it becomes the default.
        m_probe.SetDialogItemFocus(IDC_PROBE_END2);
        EXPECT_EQ(BS_DEFPUSHBUTTON, ::GetWindowLongA(view.Item(IDC_PROBE_END2), GWL_STYLE) & BS_TYPEMASK);
        EXPECT_EQ(BS_PUSHBUTTON, ::GetWindowLongA(view.Item(IDOK), GWL_STYLE) & BS_TYPEMASK);
        EXPECT_EQ(nullptr, m_probe.GetDlgItem(4242)) << "an absent control";
        EXPECT_FALSE(m_probe.EnableDialogItem(4242, 1));

        EXPECT_TRUE(m_probe.SetWindowTextA("Renamed"));
        EXPECT_EQ("Renamed", view.Title());
    }));
}

TEST_F(WindowLibraryTest, GetDlgItemIntReadsOnlyDecimalNumbers)
{
    const struct
    {
        const char* pszText;
        BOOL bSigned;
        UINT uExpected;
        BOOL bTranslated;
    } cases[] = {
        {"125", FALSE, 125, TRUE},
        {"  7 ", FALSE, 7, TRUE},
        {"0", FALSE, 0, TRUE},
        {"4294967295", FALSE, 4294967295u, TRUE},
        {"4294967296", FALSE, 0, FALSE},
        {"-5", FALSE, 0, FALSE},
        {"-5", TRUE, static_cast<UINT>(-5), TRUE},
        {"65536", TRUE, 65536, TRUE},
        {"2147483647", TRUE, 2147483647u, TRUE},
        {"2147483648", TRUE, 0, FALSE},
        {"-2147483648", TRUE, 0x80000000u, TRUE},
        {"+5", TRUE, 0, FALSE},
        {"12abc", FALSE, 0, FALSE},
        {"abc", TRUE, 0, FALSE},
        {"0x25", FALSE, 0, FALSE},
        {"", FALSE, 0, FALSE},
        {"-", TRUE, 0, FALSE},
    };
    EXPECT_EQ(2, ShowProbe([&](CDialogView& view) {
        for (const auto& c : cases) {
            view.SetText(IDC_PROBE_EDIT, c.pszText);
            BOOL translated = -1;
            EXPECT_EQ(c.uExpected, m_probe.GetDlgItemInt(IDC_PROBE_EDIT, &translated, c.bSigned))
                << "\"" << c.pszText << "\" signed " << c.bSigned;
            EXPECT_EQ(c.bTranslated, translated) << "\"" << c.pszText << "\"";
        }
        EXPECT_EQ(0u, m_probe.GetDlgItemInt(4242, nullptr, FALSE)) << "an absent control";
    }));
}

TEST_F(WindowLibraryTest, ColouredTextAsksItsDialogForColours)
{
    EXPECT_EQ(2, ShowProbe([&](CDialogView& view) {
        HWND text = view.Item(1500);
        ASSERT_NE(nullptr, text) << "the coloured text is a child with its control id";
        EXPECT_EQ("coloured", view.Text(1500));
        RECT area;
        ::GetWindowRect(text, &area);
        ::MapWindowPoints(nullptr, view.Handle(), reinterpret_cast<POINT*>(&area), 2);
        EXPECT_EQ(30, area.left);
        EXPECT_EQ(40, area.top);
        EXPECT_EQ(270, area.right - area.left);
        EXPECT_EQ(20, area.bottom - area.top);
        const int before = m_probe.m_nColourRequests;
        ::InvalidateRect(text, nullptr, TRUE);
        ::UpdateWindow(text);
        EXPECT_GT(m_probe.m_nColourRequests, before) << "painting asks OnMyColoredTextGetTextParam";
    }));
}

// A handler's answer is the message's result: through DWLP_MSGRESULT, or
// returned itself for the messages whose result is a handle or a code.
TEST_F(WindowLibraryTest, HandlersAnswersAreTheMessagesResults)
{
    EXPECT_EQ(2, ShowProbe([&](CDialogView& view) {
        HDC dc = ::GetDC(view.Handle());
        EXPECT_EQ(reinterpret_cast<LRESULT>(::GetStockObject(GRAY_BRUSH)),
                  ::SendMessageA(view.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(view.Item(IDC_PROBE_CHECK))));
        ::ReleaseDC(view.Handle(), dc);
        EXPECT_EQ(reinterpret_cast<LRESULT>(::LoadIconA(nullptr, IDI_ASTERISK)),
                  ::SendMessageA(view.Handle(), WM_QUERYDRAGICON, 0, 0));
        for (int code : {5, 0, -3}) {
            NMHDR header = {view.Item(IDC_PROBE_EDIT), IDC_PROBE_EDIT, static_cast<UINT>(code)};
            EXPECT_EQ(code, ::SendMessageA(view.Handle(), WM_NOTIFY, IDC_PROBE_EDIT, reinterpret_cast<LPARAM>(&header)))
                << "notification " << code;
        }
    }));
}

// The modal run's failures: each answers its value without a window and
// says so on the debugger output, with the invariant report where the run
// has one (an invalid parent is no invariant of the run).
TEST_F(WindowLibraryTest, ModalRunFailuresAnswerTheirValueAndReport)
{
    HMODULE bench = ::LoadLibraryA("TestBench.dll");  // a module without the probe's template
    HWND destroyed = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ::DestroyWindow(destroyed);
    const struct
    {
        const char* pszWhat;
        HINSTANCE hInstance;
        HWND hParent;
        int nResult;
        std::vector<std::string> texts;
    } cases[] = {
        {"no instance", nullptr, nullptr, -2, {"HINSTANCE je NULL\n", "Invariant failed: 0 (Probe, line 11)\n"}},
        {"no template", bench, nullptr, -1,
         {"Nepodarilo se vytvorit dialogove okno\n", "Invariant failed: 0 (Probe, line 12)\n"}},
        {"invalid parent", Self(), destroyed, 0, {"hParentWnd neni platny\n"}},
    };
    for (const auto& c : cases) {
        m_debug.Clear();
        CProbeDialog dialog(c.hInstance, c.hParent);
        EXPECT_EQ(c.nResult, dialog.Show(-1)) << c.pszWhat;
        EXPECT_EQ(0, dialog.m_nInitCount) << c.pszWhat << ": no window was created";
        EXPECT_EQ(c.texts, m_debug.Texts()) << c.pszWhat;
    }
    ::FreeLibrary(bench);
}

}  // namespace
