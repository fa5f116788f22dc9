// The series configuration end to end: ConfigureThermometer of the loaded
// module against the bench, with a scripted operator, each run compared with
// the whole sequence of host reports and its result.
#include <gtest/gtest.h>

#include <cstring>

#include "ModuleFixture.h"
#include "resource.h"

namespace {

class SeriesTest : public CModuleFixture
{
protected:
    // A progress, failure or success line: no first text, message id second.
    ReportLine Line(int kind, unsigned int id) const { return ReportLine(kind, "(null)", Message(id)); }
    // The opening line of every pass.
    ReportLine Pass() const { return ReportLine(112, Message(34), "(null)"); }
    std::vector<ReportLine> Configured(const std::string& detail) const
    {
        return {Line(112, 37), Line(114, 31), Line(112, 38), ReportLine(117, "(null)", detail), Line(114, 40)};
    }

    int Configure(int checkMode = 0) { return m_pOwner->ConfigureThermometer(m_hHost, 7, checkMode); }

    void ExpectConfig(const char* address, bool series)
    {
        m_op.Expect("configuration", [address, series](CDialogView& view) {
            if (address)
                view.SetText(IDC_ADDRESS, address);
            view.SetChecked(IDC_SERIES, series);
            view.Click(IDC_WRITE_AND_TEST);
        });
    }
    void ExpectConfigCancel(const char* shownAddress = nullptr)
    {
        m_op.Expect("configuration", [shownAddress](CDialogView& view) {
            if (shownAddress) {
                EXPECT_EQ(shownAddress, view.Text(IDC_ADDRESS)) << "the address proposed";
            }
            view.Click(IDCANCEL);
        });
    }
    void ExpectTest() { m_op.Expect("new-setting test", [](CDialogView&) {}); }
    void ExpectNext(bool ok, const char* connect = nullptr)
    {
        m_op.Expect("next unit", [ok, connect](CDialogView& view) {
            if (connect)
                CBench::Get().Connect(connect);
            view.Click(ok ? IDOK : IDCANCEL);
        });
    }
    void ExpectBox(unsigned int message, int answer)
    {
        const std::string text = Message(message);
        m_op.Expect("message box " + std::to_string(message), [text, answer](CDialogView& box) {
            EXPECT_EQ("TAVO-01", box.Title());
            EXPECT_EQ(text, box.MessageText());
            box.Click(answer);
        });
    }

    void ExpectReports(const std::vector<ReportLine>& expected)
    {
        EXPECT_EQ(expected, m_reports.Lines());
        for (const ReportLine& line : m_reports.Lines()) {
            EXPECT_EQ(m_hHost, line.hWnd) << line;
            EXPECT_EQ(1, line.nValue) << line;
            EXPECT_EQ(0, line.wValue) << line;
        }
    }

    static std::vector<ReportLine> Join(std::initializer_list<std::vector<ReportLine>> parts)
    {
        std::vector<ReportLine> all;
        for (const auto& part : parts)
            all.insert(all.end(), part.begin(), part.end());
        return all;
    }
};

TEST_F(SeriesTest, NoUnitConnectedEndsAfterTheFirstReport)
{
    EXPECT_EQ(2, Configure());
    ExpectReports({Pass()});
    EXPECT_EQ((std::vector<std::string>{"CheckEEPROM 0"}), CBench::Get().CallLog());
}

TEST_F(SeriesTest, EmptyTypeEndsWithOneFailureReport)
{
    const std::string types[] = {"                ", std::string("\0QX2250.10", 10), ""};
    for (const std::string& type : types) {
        m_reports.Clear();
        Bench({MakeUnit("A", type)});
        EXPECT_EQ(2, Configure());
        ExpectReports({Pass(), ReportLine(113, "(null)", Message(45) + " " + Message(44))});
    }
}

TEST_F(SeriesTest, SingleUnitAnswersOneWithoutTheNextUnitDialog)
{
    BenchUnit unit = MakeUnit("A");
    Bench({unit});
    m_op.Expect("configuration", [](CDialogView& view) {
        view.SetText(IDC_ADDRESS, "7");
        view.Select(IDC_BAUD_RATE, 4);
        view.Select(IDC_PARITY, 1);
        view.Click(IDC_WRITE_AND_TEST);
    });
    ExpectTest();
    EXPECT_EQ(1, Configure(5));
    ExpectReports(Join({{Pass()}, Configured("configuration for 00012345: address 7; 9600 Bd, parity lich\xE1 (ODD)")}));
    EXPECT_EQ("CheckEEPROM 5", CBench::Get().CallLog().front()) << "the caller's check mode on the first pass";
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
    };
    for (const auto& c : cases) {
        m_reports.Clear();
        BenchUnit unit = MakeUnit("A", "QX2250.10", c.pszSerial);
        unit.abyConfig[3] = c.byParity;
        Bench({unit});
        ExpectConfig("9", false);
        ExpectTest();
        EXPECT_EQ(1, Configure());
        const std::string line =
            std::string("configuration for ") + c.pszSerial + ": address 9; 9600 Bd, parity " + c.pszParityWord;
        ASSERT_EQ(6u, m_reports.Lines().size());
        EXPECT_EQ(line, m_reports.Lines()[4].strSecond);
    }
}

TEST_F(SeriesTest, UnitWrittenWithAnUnknownParityFailsItsTest)
{
    Bench({MakeUnit("A")});
    m_op.Expect("configuration", [](CDialogView& view) {
        ::SendDlgItemMessageA(view.Handle(), IDC_PARITY, CB_SETITEMDATA, 2, 7);  // an entry that writes code 7
        view.Select(IDC_PARITY, 2);
        view.SetText(IDC_ADDRESS, "9");
        view.Click(IDC_WRITE_AND_TEST);
    });
    m_op.Expect("new-setting test", [](CDialogView& view) { view.Later(400, [](CDialogView& v) { v.Click(IDCANCEL); }); });
    ExpectConfigCancel("9");
    EXPECT_EQ(2, Configure());
    EXPECT_EQ(7, Unit("A").abyConfig[3]);
    EXPECT_EQ(Line(113, 42), m_reports.Lines().at(4));
    ASSERT_EQ(1, MyGetInvariantReportCount()) << "the line cannot be opened with parity 7";
    MY_INVARIANT_REPORT report;
    MyGetInvariantReport(0, &report);
    EXPECT_STREQ("DlgTestConfig", report.szSource);
    EXPECT_EQ(135, report.nLine);
}

TEST_F(SeriesTest, SeriesOfThreeThenCancelEndsWithMessage41)
{
    Bench({MakeUnit("A", "QX2250.10", "00000001"), MakeUnit("B", "QX2210.00", "00000002"),
           MakeUnit("C", "TAVO-02", "00000003")});
    ExpectConfig("20", true);
    ExpectTest();
    ExpectNext(true, "B");
    ExpectConfig(nullptr, true);
    ExpectTest();
    ExpectNext(true, "C");
    ExpectConfig(nullptr, true);
    ExpectTest();
    ExpectNext(false);
    EXPECT_EQ(2, Configure());
    ExpectReports(Join({{Pass()}, Configured("configuration for 00000001: address 20; 9600 Bd, parity sud\xE1 (EVEN)"),
                        {Pass()}, Configured("configuration for 00000002: address 21; 9600 Bd, parity sud\xE1 (EVEN)"),
                        {Pass()}, Configured("configuration for 00000003: address 22; 9600 Bd, parity sud\xE1 (EVEN)"),
                        {Line(113, 41)}}));
    EXPECT_EQ(21, Unit("B").abyConfig[0]);
    EXPECT_EQ(22, Unit("C").abyConfig[0]);
    const std::vector<std::string> calls = CBench::Get().CallLog();
    EXPECT_EQ(3, std::count_if(calls.begin(), calls.end(), [](const std::string& c) { return c.rfind("CheckEEPROM", 0) == 0; }));
    EXPECT_EQ(2, std::count(calls.begin(), calls.end(), "CheckEEPROM 1")) << "later passes check with mode 1";
    EXPECT_EQ(nullptr, m_pOwner->m_ConfigList.GetFirst()) << "the list is cleared on the way out";
}

TEST_F(SeriesTest, KnownSerialAnsweredNoSkipsTheUnitWithoutAdvancing)
{
    Bench({MakeUnit("A", "QX2250.10", "00000001"), MakeUnit("B", "QX2250.10", "00000002")});
    ExpectConfig("40", true);
    ExpectTest();
    ExpectNext(true, "A");  // the same unit again
    m_op.Expect("already configured", [this](CDialogView& box) {
        EXPECT_EQ(Message(35), box.MessageText());
        EXPECT_TRUE(box.Exists(IDYES) && box.Exists(IDNO)) << "a Yes/No question";
        EXPECT_EQ(IDNO, box.FocusId()) << "No is the default button";
        EXPECT_EQ(m_hHost, ::GetWindow(box.Handle(), GW_OWNER));
        box.Click(IDNO);
    });
    ExpectNext(true, "B");
    ExpectConfigCancel("41");  // advanced once, for the unit configured
    EXPECT_EQ(2, Configure());
    ExpectReports(Join({{Pass()}, Configured("configuration for 00000001: address 40; 9600 Bd, parity sud\xE1 (EVEN)"),
                        {Pass(), Pass(), Line(112, 37), Line(113, 43)}}));
}

TEST_F(SeriesTest, KnownSerialAnsweredNoThenCancelIsAUserBreak)
{
    Bench({MakeUnit("A", "QX2250.10", "00000001")});
    ExpectConfig("40", true);
    ExpectTest();
    ExpectNext(true, "A");
    ExpectBox(35, IDNO);
    ExpectNext(false);
    EXPECT_EQ(2, Configure());
    EXPECT_EQ(Line(113, 36), m_reports.Lines().back());
}

TEST_F(SeriesTest, KnownSerialAnsweredYesUpdatesItsEntry)
{
    Bench({MakeUnit("A", "QX2250.10", "00000001"), MakeUnit("B", "QX2250.10", "00000002")});
    ExpectConfig("10", true);
    ExpectTest();
    ExpectNext(true, "A");
    ExpectBox(35, IDYES);
    m_op.Expect("configuration", [](CDialogView& view) {
        EXPECT_EQ("11", view.Text(IDC_ADDRESS));
        view.Click(IDC_WRITE_AND_TEST);
    });
    ExpectTest();
    ExpectNext(true, "B");
    m_op.Expect("configuration", [this](CDialogView& view) {
        const ConfigListNode* first = m_pOwner->m_ConfigList.GetFirst();
        ASSERT_NE(nullptr, first);
        EXPECT_EQ(1, first->nSerialNumber);
        EXPECT_EQ(11, first->byBusAddress) << "the entry was updated";
        EXPECT_EQ(nullptr, first->pNext) << "not extended";
        view.Click(IDCANCEL);
    });
    EXPECT_EQ(2, Configure());
}

TEST_F(SeriesTest, FailedTestRepeatsThePassWithTheSameAddress)
{
    BenchUnit slow = MakeUnit("A");
    slow.nAnswerAfterPolls = 100000;
    Bench({slow});
    ExpectConfig("33", true);
    m_op.Expect("new-setting test", [](CDialogView& view) {
        view.Later(400, [](CDialogView& later) { later.Click(IDCANCEL); });
    });
    ExpectConfigCancel("33");
    EXPECT_EQ(2, Configure());
    ExpectReports({Pass(), Line(112, 37), Line(114, 31), Line(112, 38), Line(113, 42), Pass(), Line(112, 37),
                   Line(113, 43)});
    const std::vector<std::string> calls = CBench::Get().CallLog();
    EXPECT_EQ(1, std::count(calls.begin(), calls.end(), "CheckEEPROM 1")) << "the repeated pass checks with mode 1";
}

TEST_F(SeriesTest, AddressWrapsFrom125To1WithOneWarning)
{
    Bench({MakeUnit("A", "QX2250.10", "00000001"), MakeUnit("B", "QX2250.10", "00000002"),
           MakeUnit("C", "QX2250.10", "00000003")});
    ExpectConfig("124", true);
    ExpectTest();
    ExpectNext(true, "B");
    m_op.Expect("configuration", [](CDialogView& view) {
        EXPECT_EQ("125", view.Text(IDC_ADDRESS)) << "no warning on the way to 125";
        view.Click(IDC_WRITE_AND_TEST);
    });
    ExpectTest();
    ExpectNext(true, "C");
    ExpectBox(20, IDOK);
    ExpectConfigCancel("1");
    EXPECT_EQ(2, Configure());
}

TEST_F(SeriesTest, SecondCallStartsWithAnEmptyList)
{
    Bench({MakeUnit("A", "QX2250.10", "00000001")});
    ExpectConfig("50", true);
    ExpectTest();
    ExpectNext(false);
    EXPECT_EQ(2, Configure());

    m_reports.Clear();
    ExpectConfigCancel();  // no "already configured" question comes first
    EXPECT_EQ(2, Configure());
    ExpectReports({Pass(), Line(112, 37), Line(113, 43)});
}

TEST_F(SeriesTest, FailedWriteThenCancelReportsBoth)
{
    BenchUnit unit = MakeUnit("A");
    unit.bWriteEnabled = false;
    Bench({unit});
    m_op.Expect("configuration", [this](CDialogView& view) {
        ExpectBox(33, IDOK);
        view.Click(IDC_WRITE_AND_TEST);
        view.Click(IDCANCEL);
    });
    EXPECT_EQ(2, Configure());
    ExpectReports({Pass(), Line(112, 37), Line(113, 32), Line(113, 43)});
}

TEST_F(SeriesTest, LanguageFileTextsReachTheReports)
{
    m_pOwner->SetLanguageFile("lang\\cs.xml");
    ASSERT_EQ(1, m_pOwner->LanguageFileOpen());
    Bench({MakeUnit("A")});
    ExpectConfig("7", false);
    ExpectTest();
    EXPECT_EQ(1, Configure());
    ASSERT_EQ(6u, m_reports.Lines().size());
    EXPECT_EQ("Konfigurace TAVO", m_reports.Lines()[0].strFirst);
    EXPECT_EQ("konfigurace pro 00012345: adresa 7; 9600 Bd, parita sud\xE1 (EVEN)", m_reports.Lines()[4].strSecond)
        << "the translation's placeholders are filled by kind";
}

TEST(SeriesLifetime, LoadConfigureUnloadAHundredTimes)
{
    const int threads = ProcessThreadCount();
    for (int round = 0; round < 100; ++round) {
        CTestModule module;
        ASSERT_TRUE(module.Load("TestTAVO02.test")) << module.Error();
        CBench::Get().Clear();
        BenchUnit unit = MakeUnit("A");
        CBench::Get().Put(unit);
        CBench::Get().Connect("A");
        COperator op(5000);
        op.Expect("configuration", [](CDialogView& view) { view.Click(IDC_WRITE_AND_TEST); });
        op.Expect("new-setting test", [](CDialogView&) {});
        auto* tester = static_cast<CTAVOTester*>(module.Instance());
        ASSERT_EQ(1, tester->ConfigureThermometer(nullptr, 0, 0)) << "round " << round;
        module.Unload();  // at once: the worker must be gone already
        ASSERT_TRUE(op.Failures().empty()) << ::testing::PrintToString(op.Failures());
        ASSERT_EQ(threads, ProcessThreadCount()) << "round " << round << ": a thread was left";
    }
    CBench::Get().Clear();
}

}  // namespace
