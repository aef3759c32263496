// The shell's default message handling: the close rules, the cursor rule,
// the password query and the AutoPlay answer.
#pragma once
#include <windows.h>

LRESULT CALLBACK DefaultShellProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// On the saver window's timer: closes for a held jump of the pointer once no
// display change has come in its time.
void ConfirmHeldJump();
