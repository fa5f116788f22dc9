// The interactive host: a person configures three units by hand, connecting
// each from the bench window while the module's dialogs are open, and finds
// three rows in the traceability log.
#include <gtest/gtest.h>

#include "Handles.h"
#include "HostWindow.h"
#include "ModuleFixture.h"
#include "Screenshot.h"
#include "TempFile.h"
#include "TextConvert.h"
#include "TraceLog.h"

namespace {

class HostWindowTest : public CModuleFixture
{
protected:
    // Selects unit index in the bench window and presses one of its buttons.
    static void UseBench(int index, int button)
    {
        HWND bench = ::FindWindowA("TavoBenchWindow", nullptr);
        ASSERT_NE(nullptr, bench);
        EXPECT_EQ(nullptr, ::GetWindow(bench, GW_OWNER)) << "the bench window has no owner";
        EXPECT_TRUE(::IsWindowEnabled(bench)) << "usable while a dialog is open";
        ::SendDlgItemMessageA(bench, CBenchWindow::IDC_UNITS, LB_SETCURSEL, index, 0);
        ::SendMessageA(::GetDlgItem(bench, button), BM_CLICK, 0, 0);
    }

    void ExpectUnit(bool last, int nextIndex)
    {
        ExpectWrite(nullptr, true);
        ExpectTest();
        ExpectNext([last, nextIndex, this](CDialogView& view) {
            if (last) {
                TakePictures();
                view.Click(IDCANCEL);
                ::PostMessageA(m_hWindow, WM_CLOSE, 0, 0);  // the person closes the host afterwards
                return;
            }
            UseBench(nextIndex, CBenchWindow::IDC_CONNECT);
            view.Click(IDOK);
        });
    }

    // With TAVO_SHOTS=PREFIX (under a display), pictures of both windows.
    void TakePictures() const
    {
        const char* prefix = getenv("TAVO_SHOTS");
        if (!prefix)
            return;
        std::string error;
        EXPECT_TRUE(SaveWindowPng(m_hWindow, std::string(prefix) + "-host.png", &error)) << error;
        EXPECT_TRUE(
            SaveWindowPng(::FindWindowA("TavoBenchWindow", nullptr), std::string(prefix) + "-bench.png", &error))
            << error;
    }

    HWND m_hWindow = nullptr;
};

TEST_F(HostWindowTest, ThreeUnitsByHandGiveThreeLogRows)
{
    Bench({MakeUnit("A", "QX2250.10", "00000001"), MakeUnit("B", "QX2210.00", "00000002"),
           MakeUnit("C", "TAVO-02", "00000003")});
    CTempFile logFile("trace.csv", "");
    CTraceLog log(logFile.Path(), m_pTest);
    CHostWindow window(m_pTest, m_module.Id(), &log, nullptr);
    ASSERT_TRUE(window.Create(::GetModuleHandleA(nullptr)));
    m_hWindow = m_hOwner = window.Handle();
    ExpectUnit(false, 1);
    ExpectUnit(false, 2);
    ExpectUnit(true, 0);
    ::PostMessageA(window.Handle(), WM_COMMAND, MAKEWPARAM(CHostWindow::IDC_CONFIGURE, BN_CLICKED), 0);
    window.Run();

    EXPECT_EQ(5, Unit("A").abyConfig[0]);
    EXPECT_EQ(6, Unit("B").abyConfig[0]) << "connected from the bench window, configured with the next address";
    EXPECT_EQ(7, Unit("C").abyConfig[0]);
    const std::string rows = FileBytes(logFile.Path());
    EXPECT_EQ(4, std::count(rows.begin(), rows.end(), '\n')) << rows;
    EXPECT_NE(std::string::npos, rows.find(",00000002,QX2210.00,6,9600,even,10,600,configured")) << rows;
}

// --shots names its folder in the ANSI code page, Czech letters and all.
TEST_F(HostWindowTest, PicturesGoIntoACzechNamedFolder)
{
    wchar_t wideTemp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, wideTemp);
    const std::wstring wideFolder = std::wstring(wideTemp) + L"sn\u00EDmky \u010De\u0161k\u00E9";
    const std::string folder = Narrow(wideFolder);
    ::CreateDirectoryW(wideFolder.c_str(), nullptr);
    std::string error;
    EXPECT_TRUE(WritePng(2, 2, std::vector<BYTE>(16, 0x80), folder + "\\host.png", &error)) << error;
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW((wideFolder + L"\\host.png").c_str()));
    ::DeleteFileW((wideFolder + L"\\host.png").c_str());
    ::RemoveDirectoryW(wideFolder.c_str());
}

TEST_F(HostWindowTest, BenchWindowFlipsJumpers)
{
    Bench({MakeUnit("A")});
    CHostWindow window(m_pTest, m_module.Id(), nullptr, nullptr);
    ASSERT_TRUE(window.Create(::GetModuleHandleA(nullptr)));
    UseBench(0, CBenchWindow::IDC_JP1);
    EXPECT_FALSE(Unit("A").bWriteEnabled) << "JP1 now on WP";
    UseBench(0, CBenchWindow::IDC_JP2);
    EXPECT_TRUE(Unit("A").bJP2Closed);
    UseBench(0, CBenchWindow::IDC_DISCONNECT);
    EXPECT_EQ("", CBench::Get().Connected());
    UseBench(0, CBenchWindow::IDC_CONNECT);
    EXPECT_EQ("A", CBench::Get().Connected());
    HWND bench = ::FindWindowA("TavoBenchWindow", nullptr);
    char line[256] = "";
    ::SendDlgItemMessageA(bench, CBenchWindow::IDC_UNITS, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(line));
    EXPECT_NE(nullptr, strstr(line, "JP1 WP")) << line;
    EXPECT_NE(nullptr, strstr(line, "JP2 closed")) << line;
    ::DestroyWindow(window.Handle());
}

// Without a unit the module ends without a reason of its own; the host adds
// its own line on what the bench shows. The opening line, 4 KB long from the
// language file, is drawn and copied to the report file whole.
TEST_F(HostWindowTest, ConfigureWithoutAUnitSaysWhy)
{
    const std::string longText(4096, 'K');
    CTempFile language("long.xml", "<TesterLanguage><Message><MessageItem ID=\"34\" text=\"" + longText +
                                       "\"/></Message></TesterLanguage>");
    ASSERT_EQ(1, UseLanguage(language.Path()));
    Bench({MakeUnit("A")});
    CBench::Get().Connect("");
    CTempFile reportFile("report.txt", "");
    CReportFile report;
    std::string error;
    ASSERT_TRUE(report.Open(reportFile.Path(), &error)) << error;
    CHostWindow window(m_pTest, m_module.Id(), nullptr, &report);
    ASSERT_TRUE(window.Create(::GetModuleHandleA(nullptr)));
    ::SendMessageA(window.Handle(), WM_COMMAND, MAKEWPARAM(CHostWindow::IDC_CONFIGURE, BN_CLICKED), 0);
    HWND list = ::GetDlgItem(window.Handle(), CHostWindow::IDC_REPORT);
    ::RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);  // every line drawn
    std::vector<std::string> lines;
    for (LRESULT i = 0; i < ::SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
        std::string line(::SendMessageA(list, LB_GETTEXTLEN, i, 0), '\0');
        ::SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&line[0]));
        lines.push_back(line);
    }
    const std::string copied = FileBytes(reportFile.Path());
    EXPECT_EQ("\xEF\xBB\xBF" "112  " + longText, copied.substr(0, copied.find_first_of("\r\n")));
    const std::vector<std::string> expected = {
        "112  " + longText,
        "host: the module ended without a reason of its own; the bench shows: no unit is connected to the tester",
        "host: ConfigureThermometer answered 2"};
    EXPECT_EQ(expected, lines);
    ::DestroyWindow(window.Handle());
}

}  // namespace
