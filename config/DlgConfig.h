// Classes in this file: UnitConfig, the 21-byte configuration record of one
// unit, and CConfigDialog, the dialog (template 2020) in which the operator
// sets it and which writes it into the unit's EEPROM.
#pragma once

#include "DynString.h"
#include "MyDialog.h"

class CTAVOTester;

#pragma pack(push, 1)
// Exchanged with the tester as a plain byte block; multi-byte fields are
// little-endian. Pulse times are in steps of 2.5 ms.
struct UnitConfig
{
    BYTE byAddress;         // 1..125
    BYTE byAnswerDelay;     // ms, 0..254; 255: the unit does not answer
    BYTE byBaudCode;        // baud rate / 100: 6, 12, 24, 48 or 96
    BYTE byParity;          // 0 none, 1 odd, 2 even
    WORD wTimeout;          // ms; 0: not used
    DWORD dwMarker;         // "save" when written
    BYTE byQuadrature;      // bit 0: I0/I1 pair, bit 1: I2/I3 pair
    BYTE byInputCurrent;    // low nibble I0/I1, high nibble I2/I3: 0 ~50uA, 2 ~100uA, 3 ~150uA
    BYTE byMinPulse[4];     // I0..I3
    BYTE byMaxPulse[4];     // I0..I3, each not below its minimum
    BYTE byReserved;        // carried, never written
};
#pragma pack(pop)
static_assert(sizeof(UnitConfig) == 21, "the unit's configuration record is 21 bytes");

class CConfigDialog : public CMyDialog
{
public:
    CConfigDialog(HWND parent, HINSTANCE instance);
    ~CConfigDialog() override;

    // WM_COMMAND: OnCommand(wParam, lParam), the control ID in the low 16 bits.
    int OnCommand(WPARAM wParam, LPARAM lParam) override;
    // WM_MOUSEWHEEL: OnMouseWheel(keys, delta, x, y).
    int OnMouseWheel(WORD keys, int delta, int x, int y) override;
    // WM_VSCROLL: OnVScroll(code, position, scrollBar).
    int OnVScroll(WORD code, WORD position, HWND scrollBar) override;
    int ShowModalDialog() override;
    // WM_INITDIALOG: OnInitDialog().
    int OnInitDialog() override;

    void SetOwner(CTAVOTester* owner) { m_pOwner = owner; }
    void SetUnitType(const char* type) { m_strUnitType.InitBuffer(type); }
    BYTE GetAddress() const { return m_Config.byAddress; }
    int GetBaudRate() const;
    BYTE GetParity() const { return m_Config.byParity; }
    int IsSeries() const { return m_bSeries; }
    // Proposes the next address to the next unit of a series.
    void AdvanceAddress();

private:
    // Which inputs the unit's type lets the operator set.
    enum TypeVariant { ALL_INPUTS, I2_I3_DISABLED, I2_I3_HIDDEN };

    void ReleaseBitmap();
    TypeVariant GetTypeVariant() const;
    void ApplyTypeVariant() const;
    void FillLists() const;
    void LoadConfig();
    void LoadDefaultConfig();
    void ShowLockedPairsAsWritten();
    void ShowAnswerDelay(BYTE delay) const;
    LRESULT SendItem(int id, UINT message, WPARAM wParam, LPARAM lParam) const;
    int PulsePosition(int index) const;
    void ShowPulse(int index, int position);
    void SetTexts() const;
    void UpdateWriteButton() const;
    int ValidateAndWrite();
    int Reject(unsigned int message, int focusId) const;
    int WriteUnitConfig();

    CDynString m_strFormat;
    CDynString m_strUnitType;
    CTAVOTester* m_pOwner;
    UnitConfig m_Config;
    HBITMAP m_hBitmap;
    HINSTANCE m_hInstance;
    int m_bSeries;
    UnitConfig m_LastConfig;
};
