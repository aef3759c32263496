// SceneSaverProc, the renderer's procedure for the saver window: it opens the
// render child window at creation, closes it at destruction and swallows the
// saver window's timer ticks. RenderChildProc, the render child window's
// procedure: frame pacing, and input over the picture handed to the shell's
// close rules; in full screen it also follows the desktop's monitors, one view
// each. The drawing itself (GL context, scene, frame timer and each frame) is
// in scene_drawing, the monitors' reading in monitor_views.
#include "render/render_child.h"

#include "render/frame.h"
#include "render/monitor_views.h"
#include "render/render_state.h"
#include "render/scene_drawing.h"
#include "shell/default_shell_proc.h"
#include "shell/shell_state.h"

namespace {
const char ChildClassName[] = "NTDEVCLASS";
const char ChildTitle[] = "Child1";
const UINT ChildClassStyle = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
const DWORD ChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
const UINT SaverTimerPeriodMs = 1;
const int QuitCode = 0;
// WM_ERASEBKGND's answer: the background counts as erased, so it never is.
const LRESULT BackgroundErased = 1;

void RegisterChildClass()
{
    WNDCLASSA childClass = {};
    childClass.style = ChildClassStyle;
    childClass.lpfnWndProc = RenderChildProc;
    childClass.hInstance = shellState.instance;
    childClass.lpszClassName = ChildClassName;
    RegisterClassA(&childClass);
}

void CreateRenderChild(HWND saverWindow)
{
    RegisterChildClass();
    if (renderState.childWidth == 0) {
        RECT client;
        GetClientRect(saverWindow, &client);
        renderState.childWidth = client.right;
        renderState.childHeight = client.bottom;
    }
    renderState.childWindow = CreateWindowExA(0, ChildClassName, ChildTitle, ChildStyle, 0, 0,
        renderState.childWidth, renderState.childHeight, saverWindow, nullptr, shellState.instance, nullptr);
    SetTimer(saverWindow, SaverTimerId, SaverTimerPeriodMs, nullptr);
}

// Full screen shows the scene on every monitor; the preview is one view of
// its window. Never read per frame: at each size message of the child (the
// first comes with its creation) and when the display changes.
void FollowMonitors()
{
    const int viewCountBefore = renderState.viewCount;
    renderState.viewCount = 0;
    if (shellState.isPreview == 0) {
        ReadMonitorViews();
    }
    ApplyViews(viewCountBefore);
}

// Input over the picture is judged for the child and for the saver window.
LRESULT Forward(HWND child, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = DefaultShellProc(child, message, wParam, lParam);
    DefaultShellProc(shellState.saverWindow, message, wParam, lParam);
    return result;
}

// On the 95/98 family a locked saver may close only through the saver
// window's password check, so a close that input posted to the child is
// sent on there instead of destroying the child (whose teardown would end
// the loop unasked).
bool RouteCloseToSaver()
{
    return shellState.isWin9xFamily != 0 && shellState.isPreview == 0 && shellState.saverWindow != nullptr;
}
}

LRESULT CALLBACK SceneSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        CreateRenderChild(window);
        return 0;
    case WM_DESTROY:
        KillTimer(window, SaverTimerId);
        DestroyWindow(renderState.childWindow);
        PostQuitMessage(QuitCode);
        return 0;
    case WM_TIMER:
        return 0;
    case WM_DISPLAYCHANGE:
        // Sent to top-level windows only, so the saver window's news.
        FollowMonitors();
        return DefaultShellProc(window, message, wParam, lParam);
    default:
        return DefaultShellProc(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK RenderChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
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
        FollowMonitors();
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
    case WM_CLOSE:
        if (RouteCloseToSaver()) {
            PostMessageA(shellState.saverWindow, WM_CLOSE, 0, 0);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_SETCURSOR:
    case WM_NCACTIVATE:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_SYSCOMMAND:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        return Forward(window, message, wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
