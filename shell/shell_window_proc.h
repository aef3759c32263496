// The saver window's outer procedure, first to see every message.
#pragma once
#include <windows.h>

LRESULT CALLBACK ShellWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
