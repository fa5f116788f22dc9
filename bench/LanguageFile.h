// Classes in this file: CLanguageFile, the host's language file read through
// MSXML 6 into a tree of its own, with the tag cursor the text lookups walk.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct IXMLDOMNode;

class CLanguageFile
{
public:
    // Parses path. A file that is missing, not well-formed XML, has a DTD or
    // another root than TesterLanguage is not opened; error says why. The
    // whole document is copied, so MSXML and COM are let go before Open
    // returns: the file holds no COM object that a later thread, or the
    // library's unloading, would have to release.
    bool Open(const std::string& path, std::string* error);

    // Moves the cursor (flags as in TestBench.h); 1 when an element was found.
    int GetTag(unsigned long flags, const char* name);
    // The attribute of the cursor's element in the ANSI code page, or null.
    const char* GetAttribute(const char* name) const;
    const char* GetTagName() const;

private:
    struct Element
    {
        std::string strName;
        std::vector<std::pair<std::string, std::string>> attributes;
        int nFirstChild = -1;   // element children only
        int nNextSibling = -1;
    };

    bool Copy(IXMLDOMNode* node, int depth, std::string* error);
    int FindSibling(int first, const char* name) const;

    std::vector<Element> m_elements;  // the root first
    int m_nCurrent = -1;
};
