// The modal run shared by the module's three dialogs: each ShowModalDialog is
// this one door to DialogBoxParamA, with its own source name and report lines.
#pragma once

#include "MyDialog.h"

struct ModalRunSite
{
    const char* pszSource;  // source base name of the invariant reports
    int nNoDialogProcLine;
    int nNoInstanceLine;
    int nNotCreatedLine;    // 0: a dialog that cannot be created is not reported
};

// Runs dialog modally from its template in instance, as a child of parent.
// Answers the value given to EndDialog, 0 for an invalid parent, -1 when the
// dialog could not be created or has no dialog procedure, -2 without an
// instance handle.
int RunModalDialog(CMyDialog& dialog, HWND parent, HINSTANCE instance, const ModalRunSite& site);
