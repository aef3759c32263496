// The saver window and the process's only message loop.
#pragma once
#include <windows.h>

// RunSaver's result when the class cannot be registered or the window not
// created: no saver ran, so neither 0 (a run ended, or one already runs) nor
// -1 (the command line named nothing usable) fits.
const int RunSaverFailedCode = 1;

// Null parent: full screen. Returns the quit code, or 0 when a full-screen
// saver already runs.
int RunSaver(HWND parent);
