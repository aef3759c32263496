// The benchmark's like-for-like reference: the saver's own scene drawn by the
// saver's own renderer in a child window that covers a plain full-screen
// top-level window, the window structure the saver draws in (under Wine a
// child's GL is drawn off screen and copied, which a top-level window's is
// not). The child has the render child's class style and window style. Leaves
// out the saver's shell and the saver window's own logic: no timer on the
// top-level window, no following of the desktop, no close rules, no
// password, no modes. Ends on a key press, as the saver does.
#include <windows.h>

#include "full_screen_window.h"
#include "scene_frame_proc.h"

namespace {
const char ClassName[] = "SameSceneChildParent";
const char Title[] = "Same scene in a child";
const UINT ClassStyle = 0;
// The saver window's style in full screen.
const DWORD Style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
const char ChildClassName[] = "SameSceneChild";
const char ChildTitle[] = "Child";
// The render child's window style.
const DWORD ChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

// The child over the whole client area, as the saver window opens its own.
void CreateSceneChild(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    CreateWindowExA(0, ChildClassName, ChildTitle, ChildStyle, 0, 0, client.right, client.bottom, window, nullptr,
        GetModuleHandleA(nullptr), nullptr);
}

// Destroying this window destroys the child, whose teardown ends the loop.
LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        CreateSceneChild(window);
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
    RegisterWindowClass(SceneFrameProc, ChildClassName, SceneClassStyle);
    return RunFullScreenWindow(ParentProc, ClassName, Title, ClassStyle, Style);
}
