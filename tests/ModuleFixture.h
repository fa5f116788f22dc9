// Classes in this file: CReportLog (records the host report lines),
// CDialogFixture (a host window, the bench, an operator and a debug-output
// viewer) and CModuleFixture over it (the shipped module loaded as the host
// loads it), the one fixture of every suite that loads the module.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "Bench.h"
#include "DebugOutput.h"
#include "Operator.h"
#include "Progress.h"
#include "TestModule.h"
#include "resource.h"

// A text the module answers, "(null)" for none.
inline std::string Str(const char* text)
{
    return text ? text : "(null)";
}

struct ReportLine
{
    ReportLine(int kind, std::string first, std::string second, void* window = nullptr, int value = 1,
               unsigned short value16 = 0)
        : nKind(kind), strFirst(std::move(first)), strSecond(std::move(second)), hWnd(window), nValue(value),
          wValue(value16)
    {
    }

    int nKind;
    std::string strFirst;   // "(null)" for a null text
    std::string strSecond;
    void* hWnd;
    int nValue;
    unsigned short wValue;
    int nWorkersRunning = 0;  // threads besides the host's that called the tester and still ran

    bool operator==(const ReportLine& other) const
    {
        return nKind == other.nKind && strFirst == other.strFirst && strSecond == other.strSecond;
    }
};

inline std::ostream& operator<<(std::ostream& out, const ReportLine& line)
{
    return out << "{" << line.nKind << ", " << line.strFirst << ", " << line.strSecond << "}";
}

// Receives SendTestResult lines while it exists.
class CReportLog
{
public:
    CReportLog() { BenchSetReportSink(&CReportLog::Receive, this); }
    ~CReportLog() { BenchSetReportSink(nullptr, nullptr); }
    CReportLog(const CReportLog&) = delete;
    CReportLog& operator=(const CReportLog&) = delete;

    const std::vector<ReportLine>& Lines() const { return m_lines; }
    void Clear() { std::vector<ReportLine>().swap(m_lines); }

private:
    static void CALLBACK Receive(void* context, const TEST_REPORT* report)
    {
        auto* log = static_cast<CReportLog*>(context);
        log->m_lines.emplace_back(report->byKind, Str(report->pszFirst), Str(report->pszSecond), report->hWnd,
                                  report->nValue, report->wValue);
        log->m_lines.back().nWorkersRunning = CBench::Get().OtherCallersRunning();
    }

    std::vector<ReportLine> m_lines;
};

// The typical record: address 5, answer delay 10, 9600 Bd, parity 2, a
// timeout of 600 ms, no quadrature and the first current range on both
// pairs, every pulse time from 1 to 255; byte 20 never reaches a unit.
const unsigned char kTypicalRecord[BenchUnit::CONFIG_SIZE] = {0x05, 0x0A, 0x60, 0x02, 0x58, 0x02, 0x73,
                                                              0x61, 0x76, 0x65, 0x00, 0x00, 0x01, 0x01,
                                                              0x01, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x5A};

// A unit for the bench holding the typical record unless changed.
inline BenchUnit MakeUnit(const std::string& name, const std::string& type = "QX2250.10",
                          const std::string& serial = "00012345")
{
    BenchUnit unit;
    unit.strName = name;
    unit.strType = type;
    unit.strSerial = serial;
    memcpy(unit.abyConfig, kTypicalRecord, sizeof(kTypicalRecord));
    unit.defaultBlock = {0, 0, 0, 0, 0, 0, 0, 0, 0x72, 0, 0x9F, 0, 0, 0, 0, 7, 10};
    unit.byAnswerAddress = kTypicalRecord[0];
    unit.nAnswerBaud = kTypicalRecord[2] * 100;
    unit.byAnswerParity = kTypicalRecord[3];
    unit.byAnswerDelay = kTypicalRecord[1];
    return unit;
}

// Counts the calls in the bench's log that begin with prefix.
inline int CountCalls(const std::vector<std::string>& calls, const std::string& prefix)
{
    int count = 0;
    for (const std::string& call : calls)
        count += call.compare(0, prefix.size(), prefix) == 0;
    return count;
}

// A host window, the bench, an operator and a debug-output viewer, for any
// test that opens dialogs. Every test also checks that the operator did all
// it was told and nothing failed, that the tester was never called by two
// threads at once, and that no worker is left running.
class CDialogFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CBench::Get().Clear();
        m_hHost = ::CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
        m_debug.Clear();
        m_op.SetOnFailure([] { CBench::Get().HoldPolls(BENCH_HOLD_NONE); });
    }

    void TearDown() override
    {
        EXPECT_TRUE(m_op.Failures().empty()) << ::testing::PrintToString(m_op.Failures());
        EXPECT_TRUE(m_op.AllDone()) << "dialogs that never opened: " << ::testing::PrintToString(m_op.Pending());
        std::string overlap;
        EXPECT_EQ(0, CBench::Get().Overlaps(&overlap)) << overlap;
        EXPECT_EQ(0, CBench::Get().OtherCallersRunning()) << "a worker is still running";
        EXPECT_EQ(0, CBench::Get().PollsHeldTooLong()) << "a held poll was never released";
        CBench::Get().Clear();
        ::DestroyWindow(m_hHost);
    }

    HWND m_hHost = nullptr;
    CDebugOutput m_debug;
    COperator m_op{5000};
};

// The shipped module loaded as the host loads it, over CDialogFixture.
class CModuleFixture : public CDialogFixture
{
protected:
    void SetUp() override
    {
        CDialogFixture::SetUp();
        ASSERT_TRUE(m_module.Load("TestTAVO02.test")) << m_module.Error();
        m_pTest = m_module.Instance();
        m_hOwner = m_hHost;
    }

    void TearDown() override
    {
        if (m_pTest) {
            m_pTest->LanguageFileClose();
            m_pTest->SetLanguageFile(nullptr);
        }
        CDialogFixture::TearDown();
    }

    // Puts units on the bench and connects the first.
    void Bench(std::initializer_list<BenchUnit> units)
    {
        for (const BenchUnit& unit : units)
            CBench::Get().Put(unit);
        CBench::Get().Connect(units.begin()->strName);
    }

    BenchUnit Unit(const std::string& name) const
    {
        BenchUnit unit;
        EXPECT_TRUE(CBench::Get().FindUnit(name, &unit)) << "no unit " << name;
        return unit;
    }

    // What the operator is to do in each dialog, in the order they open; each
    // is owned by the window the host passed.
    void ExpectConfig(COperator::Action action) { ExpectOwned("the configuration dialog", IDC_WRITE_AND_TEST, action); }
    // The new-setting test; without an action its worker ends it, perhaps
    // before the operator's turn.
    void ExpectTest(COperator::Action action)
    {
        ExpectOwned("the new-setting test dialog", IDC_TEST_EXPLANATION, action);
    }
    void ExpectTest() { ExpectOwned("the new-setting test dialog", IDC_TEST_EXPLANATION, [](CDialogView&) {}, true); }
    void ExpectNext(COperator::Action action) { ExpectOwned("the next-unit dialog", IDC_CONFIRM_TEXT, action); }
    // The next-unit dialog: the unit next connected and OK, or Cancel when next is null.
    void ExpectNextUnit(const char* next)
    {
        ExpectNext([next](CDialogView& view) {
            if (next)
                CBench::Get().Connect(next);
            view.Click(next ? IDOK : IDCANCEL);
        });
    }
    // A configuration dialog: the address typed (unless null), the series box set, written.
    void ExpectWrite(const char* address, bool series)
    {
        ExpectConfig([address, series](CDialogView& view) {
            if (address)
                view.SetText(IDC_ADDRESS, address);
            view.SetChecked(IDC_SERIES, series);
            view.Click(IDC_WRITE_AND_TEST);
        });
    }
    void ExpectOwned(const std::string& name, int mark, COperator::Action action, bool mayEnd = false)
    {
        m_op.Expect(
            name, mark,
            [this, name, action](CDialogView& view) {
                EXPECT_EQ(m_hOwner, ::GetWindow(view.Handle(), GW_OWNER)) << name << " is owned by the host window";
                action(view);
            },
            mayEnd ? mark : 0);
    }
    // The test given up with its button after polls more polls; unless the
    // unit may answer first, an answer is a failure.
    static void GiveUp(CDialogView& test, int polls = 1, bool mayAnswer = false)
    {
        const int until = CBench::Get().PollCount() + polls;
        const auto polled = [until] { return CBench::Get().PollCount() >= until; };
        const auto cancel = [](CDialogView& polling) { polling.Click(IDCANCEL); };
        if (mayAnswer)
            test.WhenStillOpen(std::to_string(polls) + " polls", polled, cancel);
        else
            test.When(std::to_string(polls) + " polls", polled, cancel);
    }
    void ExpectTestGivenUp(int polls = 1)
    {
        ExpectTest([polls](CDialogView& test) { GiveUp(test, polls); });
    }

    // What a robot does in each kind of dialog, for runs where which dialog
    // opens next is the point under test; a message box is answered with No
    // where it has one, else OK, unless box says otherwise.
    struct DialogRoles
    {
        COperator::Action config, test, next, box;
    };
    // The next times dialogs, whichever opens, each served by its role; a
    // test dialog may be ended by its worker before its turn.
    static void ServeAny(COperator& op, int times, const DialogRoles& roles)
    {
        for (int i = 0; i < times; ++i) {
            op.Expect("any dialog", COperator::ANY_DIALOG, [roles](CDialogView& view) {
                const COperator::Action& role = view.Exists(IDC_WRITE_AND_TEST)      ? roles.config
                                                : view.Exists(IDC_TEST_EXPLANATION) ? roles.test
                                                : view.Exists(IDC_CONFIRM_TEXT)     ? roles.next
                                                                                    : roles.box;
                if (role)
                    role(view);
                else if (!view.Exists(IDC_TEST_EXPLANATION))
                    view.Click(view.Exists(IDNO) ? IDNO : IDOK);
            }, IDC_TEST_EXPLANATION);
        }
    }

    // The report lines of the series procedure.
    typedef std::vector<ReportLine> Lines;
    // The opening line of every pass: message 34 as the first text.
    ReportLine Opening() const { return ReportLine(TEST_REPORT_PROGRESS, Message(34), "(null)"); }
    ReportLine Line(int kind, unsigned int id) const { return ReportLine(kind, "(null)", Message(id)); }
    ReportLine Progress(unsigned int id) const { return Line(TEST_REPORT_PROGRESS, id); }
    ReportLine Failure(unsigned int id) const { return Line(TEST_REPORT_FAILURE, id); }
    ReportLine Success(unsigned int id) const { return Line(TEST_REPORT_SUCCESS, id); }
    // A unit configured (written unless said) and tested, detail its line of message 39.
    Lines Configured(const std::string& detail, bool written = true) const
    {
        Lines lines = {Progress(37), Success(31), Progress(38), ReportLine(TEST_REPORT_DETAIL, "(null)", detail),
                       Success(40)};
        if (!written)
            lines.erase(lines.begin() + 1);
        return lines;
    }
    // The same for the typical unit with serial at address (9600 Bd, even parity).
    Lines ConfiguredAt(const std::string& serial, int address, bool written = true) const
    {
        return Configured("configuration for " + serial + ": address " + std::to_string(address) +
                              "; 9600 Bd, parity sud\xE1 (EVEN)",
                          written);
    }
    // The report lines as expected, each for the host window with value 1.
    void ExpectReports(const Lines& expected)
    {
        EXPECT_EQ(expected, m_reports.Lines());
        for (const ReportLine& line : m_reports.Lines()) {
            EXPECT_EQ(m_hOwner, line.hWnd) << line;
            EXPECT_EQ(1, line.nValue) << line;
            EXPECT_EQ(0, line.wValue) << line;
        }
    }
    static Lines Join(std::initializer_list<Lines> parts)
    {
        Lines all;
        for (const Lines& part : parts)
            all.insert(all.end(), part.begin(), part.end());
        return all;
    }

    // A box captioned TAVO-01 with message's text and the icon named (IDI_...),
    // owned by owner when one is given, answered with the button answer. A
    // box with a No button is a Yes/No question whose default is No.
    void ExpectBox(unsigned int message, LPCSTR icon, int answer, HWND owner = nullptr)
    {
        const std::string text = Message(message);
        m_op.Expect("message box " + std::to_string(message), COperator::MESSAGE_BOX, [=](CDialogView& box) {
            EXPECT_EQ("TAVO-01", box.Title());
            EXPECT_EQ(text, box.MessageText());
            EXPECT_EQ(::LoadIconA(nullptr, icon), box.Icon()) << "message box " << message;
            EXPECT_TRUE(!owner || owner == ::GetWindow(box.Handle(), GW_OWNER)) << "message box " << message;
            if (box.Exists(IDNO)) {
                EXPECT_TRUE(box.Exists(IDYES)) << "message box " << message;
                EXPECT_EQ(IDNO, box.FocusId()) << "message box " << message << ": No is the default button";
            }
            box.Click(answer);
        });
    }

    std::string Message(unsigned int id) const { return m_pTest->GetMessageA(id); }
    // The configuration command as the host gives it, host value 7.
    int Configure(int checkMode = 0) { return m_pTest->ConfigureThermometer(m_hHost, 7, checkMode); }
    // Sets and opens a language file of the host's; answers LanguageFileOpen's
    // answer, 1 when the file is used.
    int UseLanguage(const std::string& path)
    {
        m_pTest->SetLanguageFile(path.c_str());
        return m_pTest->LanguageFileOpen();
    }

    CTestModule m_module;
    ITest* m_pTest = nullptr;
    HWND m_hOwner = nullptr;  // the host window the module's dialogs belong to
    CReportLog m_reports;
};
