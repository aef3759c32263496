// The same-scene references' drawing window: its procedure runs the saver's
// own renderer (context set-up, display list, frame and projection, all on
// the global renderState) on one 1 ms timer, as the saver's render child
// does, and the render child's class style. Leaves out the render child's
// input forwarding, close rules and views per monitor, and the window
// structure around it, which is each reference's own. A key destroys the
// top-level window it belongs to, which ends the program, as in the saver.
#pragma once
#include <windows.h>

#include "render/frame.h"
#include "render/scene_drawing.h"

// The render child's class style: its own device context, redrawn on resize.
const UINT SceneClassStyle = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
const int SceneQuitCode = 0;
// WM_ERASEBKGND's answer: the background counts as erased, so it never is.
const LRESULT SceneBackgroundErased = 1;

inline LRESULT CALLBACK SceneFrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        BeginSceneDrawing(window);
        return 0;
    case WM_DESTROY:
        EndSceneDrawing(window);
        PostQuitMessage(SceneQuitCode);
        return 0;
    case WM_SIZE:
        ResizeViewport(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_PAINT:
        PaintSceneFrame(window);
        return 0;
    case WM_ERASEBKGND:
        return SceneBackgroundErased;
    case WM_TIMER:
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_KEYDOWN:
        DestroyWindow(GetAncestor(window, GA_ROOT));
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
