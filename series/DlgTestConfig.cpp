// CTestConfigDialog and its worker: the test of a unit's new setting.
#include "DlgTestConfig.h"

#include "ColoredText.h"
#include "HostNumbers.h"
#include "Invariant.h"
#include "LibraryNames.h"
#include "ModalRun.h"
#include "TAVOTester.h"
#include "resource.h"

namespace {

const ModalRunSite kSite = {"DlgTestConfig", kDlgTestConfigNoDialogProcLine, kDlgTestConfigNoInstanceLine,
                             kDlgTestConfigNotCreatedLine};
// The coloured text's own style bits: centred across, and down on its one line.
const DWORD kColoredCentreAcross = 0x10;
const DWORD kColoredCentreDown = 0x20;
const DWORD kHeadingStyle = WS_CHILD | WS_VISIBLE | kColoredCentreAcross | kColoredCentreDown;

// What the worker tests, set by SetTestParameters before the dialog runs.
CTAVOTester* s_pOwner = nullptr;
BYTE s_byAddress = 1;
DWORD s_dwBaudRate = 2400;
BYTE s_byParity = 2;
// 1 while the worker may poll; the operator's Cancel lowers it. Read fresh at
// every test of the worker's loop.
volatile LONG s_bRunTest = 0;

// The worker: leaves configuration mode, reconnects with the new setting and
// polls the unit until it answers or the run flag falls, then ends the
// dialog whose window it was given (1: answered, 2: given up). Runs on its
// own thread and touches no dialog object.
DWORD WINAPI TestThreadProc(LPVOID dialogWindow)
{
    CTAVOTester* owner = s_pOwner;
    if (owner) {
        owner->ExitConfig();
        ::Sleep(300);
        if (!owner->Reconnect(static_cast<int>(s_dwBaudRate), 8, s_byParity))
            ReportInvariant(kInvariantCondition, kSite.pszSource, kDlgTestConfigReconnectLine);
        BYTE unanswered = 0;
        while (s_bRunTest) {
            unsigned long values[10] = {};  // a value left from before is no answer
            owner->MeasureValue(s_byAddress, &values[0], &values[1], &values[2], &values[3], &values[4], &values[5],
                                &values[6], &values[7], &values[8], &values[9], nullptr);
            if (values[1])
                break;
            ::Sleep(1);
            if (++unanswered > 8) {
                unanswered = 0;
                owner->ExitConfig();
            }
        }
    }
    // Read the flag again: a Cancel after the answer still gives up the test.
    // Without an owner nothing was tested, which is no success either.
    ::EndDialog(static_cast<HWND>(dialogWindow), owner && s_bRunTest ? 1 : 2);
    return 0;
}

}  // namespace

CTestConfigDialog::CTestConfigDialog(HWND parent, HINSTANCE instance)
    : CMyDialog(IDD_TEST_CONFIG, nullptr, parent), m_hThread(nullptr), m_hInstance(instance)
{
}

// The host may unload the module as soon as the series ends, so no worker may
// be left in the module's code when the object goes.
CTestConfigDialog::~CTestConfigDialog()
{
    FinishWorker();
}

// Waits for the worker, which ends its dialog as its last act; one whose
// dialog was ended by other means is told to stop first. Ending a dialog from
// the worker sends messages to this thread's windows, so the wait keeps
// answering sent messages.
void CTestConfigDialog::FinishWorker()
{
    if (!m_hThread)
        return;
    ::InterlockedExchange(&s_bRunTest, 0);
    while (::MsgWaitForMultipleObjects(1, &m_hThread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG message;
        ::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    ::CloseHandle(m_hThread);
    m_hThread = nullptr;
}

void CTestConfigDialog::SetTestParameters(CTAVOTester* owner, BYTE address, int baudRate, BYTE parity)
{
    s_pOwner = owner;
    s_byAddress = address;
    s_dwBaudRate = baudRate;
    s_byParity = parity;
}

// However the run ended (the worker, an outside EndDialog, a failed run),
// its worker is gone when it returns: the tester serves one thread at a time,
// and the series goes on calling it from this one.
int CTestConfigDialog::ShowModalDialog()
{
    const int result = RunModalDialog(*this, ParentWindow(*this), m_hInstance, kSite);
    FinishWorker();
    return result;
}

// Without an owner the dialog keeps its template texts, its status line stays
// empty, and the worker ends it at once.
int CTestConfigDialog::OnInitDialog()
{
    if (s_pOwner) {
        SetWindowTextA(s_pOwner->GetDialogName(IDD_TEST_CONFIG));
        SetDlgItemTextA(IDC_TEST_EXPLANATION, s_pOwner->GetDialogControlName(IDD_TEST_CONFIG, IDC_TEST_EXPLANATION));
        SetDlgItemTextA(IDCANCEL, s_pOwner->GetDialogControlName(IDD_TEST_CONFIG, IDCANCEL));
    }
    RECT area;
    ::SetRect(&area, 5, 5, 400, 50);
    m_ColoredText.Create(s_pOwner ? s_pOwner->GetDialogControlName(IDD_TEST_CONFIG, IDC_TEST_HEADING) : nullptr,
                         kHeadingStyle, DialogWindow(*this), IDC_TEST_HEADING, 0, 0, &area);
    ::InterlockedExchange(&s_bRunTest, 1);
    m_hThread = ::CreateThread(nullptr, 0, &TestThreadProc, DialogWindow(*this), 0, nullptr);
    if (!m_hThread)
        EndDialog(2);  // no worker will end it
    return 1;
}

// The button (and the close box, which the dialog manager turns into the same
// command) asks the worker to give up; the worker ends the dialog.
int CTestConfigDialog::OnCommand(WPARAM wParam, LPARAM /*lParam*/)
{
    if (LOWORD(wParam) == IDCANCEL) {
        ::InterlockedExchange(&s_bRunTest, 0);
        EnableDialogItem(IDCANCEL, 0);
    }
    return 0;
}

// The status line is drawn in green.
int CTestConfigDialog::OnMyColoredTextGetTextParam(UINT controlId, _MY_COLORED_TEXT_STRUCT* param)
{
    return AnswerColoredText(controlId, param, IDC_TEST_HEADING, 64, 192, 64);
}
