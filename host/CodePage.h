// Functions in this file: conversions between the module's 8-bit texts (the
// ANSI code page) and the UTF-8 of scripts, terminals and log files, and the
// UTF-16 of Windows' wide functions; PrintText, which writes UTF-8 text
// right on a console of any code page.
#pragma once

#include <cstdio>
#include <string>

std::string AnsiToUtf8(const std::string& ansi);
std::string Utf8ToAnsi(const std::string& utf8);
std::wstring WideFromAnsi(const std::string& ansi);

// Writes the UTF-8 text that format makes to stream: as wide characters when
// the stream is a console, so a Czech console on code page 852 shows the same
// letters; as UTF-8 bytes when it goes to a file or a pipe.
void PrintText(FILE* stream, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
