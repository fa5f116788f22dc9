// Classes in this file: CReasonWatch, which tells whether the module gave a
// reason of its own for ending a configuration call, and HostReason, what
// the bench shows that may explain an end without one.
#pragma once

#include <string>

#include "TestBench.h"

class CReasonWatch
{
public:
    // Called with every report line of the call.
    void OnReport(const TEST_REPORT& report)
    {
        // Each pass opens with a progress line that has a first text.
        m_bReasonGiven = !(report.byKind == TEST_REPORT_PROGRESS && report.pszFirst);
    }
    // The call ended with result without success, and the module reported
    // nothing after the opening line of its last pass.
    bool Unexplained(int result) const { return result != 1 && !m_bReasonGiven; }

private:
    bool m_bReasonGiven = false;
};

// One line for a person: the module ended without a reason, and what the
// bench shows now (no unit connected, or the connected unit, its jumpers and
// the setting it answers on).
std::string HostReason();
