// The series configuration end to end: ConfigureThermometer of the loaded
// module against the bench, with a scripted operator, each run compared with
// the whole sequence of host reports and its result.
#include <gtest/gtest.h>

#include <cstring>

#include "ModuleFixture.h"

namespace {

class SeriesTest : public CModuleFixture
{
protected:
    void ExpectConfigCancel(const char* shownAddress = nullptr)
    {
        ExpectConfig([shownAddress](CDialogView& view) {
            if (shownAddress) {
                EXPECT_EQ(shownAddress, view.Text(IDC_ADDRESS)) << "the address proposed";
            }
            view.Click(IDCANCEL);
        });
    }
    // A unit written in a series at address (unless null) and tested, then the next-unit dialog.
    void ExpectSeriesUnit(const char* address, const char* next)
    {
        ExpectWrite(address, true);
        ExpectTest();
        ExpectNextUnit(next);
    }
};

TEST_F(SeriesTest, EmptyTypeEndsWithOneFailureReport)
{
    const std::string types[] = {"                ", std::string("\0QX2250.10", 10), ""};
    for (const std::string& type : types) {
        m_reports.Clear();
        Bench({MakeUnit("A", type)});
        EXPECT_EQ(2, Configure());
        ExpectReports({Opening(), ReportLine(TEST_REPORT_FAILURE, "(null)", Message(45) + " " + Message(44))});
    }
}

TEST_F(SeriesTest, SingleUnitAnswersOneWithoutTheNextUnitDialog)
{
    BenchUnit unit = MakeUnit("A");
    Bench({unit});
    ExpectConfig([](CDialogView& view) {
        view.SetText(IDC_ADDRESS, "7");
        view.Select(IDC_BAUD_RATE, 4);
        view.Select(IDC_PARITY, 1);
        view.Click(IDC_WRITE_AND_TEST);
    });
    ExpectTest();
    EXPECT_EQ(1, Configure(5));
    ExpectReports(
        Join({{Opening()}, Configured("configuration for 00012345: address 7; 9600 Bd, parity lich\xE1 (ODD)")}));
    EXPECT_EQ("CheckEEPROM 5", CBench::Get().CallLog().front()) << "the caller's check mode on the first pass";
    void* window = nullptr;
    unsigned short value = 0;
    ASSERT_EQ(1, BenchLastCheckCaller(&window, &value));
    EXPECT_EQ(m_hHost, window) << "CheckEEPROM gets the host's window";
    EXPECT_EQ(7, value) << "and its value";
    EXPECT_EQ(7, Unit("A").byAnswerAddress) << "the unit answers on its new address";
}

TEST_F(SeriesTest, ReportLineKeepsTheSerialTextAsRead)
{
    const struct
    {
        const char* pszSerial;
        unsigned char byParity;
        const char* pszParityWord;
    } cases[] = {
        {" 0001234", 0, "\x9E\xE1" "dn\xE1 (NO)"},
        {"12AB", 2, "sud\xE1 (EVEN)"},
        {"00000000", 1, "lich\xE1 (ODD)"},
        {"00000003", 3, "sud\xE1 (EVEN)"},  // mark parity, which the list does not offer: kept as stored
        {"00000004", 4, "sud\xE1 (EVEN)"},
    };
    for (const auto& c : cases) {
        m_reports.Clear();
        BenchUnit unit = MakeUnit("A", "QX2250.10", c.pszSerial);
        unit.abyConfig[3] = c.byParity;
        Bench({unit});
        ExpectWrite("9", false);
        ExpectTest();
        EXPECT_EQ(1, Configure());
        ExpectReports(Join({{Opening()}, Configured(std::string("configuration for ") + c.pszSerial +
                                                    ": address 9; 9600 Bd, parity " + c.pszParityWord)}));
    }
}

TEST_F(SeriesTest, UnitWrittenWithAnUnknownParityFailsItsTest)
{
    Bench({MakeUnit("A")});
    ExpectConfig([](CDialogView& view) {
        ::SendDlgItemMessageA(view.Handle(), IDC_PARITY, CB_SETITEMDATA, 2, 7);  // an entry that writes code 7
        view.Select(IDC_PARITY, 2);
        view.SetText(IDC_ADDRESS, "9");
        view.Click(IDC_WRITE_AND_TEST);
    });
    ExpectTestGivenUp();
    ExpectConfigCancel("9");
    EXPECT_EQ(2, Configure());
    EXPECT_EQ(7, Unit("A").abyConfig[3]);
    EXPECT_EQ(Failure(42), m_reports.Lines().at(4));
    EXPECT_EQ((std::vector<InvariantReport>{{"0", "DlgTestConfig", 135}}), m_debug.Invariants())
        << "the line cannot be opened with parity 7";
}

TEST_F(SeriesTest, SeriesOfThreeThenCancelEndsWithMessage41)
{
    Bench({MakeUnit("A", "QX2250.10", "00000001"), MakeUnit("B", "QX2210.00", "00000002"),
           MakeUnit("C", "TAVO-02", "00000003")});
    ExpectSeriesUnit("20", "B");
    ExpectSeriesUnit(nullptr, "C");
    ExpectSeriesUnit(nullptr, nullptr);
    EXPECT_EQ(2, Configure());
    ExpectReports(Join({{Opening()}, ConfiguredAt("00000001", 20), {Opening()}, ConfiguredAt("00000002", 21),
                        {Opening()}, ConfiguredAt("00000003", 22), {Failure(41)}}));
    EXPECT_EQ(21, Unit("B").abyConfig[0]);
    EXPECT_EQ(22, Unit("C").abyConfig[0]);
    const std::vector<std::string> calls = CBench::Get().CallLog();
    EXPECT_EQ(3, CountCalls(calls, "CheckEEPROM"));
    EXPECT_EQ(2, std::count(calls.begin(), calls.end(), "CheckEEPROM 1")) << "later passes check with mode 1";
}

TEST_F(SeriesTest, KnownSerialAnsweredNoSkipsTheUnitWithoutAdvancing)
{
    Bench({MakeUnit("A", "QX2250.10", "00000001"), MakeUnit("B", "QX2250.10", "00000002")});
    ExpectSeriesUnit("40", "A");  // the same unit again
    ExpectBox(35, IDI_WARNING, IDNO, m_hHost);  // the already-configured question
    ExpectNextUnit("B");
    ExpectConfigCancel("41");  // advanced once, for the unit configured
    EXPECT_EQ(2, Configure());
    ExpectReports(Join({{Opening()}, ConfiguredAt("00000001", 40), {Opening(), Opening(), Progress(37), Failure(43)}}));
    const std::vector<std::string> calls = CBench::Get().CallLog();
    EXPECT_EQ(2, std::count(calls.begin(), calls.end(), "CheckEEPROM 1")) << "the pass after the skipped unit too";
}

// The list knows a unit by its serial number read as a number: leading
// zeros do not count, and every serial without digits reads as 0. A unit it
// knows is asked about; No, then Cancel in the next-unit dialog, is a user
// break. One it does not know goes to its configuration dialog.
TEST_F(SeriesTest, KnownSerialIsAskedAboutBeforeItsDialog)
{
    const struct
    {
        const char* pszFirst;
        const char* pszNext;
        bool bAsked;
    } cases[] = {
        {"00000001", "00000001", true}, {"00012345", "12345", true}, {"00012345", " 0012345", true},
        {"ABCDEFGH", "XYZ", true},
        {"00000001", "00000002", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pszFirst) + " then " + c.pszNext);
        m_reports.Clear();
        Bench({MakeUnit("A", "QX2250.10", c.pszFirst), MakeUnit("B", "QX2250.10", c.pszNext)});
        ExpectSeriesUnit("40", "B");
        if (c.bAsked) {
            ExpectBox(35, IDI_WARNING, IDNO);
            ExpectNextUnit(nullptr);
        } else {
            ExpectConfigCancel("41");
        }
        EXPECT_EQ(2, Configure());
        EXPECT_EQ(c.bAsked ? Failure(36) : Failure(43), m_reports.Lines().back());
    }
}

// Yes configures the unit again at the next address; it stays listed, so
// connecting it once more asks again, while another unit is not asked about.
TEST_F(SeriesTest, KnownSerialAnsweredYesConfiguresItAgain)
{
    Bench({MakeUnit("A", "QX2250.10", "00000001"), MakeUnit("B", "QX2250.10", "00000002")});
    ExpectSeriesUnit("10", "A");
    ExpectBox(35, IDI_WARNING, IDYES);
    ExpectConfig([](CDialogView& view) {
        EXPECT_EQ("11", view.Text(IDC_ADDRESS));
        view.Click(IDC_WRITE_AND_TEST);
    });
    ExpectTest();
    ExpectNextUnit("A");
    ExpectBox(35, IDI_WARNING, IDNO);
    ExpectNextUnit("B");
    ExpectConfigCancel("12");
    EXPECT_EQ(2, Configure());
    EXPECT_EQ(11, Unit("A").abyConfig[0]);
}

TEST_F(SeriesTest, FailedTestRepeatsThePassWithTheSameAddress)
{
    BenchUnit slow = MakeUnit("A");
    slow.nAnswerAfterPolls = 100000;
    Bench({slow});
    ExpectWrite("33", true);
    ExpectTestGivenUp();
    ExpectConfigCancel("33");
    EXPECT_EQ(2, Configure());
    ExpectReports({Opening(), Progress(37), Success(31), Progress(38), Failure(42), Opening(), Progress(37),
                   Failure(43)});
    const std::vector<std::string> calls = CBench::Get().CallLog();
    EXPECT_EQ(1, std::count(calls.begin(), calls.end(), "CheckEEPROM 1")) << "the repeated pass checks with mode 1";
}

TEST_F(SeriesTest, AddressWrapsFrom125To1WithOneWarning)
{
    Bench({MakeUnit("A", "QX2250.10", "00000001"), MakeUnit("B", "QX2250.10", "00000002"),
           MakeUnit("C", "QX2250.10", "00000003")});
    ExpectSeriesUnit("124", "B");
    ExpectConfig([](CDialogView& view) {
        EXPECT_EQ("125", view.Text(IDC_ADDRESS)) << "no warning on the way to 125";
        view.Click(IDC_WRITE_AND_TEST);
    });
    ExpectTest();
    ExpectNextUnit("C");
    ExpectBox(20, IDI_WARNING, IDOK, m_hHost);  // the address-wrap warning
    ExpectConfigCancel("1");
    EXPECT_EQ(2, Configure());
}

TEST_F(SeriesTest, SecondCallStartsWithAnEmptyList)
{
    Bench({MakeUnit("A", "QX2250.10", "00000001")});
    ExpectSeriesUnit("50", "A");
    ExpectBox(35, IDI_WARNING, IDNO);  // the first call listed its unit
    ExpectNextUnit(nullptr);
    EXPECT_EQ(2, Configure());

    m_reports.Clear();
    ExpectConfigCancel();  // no "already configured" question comes first
    EXPECT_EQ(2, Configure());
    ExpectReports({Opening(), Progress(37), Failure(43)});
}

TEST_F(SeriesTest, LanguageFileTextsReachTheReports)
{
    ASSERT_EQ(1, UseLanguage("lang\\cs.xml")) << BenchLanguageError();
    Bench({MakeUnit("A")});
    ExpectWrite("7", false);
    ExpectTest();
    EXPECT_EQ(1, Configure());
    ASSERT_EQ(6u, m_reports.Lines().size());
    EXPECT_EQ("Konfigurace TAVO", m_reports.Lines()[0].strFirst);
    EXPECT_EQ("konfigurace pro 00012345: adresa 7; 9600 Bd, parita sud\xE1 (EVEN)", m_reports.Lines()[4].strSecond)
        << "the translation's placeholders are filled by kind";
}

// A host window that is gone: the configuration dialog's modal run fails on
// its parent, says so on the debugger output, and ends the call as a break.
TEST_F(SeriesTest, InvalidHostWindowEndsAtTheConfigurationDialog)
{
    Bench({MakeUnit("A")});
    HWND gone = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ::DestroyWindow(gone);
    EXPECT_EQ(2, m_pTest->ConfigureThermometer(gone, 0, 0));
    EXPECT_EQ((std::vector<ReportLine>{Opening(), Progress(37), Failure(43)}), m_reports.Lines());
    EXPECT_EQ(std::vector<std::string>{"hParentWnd neni platny\n"}, m_debug.Texts()) << "and no invariant report";
}

TEST(SeriesLifetime, LoadConfigureUnloadAHundredTimes)
{
    for (int round = 0; round < 100; ++round) {
        CTestModule module;
        ASSERT_TRUE(module.Load("TestTAVO02.test")) << module.Error();
        CBench::Get().Clear();
        BenchUnit unit = MakeUnit("A");
        CBench::Get().Put(unit);
        CBench::Get().Connect("A");
        COperator op(5000);
        op.Expect("the configuration dialog", IDC_WRITE_AND_TEST,
                  [](CDialogView& view) { view.Click(IDC_WRITE_AND_TEST); });
        op.Expect("the new-setting test dialog", IDC_TEST_EXPLANATION, [](CDialogView&) {}, IDC_TEST_EXPLANATION);
        ASSERT_EQ(1, module.Instance()->ConfigureThermometer(nullptr, 0, 0)) << "round " << round;
        ASSERT_EQ(0, CBench::Get().OtherCallersRunning()) << "round " << round << ": the worker is still running";
        module.Unload();  // at once: the worker is gone already
        ASSERT_TRUE(op.Failures().empty()) << ::testing::PrintToString(op.Failures());
    }
    CBench::Get().Clear();
}

}  // namespace
