// The about box shown for the configuration request.
#pragma once
#include <windows.h>

int PrepareAboutDialog(HINSTANCE instance);
INT_PTR ShowAboutDialog(HWND owner);
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
