// Classes in this file: CReportLog (records the host report lines) and
// CModuleFixture (the module loaded as the host loads it, a bench of
// simulated units, an operator and a host window), shared by the suites that
// drive the module's dialogs.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "Bench.h"
#include "Operator.h"
#include "TestModule.h"
#include "TestTAVO02.h"

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
    CReportLog() { HostFrameSetReportSink(&CReportLog::Receive, this); }
    ~CReportLog() { HostFrameSetReportSink(nullptr, nullptr); }
    CReportLog(const CReportLog&) = delete;
    CReportLog& operator=(const CReportLog&) = delete;

    const std::vector<ReportLine>& Lines() const { return m_lines; }
    void Clear() { std::vector<ReportLine>().swap(m_lines); }

private:
    static void CALLBACK Receive(void* context, const TEST_REPORT* report)
    {
        auto* log = static_cast<CReportLog*>(context);
        log->m_lines.emplace_back(report->byKind, report->pszFirst ? report->pszFirst : "(null)",
                                  report->pszSecond ? report->pszSecond : "(null)", report->hWnd, report->nValue,
                                  report->wValue);
    }

    std::vector<ReportLine> m_lines;
};

// The threads of this process.
inline int ProcessThreadCount()
{
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry;
    memset(&entry, 0, sizeof(entry));
    entry.dwSize = sizeof(entry);
    int threads = 0;
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
        threads += entry.th32OwnerProcessID == ::GetCurrentProcessId();
    ::CloseHandle(snapshot);
    return threads;
}

// A unit for the bench: the worked example's configuration unless changed.
inline BenchUnit MakeUnit(const std::string& name, const std::string& type = "QX2250.10",
                          const std::string& serial = "00012345")
{
    BenchUnit unit;
    unit.strName = name;
    unit.strType = type;
    unit.strSerial = serial;
    const unsigned char config[BenchUnit::CONFIG_SIZE] = {0x05, 0x0A, 0x60, 0x02, 0x58, 0x02, 0x73,
                                                          0x61, 0x76, 0x65, 0x00, 0x00, 0x01, 0x01,
                                                          0x01, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x5A};
    memcpy(unit.abyConfig, config, sizeof(config));
    unit.defaultBlock = {0, 0, 0, 0, 0, 0, 0, 0, 0x72, 0, 0x9F, 0, 0, 0, 0, 7, 10};
    unit.byAnswerAddress = config[0];
    unit.nAnswerBaud = config[2] * 100;
    unit.byAnswerParity = config[3];
    unit.byAnswerDelay = config[1];
    return unit;
}

class CModuleFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_module.Load("TestTAVO02.test")) << m_module.Error();
        m_pOwner = static_cast<CTestTAVO02*>(m_module.Instance());
        m_hHost = ::CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
        CBench::Get().Clear();
        MyClearInvariantReports();
    }

    void TearDown() override
    {
        EXPECT_TRUE(m_op.Failures().empty()) << ::testing::PrintToString(m_op.Failures());
        EXPECT_TRUE(m_op.AllDone()) << "dialogs that never opened: " << ::testing::PrintToString(m_op.Pending());
        CBench::Get().Clear();
        m_pOwner->LanguageFileClose();
        m_pOwner->SetLanguageFile(nullptr);
        ::DestroyWindow(m_hHost);
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
        for (const BenchUnit& unit : CBench::Get().Units()) {
            if (unit.strName == name)
                return unit;
        }
        ADD_FAILURE() << "no unit " << name;
        return BenchUnit();
    }

    std::string Message(unsigned int id) const { return m_pOwner->GetMessageA(id); }

    CTestModule m_module;
    CTestTAVO02* m_pOwner = nullptr;
    HWND m_hHost = nullptr;
    CReportLog m_reports;
    COperator m_op{5000};
};
