// Widen, Narrow, AnsiPath, SystemMessage and PrintText.
#include "TextConvert.h"

#include <io.h>

#include <cstdarg>
#include <climits>
#include <vector>

std::wstring Widen(const std::string& text, UINT from)
{
    if (text.empty() || text.size() > INT_MAX)
        return std::wstring();
    const int size = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(from, 0, text.data(), size, nullptr, 0);
    std::wstring wide(length > 0 ? length : 0, L'\0');
    if (length > 0)
        ::MultiByteToWideChar(from, 0, text.data(), size, &wide[0], length);
    return wide;
}

std::string Narrow(const wchar_t* text, size_t length, UINT to)
{
    if (!text || !length || length > INT_MAX)
        return std::string();
    const int count = static_cast<int>(length);
    const int size = ::WideCharToMultiByte(to, 0, text, count, nullptr, 0, nullptr, nullptr);
    std::string narrow(size > 0 ? size : 0, '\0');
    if (size > 0)
        ::WideCharToMultiByte(to, 0, text, count, &narrow[0], size, nullptr, nullptr);
    return narrow;
}

std::string AnsiPath(const std::string& path)
{
    const std::wstring wide = Widen(path);
    BOOL lost = FALSE;
    const int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, nullptr, 0, nullptr,
                                             &lost);
    if (length > 0 && !lost)
        return Narrow(wide, CP_ACP);
    wchar_t shortPath[MAX_PATH];
    const DWORD shortLength = ::GetShortPathNameW(wide.c_str(), shortPath, MAX_PATH);
    if (shortLength == 0 || shortLength >= MAX_PATH)
        return std::string();
    const std::string ansi = Narrow(shortPath, shortLength, CP_ACP);
    return Widen(ansi, CP_ACP) == std::wstring(shortPath, shortLength) ? ansi : std::string();
}

std::string SystemMessage(DWORD error)
{
    wchar_t text[512] = L"";
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                          0, text, sizeof(text) / sizeof(text[0]), nullptr);
    std::string message = Narrow(text, static_cast<size_t>(length));
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return (message.empty() ? "unknown error" : message) + " (error " + std::to_string(error) + ")";
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
        const std::wstring wide = Widen(text.data());
        fflush(stream);  // what went out through the stream before comes first
        DWORD written = 0;
        ::WriteConsoleW(handle, wide.c_str(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    fputs(text.data(), stream);
    fflush(stream);
}
