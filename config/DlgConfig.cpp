// CConfigDialog: the unit configuration dialog.
#include "DlgConfig.h"

#include <commctrl.h>

#include <stdlib.h>
#include <string.h>

#include "HostNumbers.h"
#include "LibraryNames.h"
#include "ModalRun.h"
#include "TAVOTester.h"
#include "TextIds.h"
#include "resource.h"

namespace {

const ModalRunSite kSite = {"DlgConfig", kDlgConfigNoDialogProcLine, kDlgConfigNoInstanceLine, 0};
const char kCaption[] = "TAVO-01";
const DWORD kMarkerSave = 0x65766173;  // "save", little-endian
const int kPulseCount = 8;             // minimum I0..I3, then maximum I0..I3
const BYTE kDefaultMinPulse = 1;       // 2.5 ms
const BYTE kDefaultMaxPulse = 255;     // 637.5 ms

// The I2/I3 controls and the timeout controls that the type variants act on.
const int kInputsI2I3[] = {IDC_QUADRATURE_I2_I3, IDC_CURRENT_I2_I3, IDC_CURRENT_I2_I3_LABEL,
                           IDC_MIN_PULSE_I0 + 2, IDC_MIN_PULSE_I0 + 3, IDC_MAX_PULSE_I0 + 2, IDC_MAX_PULSE_I0 + 3,
                           IDC_MIN_PULSE_SPIN_I0 + 2, IDC_MIN_PULSE_SPIN_I0 + 3, IDC_MAX_PULSE_SPIN_I0 + 2,
                           IDC_MAX_PULSE_SPIN_I0 + 3, IDC_PULSE_I2_LABEL, IDC_PULSE_I3_LABEL};
const int kTimeoutControls[] = {IDC_TIMEOUT_CHECK, IDC_TIMEOUT};

struct ListEntry
{
    const char* pszText;
    LPARAM data;
};

// Texts in code page 1250.
const ListEntry kBaudRates[] = {{"600", 6}, {"1200", 12}, {"2400", 24}, {"4800", 48}, {"9600", 96}};
const ListEntry kParities[] = {{"\x8E\xE1" "dn\xE1 (NO)", 0}, {"Lich\xE1 (ODD)", 1}, {"Sud\xE1 (EVEN)", 2}};
const ListEntry kCurrents[] = {{"p\xF8ibli\x9En\xEC 50uA", 0}, {"p\xF8ibli\x9En\xEC 100uA", 2},
                               {"p\xF8ibli\x9En\xEC 150uA", 3}};

// The captions the owner's texts replace, in the order they are set.
const int kCaptionControls[] = {IDC_ADDRESS_LABEL, IDC_ANSWER_DELAY_LABEL, IDC_BAUD_RATE_LABEL,
                                IDC_PARITY_LABEL, IDC_QUADRATURE_LABEL, IDC_CURRENT_I0_I1_LABEL,
                                IDC_CURRENT_I2_I3_LABEL, IDC_MINIMUM_HEADING, IDC_MAXIMUM_HEADING,
                                IDC_PULSE_I0_LABEL, IDC_PULSE_I1_LABEL, IDC_PULSE_I2_LABEL, IDC_PULSE_I3_LABEL,
                                IDCANCEL, IDC_WRITE_AND_TEST, IDC_SERIES, IDC_TIMEOUT_CHECK};

const char* BaudText(BYTE code)
{
    for (const ListEntry& entry : kBaudRates) {
        if (entry.data == code)
            return entry.pszText;
    }
    return nullptr;
}

// A current list's index for a nibble: 2 and 3 have their own entries, every
// other code reads as about 50 uA.
int CurrentIndex(int code)
{
    return code == 2 ? 1 : code == 3 ? 2 : 0;
}

int Clamp(int value, int low, int high)
{
    if (value > high)
        value = high;
    if (value < low)
        value = low;
    return value;
}

}  // namespace

CConfigDialog::CConfigDialog(HWND parent, HINSTANCE instance)
    : CMyDialog(IDD_CONFIG, nullptr, parent),
      m_pOwner(nullptr),
      m_Config(),
      m_hBitmap(nullptr),
      m_hInstance(instance),
      m_bSeries(0),
      m_LastConfig()
{
}

CConfigDialog::~CConfigDialog()
{
    ReleaseBitmap();
}

void CConfigDialog::ReleaseBitmap()
{
    if (m_hBitmap) {
        ::DeleteObject(m_hBitmap);
        m_hBitmap = nullptr;
    }
}

int CConfigDialog::ShowModalDialog()
{
    return RunModalDialog(*this, ParentWindow(*this), m_hInstance, kSite);
}

int CConfigDialog::GetBaudRate() const
{
    switch (m_Config.byBaudCode) {
    case 6: return 600;
    case 12: return 1200;
    case 48: return 4800;
    case 96: return 9600;
    default: return 2400;  // 24, and whatever else the record holds
    }
}

// Runs after the dialog's window has closed, so the warning is owned by the
// host window the dialog was shown over.
void CConfigDialog::AdvanceAddress()
{
    ++m_LastConfig.byAddress;
    if (m_LastConfig.byAddress > 125) {
        ::MessageBoxA(ParentWindow(*this), m_pOwner->GetMessageA(MSG_ADDRESS_WRAPPED), kCaption,
                      MB_ICONWARNING | MB_OK);
        m_LastConfig.byAddress = 1;
    }
}

// ---- Opening ---------------------------------------------------------------

int CConfigDialog::OnInitDialog()
{
    ApplyTypeVariant();
    CheckDlgButton(IDC_SERIES, m_bSeries == 1 ? BST_CHECKED : BST_UNCHECKED);
    FillLists();
    for (int i = 0; i < kPulseCount; ++i) {
        if (HWND upDown = GetDlgItem(IDC_MIN_PULSE_SPIN_I0 + i))
            ::SendMessageA(upDown, UDM_SETRANGE32, 0, 255);
    }
    LoadConfig();
    ReleaseBitmap();  // the previous unit's opening loaded it too
    m_hBitmap = ::LoadBitmapA(m_hInstance, MAKEINTRESOURCEA(IDB_UNIT_BOARD));
    SetDialogItemBitmap(IDC_PICTURE, m_hBitmap);
    SetTexts();
    return 1;
}

// "QX2210.00" has its I2/I3 inputs but may not use them; the QX2250 types have
// none but a communication timeout, which no other type has.
CConfigDialog::TypeVariant CConfigDialog::GetTypeVariant() const
{
    const char* type = TextOf(m_strUnitType);
    auto is = [type](const char* code) { return type && strcmp(type, code) == 0; };
    if (is("QX2210.00"))
        return I2_I3_DISABLED;
    if (is("QX2250.00") || is("QX2250.10") || is("QX2250.20"))
        return I2_I3_HIDDEN;
    return ALL_INPUTS;
}

void CConfigDialog::ApplyTypeVariant() const
{
    const TypeVariant variant = GetTypeVariant();
    if (variant == I2_I3_DISABLED) {
        for (int id : kInputsI2I3)
            EnableDialogItem(id, 0);
    }
    if (variant == I2_I3_HIDDEN) {
        for (int id : kInputsI2I3)
            ShowDialogItem(id, SW_HIDE);
    } else {
        for (int id : kTimeoutControls)
            ShowDialogItem(id, SW_HIDE);
    }
}

void CConfigDialog::FillLists() const
{
    const struct
    {
        int nId;
        const ListEntry* pEntries;
        size_t nCount;
    } lists[] = {
        {IDC_BAUD_RATE, kBaudRates, _countof(kBaudRates)},
        {IDC_PARITY, kParities, _countof(kParities)},
        {IDC_CURRENT_I0_I1, kCurrents, _countof(kCurrents)},
        {IDC_CURRENT_I2_I3, kCurrents, _countof(kCurrents)},
    };
    for (const auto& list : lists) {
        HWND combo = GetDlgItem(list.nId);
        if (!combo)
            continue;
        for (size_t i = 0; i < list.nCount; ++i) {
            const LRESULT index = ::SendMessageA(combo, CB_ADDSTRING, 0,
                                                 reinterpret_cast<LPARAM>(list.pEntries[i].pszText));
            ::SendMessageA(combo, CB_SETITEMDATA, index, list.pEntries[i].data);
        }
    }
}

// Fills the controls from the unit's user configuration; in a series the
// communication settings come from the previous unit's record instead.
void CConfigDialog::LoadConfig()
{
    const unsigned char* userConfig = m_pOwner ? m_pOwner->ReadUserConfig() : nullptr;
    if (!userConfig)
        return;
    memcpy(&m_Config, userConfig, sizeof(m_Config));
    const UnitConfig& source = m_LastConfig.byAddress ? m_LastConfig : m_Config;

    const char* baud = BaudText(source.byBaudCode);
    if (!baud) {
        LoadDefaultConfig();
        return;
    }
    m_pOwner->ReadDefaultConfig(1);
    SendItem(IDC_BAUD_RATE, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(baud));
    if (source.byParity <= 2)
        SendItem(IDC_PARITY, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(kParities[source.byParity].pszText));
    SetDlgItemInt(IDC_ADDRESS, source.byAddress, FALSE);
    ShowAnswerDelay(source.byAnswerDelay);

    CheckDlgButton(IDC_QUADRATURE_I0_I1, (m_Config.byQuadrature & 1) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_QUADRATURE_I2_I3, (m_Config.byQuadrature & 2) ? BST_CHECKED : BST_UNCHECKED);
    SendItem(IDC_CURRENT_I0_I1, CB_SETCURSEL, CurrentIndex(m_Config.byInputCurrent & 0x0F), 0);
    SendItem(IDC_CURRENT_I2_I3, CB_SETCURSEL, CurrentIndex(m_Config.byInputCurrent >> 4), 0);
    for (int i = 0; i < kPulseCount; ++i)
        ShowPulse(i, i < 4 ? m_Config.byMinPulse[i] : m_Config.byMaxPulse[i - 4]);
    if (GetTypeVariant() == I2_I3_DISABLED)
        ShowLockedPairsAsWritten();
    if (m_Config.wTimeout == 0) {
        SetDlgItemInt(IDC_TIMEOUT, 600, FALSE);
        EnableDialogItem(IDC_TIMEOUT, 0);
        CheckDlgButton(IDC_TIMEOUT_CHECK, BST_UNCHECKED);
    } else {
        SetDlgItemInt(IDC_TIMEOUT, m_Config.wTimeout, FALSE);
        EnableDialogItem(IDC_TIMEOUT, 1);
        CheckDlgButton(IDC_TIMEOUT_CHECK, BST_CHECKED);
    }
}

// The factory defaults, for a record whose baud code is not valid: only bytes
// 8, 10, 15 and 16 of the default block are read.
void CConfigDialog::LoadDefaultConfig()
{
    const unsigned char* defaults = m_pOwner->ReadDefaultConfig(2);
    if (!defaults)
        return;
    switch (defaults[8] >> 4) {
    case 3: m_Config.byBaudCode = 6; break;
    case 4: m_Config.byBaudCode = 12; break;
    case 6: m_Config.byBaudCode = 48; break;
    case 7: m_Config.byBaudCode = 96; break;
    default: m_Config.byBaudCode = 24; break;
    }
    SendItem(IDC_BAUD_RATE, CB_SELECTSTRING, static_cast<WPARAM>(-1),
             reinterpret_cast<LPARAM>(BaudText(m_Config.byBaudCode)));
    switch (defaults[10] >> 5) {
    case 4: m_Config.byParity = 2; break;  // binary 100
    case 5: m_Config.byParity = 1; break;  // binary 101
    default: m_Config.byParity = 0; break;
    }
    SendItem(IDC_PARITY, CB_SELECTSTRING, static_cast<WPARAM>(-1),
             reinterpret_cast<LPARAM>(kParities[m_Config.byParity].pszText));
    m_Config.byAddress = defaults[15];
    SetDlgItemInt(IDC_ADDRESS, defaults[15], FALSE);
    m_Config.byAnswerDelay = defaults[16];
    ShowAnswerDelay(defaults[16]);
    SendItem(IDC_CURRENT_I0_I1, CB_SETCURSEL, 0, 0);
    SendItem(IDC_CURRENT_I2_I3, CB_SETCURSEL, 0, 0);
    for (int i = 0; i < kPulseCount; ++i)
        ShowPulse(i, i < 4 ? kDefaultMinPulse : kDefaultMaxPulse);
    SetDlgItemInt(IDC_TIMEOUT, 600, FALSE);
    EnableDialogItem(IDC_TIMEOUT, 1);
    CheckDlgButton(IDC_TIMEOUT_CHECK, BST_CHECKED);
}

// The I2/I3 times of a QX2210.00 are shown but locked. A stored pair whose
// maximum lies below its minimum cannot be written as it is, nor mended by
// the operator, so the write takes the default pair instead (see
// ValidateAndWrite): the locked controls show that pair, not the stored one.
void CConfigDialog::ShowLockedPairsAsWritten()
{
    for (int i = 2; i < 4; ++i) {
        if (m_Config.byMaxPulse[i] >= m_Config.byMinPulse[i])
            continue;
        ShowPulse(i, kDefaultMinPulse);
        ShowPulse(4 + i, kDefaultMaxPulse);
        char text[96];
        ::wsprintfA(text, "Ulozene casy I%d maji maximum pod minimem, zapise se 2.5 az 637.5 ms\n", i);
        OutputDebugStringA(text);
    }
}

// 255 means "does not answer": the box is ticked and the edit shows 10, disabled.
void CConfigDialog::ShowAnswerDelay(BYTE delay) const
{
    const bool silent = delay == 255;
    SetDlgItemInt(IDC_ANSWER_DELAY, silent ? 10 : delay, FALSE);
    EnableDialogItem(IDC_ANSWER_DELAY, silent ? 0 : 1);
    CheckDlgButton(IDC_NO_ANSWER, silent ? BST_CHECKED : BST_UNCHECKED);
}

LRESULT CConfigDialog::SendItem(int id, UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendDlgItemMessageA(DialogWindow(*this), id, message, wParam, lParam);
}

// The position of pulse up-down index (minimum I0..I3, then maximum I0..I3).
int CConfigDialog::PulsePosition(int index) const
{
    return static_cast<int>(SendItem(IDC_MIN_PULSE_SPIN_I0 + index, UDM_GETPOS32, 0, 0));
}

// Sets pulse up-down index to position and its edit to the time in ms.
void CConfigDialog::ShowPulse(int index, int position)
{
    SendItem(IDC_MIN_PULSE_SPIN_I0 + index, UDM_SETPOS32, 0, position);
    m_strFormat.Format("%2.1f", position * 2.5);
    SetDlgItemTextA(IDC_MIN_PULSE_I0 + index, TextOf(m_strFormat));
}

void CConfigDialog::SetTexts() const
{
    if (!m_pOwner)
        return;  // a dialog without owner keeps its template texts
    SetWindowTextA(m_pOwner->GetDialogName(IDD_CONFIG));
    for (int id : kCaptionControls)
        SetDlgItemTextA(id, m_pOwner->GetDialogControlName(IDD_CONFIG, id));
}

// ---- Commands ----------------------------------------------------------------

int CConfigDialog::OnCommand(WPARAM wParam, LPARAM /*lParam*/)
{
    const int id = LOWORD(wParam);
    switch (id) {
    case IDCANCEL:
        EndDialog(-1);
        return 1;
    case IDC_NO_ANSWER:
        EnableDialogItem(IDC_ANSWER_DELAY, IsDlgButtonChecked(IDC_NO_ANSWER) != 1);
        UpdateWriteButton();
        return 0;
    case IDC_ADDRESS:
    case IDC_ANSWER_DELAY:
        UpdateWriteButton();
        return 0;
    case IDC_WRITE_AND_TEST:
        if (ValidateAndWrite()) {
            m_bSeries = IsDlgButtonChecked(IDC_SERIES) == 1 ? 1 : 0;
            memcpy(&m_LastConfig, &m_Config, sizeof(m_LastConfig));
            EndDialog(1);
        }
        return 0;
    case IDC_TIMEOUT_CHECK:
        EnableDialogItem(IDC_TIMEOUT, IsDlgButtonChecked(IDC_TIMEOUT_CHECK) == 1);
        return 0;
    default:
        if (id >= IDC_MIN_PULSE_I0 && id < IDC_MIN_PULSE_I0 + kPulseCount)
            UpdateWriteButton();
        return 0;
    }
}

void CConfigDialog::UpdateWriteButton() const
{
    const bool enable = GetDialogItemTextLength(IDC_ADDRESS) > 0 &&
                        (GetDialogItemTextLength(IDC_ANSWER_DELAY) > 0 || IsDlgButtonChecked(IDC_NO_ANSWER) == 1);
    EnableDialogItem(IDC_WRITE_AND_TEST, enable);
}

// Shows message's box for a rejected value and puts the operator on the
// control with its whole text selected; answers 0.
int CConfigDialog::Reject(unsigned int message, int focusId) const
{
    MessageBoxA(m_pOwner ? m_pOwner->GetMessageA(message) : nullptr, kCaption, MB_OK | MB_ICONEXCLAMATION);
    SetDialogItemFocus(focusId);
    SendItem(focusId, EM_SETSEL, 0, -1);
    return 0;
}

// Reads the controls into m_Config in a fixed order; each value that passes is
// stored at once, the first that fails is shown to the operator.
int CConfigDialog::ValidateAndWrite()
{
    const int address = static_cast<int>(GetDlgItemInt(IDC_ADDRESS, nullptr, FALSE));
    if (address < 1 || address > 125)
        return Reject(MSG_BAD_ADDRESS, IDC_ADDRESS);
    m_Config.byAddress = static_cast<BYTE>(address);

    // A ticked "does not answer" box stands for 255, whatever the edit holds.
    int delay = 255;
    if (IsDlgButtonChecked(IDC_NO_ANSWER) != 1) {
        delay = static_cast<int>(GetDlgItemInt(IDC_ANSWER_DELAY, nullptr, FALSE));
        if (delay < 0 || delay > 254)
            return Reject(MSG_BAD_ANSWER_DELAY, IDC_ANSWER_DELAY);
    }
    m_Config.byAnswerDelay = static_cast<BYTE>(delay);

    for (int i = 0; i < 4; ++i) {
        const int minimum = PulsePosition(i);
        if (minimum < 0 || minimum > 255)
            return Reject(MSG_BAD_MIN_PULSE_I0 + i, IDC_MIN_PULSE_I0 + i);
        m_Config.byMinPulse[i] = static_cast<BYTE>(minimum);
    }
    for (int i = 0; i < 4; ++i) {
        const int maximum = PulsePosition(4 + i);
        if (maximum >= m_Config.byMinPulse[i] && maximum <= 255) {
            m_Config.byMaxPulse[i] = static_cast<BYTE>(maximum);
        } else if (i >= 2 && GetTypeVariant() != ALL_INPUTS) {
            // The operator cannot reach this pair to mend it, so it cannot be
            // refused: it is written as the dialog's default pair instead
            // (which a QX2210.00 shows already, see ShowLockedPairsAsWritten).
            m_Config.byMinPulse[i] = kDefaultMinPulse;
            m_Config.byMaxPulse[i] = kDefaultMaxPulse;
        } else {
            return Reject(MSG_BAD_MAX_PULSE_I0 + i, IDC_MAX_PULSE_I0 + i);
        }
    }

    m_Config.byQuadrature = (IsDlgButtonChecked(IDC_QUADRATURE_I0_I1) == 1 ? 1 : 0) |
                            (IsDlgButtonChecked(IDC_QUADRATURE_I2_I3) == 1 ? 2 : 0);
    auto currentCode = [this](int id) {
        const LRESULT index = SendItem(id, CB_GETCURSEL, 0, 0);
        const LRESULT code = SendItem(id, CB_GETITEMDATA, index, 0);
        return Clamp(static_cast<int>(code), 0, 3);
    };
    m_Config.byInputCurrent = static_cast<BYTE>((currentCode(IDC_CURRENT_I2_I3) << 4) | currentCode(IDC_CURRENT_I0_I1));

    int timeout = 0;
    if (IsDlgButtonChecked(IDC_TIMEOUT_CHECK) == 1) {
        timeout = static_cast<int>(GetDlgItemInt(IDC_TIMEOUT, nullptr, TRUE));
        if (timeout < 1 || timeout > 65535)
            return Reject(MSG_BAD_TIMEOUT, IDC_TIMEOUT);
    }
    m_Config.wTimeout = static_cast<WORD>(timeout);
    return WriteUnitConfig();
}

// Writes the 20 significant bytes and reports the outcome to the host.
int CConfigDialog::WriteUnitConfig()
{
    if (!m_pOwner)
        return 0;  // no tester to write through
    HWND reportWindow = reinterpret_cast<HWND>(::GetWindowLongPtrA(DialogWindow(*this), GWLP_HWNDPARENT));
    m_Config.dwMarker = kMarkerSave;
    auto selectedData = [this](int id, BYTE* field) {
        HWND list = GetDlgItem(id);
        const LRESULT index = list ? ::SendMessageA(list, CB_GETCURSEL, 0, 0) : CB_ERR;
        if (index < 0)
            return;
        const LRESULT data = ::SendMessageA(list, CB_GETITEMDATA, index, 0);
        if (data >= 0)
            *field = static_cast<BYTE>(data);
    };
    selectedData(IDC_BAUD_RATE, &m_Config.byBaudCode);
    selectedData(IDC_PARITY, &m_Config.byParity);

    if (m_pOwner->WriteConfig(0, reinterpret_cast<unsigned char*>(&m_Config), 20)) {
        m_pOwner->SendTestResult(reportWindow, nullptr, m_pOwner->GetMessageA(MSG_WRITTEN), 1, REPORT_SUCCESS, 0);
        return 1;
    }
    m_pOwner->SendTestResult(reportWindow, nullptr, m_pOwner->GetMessageA(MSG_WRITE_FAILED_REPORT), 1, REPORT_FAILURE,
                             0);
    MessageBoxA(m_pOwner->GetMessageA(MSG_WRITE_FAILED_BOX), kCaption, MB_OK | MB_ICONHAND);
    return 0;
}

// ---- Spinners and wheel --------------------------------------------------------

int CConfigDialog::OnVScroll(WORD /*code*/, WORD /*position*/, HWND /*scrollBar*/)
{
    for (int i = 0; i < kPulseCount; ++i)
        ShowPulse(i, PulsePosition(i));
    return 0;
}

// One notch steps the focused address by 1, the answer delay by 5 ms or a
// pulse time by 5 positions (12.5 ms): add first, then clamp, upper bound first.
int CConfigDialog::OnMouseWheel(WORD /*keys*/, int delta, int /*x*/, int /*y*/)
{
    const int id = ::GetDlgCtrlID(::GetFocus());
    const int direction = delta > 0 ? 1 : -1;
    if (id == IDC_ADDRESS) {
        const int address = static_cast<int>(GetDlgItemInt(IDC_ADDRESS, nullptr, FALSE)) + direction;
        SetDlgItemInt(IDC_ADDRESS, Clamp(address, 1, 125), FALSE);
    } else if (id == IDC_ANSWER_DELAY) {
        const int delay = static_cast<int>(GetDlgItemInt(IDC_ANSWER_DELAY, nullptr, FALSE)) + 5 * direction;
        SetDlgItemInt(IDC_ANSWER_DELAY, Clamp(delay, 0, 254), FALSE);
    } else {
        int index = -1;
        if (id >= IDC_MIN_PULSE_I0 && id < IDC_MIN_PULSE_I0 + kPulseCount)
            index = id - IDC_MIN_PULSE_I0;
        else if (id >= IDC_MIN_PULSE_SPIN_I0 && id < IDC_MIN_PULSE_SPIN_I0 + kPulseCount)
            index = id - IDC_MIN_PULSE_SPIN_I0;
        if (index >= 0)
            ShowPulse(index, Clamp(PulsePosition(index) + 5 * direction, 0, 255));
    }
    return 0;
}
