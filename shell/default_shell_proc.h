// The shell's default message handling: the close rules, the cursor rule,
// the password query and the AutoPlay answer.
#pragma once
#include <windows.h>

LRESULT CALLBACK DefaultShellProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
