// Functions in this file: ProbeModule, the platform's verdict on a module:
// tavoprobe, the probe of the module's bitness beside this program, loads
// and uses it as the host does in a process of its own.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ModuleCheck.h"

// How long the probe may take before its process is killed, in milliseconds.
const DWORD kProbeTimeLimit = 30000;

// Runs the probe on path (its libraries from libraries when not empty; the
// stack cookie at cookieRva when not 0) and adds one line for each step it
// took, with the rule the step answers; a step that crashed, hung or ended the
// probe is a finding. The probe that cannot be had or started adds a note.
// Answers whether the probe ran.
bool ProbeModule(const std::string& path, const std::string& libraries, bool pe32, DWORD cookieRva,
                 std::vector<ModuleCheckLine>* lines);
