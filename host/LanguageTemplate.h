// Functions in this file: WriteLanguageTemplate, the localizer's start: a
// language file that names every text the module shows.
#pragma once

#include <string>

class CTestModule;

// Writes to path, whole or not at all, a language file holding every
// message, dialog title and control caption the module looks up, each with
// the text the module gives now (its built-in one, or the language file it
// was given), and beside each a comment saying where it is shown (the
// dialog, the control's kind and size from the module's own templates) and
// what the module fills in it. UTF-8 with its declaration and Windows line
// ends, so Notepad shows it right. False, with error, when it cannot be
// written.
bool WriteLanguageTemplate(const CTestModule& module, const std::string& path, std::string* error);
