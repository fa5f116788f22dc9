// Functions in this file: the localizer's check of a language file.
#pragma once

#include <string>
#include <vector>

struct LanguageFinding
{
    int nLine;          // 0 when the finding is about the file as a whole
    std::string strText;
    bool bUnusable = false;  // the module's reading refuses the whole file for it
};

// Checks a language file against the texts the module shows: IDs that do not
// read as decimal, repeated IDs whose later entries are never used, items
// without a text, module texts left untranslated and a message 39 whose
// placeholders are not two "%s" and two "%d". A file the module's reading
// refuses whole (bytes invalid in its encoding, XML not well-formed, another
// root) is one finding, with its line. Answers false (with error) only when
// no byte of the file could be read.
bool CheckLanguageFile(const std::string& path, std::vector<LanguageFinding>* findings, std::string* error);
