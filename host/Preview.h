// Functions in this file: SavePreview, the pictures of every dialog and
// message box the module shows, in the language it has been given, without a
// bench file or an operator script: the bench's built-in units and the steps a
// person would take are the host's own.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "TestInterface.h"

// Runs the configuration command once for each picture set and saves each
// dialog and message box the moment it is ready as FOLDER\NAME.png (NAME as
// TAVO-02-config or message-21); said receives one line per picture written.
// Answers the faults: a dialog that did not open as the steps expect, a
// picture not taken or not written.
std::vector<std::string> SavePreview(ITest* tester, const std::string& folder,
                                     const std::function<void(const std::string&)>& said);
