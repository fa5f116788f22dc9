// Functions in this file: the localizer's check of a language file.
#pragma once

#include <string>
#include <vector>

struct LanguageFinding
{
    int nLine;          // 0 when the finding is about the file as a whole
    std::string strText;
};

// Checks a language file against the texts the module shows: IDs that do not
// read as decimal, repeated IDs whose later entries are never used, items
// without a text, module texts left untranslated and a message 39 whose
// placeholders are not two "%s" and two "%d". Answers false (with error) when
// the file cannot be read as XML at all.
bool CheckLanguageFile(const std::string& path, std::vector<LanguageFinding>* findings, std::string* error);
