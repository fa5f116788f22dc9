// Functions in this file: the one conversion between the texts of the host
// side: UTF-8 inside (paths, scripts, terminals, log files), UTF-16 at every
// wide Windows call, and the module's 8-bit texts in the ANSI code page;
// SystemMessage, a Win32 error in words; PrintText, which writes UTF-8 text right on a console of any code page.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

// text, in code page from, as UTF-16; an empty text for an empty one.
std::wstring Widen(const std::string& text, UINT from = CP_UTF8);
// length characters of UTF-16 text (none for a null text) in code page to.
std::string Narrow(const wchar_t* text, size_t length, UINT to = CP_UTF8);
inline std::string Narrow(const std::wstring& text, UINT to = CP_UTF8)
{
    return Narrow(text.data(), text.size(), to);
}

inline std::string AnsiToUtf8(const std::string& ansi)
{
    return Narrow(Widen(ansi, CP_ACP));
}
inline std::string Utf8ToAnsi(const std::string& utf8)
{
    return Narrow(Widen(utf8), CP_ACP);
}

// path (UTF-8) as an 8-bit interface such as the module's can carry it: in
// the ANSI code page, or, where a letter of it has no place there, as the
// short name Windows keeps for it (empty when there is none).
std::string AnsiPath(const std::string& path);

// The platform's own words for a Win32 error, in UTF-8, with its number:
// "Access denied. (error 5)".
std::string SystemMessage(DWORD error);

// Writes the UTF-8 text that format makes to stream: as wide characters when
// the stream is a console, so a Czech console on code page 852 shows the same
// letters; as UTF-8 bytes when it goes to a file or a pipe.
void PrintText(FILE* stream, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
