// CConfirmDialog: "connect the next unit", OK or Cancel.
#include "DlgConfirm.h"

#include "ColoredText.h"
#include "HostNumbers.h"
#include "LibraryNames.h"
#include "ModalRun.h"
#include "TAVOTester.h"
#include "resource.h"

namespace {
const ModalRunSite kSite = {"DlgConfirm", kDlgConfirmNoDialogProcLine, kDlgConfirmNoInstanceLine, 0};
}

CConfirmDialog::CConfirmDialog(HWND parent, HINSTANCE instance)
    : CMyDialog(IDD_CONFIRM, nullptr, parent), m_hInstance(instance), m_pOwner(nullptr)
{
}

CConfirmDialog::~CConfirmDialog() = default;

int CConfirmDialog::ShowModalDialog()
{
    return RunModalDialog(*this, ParentWindow(*this), m_hInstance, kSite);
}

// A dialog without owner keeps its template texts, and its coloured line
// stays empty.
int CConfirmDialog::OnInitDialog()
{
    RECT area;
    ::SetRect(&area, 30, 25, 300, 50);
    if (m_pOwner) {
        SetWindowTextA(m_pOwner->GetDialogName(IDD_CONFIRM));
        SetDlgItemTextA(IDOK, m_pOwner->GetDialogControlName(IDD_CONFIRM, IDOK));
        SetDlgItemTextA(IDCANCEL, m_pOwner->GetDialogControlName(IDD_CONFIRM, IDCANCEL));
    }
    m_ColoredText.Create(m_pOwner ? m_pOwner->GetDialogControlName(IDD_CONFIRM, IDC_CONFIRM_TEXT) : nullptr,
                         WS_CHILD | WS_VISIBLE, DialogWindow(*this), IDC_CONFIRM_TEXT, 0, 0, &area);
    return 1;
}

int CConfirmDialog::OnCommand(WPARAM wParam, LPARAM /*lParam*/)
{
    const int id = LOWORD(wParam);
    if (id != IDOK && id != IDCANCEL)
        return 0;
    EndDialog(id);
    return 1;
}

// The request to connect the next unit is drawn in blue.
int CConfirmDialog::OnMyColoredTextGetTextParam(UINT controlId, _MY_COLORED_TEXT_STRUCT* param)
{
    return AnswerColoredText(controlId, param, IDC_CONFIRM_TEXT, 0, 0, 255);
}
