// AnsiToUtf8 and Utf8ToAnsi, through UTF-16; PrintText.
#include "CodePage.h"

#include <windows.h>

#include <io.h>

#include <cstdarg>
#include <vector>

namespace {

std::wstring Widen(const std::string& text, UINT from)
{
    const int length = ::MultiByteToWideChar(from, 0, text.c_str(), -1, nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring wide(length, L'\0');
    ::MultiByteToWideChar(from, 0, text.c_str(), -1, &wide[0], length);
    wide.resize(length - 1);
    return wide;
}

std::string Convert(const std::string& text, UINT from, UINT to)
{
    const std::wstring wide = Widen(text, from);
    if (wide.empty())
        return text;
    const int length = ::WideCharToMultiByte(to, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return text;
    std::string converted(length, '\0');
    ::WideCharToMultiByte(to, 0, wide.c_str(), -1, &converted[0], length, nullptr, nullptr);
    converted.resize(length - 1);
    return converted;
}

}  // namespace

std::string AnsiToUtf8(const std::string& ansi)
{
    return Convert(ansi, CP_ACP, CP_UTF8);
}

std::wstring WideFromAnsi(const std::string& ansi)
{
    return Widen(ansi, CP_ACP);
}

std::string Utf8ToAnsi(const std::string& utf8)
{
    return Convert(utf8, CP_UTF8, CP_ACP);
}

void PrintText(FILE* stream, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::vector<char> text(length > 0 ? length + 1 : 1, '\0');
    if (length > 0)
        vsnprintf(text.data(), text.size(), format, again);
    va_end(again);

    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode)) {
        const std::wstring wide = Widen(text.data(), CP_UTF8);
        fflush(stream);  // what went out through the stream before comes first
        DWORD written = 0;
        ::WriteConsoleW(handle, wide.c_str(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    fputs(text.data(), stream);
    fflush(stream);
}
