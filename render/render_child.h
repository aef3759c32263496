// The renderer's procedure for the saver window and the render child window's.
#pragma once
#include <windows.h>

// Reads the desktop that full screen is to cover into the renderer's record,
// which the views and the later comparisons use; returns its rectangle, the
// saver window's place.
RECT TakeDesktop();
LRESULT CALLBACK SceneSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK RenderChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
