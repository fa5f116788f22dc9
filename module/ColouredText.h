// Functions in this file: AnswerTextColour, the module's one answer to a
// coloured text control asking its dialog for colours.
#pragma once

#include "MyDialog.h"

// Fills param for the dialog's own coloured line ownId (red, green, blue,
// drawn bold); a record of another control stays as it is. A null record
// answers 0, everything else 1.
inline int AnswerTextColour(UINT controlId, _MY_COLORED_TEXT_STRUCT* param, UINT ownId, BYTE red, BYTE green,
                            BYTE blue)
{
    if (!param)
        return 0;
    if (controlId == ownId) {
        param->byColor[0] = red;
        param->byColor[1] = green;
        param->byColor[2] = blue;
        param->dwValue = MYCT_BOLD;
    }
    return 1;
}
