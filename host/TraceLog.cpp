// CTraceLog: one CSV row per unit configured, appended and flushed per row.
#include "TraceLog.h"

#include <windows.h>

#include <cstdio>

#include "Bench.h"
#include "FileDoor.h"
#include "TextConvert.h"
#include "TextIds.h"

namespace {

const char kHeader[] = "date and time,serial,type,address,baud rate,parity,answer delay,timeout,result\r\n";

std::string Field(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos && text == text.c_str())
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        if (c != '\0')
            quoted += c;
    }
    return quoted + "\"";
}

std::string Now()
{
    SYSTEMTIME time;
    ::GetLocalTime(&time);
    char text[32];
    snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u", time.wYear, time.wMonth, time.wDay, time.wHour,
             time.wMinute, time.wSecond);
    return text;
}

}  // namespace

CTraceLog::CTraceLog(const std::string& path, ITest* module)
    : m_strPath(path),
      m_strConfigured(module->GetMessageA(MSG_FINISHED)),
      m_strTestFailed(module->GetMessageA(MSG_TEST_FAILED)),
      m_strWriteFailed(module->GetMessageA(MSG_WRITE_FAILED_REPORT))
{
}

void CTraceLog::OnReport(const TEST_REPORT& report)
{
    if (report.pszFirst || !report.pszSecond)
        return;
    if (report.byKind == TEST_REPORT_SUCCESS && m_strConfigured == report.pszSecond)
        AddRow("configured");
    else if (report.byKind == TEST_REPORT_FAILURE && m_strTestFailed == report.pszSecond)
        AddRow("new setting test failed");
    else if (report.byKind == TEST_REPORT_FAILURE && m_strWriteFailed == report.pszSecond)
        AddRow("EEPROM write failed");
}

// The connected unit as the bench holds it now, right after its write or test.
void CTraceLog::AddRow(const char* result)
{
    BenchUnit unit;
    if (CBench::Get().ConnectedUnit(&unit)) {
        const unsigned char* config = unit.abyConfig;
        const char* parity = ParityName(config[3], nullptr);
        const std::string row = Field(Now()) + "," + Field(unit.strSerial) + "," + Field(AnsiToUtf8(unit.strType)) +
                                "," + std::to_string(config[0]) + "," + std::to_string(config[2] * 100) + "," +
                                (parity ? parity : std::to_string(config[3])) + "," +
                                std::to_string(config[1]) + "," + std::to_string(config[4] | config[5] << 8) + "," +
                                result + "\r\n";
        m_pending.push_back(row);
    }
    Flush();
}

bool CTraceLog::Flush()
{
    while (!m_pending.empty()) {
        if (!Append(m_pending.front())) {
            PrintText(stderr, "tavohost: the log is not written: %s; %zu row(s) kept for later\n",
                      m_strError.c_str(), m_pending.size());
            return false;
        }
        m_pending.erase(m_pending.begin());
    }
    return true;
}

// Appends one whole row (and the header to a new file), written through at once.
bool CTraceLog::Append(const std::string& row)
{
    return AppendToFile(m_strPath, kHeader, row, &m_strError);
}
