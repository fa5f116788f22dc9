// Functions in this file: conversions between the module's 8-bit texts (the
// ANSI code page) and the UTF-8 of scripts, terminals and log files, and the
// UTF-16 of Windows' wide functions.
#pragma once

#include <string>

std::string AnsiToUtf8(const std::string& ansi);
std::string Utf8ToAnsi(const std::string& utf8);
std::wstring WideFromAnsi(const std::string& ansi);
