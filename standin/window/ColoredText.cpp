// CMyColoredText: a static text drawn in the colours its dialog supplies.
#include "MyDialog.h"

#include "Binding.h"

namespace {

const char kClassName[] = "MyColoredText";
const DWORD kBold = 1;             // _MY_COLORED_TEXT_STRUCT's value: bold text
const LONG kCentred = 0x10;        // window styles: centred across,
const LONG kCentredLine = 0x20;    // one line centred from top to bottom

HINSTANCE LibraryInstance()
{
    HMODULE module = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         kClassName, &module);
    return module;
}

// Selects a font into a device context for the length of a scope.
class CSelectFont
{
public:
    CSelectFont(HDC dc, HFONT font) : m_hDC(dc), m_hOld(font ? ::SelectObject(dc, font) : nullptr) {}
    ~CSelectFont()
    {
        if (m_hOld)
            ::SelectObject(m_hDC, m_hOld);
    }
    CSelectFont(const CSelectFont&) = delete;
    CSelectFont& operator=(const CSelectFont&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};

// The dialog's font, made bold when the dialog asks for it; the caller owns a
// bold font it gets back (deleted when non-null in the second member).
struct DrawFont
{
    HFONT hFont;
    HFONT hOwned;
};

DrawFont MakeFont(HWND parent, bool bold)
{
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(parent, WM_GETFONT, 0, 0));
    if (!bold)
        return {font, nullptr};
    LOGFONTA description = {};
    ::GetObjectA(font ? font : ::GetStockObject(DEFAULT_GUI_FONT), sizeof(description), &description);
    description.lfWeight = FW_BOLD;
    HFONT owned = ::CreateFontIndirectA(&description);
    return {owned ? owned : font, owned};
}

// Asks the dialog bound to the parent window for colour and weight, then draws
// the text; without an answer the text is drawn in the normal window text colour.
void Paint(HWND hwnd, HDC dc)
{
    HWND parent = ::GetParent(hwnd);
    _MY_COLORED_TEXT_STRUCT param = {};
    const COLORREF normal = ::GetSysColor(COLOR_WINDOWTEXT);
    param.byColor[0] = GetRValue(normal);
    param.byColor[1] = GetGValue(normal);
    param.byColor[2] = GetBValue(normal);
    if (CMyWindow* dialog = BoundWindow(parent))
        dialog->OnMyColoredTextGetTextParam(::GetDlgCtrlID(hwnd), &param);

    char text[512];
    ::GetWindowTextA(hwnd, text, sizeof(text));
    const LONG style = ::GetWindowLongA(hwnd, GWL_STYLE);
    UINT format = DT_WORDBREAK | DT_NOPREFIX;
    if (style & kCentred)
        format |= DT_CENTER;
    if (style & kCentredLine)
        format = (format & ~DT_WORDBREAK) | DT_VCENTER | DT_SINGLELINE;

    const DrawFont font = MakeFont(parent, (param.dwValue & kBold) != 0);
    {
        CSelectFont selection(dc, font.hFont);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, RGB(param.byColor[0], param.byColor[1], param.byColor[2]));
        RECT client;
        ::GetClientRect(hwnd, &client);
        ::DrawTextA(dc, text, -1, &client, format);
    }
    if (font.hOwned)
        ::DeleteObject(font.hOwned);
}

}  // namespace

CMyColoredText::CMyColoredText() = default;

CMyColoredText::~CMyColoredText()
{
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

BOOL CMyColoredText::Create(const char* text, DWORD style, HWND parent, UINT id,
                            int /*reserved1*/, int /*reserved2*/, const RECT* rect)
{
    HINSTANCE instance = LibraryInstance();
    WNDCLASSEXA windowClass = {};
    if (!::GetClassInfoExA(instance, kClassName, &windowClass)) {
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &CMyColoredText::WindowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kClassName;
        if (!::RegisterClassExA(&windowClass))
            return FALSE;
    }
    RECT area = rect ? *rect : RECT{};
    m_hWnd = ::CreateWindowExA(0, kClassName, text ? text : "", style | WS_CHILD,
                               area.left, area.top, area.right - area.left, area.bottom - area.top,
                               parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), instance, this);
    return m_hWnd != nullptr;
}

LRESULT CALLBACK CMyColoredText::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
    case WM_NCDESTROY:
        // The window goes with its dialog; the object forgets it at once.
        if (auto* self = reinterpret_cast<CMyColoredText*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA)))
            self->m_hWnd = nullptr;
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(hwnd, &paint);
        Paint(hwnd, dc);
        ::EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(hwnd, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_SETTEXT: {
        const LRESULT result = ::DefWindowProcA(hwnd, message, wParam, lParam);
        ::InvalidateRect(hwnd, nullptr, TRUE);
        return result;
    }
    case WM_ERASEBKGND: {
        RECT client;
        ::GetClientRect(hwnd, &client);
        ::FillRect(reinterpret_cast<HDC>(wParam), &client, ::GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    default:
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
}
