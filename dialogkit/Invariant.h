// Functions in this file: ReportInvariant, the module's report of a broken
// invariant.
#pragma once

// Writes one line naming the condition, the source base name and the line
// fixed for the reporting site to the debugger output, as
// "Invariant failed: 0 (DlgConfig, line 74)". It never ends the process and
// may be called from any thread.
void ReportInvariant(const char* condition, const char* source, int line);
