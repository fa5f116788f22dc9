// Classes in this file: CLanguageFile, the host's language file read through
// MSXML 6, with the tag cursor the text lookups walk.
#pragma once

#include <windows.h>

#include <set>
#include <string>

struct IXMLDOMDocument2;
struct IXMLDOMNode;

class CLanguageFile
{
public:
    // Cursor moves of GetTag.
    enum : unsigned long
    {
        TAG_ROOT = 1,         // the root element, if it has that name
        TAG_FIRST_CHILD = 16, // the first child element of that name
        TAG_NEXT = 256,       // the next element of that name at the same level
    };

    CLanguageFile();
    ~CLanguageFile();
    CLanguageFile(const CLanguageFile&) = delete;
    CLanguageFile& operator=(const CLanguageFile&) = delete;

    // Parses path. A file that is missing, not well-formed XML, has a DTD or
    // another root than TesterLanguage is not opened; Error() says why.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_pDocument != nullptr; }
    const std::string& Error() const { return m_strError; }

    // Moves the cursor; 1 when an element was found. A failed move leaves the
    // cursor nowhere, so every later move fails until the next TAG_ROOT.
    int GetTag(unsigned long flags, const char* name);
    // The attribute of the cursor's element in the ANSI code page, or null.
    // The text stays valid until the file is closed.
    const char* GetAttribute(const char* name);
    const char* GetTagName();

private:
    IXMLDOMNode* FindElement(IXMLDOMNode* first, const char* name) const;
    void SetCurrent(IXMLDOMNode* node);
    const char* Keep(const wchar_t* text, int length);

    IXMLDOMDocument2* m_pDocument;
    IXMLDOMNode* m_pCurrent;
    bool m_bComStarted;
    std::string m_strError;
    std::set<std::string> m_texts;  // every text handed out, one copy each
};
