// RunModalDialog: the module's one door to DialogBoxParamA.
#include "ModalRun.h"

#include <commctrl.h>

#include "HostNumbers.h"
#include "Invariant.h"

int RunModalDialog(CMyDialog& dialog, HWND parent, HINSTANCE instance, const ModalRunSite& site)
{
    const DLGPROC dialogProc = dialog.GetWndProc();
    if (!dialogProc) {
        dialog.OutputDebugStringA("DLGPROC je NULL\n");
        ReportInvariant(kInvariantCondition, site.pszSource, site.nNoDialogProcLine);
        return -1;
    }
    if (!instance) {
        dialog.OutputDebugStringA("HINSTANCE je NULL\n");
        ReportInvariant(kInvariantCondition, site.pszSource, site.nNoInstanceLine);
        return -2;
    }
    // The templates name common controls (up-down), whose classes must exist
    // before the dialog is created.
    const INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    const INT_PTR result = ::DialogBoxParamA(instance, MAKEINTRESOURCEA(dialog.GetClassTemplate()), parent,
                                             dialogProc, reinterpret_cast<LPARAM>(&dialog));
    if (result == 0) {
        dialog.OutputDebugStringA("hParentWnd neni platny\n");
    } else if (result == -1) {
        dialog.OutputDebugStringA("Nepodarilo se vytvorit dialogove okno\n");
        if (site.nNotCreatedLine)
            ReportInvariant(kInvariantCondition, site.pszSource, site.nNotCreatedLine);
    }
    return static_cast<int>(result);
}
