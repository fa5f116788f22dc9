// Classes in this file: CTraceLog, the production line's proof of what was
// written to which unit: one CSV row per unit configured, appended to a file.
#pragma once

#include <string>
#include <vector>

#include "TestBench.h"
#include "TestInterface.h"

class CTraceLog
{
public:
    // Rows go to path; texts of the module's report lines are recognised by
    // asking module for its messages (so a translation is understood too).
    CTraceLog(const std::string& path, ITest* module);

    // Called for every host report line while the configuration runs.
    void OnReport(const TEST_REPORT& report);
    // Writes rows a locked file kept back; answers false when some are still
    // unwritten.
    bool Flush();
    const std::vector<std::string>& Pending() const { return m_pending; }

private:
    void AddRow(const char* result);
    bool Append(const std::string& row);

    std::string m_strPath, m_strError;
    std::string m_strConfigured, m_strTestFailed, m_strWriteFailed;
    std::vector<std::string> m_pending;
};
