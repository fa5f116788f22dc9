// CHostWindow and CBenchWindow: the interactive development host.
#include "HostWindow.h"

#include <cstdio>
#include <vector>

#include "Bench.h"
#include "BenchStatus.h"
#include "TextConvert.h"
#include "Handles.h"
#include "TraceLog.h"

namespace {

const char kHostClass[] = "TavoHostWindow";
const char kBenchClass[] = "TavoBenchWindow";
const UINT_PTR kRefreshTimer = 1;

HFONT GuiFont()
{
    return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

HWND Child(HWND parent, const char* className, const char* text, DWORD style, int x, int y, int width, int height,
           int id)
{
    HWND child = ::CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont()), TRUE);
    return child;
}

bool Register(HINSTANCE instance, const char* name, WNDPROC procedure)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    if (::GetClassInfoExA(instance, name, &windowClass))
        return true;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = name;
    return ::RegisterClassExA(&windowClass) != 0;
}

// The object a window was created for: kept at WM_NCCREATE, found after.
template <typename Object>
Object* Bound(HWND hwnd, UINT message, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    return reinterpret_cast<Object*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

// Each report kind in its own colour.
COLORREF KindColour(int kind)
{
    switch (kind) {
    case TEST_REPORT_PROGRESS: return RGB(80, 80, 80);
    case TEST_REPORT_FAILURE: return RGB(200, 0, 0);
    case TEST_REPORT_SUCCESS: return RGB(0, 140, 0);
    case TEST_REPORT_DETAIL: return RGB(0, 0, 200);
    default: return RGB(0, 0, 0);
    }
}

std::string UnitLine(const BenchUnit& unit, bool connected)
{
    const unsigned char* config = unit.abyConfig;
    char line[256];
    snprintf(line, sizeof(line),
             "%s %-8s %-16s %-8s  address %3u  %4u Bd  %-4s  delay %3u  timeout %5u  JP1 %s  JP2 %s",
             connected ? ">" : " ", unit.strName.c_str(), unit.strType.c_str(), unit.strSerial.c_str(), config[0],
             config[2] * 100, ParityName(config[3], "?"), config[1], config[4] | config[5] << 8,
             unit.bWriteEnabled ? "WE" : "WP", unit.bJP2Closed ? "closed" : "open");
    return line;
}

}  // namespace

// ---- CBenchWindow ------------------------------------------------------------

bool CBenchWindow::Create(HINSTANCE instance)
{
    if (!Register(instance, kBenchClass, &CBenchWindow::WindowProc))
        return false;
    m_hWnd = ::CreateWindowExA(0, kBenchClass, "TAVO bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 480, 760, 260,
                               nullptr, nullptr, instance, this);
    if (!m_hWnd)
        return false;
    m_hUnits = Child(m_hWnd, "LISTBOX", "", WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 10, 10, 730,
                     170, IDC_UNITS);
    // The columns line up in a fixed-pitch font.
    ::SendMessageA(m_hUnits, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(ANSI_FIXED_FONT)), TRUE);
    Child(m_hWnd, "BUTTON", "Connect", BS_PUSHBUTTON, 10, 190, 100, 26, IDC_CONNECT);
    Child(m_hWnd, "BUTTON", "Disconnect", BS_PUSHBUTTON, 120, 190, 100, 26, IDC_DISCONNECT);
    Child(m_hWnd, "BUTTON", "JP1 WE / WP", BS_PUSHBUTTON, 230, 190, 100, 26, IDC_JP1);
    Child(m_hWnd, "BUTTON", "JP2 on / off", BS_PUSHBUTTON, 340, 190, 100, 26, IDC_JP2);
    ::SetTimer(m_hWnd, kRefreshTimer, 500, nullptr);
    Refresh();
    return true;
}

void CBenchWindow::Refresh() const
{
    const LRESULT selected = ::SendMessageA(m_hUnits, LB_GETCURSEL, 0, 0);
    const std::string connected = CBench::Get().Connected();
    ::SendMessageA(m_hUnits, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(m_hUnits, LB_RESETCONTENT, 0, 0);
    for (const BenchUnit& unit : CBench::Get().Units()) {
        const std::string line = UnitLine(unit, unit.strName == connected);
        ::SendMessageA(m_hUnits, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    ::SendMessageA(m_hUnits, LB_SETCURSEL, selected, 0);
    ::SendMessageA(m_hUnits, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_hUnits, nullptr, TRUE);
}

std::string CBenchWindow::SelectedUnit() const
{
    const LRESULT selected = ::SendMessageA(m_hUnits, LB_GETCURSEL, 0, 0);
    const std::vector<BenchUnit> units = CBench::Get().Units();
    return selected >= 0 && selected < static_cast<LRESULT>(units.size()) ? units[selected].strName : std::string();
}

void CBenchWindow::OnCommand(int id)
{
    const std::string name = SelectedUnit();
    if (id == IDC_DISCONNECT) {
        CBench::Get().Connect("");
    } else if (!name.empty() && id == IDC_CONNECT) {
        CBench::Get().Connect(name);
    } else if (!name.empty() && (id == IDC_JP1 || id == IDC_JP2)) {
        for (BenchUnit unit : CBench::Get().Units()) {
            if (unit.strName != name)
                continue;
            if (id == IDC_JP1)
                unit.bWriteEnabled = !unit.bWriteEnabled;
            else
                unit.bJP2Closed = !unit.bJP2Closed;
            CBench::Get().Put(unit);
        }
    }
    Refresh();
}

LRESULT CALLBACK CBenchWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CBenchWindow* self = Bound<CBenchWindow>(hwnd, message, lParam);
    switch (message) {
    case WM_COMMAND:
        if (self && HIWORD(wParam) == BN_CLICKED)
            self->OnCommand(LOWORD(wParam));
        return 0;
    case WM_TIMER:
        if (self)
            self->Refresh();
        return 0;
    case WM_CLOSE:
        ::ShowWindow(hwnd, SW_HIDE);  // the bench stays on the table
        return 0;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

// ---- CHostWindow ---------------------------------------------------------------

bool CHostWindow::Create(HINSTANCE instance)
{
    if (!Register(instance, kHostClass, &CHostWindow::WindowProc))
        return false;
    m_hWnd = ::CreateWindowExA(0, kHostClass, "tavohost", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 760, 420,
                               nullptr, nullptr, instance, this);
    if (!m_hWnd)
        return false;
    std::string identity = std::string("Module ") + m_pModule->GetModuleName() + ", identifier " +
                           std::to_string(m_wId) + ", tests:";
    for (unsigned int i = 0; i < m_pModule->GetSupportedTestCount(); ++i)
        identity += std::string(" ") + m_pModule->GetSupportedTest(i);
    Child(m_hWnd, "STATIC", identity.c_str(), SS_LEFT, 10, 12, 600, 20, IDC_IDENTITY);
    Child(m_hWnd, "BUTTON", "Configure", BS_DEFPUSHBUTTON, 630, 8, 110, 28, IDC_CONFIGURE);
    m_hReport = Child(m_hWnd, "LISTBOX", "",
                      WS_BORDER | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT, 10, 44,
                      730, 330, IDC_REPORT);
    return m_bench.Create(instance);
}

int CHostWindow::Run()
{
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return 0;
}

void CALLBACK CHostWindow::OnReport(void* context, const TEST_REPORT* report)
{
    auto* self = static_cast<CHostWindow*>(context);
    self->m_reasons.OnReport(*report);
    self->AddReport(*report);
}

void CHostWindow::AddReport(const TEST_REPORT& report)
{
    std::string text = report.pszFirst ? report.pszFirst : "";
    if (report.pszSecond)
        text += (text.empty() ? "" : " ") + std::string(report.pszSecond);
    for (char& c : text) {
        if (c == '\n' || c == '\t')
            c = ' ';
    }
    const std::string line = report.byKind ? std::to_string(report.byKind) + "  " + text : text;
    const LRESULT index = ::SendMessageA(m_hReport, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    ::SendMessageA(m_hReport, LB_SETITEMDATA, index, report.byKind);
    ::SendMessageA(m_hReport, LB_SETTOPINDEX, index, 0);
    if (m_pReportFile)
        m_pReportFile->Add(AnsiToUtf8(line));
    if (m_pLog)
        m_pLog->OnReport(report);
}

// Runs the configuration command; its dialogs are modal to this window.
void CHostWindow::Configure()
{
    m_reasons = CReasonWatch();
    CBench::Get().SetReportSink(&CHostWindow::OnReport, this);
    const int result = m_pModule->ConfigureThermometer(m_hWnd, 0, 0);
    CBench::Get().SetReportSink(nullptr, nullptr);
    // The host's own lines carry kind 0, so they are told from the module's.
    if (m_reasons.Unexplained(result)) {
        const std::string why = "host: " + HostReason();
        const TEST_REPORT reason = {m_hWnd, nullptr, why.c_str(), 1, 0, 0};
        AddReport(reason);
    }
    const std::string answer = "host: ConfigureThermometer answered " + std::to_string(result);
    const TEST_REPORT end = {m_hWnd, nullptr, answer.c_str(), 1, 0, 0};
    AddReport(end);
    if (m_pLog)
        m_pLog->Flush();
    m_bench.Refresh();
}

void CHostWindow::DrawReportLine(const DRAWITEMSTRUCT& item) const
{
    if (item.itemID == static_cast<UINT>(-1))
        return;
    const LRESULT length = ::SendMessageA(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0);
    if (length == LB_ERR)
        return;
    std::vector<char> text(static_cast<size_t>(length) + 1);
    ::SendMessageA(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data()));
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    ::SetBkMode(item.hDC, TRANSPARENT);
    CDcSelection font(item.hDC, GuiFont());
    ::SetTextColor(item.hDC,
                   selected ? ::GetSysColor(COLOR_HIGHLIGHTTEXT) : KindColour(static_cast<int>(item.itemData)));
    RECT area = item.rcItem;
    area.left += 4;
    ::DrawTextA(item.hDC, text.data(), -1, &area, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

LRESULT CALLBACK CHostWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CHostWindow* self = Bound<CHostWindow>(hwnd, message, lParam);
    switch (message) {
    case WM_COMMAND:
        if (self && LOWORD(wParam) == IDC_CONFIGURE && HIWORD(wParam) == BN_CLICKED)
            self->Configure();
        return 0;
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = 16;
        return TRUE;
    case WM_DRAWITEM:
        if (self)
            self->DrawReportLine(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DESTROY:
        if (self)
            ::DestroyWindow(self->m_bench.Handle());
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}
