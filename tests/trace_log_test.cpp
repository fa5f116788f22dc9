// The host's traceability log: one CSV row per unit configured, appended,
// never lost when another program holds the file.
#include <gtest/gtest.h>

#include "ModuleFixture.h"
#include "TempFile.h"
#include "TraceLog.h"

namespace {

class TraceLogTest : public CModuleFixture
{
protected:
    void Report(unsigned char kind, unsigned int message)
    {
        const TEST_REPORT report = {nullptr, nullptr, m_pTest->GetMessageA(message), 1, kind, 0};
        m_log->OnReport(report);
    }

    void SetUp() override
    {
        CModuleFixture::SetUp();
        BenchUnit unit = MakeUnit("A", "QX2250.10", "00012345");
        Bench({unit});
        m_log.reset(new CTraceLog(m_file.Path(), m_pTest));
    }

    CTempFile m_file{"trace.csv", "date and time,serial,type,address,baud rate,parity,answer delay,timeout,result\r\n"
                                  "2026-01-01 08:00:00,00000007,QX2210.00,7,2400,none,0,0,configured\r\n"};
    std::unique_ptr<CTraceLog> m_log;
};

TEST_F(TraceLogTest, AppendsOneRowPerUnitAndKeepsEarlierRows)
{
    Report(TEST_REPORT_PROGRESS, 37);  // progress lines make no row
    Report(TEST_REPORT_SUCCESS, 31);
    Report(TEST_REPORT_SUCCESS, 40);
    Report(TEST_REPORT_FAILURE, 42);
    Report(TEST_REPORT_FAILURE, 32);
    const std::string text = FileBytes(m_file.Path());
    EXPECT_EQ(0u, text.find("date and time,serial,type,address,baud rate,parity,answer delay,timeout,result\r\n"
                            "2026-01-01 08:00:00,00000007,QX2210.00,7,2400,none,0,0,configured\r\n"))
        << "the earlier rows stay as they were";
    EXPECT_NE(std::string::npos, text.find(",00012345,QX2250.10,5,9600,even,10,600,configured\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find(",00012345,QX2250.10,5,9600,even,10,600,new setting test failed\r\n"));
    EXPECT_NE(std::string::npos, text.find(",00012345,QX2250.10,5,9600,even,10,600,EEPROM write failed\r\n"));
    EXPECT_EQ(5, std::count(text.begin(), text.end(), '\n')) << "header, the earlier row and three new ones";
}

TEST_F(TraceLogTest, LockedFileKeepsTheRowForLater)
{
    HANDLE lock = ::CreateFileA(m_file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    Report(TEST_REPORT_SUCCESS, 40);
    EXPECT_FALSE(m_log->Flush()) << "the row could not be written yet";
    ::CloseHandle(lock);
    EXPECT_TRUE(m_log->Flush());
    EXPECT_NE(std::string::npos,
              FileBytes(m_file.Path()).find(",00012345,QX2250.10,5,9600,even,10,600,configured\r\n"));
}

TEST_F(TraceLogTest, FieldsWithCommasAreQuoted)
{
    BenchUnit unit = MakeUnit("A", "QX,\"2250\"", "0001,2");
    CBench::Get().Put(unit);
    Report(TEST_REPORT_SUCCESS, 40);
    EXPECT_NE(std::string::npos, FileBytes(m_file.Path()).find(",\"0001,2\",\"QX,\"\"2250\"\"\",5,"));
}

TEST_F(TraceLogTest, TranslatedReportsAreRecognised)
{
    ASSERT_EQ(1, UseLanguage("lang\\cs.xml")) << BenchLanguageError();
    m_log.reset(new CTraceLog(m_file.Path(), m_pTest));
    Report(TEST_REPORT_SUCCESS, 40);
    EXPECT_NE(std::string::npos, FileBytes(m_file.Path()).find(",configured\r\n"));
}

}  // namespace
