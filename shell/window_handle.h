// Window handles as the command line gives them: decimal numbers, and the
// foreground window standing in for an owner that is missing or gone.
#pragma once
#include <windows.h>

// The leading decimal digits of text as a window handle (0 for none).
HWND WindowFromDecimal(const char* text);
// window itself when it is a live window, else the foreground window.
HWND WindowOrForeground(HWND window);
