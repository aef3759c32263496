// The benchmark's baseline: a full-screen Win32 OpenGL program that does
// nothing but clear and swap on a 1 ms timer, as the saver's frame timer
// does. Clears to dark red so that its first frame shows on a screenshot.
// Ends on a key press, as the saver does.
#include <windows.h>
#include <GL/gl.h>

#include "full_screen_window.h"

const UINT_PTR FrameTimer = 1;
const UINT FramePeriodMs = 1;

struct Baseline {
    HDC deviceContext;
    HGLRC context;
};
static Baseline baseline;

static void StartGl(HWND window)
{
    baseline.deviceContext = GetDC(window);
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 24;
    SetPixelFormat(baseline.deviceContext, ChoosePixelFormat(baseline.deviceContext, &format), &format);
    baseline.context = wglCreateContext(baseline.deviceContext);
    wglMakeCurrent(baseline.deviceContext, baseline.context);
    glClearColor(0.4f, 0.0f, 0.0f, 1.0f);
}

static void StopGl(HWND window)
{
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(baseline.context);
    ReleaseDC(window, baseline.deviceContext);
}

static LRESULT CALLBACK BaselineProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        StartGl(window);
        SetTimer(window, FrameTimer, FramePeriodMs, nullptr);
        return 0;
    case WM_TIMER:
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_KEYDOWN:
        DestroyWindow(window);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        glClear(GL_COLOR_BUFFER_BIT);
        SwapBuffers(baseline.deviceContext);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        KillTimer(window, FrameTimer);
        StopGl(window);
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

int main()
{
    return RunFullScreenWindow(BaselineProc, "MinimalGlBaseline", "Minimal GL", 0, WS_POPUP | WS_VISIBLE);
}
