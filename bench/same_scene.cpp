// The benchmark's like-for-like reference: the saver's own scene drawn by the
// saver's own renderer (context set-up, display list, frame and projection,
// all on the global renderState), in one full-screen top-level window on one
// 1 ms timer, as the saver's render child draws it. Leaves out the saver's
// shell: no second window, no close rules, no password, no modes. Ends on a
// key press, as the saver does.
#include <windows.h>

#include "render/frame.h"
#include "render/scene_drawing.h"

#include "full_screen_window.h"

namespace {
const char ClassName[] = "SameSceneReference";
const char Title[] = "Same scene";
// The render child's class style: its own device context, redrawn on resize.
const UINT ClassStyle = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
const DWORD Style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
const int QuitCode = 0;
// WM_ERASEBKGND's answer: the background counts as erased, so it never is.
const LRESULT BackgroundErased = 1;

LRESULT CALLBACK SameSceneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        BeginSceneDrawing(window);
        return 0;
    case WM_DESTROY:
        EndSceneDrawing(window);
        PostQuitMessage(QuitCode);
        return 0;
    case WM_SIZE:
        ResizeViewport(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_PAINT:
        PaintSceneFrame(window);
        return 0;
    case WM_ERASEBKGND:
        return BackgroundErased;
    case WM_TIMER:
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_KEYDOWN:
        DestroyWindow(window);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
}

int main()
{
    return RunFullScreenWindow(SameSceneProc, ClassName, Title, ClassStyle, Style);
}
