// Names in this file: CheckRule, one rule of a check's declared table (its
// stable id, a short title, what it needs), and JsonText, a text as a JSON
// string, for the verdicts the checks give to machines.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

struct CheckRule
{
    const char* pszId;
    const char* pszTitle;
    const char* pszNeeds;
};

// The file a check read: its size and SHA-256, which head every verdict.
struct FileIdentity
{
    std::string strSha256;
    size_t nSize = 0;
};

// text (UTF-8) as a quoted JSON string.
inline std::string JsonText(const std::string& text)
{
    std::string json = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            json += '\\';
            json += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            snprintf(escaped, sizeof(escaped), "\\u%04x", c);
            json += escaped;
        } else {
            json += static_cast<char>(c);
        }
    }
    return json + "\"";
}
