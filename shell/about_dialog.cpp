// The about box shown for the configuration request. Every text and the
// picture come from dialog template 2003; nothing is initialised here.
#include "shell/about_dialog.h"

#include "resources/resource_ids.h"
#include "shell/shell_state.h"

// The dialog's result however it ends: there is nothing to cancel, so Esc
// and the close button end it as OK does.
const INT_PTR AboutClosedResult = 1;

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
        // OK and Enter send IDOK; Esc, the close button and Alt+F4, IDCANCEL.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, AboutClosedResult);
        }
        return TRUE;
    default:
        return FALSE;
    }
}
