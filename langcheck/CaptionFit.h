// Functions in this file: MeasureCaptions, each dialog title and control
// caption of a language file measured in the module's own dialog, created
// hidden from its template, on the fonts of this PC.
#pragma once

#include <string>
#include <vector>

#include "LanguageCheck.h"

// One caption as the module takes it from the file.
struct LanguageCaption
{
    unsigned int nDialog;
    unsigned int nControl;  // 0: the dialog's title
    std::string strText;    // UTF-8
    int nLine;
};

// Creates each of the module's dialogs hidden from its template (the module
// loaded as resources alone: none of its code runs) and measures each
// caption in the dialog's own font and in its control's size as the dialog
// manager lays it out: a check box's box, a push button's border, a label's
// word wrapping within its height, the title bar's close box. A caption the
// control cuts is a note naming the control, its size and the size the text
// needs, and the face this PC draws the dialog's font in. False, with error,
// when the module cannot be read or holds none of the dialogs the captions
// belong to.
bool MeasureCaptions(const std::string& modulePath, const std::vector<LanguageCaption>& captions,
                     std::vector<LanguageFinding>* notes, std::string* error);
