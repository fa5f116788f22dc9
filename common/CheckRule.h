// Names in this file: CheckRule, one rule of a check's declared table (its
// stable id, a short title, what it needs), FindRule, and JsonText, a text as
// a JSON string, for the verdicts the checks give to machines.
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

// The rule of a table with the id, or null when it has none.
inline const CheckRule* FindRule(const CheckRule* rules, size_t count, const char* id)
{
    for (size_t i = 0; id && i < count; ++i) {
        if (std::string(rules[i].pszId) == id)
            return &rules[i];
    }
    return nullptr;
}

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
