// CTestTAVO02::ConfigureThermometer: the configuration of a series of units.
#include "TestTAVO02.h"

#include <stdlib.h>
#include <string.h>

#include "DlgConfig.h"
#include "DlgConfirm.h"
#include "DlgTestConfig.h"
#include "LibraryNames.h"
#include "TextIds.h"

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

// The dialogs of one call, constructed in this order and destroyed in the
// reverse order on every exit.
struct SeriesDialogs
{
    SeriesDialogs(HWND host, HINSTANCE instance)
        : configDialog(host, instance), testDialog(host, instance), confirmDialog(host, instance)
    {
    }

    CConfigDialog configDialog;
    CTestConfigDialog testDialog;
    CConfirmDialog confirmDialog;
};

void Report(CTestTAVO02& test, HWND host, ReportKind kind, MessageId message)
{
    test.SendTestResult(host, nullptr, test.GetMessageA(message), 1, kind, 0);
}

// Puts the unit's type text (at most 16 characters, trimmed) into the
// scratch text; false when it is empty.
bool TakeUnitType(CTestTAVO02& test)
{
    test.m_strScratch.SetString(reinterpret_cast<const char*>(test.m_EEPROMCache.GetEEPROMCacheFrom(40, 1)), 16);
    test.m_strScratch.Trim();
    return TextOf(test.m_strScratch) && LengthOf(test.m_strScratch) > 0;
}

// A unit without a type text: messages 45 and 44 in one line, each copied as
// soon as it is fetched, since a lookup may rewrite what the previous one
// answered.
void ReportNoType(CTestTAVO02& test, HWND host)
{
    CDynString noConfiguration;
    noConfiguration.InitBuffer(test.GetMessageA(MSG_NO_CONFIGURATION));
    CDynString line;
    line.Format("%s %s", TextOf(noConfiguration), test.GetMessageA(MSG_FOR_TYPE));
    test.SendTestResult(host, nullptr, TextOf(line), 1, REPORT_FAILURE, 0);
}

// The line of message 39, filled in the scratch text by placeholder kind:
// the first "%s" the serial text as read, the second the parity word, the
// first "%d" the address and the second the baud rate.
void ReportConfiguration(CTestTAVO02& test, HWND host, const char* serialText, const CConfigDialog& configDialog)
{
    char number[16];
    test.m_strScratch.InitBuffer(test.GetMessageA(MSG_CONFIGURATION_LINE));
    test.m_strScratch.Replace("%s", serialText, 0);
    test.m_strScratch.Replace("%s", ParityWord(configDialog.GetParity()), 0);
    ::wsprintfA(number, "%d", configDialog.GetAddress());
    test.m_strScratch.Replace("%d", number, 0);
    ::wsprintfA(number, "%d", configDialog.GetBaudRate());
    test.m_strScratch.Replace("%d", number, 0);
    test.SendTestResult(host, nullptr, TextOf(test.m_strScratch), 1, REPORT_DETAIL, 0);
}

// One pass per connected unit; answers 1 for a single unit configured and
// tested, 2 for every other end.
int RunSeries(CTestTAVO02& test, HWND host, unsigned short hostValue, int checkMode, SeriesDialogs& dialogs)
{
    CConfigDialog& configDialog = dialogs.configDialog;
    for (;; checkMode = 1) {
        test.SendTestResult(host, test.GetMessageA(MSG_CONFIGURATION), nullptr, 1, REPORT_PROGRESS, 0);
        if (test.CheckEEPROM(host, hostValue, checkMode) != 1)
            return 2;
        if (!TakeUnitType(test)) {
            ReportNoType(test, host);
            return 2;
        }
        configDialog.SetOwner(&test);
        configDialog.SetUnitType(TextOf(test.m_strScratch));

        char serialText[9] = {};
        strncpy(serialText, reinterpret_cast<const char*>(test.m_EEPROMCache.GetEEPROMCacheFrom(80, 1)), 8);
        const int serialNumber = static_cast<int>(strtol(serialText, nullptr, 10));
        if (test.m_ConfigList.Find(serialNumber) &&
            ::MessageBoxA(host, test.GetMessageA(MSG_ALREADY_CONFIGURED), kCaption,
                          MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
            if (dialogs.confirmDialog.Show(-1) == 1)
                continue;
            Report(test, host, REPORT_FAILURE, MSG_SERIES_BROKEN_AT_REPEAT);
            return 2;
        }

        Report(test, host, REPORT_PROGRESS, MSG_CONFIG_DIALOG_SHOWN);
        if (configDialog.Show(-1) != 1) {
            Report(test, host, REPORT_FAILURE, MSG_CONFIG_CANCELLED);
            return 2;
        }
        Report(test, host, REPORT_PROGRESS, MSG_TEST_DIALOG_SHOWN);
        dialogs.testDialog.SetTestParameters(&test, configDialog.GetAddress(), configDialog.GetBaudRate(),
                                             configDialog.GetParity());
        if (dialogs.testDialog.Show(-1) != 1) {
            Report(test, host, REPORT_FAILURE, MSG_TEST_FAILED);
            continue;  // the same unit again, proposed the record just written
        }
        ReportConfiguration(test, host, serialText, configDialog);
        Report(test, host, REPORT_SUCCESS, MSG_FINISHED);
        if (configDialog.IsSeries() != 1)
            return 1;
        if (dialogs.confirmDialog.Show(-1) != 1) {
            Report(test, host, REPORT_FAILURE, MSG_SERIES_BROKEN_AT_NEXT);
            return 2;
        }
        test.m_ConfigList.Set(static_cast<int>(strtol(serialText, nullptr, 10)), configDialog.GetAddress());
        configDialog.AdvanceAddress();
    }
}

}  // namespace

int CTestTAVO02::ConfigureThermometer(void* hostWindow, unsigned short hostValue, int checkMode)
{
    HWND host = static_cast<HWND>(hostWindow);
    SeriesDialogs dialogs(host, m_hInstance);
    dialogs.configDialog.SetOwner(this);
    dialogs.confirmDialog.SetOwner(this);

    const int result = RunSeries(*this, host, hostValue, checkMode, dialogs);
    m_ConfigList.Clear();
    return result;  // the dialogs go in reverse order of construction
}
