// Password protection of the 95/98 family: the user's switch, the system's
// password provider, the saver-running state and the change-password dialog.
// On the NT family every operation does nothing.
#pragma once
#include <windows.h>

// Private message that asks the provider, answered by DefaultShellProc.
const UINT PasswordQueryMessage = WM_APP;
// A close asked for sooner than this after the last check is turned away.
const DWORD RecheckIntervalMs = 200;

void LoadPasswordProvider();
void UnloadPasswordProvider();
void SetSaverRunning(BOOL running);
BOOL VerifyOnClose(HWND window);
int ChangePassword(const char* text);
