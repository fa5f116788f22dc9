// CDynString: the window library's growable 8-bit text.
#include "DynString.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

CDynString::CDynString() : m_pszText(nullptr), m_nLength(0) {}

CDynString::~CDynString()
{
    free(m_pszText);
}

// Replaces the content with length characters of text (text may point into
// the old buffer); a null text makes the string null.
void CDynString::Assign(const char* text, int length)
{
    char* copy = nullptr;
    if (text) {
        copy = static_cast<char*>(malloc(length + 1));
        if (!copy)
            return;  // out of memory: the old text stays
        memcpy(copy, text, length);
        copy[length] = '\0';
    }
    free(m_pszText);
    m_pszText = copy;
    m_nLength = text ? length : 0;
}

const char* CDynString::GetString() const
{
    return m_pszText;
}

CDynString::operator const char*() const
{
    return m_pszText;
}

int CDynString::GetLength() const
{
    return m_nLength;
}

void CDynString::InitBuffer(const char* text)
{
    Assign(text, text ? static_cast<int>(strlen(text)) : 0);
}

void CDynString::SetString(const char* text, int maxLength)
{
    int length = 0;
    if (text) {
        while (length < maxLength && text[length] != '\0')
            ++length;
    }
    Assign(text, length);
}

void CDynString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length >= 0) {
        char* text = static_cast<char*>(malloc(length + 1));
        if (text) {
            vsnprintf(text, length + 1, format, args);
            free(m_pszText);
            m_pszText = text;
            m_nLength = length;
        }
    }
    va_end(args);
}

int CDynString::Replace(const char* find, const char* replacement, int all)
{
    if (!m_pszText || !find || !*find)
        return 0;
    if (!replacement)
        replacement = "";
    const size_t findLength = strlen(find);
    const size_t replacementLength = strlen(replacement);

    int count = 0;
    size_t from = 0;
    while (const char* hit = strstr(m_pszText + from, find)) {
        const size_t at = hit - m_pszText;
        const size_t newLength = m_nLength - findLength + replacementLength;
        char* text = static_cast<char*>(malloc(newLength + 1));
        if (!text)
            break;
        memcpy(text, m_pszText, at);
        memcpy(text + at, replacement, replacementLength);
        memcpy(text + at + replacementLength, hit + findLength, m_nLength - at - findLength + 1);
        free(m_pszText);
        m_pszText = text;
        m_nLength = static_cast<int>(newLength);
        ++count;
        // Go on behind the inserted text, so a replacement that contains the
        // pattern is not replaced again.
        from = at + replacementLength;
        if (!all)
            break;
    }
    return count;
}

void CDynString::Trim()
{
    if (!m_pszText)
        return;
    int begin = 0;
    int end = m_nLength;
    while (begin < end && IsBlank(m_pszText[begin]))
        ++begin;
    while (end > begin && IsBlank(m_pszText[end - 1]))
        --end;
    memmove(m_pszText, m_pszText + begin, end - begin);
    m_pszText[end - begin] = '\0';
    m_nLength = end - begin;
}
