// RunSaver: the saver window's class and window, full screen or preview, the
// single full-screen instance, and the process's only message loop, bracketed
// by the password provider. What happens inside the window is the window
// procedures'; the provider itself is password.cpp's.
#include "shell/saver_window.h"

#include "render/render_child.h"
#include "shell/password.h"
#include "shell/shell_state.h"
#include "shell/shell_window_proc.h"

namespace {
const char SaverClassName[] = "WindowsScreenSaverClass";
const char FullScreenTitle[] = "Screen Saver";
const char PreviewTitle[] = "Preview";
const char AutoPlayMessageName[] = "QueryCancelAutoPlay";
const UINT SaverClassStyle = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
// The resources hold no such icon, so the class ends up with none.
const WORD SaverIconId = 100;
const DWORD PreviewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
const DWORD FullScreenStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
const DWORD PreviewExStyle = 0;
const DWORD FullScreenExStyle = WS_EX_TOPMOST;
// How often a preview looks whether its parent still exists.
const UINT ParentCheckPeriodMs = 500;
const int QuitCode = 0;

struct WindowPlacement {
    int x;
    int y;
    int width;
    int height;
    DWORD style;
    DWORD exStyle;
    const char* title;
};

WNDCLASSA SaverClass()
{
    WNDCLASSA saverClass = {};
    saverClass.style = SaverClassStyle;
    saverClass.lpfnWndProc = ShellWindowProc;
    saverClass.hInstance = shellState.instance;
    saverClass.hIcon = LoadIconA(shellState.instance, MAKEINTRESOURCEA(SaverIconId));
    saverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    saverClass.lpszClassName = SaverClassName;
    return saverClass;
}

WindowPlacement PreviewPlacement(HWND parent)
{
    RECT client = {};
    GetClientRect(parent, &client);
    return {0, 0, client.right, client.bottom, PreviewStyle, PreviewExStyle, PreviewTitle};
}

// The whole desktop, as the renderer records it to follow its changes.
WindowPlacement FullScreenPlacement()
{
    const RECT screen = TakeDesktop();
    return {screen.left, screen.top, screen.right - screen.left, screen.bottom - screen.top, FullScreenStyle,
        FullScreenExStyle, FullScreenTitle};
}

// One full-screen saver at a time: an existing one is only brought forward.
bool BringRunningSaverForward()
{
    HWND running = FindWindowA(SaverClassName, FullScreenTitle);
    if (running == nullptr || !IsWindow(running)) {
        return false;
    }
    SetForegroundWindow(running);
    return true;
}

// A preview's host can end without destroying its window (a crash, or
// TerminateProcess): the preview window then goes with it and no message
// tells this thread. A thread timer outlives the window, so its ticks look
// for the parent and end the loop as a normal end of the preview would.
bool IsParentCheck(const MSG& message, UINT_PTR parentCheck)
{
    return parentCheck != 0 && message.hwnd == nullptr && message.message == WM_TIMER &&
        message.wParam == parentCheck;
}

int RunMessageLoop(HWND parent)
{
    const UINT_PTR parentCheck = parent != nullptr ? SetTimer(nullptr, 0, ParentCheckPeriodMs, nullptr) : 0;
    MSG message = {};
    while (GetMessageA(&message, nullptr, 0, 0)) {
        if (IsParentCheck(message, parentCheck)) {
            if (!IsWindow(parent)) {
                PostQuitMessage(QuitCode);
            }
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (parentCheck != 0) {
        KillTimer(nullptr, parentCheck);
    }
    return static_cast<int>(message.wParam);
}
}

int RunSaver(HWND parent)
{
    const WNDCLASSA saverClass = SaverClass();
    WindowPlacement placement;
    if (parent != nullptr) {
        placement = PreviewPlacement(parent);
        shellState.isPreview = 1;
    } else {
        placement = FullScreenPlacement();
        if (BringRunningSaverForward()) {
            return 0;
        }
        LoadPasswordProvider();
    }
    shellState.autoPlayMessage = shellState.isWin9xFamily != 0 ? RegisterWindowMessageA(AutoPlayMessageName) : 0;

    if (RegisterClassA(&saverClass) != 0) {
        shellState.saverWindow = CreateWindowExA(placement.exStyle, SaverClassName, placement.title, placement.style,
            placement.x, placement.y, placement.width, placement.height, parent, nullptr, shellState.instance,
            nullptr);
    }
    int result = RunSaverFailedCode;
    if (shellState.saverWindow != nullptr) {
        if (shellState.isPreview == 0) {
            SetForegroundWindow(shellState.saverWindow);
        }
        result = RunMessageLoop(parent);
    }
    UnloadPasswordProvider();
    return result;
}
