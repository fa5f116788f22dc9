// Functions in this file: the small text helpers the host-side tools share:
// Trimmed (blanks off both ends), Hex, HexNumber and HexBytes (a number or
// bytes in hexadecimal).
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// text without the blanks, tabs and carriage returns around it.
inline std::string Trimmed(const std::string& text)
{
    const size_t begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos)
        return std::string();
    return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

// value in upper-case hexadecimal, at least digits long: Hex(0x2A, 4) is "002A".
inline std::string Hex(unsigned long long value, int digits = 0)
{
    char text[24];
    snprintf(text, sizeof(text), "%0*llX", digits, value);
    return text;
}

// value as C writes it in hexadecimal: HexNumber(42) is "0x2A".
inline std::string HexNumber(unsigned long long value)
{
    return "0x" + Hex(value);
}

// count bytes as pairs of hexadecimal digits with a blank between: "05 0A 60".
inline std::string HexBytes(const unsigned char* bytes, size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += (i ? " " : "") + Hex(bytes[i], 2);
    return text;
}
