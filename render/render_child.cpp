// SceneSaverProc, the renderer's procedure for the saver window: it opens the
// render child window at creation, closes it at destruction and swallows the
// saver window's timer ticks. RenderChildProc, the render child window's
// procedure: frame pacing, and input over the picture handed to the shell's
// close rules. In full screen both follow the desktop: when its rectangle or
// its monitors change, the saver window and the child move and size to the
// new desktop and the views follow, one per monitor. The drawing itself (GL
// context, scene, frame timer and each frame) is in scene_drawing, the
// desktop's reading in desktop, the views in monitor_views. Full screen, the
// saver window also has the scene's palette realised in the foreground when
// it becomes active or another window changes the system palette; the
// palette itself is gl_context's.
#include "render/render_child.h"

#include "render/desktop.h"
#include "render/frame.h"
#include "render/gl_context.h"
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
// WM_ERASEBKGND's answer while GL draws: the background counts as erased,
// so it never is. Without GL the class's black brush erases it.
const LRESULT BackgroundErased = 1;
const int BackgroundBrush = BLACK_BRUSH;
// How often the saver window's timer compares the desktop with the system's:
// Wine, for one, announces no display change.
const DWORD DesktopCheckPeriodMs = 250;
const UINT FollowDesktopFlags = SWP_NOACTIVATE;
const UINT SizeChildFlags = SWP_NOZORDER | SWP_NOACTIVATE;
// WM_QUERYNEWPALETTE's answer once the palette is realised; WM_PALETTECHANGED's
// answer is not looked at.
const LRESULT PaletteRealised = TRUE;
const LRESULT PaletteChangeHandled = 0;
// WM_DPICHANGED, left out by the headers for systems before Windows 7.
const UINT DpiChangedMessage = 0x02E0;

void RegisterChildClass()
{
    WNDCLASSA childClass = {};
    childClass.style = ChildClassStyle;
    childClass.lpfnWndProc = RenderChildProc;
    childClass.hInstance = shellState.instance;
    childClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BackgroundBrush));
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

// The views, from where the child's client area is on the screen now. The
// preview never takes a desktop, so it is always one view of its window.
void PlaceChildViews(HWND child)
{
    POINT origin = {0, 0};
    ClientToScreen(child, &origin);
    PlaceViews(origin);
}

// Only full screen covers a desktop it took; the preview never takes one.
bool CoversDesktop()
{
    return renderState.desktop.bounds.right > renderState.desktop.bounds.left;
}

// Moves the saver window (still topmost) and the child over a desktop that
// is no longer the one they cover, and places the views again, also when
// the child keeps its size and so gets no size message. True on a change.
bool FollowDesktop(HWND saverWindow)
{
    renderState.desktopCheckTick = GetTickCount();
    if (!CoversDesktop()) {
        return false;
    }
    const Desktop now = ReadDesktop();
    if (!IsNewDesktop(now, renderState.desktop)) {
        return false;
    }
    renderState.desktop = now;
    const RECT& bounds = now.bounds;
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    SetWindowPos(saverWindow, HWND_TOPMOST, bounds.left, bounds.top, width, height, FollowDesktopFlags);
    SetWindowPos(renderState.childWindow, nullptr, 0, 0, width, height, SizeChildFlags);
    PlaceChildViews(renderState.childWindow);
    return true;
}

// A change found by looking is told to the close rules as the system tells
// it, so that a pointer the change moved is not taken for the user's.
void FollowUnannouncedChange(HWND saverWindow)
{
    if (saverWindow != nullptr && FollowDesktop(saverWindow)) {
        DefaultShellProc(saverWindow, WM_DISPLAYCHANGE, 0, 0);
    }
}

bool DesktopCheckDue()
{
    return GetTickCount() - renderState.desktopCheckTick >= DesktopCheckPeriodMs;
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

// A preview's host owns the system palette; a full-screen saver owns it.
bool RealizePaletteOutsidePreview()
{
    return shellState.isPreview == 0 && RealizeScenePalette();
}

// The saver's own realising changes the palette too: answering that would
// never end.
bool ChangedByAnother(HWND saverWindow, WPARAM changer)
{
    const HWND changedBy = reinterpret_cast<HWND>(changer);
    return changedBy != saverWindow && changedBy != renderState.childWindow;
}
}

RECT TakeDesktop()
{
    renderState.desktop = ReadDesktop();
    renderState.desktopCheckTick = GetTickCount();
    return renderState.desktop.bounds;
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
    case WM_QUERYNEWPALETTE:
        if (RealizePaletteOutsidePreview()) {
            return PaletteRealised;
        }
        return DefaultShellProc(window, message, wParam, lParam);
    case WM_PALETTECHANGED:
        if (ChangedByAnother(window, wParam) && RealizePaletteOutsidePreview()) {
            return PaletteChangeHandled;
        }
        return DefaultShellProc(window, message, wParam, lParam);
    case WM_TIMER:
        if (DesktopCheckDue()) {
            FollowUnannouncedChange(window);
        }
        return 0;
    case WM_DISPLAYCHANGE:
    case DpiChangedMessage:
        // Sent to top-level windows only, so the saver window's news.
        FollowDesktop(window);
        return DefaultShellProc(window, message, wParam, lParam);
    case WM_MOUSEMOVE:
        // A display change can move the pointer before the timer looks.
        FollowUnannouncedChange(window);
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
        renderState.childWidth = LOWORD(lParam);
        renderState.childHeight = HIWORD(lParam);
        ResizeViewport(renderState.childWidth, renderState.childHeight);
        PlaceChildViews(window);
        return 0;
    case WM_PAINT:
        PaintSceneFrame(window);
        return 0;
    case WM_ERASEBKGND:
        if (renderState.glContext != nullptr) {
            return BackgroundErased;
        }
        return DefWindowProcA(window, message, wParam, lParam);
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
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        return Forward(window, message, wParam, lParam);
    case WM_MOUSEMOVE:
        FollowUnannouncedChange(shellState.saverWindow);
        return Forward(window, message, wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
