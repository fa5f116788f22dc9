// Names in this file: kLanguageRules, the rules check-lang holds a language
// file to, in the order they run. The ids are stable: scripts name them.
#pragma once

#include "CheckRule.h"

const CheckRule kLanguageRules[] = {
    {"LA201", "usable", "bytes valid in the declared encoding, well-formed XML, the root TesterLanguage"},
    {"LA202", "IDs", "every ID a decimal number as the module reads it"},
    {"LA203", "first of its ID", "no item after the first of its ID, which the module never reads"},
    {"LA204", "text", "a text attribute on every item"},
    {"LA205", "translated", "every message, title and caption the module shows"},
    {"LA206", "names", "the module's element names without a prefix"},
    {"LA207", "placeholders", "message 39's two %s and two %d, and no '%' sequence the module does not fill"},
    {"LA208", "code page", "every character one the line's code page holds"},
    {"LA209", "saved as declared", "no UTF-8 letters in a file declared in an 8-bit code page"},
    {"LA210", "captions fit", "each title and caption within its control on this PC's fonts (a note)"},
};
