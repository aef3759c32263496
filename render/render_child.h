// The renderer's procedure for the saver window and the render child window's.
#pragma once
#include <windows.h>

LRESULT CALLBACK SceneSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK RenderChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
