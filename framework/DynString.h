// Classes in this file: CDynString, the window library's growable 8-bit text.
#pragma once

#include "MyWindowApi.h"

// An 8-bit text that owns its buffer. The text pointer stays null until a text is
// set, and a null text handed to InitBuffer keeps it null.
class MYWINDOW_API CDynString
{
public:
    CDynString();
    ~CDynString();
    CDynString(const CDynString&) = delete;
    CDynString& operator=(const CDynString&) = delete;

    // Sets a copy of text; a null text leaves the string null.
    void InitBuffer(const char* text);
    // Sets at most maxLength characters of text (fewer when a NUL comes first).
    void SetString(const char* text, int maxLength);
    // printf-style formatting into the string.
    void Format(const char* format, ...);
    // Replaces the first occurrence of find (all of them when all is non-zero);
    // answers the number of replacements.
    int Replace(const char* find, const char* replacement, int all);
    // Strips leading and trailing blanks (spaces, tabs, line ends).
    void Trim();

    const char* GetString() const;
    operator const char*() const;
    int GetLength() const;

private:
    void Assign(const char* text, int length);

    char* m_pszText;
    int m_nLength;
};
