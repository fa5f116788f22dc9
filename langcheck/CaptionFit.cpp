// MeasureCaptions: the module's dialogs, created hidden, asked how wide and
// how high each caption is drawn.
#include "CaptionFit.h"

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <memory>

#include "FileDoor.h"
#include "Handles.h"
#include "TextConvert.h"

namespace {

INT_PTR CALLBACK MeasureProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

struct CModuleImage
{
    HMODULE hModule = nullptr;
    ~CModuleImage()
    {
        if (hModule)
            ::FreeLibrary(hModule);
    }
};

// The dialog of template id, created from a copy of its bytes that is not
// visible, owned by nobody; null when the module has no such template.
HWND CreateHidden(HMODULE module, unsigned int id)
{
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));  // RT_DIALOG
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    const DWORD size = found ? ::SizeofResource(module, found) : 0;
    if (!bytes || size < 16)
        return nullptr;
    std::unique_ptr<DWORD[]> copy(new DWORD[(size + 3) / 4]);
    memcpy(copy.get(), bytes, size);
    const bool extended = reinterpret_cast<const WORD*>(copy.get())[1] == 0xFFFF;
    copy[extended ? 3 : 0] &= ~static_cast<DWORD>(WS_VISIBLE);
    return ::CreateDialogIndirectParamW(module, reinterpret_cast<LPCDLGTEMPLATEW>(copy.get()), nullptr, MeasureProc, 0);
}

// How a control lays out its caption: the width and height its text may take
// and the DrawText flags it draws with; a label's kind for the note.
struct Layout
{
    int cx, cy;
    UINT uFormat;
    const char* pszKind;
};

Layout LayoutOf(HWND control)
{
    RECT client;
    ::GetClientRect(control, &client);
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    wchar_t className[16] = L"";
    ::GetClassNameW(control, className, 16);
    Layout layout = {client.right, client.bottom, DT_WORDBREAK, "a label"};
    if (_wcsicmp(className, L"Static") == 0) {
        if (style & SS_CENTERIMAGE)
            layout.uFormat = DT_SINGLELINE;
        if (style & SS_NOPREFIX)
            layout.uFormat |= DT_NOPREFIX;
        return layout;
    }
    const LONG type = style & BS_TYPEMASK;
    const bool box = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE ||
                     type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
    layout.uFormat = style & BS_MULTILINE ? DT_WORDBREAK : DT_SINGLELINE;
    if (box) {
        // The box and the gap before the text.
        layout.cx -= ::GetSystemMetrics(SM_CXMENUCHECK) + 2 * ::GetSystemMetrics(SM_CXEDGE);
        layout.pszKind = "a check box";
    } else {
        // The button's edge and the focus rectangle inside it.
        layout.cx -= 4 * ::GetSystemMetrics(SM_CXEDGE);
        layout.cy -= 4 * ::GetSystemMetrics(SM_CYEDGE);
        layout.pszKind = "a push button";
    }
    return layout;
}

// The size text takes drawn with flags in dc, at most width wide where it wraps.
SIZE Needed(HDC dc, const std::wstring& text, int width, UINT flags)
{
    RECT rect = {0, 0, flags & DT_WORDBREAK ? width : 0, 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, flags | DT_CALCRECT);
    return {rect.right, rect.bottom};
}

std::string FaceOf(HDC dc)
{
    wchar_t face[LF_FACESIZE] = L"";
    ::GetTextFaceW(dc, LF_FACESIZE, face);
    return Narrow(face, wcslen(face));
}

std::string Pixels(int cx, int cy)
{
    return std::to_string(cx) + " x " + std::to_string(cy) + " pixels";
}

// A control's caption against its control.
void MeasureControl(HWND dialog, const LanguageCaption& caption, std::vector<LanguageFinding>* notes)
{
    HWND control = ::GetDlgItem(dialog, static_cast<int>(caption.nControl));
    if (!control)
        return;  // made at run time, as the test dialog's heading: nothing to measure it in
    const Layout layout = LayoutOf(control);
    CScreenDc screen;
    CMemoryDc dc(screen.Get());
    CDcSelection font(dc.Get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(dialog, WM_GETFONT, 0, 0)));
    const SIZE needed = Needed(dc.Get(), Widen(caption.strText), layout.cx, layout.uFormat);
    if (needed.cx <= layout.cx && needed.cy <= layout.cy)
        return;
    notes->push_back({"LA210", caption.nLine,
                      "control " + std::to_string(caption.nControl) + " of dialog " + std::to_string(caption.nDialog) +
                          " (" + layout.pszKind + ", " + Pixels(layout.cx, layout.cy) + " for its text) cuts \"" +
                          caption.strText + "\": it needs " + Pixels(needed.cx, needed.cy) + " in " + FaceOf(dc.Get()) +
                          " on this PC",
                      false, true});
}

// A dialog's title against its title bar, less its close box.
void MeasureTitle(HWND dialog, const LanguageCaption& caption, std::vector<LanguageFinding>* notes)
{
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return;
    RECT window;
    ::GetWindowRect(dialog, &window);
    const int width = window.right - window.left - metrics.iCaptionWidth - 4 * ::GetSystemMetrics(SM_CXFRAME);
    CGdiObject captionFont(::CreateFontIndirectW(&metrics.lfCaptionFont));
    CScreenDc screen;
    CMemoryDc dc(screen.Get());
    CDcSelection font(dc.Get(), captionFont.Get());
    const SIZE needed = Needed(dc.Get(), Widen(caption.strText), 0, DT_SINGLELINE | DT_NOPREFIX);
    if (needed.cx <= width)
        return;
    notes->push_back({"LA210", caption.nLine,
                      "the title of dialog " + std::to_string(caption.nDialog) + " (" + std::to_string(width) +
                          " pixels of title bar) cuts \"" + caption.strText + "\": it needs " +
                          std::to_string(needed.cx) + " pixels in " + FaceOf(dc.Get()) + " on this PC",
                      false, true});
}

}  // namespace

bool MeasureCaptions(const std::string& modulePath, const std::vector<LanguageCaption>& captions,
                     std::vector<LanguageFinding>* notes, std::string* error)
{
    if (IsDeviceName(modulePath) || !PathExists(modulePath)) {
        *error = "'" + modulePath + "' cannot be opened";
        return false;
    }
    CModuleImage module;
    module.hModule = ::LoadLibraryExW(Widen(modulePath).c_str(), nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module.hModule) {
        *error = "'" + modulePath + "' holds no resources to measure in: " + SystemMessage(::GetLastError());
        return false;
    }
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    std::map<unsigned int, HWND> dialogs;
    for (const LanguageCaption& caption : captions) {
        auto dialog = dialogs.find(caption.nDialog);
        if (dialog == dialogs.end())
            dialog = dialogs.emplace(caption.nDialog, CreateHidden(module.hModule, caption.nDialog)).first;
        if (!dialog->second)
            continue;  // no template of that ID: the module shows no such dialog
        if (caption.nControl)
            MeasureControl(dialog->second, caption, notes);
        else
            MeasureTitle(dialog->second, caption, notes);
    }
    bool measured = false;
    for (const auto& dialog : dialogs) {
        if (dialog.second)
            ::DestroyWindow(dialog.second);
        measured = measured || dialog.second;
    }
    if (!measured && !dialogs.empty())
        *error = "'" + modulePath + "' holds none of the dialogs the file names: it is no TestTAVO02 module";
    return measured || dialogs.empty();
}
