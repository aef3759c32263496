// The about box shown for the configuration request. Every text and the
// picture come from dialog template 2003; nothing is initialised here.
#include "shell/about_dialog.h"

#include "resources/resource_ids.h"
#include "shell/shell_state.h"

// The dialog's result after OK.
const INT_PTR AboutClosedWithOk = 1;

int PrepareAboutDialog(HINSTANCE)
{
    return 1;
}

INT_PTR ShowAboutDialog(HWND owner)
{
    if (!PrepareAboutDialog(shellState.instance)) {
        return 0;
    }
    return DialogBoxParamA(shellState.instance, MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutDialogProc, 0);
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        // Only OK ends the box; Esc and the close button send IDCANCEL.
        if (LOWORD(wParam) == IDOK) {
            EndDialog(dialog, AboutClosedWithOk);
        }
        return TRUE;
    default:
        return FALSE;
    }
}
