// The saver window and the process's only message loop.
#pragma once
#include <windows.h>

// Null parent: full screen. Returns the quit code, or 0 when a full-screen
// saver already runs.
int RunSaver(HWND parent);
