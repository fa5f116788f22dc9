// Functions in this file: AnswerColoredText, the module's one answer to a
// coloured text control asking its dialog for colours.
#pragma once

#include <string.h>

#include "MyDialog.h"

// Fills param for the dialog's own coloured line ownId: the three colour
// bytes, then the 32-bit value 1 (bold); a record of another control stays
// as it is. A null record answers 0, everything else 1.
inline int AnswerColoredText(UINT controlId, _MY_COLORED_TEXT_STRUCT* param, UINT ownId, BYTE red, BYTE green,
                             BYTE blue)
{
    if (!param)
        return 0;
    if (controlId == ownId) {
        // Written by position: the window library fixes the packed record's
        // layout, not its members' names, which the field's header may spell
        // otherwise.
        BYTE* bytes = reinterpret_cast<BYTE*>(param);
        const DWORD bold = 1;
        bytes[0] = red;
        bytes[1] = green;
        bytes[2] = blue;
        memcpy(bytes + 3, &bold, sizeof(bold));
    }
    return 1;
}
