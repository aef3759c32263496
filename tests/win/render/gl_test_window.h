// A visible top-level window with a private device context and the
// renderer's GL context made current on it, for the render tests.
#pragma once
#include <windows.h>

const int TestWindowSide = 200;

class GLTestWindow {
public:
    // Creates the window; with setup, also runs SetupGLContext on it.
    explicit GLTestWindow(bool setup = true, int side = TestWindowSide);
    ~GLTestWindow();
    HWND window;

private:
    bool released;
};

// Puts the renderer's records back to their start values.
void ResetRenderRecords();
