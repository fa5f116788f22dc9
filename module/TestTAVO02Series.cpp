// CTestTAVO02::ConfigureThermometer: the configuration of a series of units.
#include "TestTAVO02.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "DlgConfig.h"
#include "DlgConfirm.h"
#include "DlgTestConfig.h"

namespace {

const char kCaption[] = "TAVO-01";

// Parity words of the report line, in code page 1250.
const char* ParityWord(BYTE parity)
{
    switch (parity) {
    case 0: return "\x9E\xE1" "dn\xE1 (NO)";
    case 1: return "lich\xE1 (ODD)";
    default: return "sud\xE1 (EVEN)";
    }
}

}  // namespace

int CTestTAVO02::ConfigureThermometer(void* hostWindow, unsigned short hostValue, int checkMode)
{
    HWND host = static_cast<HWND>(hostWindow);
    CConfigDialog configDialog(host, m_hInstance);
    CTestConfigDialog testDialog(host, m_hInstance);
    CConfirmDialog confirmDialog(host, m_hInstance);
    configDialog.SetOwner(this);
    confirmDialog.SetOwner(this);

    const int result = RunSeries(host, hostValue, checkMode, configDialog, testDialog, confirmDialog);
    m_ConfigList.Clear();
    return result;  // the dialogs go in reverse order of construction
}

// One pass per connected unit; answers 1 for a single unit configured and
// tested, 2 for every other end.
int CTestTAVO02::RunSeries(HWND host, unsigned short hostValue, int checkMode, CConfigDialog& configDialog,
                           CTestConfigDialog& testDialog, CConfirmDialog& confirmDialog)
{
    for (;; checkMode = 1) {
        SendTestResult(host, GetMessageA(34), nullptr, 1, 112, 0);
        if (CheckEEPROM(host, hostValue, checkMode) != 1)
            return 2;
        if (!TakeUnitType()) {
            // Both texts are copied as soon as each is fetched: a lookup may
            // rewrite what the previous one answered.
            std::string text = GetMessageA(45);
            text += " ";
            text += GetMessageA(44);
            SendTestResult(host, nullptr, text.c_str(), 1, 113, 0);
            return 2;
        }
        configDialog.SetOwner(this);
        configDialog.SetUnitType(m_strScratch);

        char serialText[9] = {};
        strncpy(serialText, reinterpret_cast<const char*>(m_EEPROMCache.GetEEPROMCacheFrom(80, 1)), 8);
        const int serialNumber = static_cast<int>(strtol(serialText, nullptr, 10));
        if (m_ConfigList.Find(serialNumber) &&
            ::MessageBoxA(host, GetMessageA(35), kCaption, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
            if (confirmDialog.Show(-1) == 1)
                continue;
            Report(host, 113, 36);
            return 2;
        }

        Report(host, 112, 37);
        if (configDialog.Show(-1) != 1) {
            Report(host, 113, 43);
            return 2;
        }
        Report(host, 112, 38);
        testDialog.SetTestParameters(this, configDialog.GetAddress(), configDialog.GetBaudRate(),
                                     configDialog.GetParity());
        if (testDialog.Show(-1) != 1) {
            Report(host, 113, 42);
            continue;  // the same unit again, proposed the record just written
        }
        ReportConfiguration(host, serialText, configDialog);
        Report(host, 114, 40);
        if (configDialog.IsSeries() != 1)
            return 1;
        if (confirmDialog.Show(-1) != 1) {
            Report(host, 113, 41);
            return 2;
        }
        m_ConfigList.Set(static_cast<int>(strtol(serialText, nullptr, 10)), configDialog.GetAddress());
        configDialog.AdvanceAddress();
    }
}

// Puts the unit's type text (at most 16 characters, trimmed) into
// m_strScratch; false when it is empty.
bool CTestTAVO02::TakeUnitType()
{
    m_strScratch.SetString(reinterpret_cast<const char*>(m_EEPROMCache.GetEEPROMCacheFrom(40, 1)), 16);
    m_strScratch.Trim();
    return m_strScratch.GetString() && m_strScratch.GetLength() > 0;
}

void CTestTAVO02::Report(HWND host, unsigned char kind, unsigned int message)
{
    SendTestResult(host, nullptr, GetMessageA(message), 1, kind, 0);
}

// The line of message 39, filled in m_strScratch by placeholder kind: the
// first "%s" the serial text as read, the second the parity word, the first
// "%d" the address and the second the baud rate.
void CTestTAVO02::ReportConfiguration(HWND host, const char* serialText, const CConfigDialog& configDialog)
{
    char number[16];
    m_strScratch.InitBuffer(GetMessageA(39));
    m_strScratch.Replace("%s", serialText, 0);
    m_strScratch.Replace("%s", ParityWord(configDialog.GetParity()), 0);
    snprintf(number, sizeof(number), "%d", configDialog.GetAddress());
    m_strScratch.Replace("%d", number, 0);
    snprintf(number, sizeof(number), "%d", configDialog.GetBaudRate());
    m_strScratch.Replace("%d", number, 0);
    SendTestResult(host, nullptr, m_strScratch, 1, 117, 0);
}
