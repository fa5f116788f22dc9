// Functions in this file: the localizer's check of a language file.
#pragma once

#include <string>
#include <vector>

#include "CheckRule.h"

struct LanguageFinding
{
    const char* pszRule;  // its rule of kLanguageRules (LanguageRules.h)
    int nLine;            // 0 when the finding is about the file as a whole
    std::string strText;
    bool bUnusable = false;  // the module's reading refuses the whole file for it
    bool bNote = false;      // said, but no fault of the file: a caption cut on this PC's fonts
};

struct LanguageCaption;

// Checks a language file against the texts the module shows: IDs that do not
// read as decimal, repeated IDs whose later entries are never used, items
// without a text and module texts left untranslated. A file the module's reading
// refuses whole (bytes invalid in its encoding, XML not well-formed, another
// root) is one finding, with its line. Answers false (with error) only when
// no byte of the file could be read.
// Each text is held against codePage, the module's 8-bit code page (1250 on
// the line): a character it has no place for is a finding, and so are bytes
// of a file declared in an 8-bit code page that read as UTF-8 letters.
// Every '%' sequence the module does not fill is a finding, and so is a
// message 39 without its two "%s" and two "%d", each saying what the report
// line will not show.
// captions, when given, gets every dialog title and control caption the
// module reads of the file.
bool CheckLanguageFile(const std::string& path, unsigned int codePage, std::vector<LanguageFinding>* findings,
                       std::string* error, std::vector<LanguageCaption>* captions = nullptr,
                       FileIdentity* identity = nullptr);
