// The benchmark references' shared frame: a window class for a procedure,
// one top-level window over the whole screen, on top, and its message loop.
// Leaves out everything drawn and any child window, which are each
// reference's own.
#pragma once
#include <windows.h>

inline void RegisterWindowClass(WNDPROC procedure, const char* className, UINT classStyle)
{
    WNDCLASSA windowClass = {};
    windowClass.style = classStyle;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
}

inline int RunFullScreenWindow(WNDPROC procedure, const char* className, const char* title, UINT classStyle,
    DWORD style)
{
    RegisterWindowClass(procedure, className, classStyle);
    CreateWindowExA(WS_EX_TOPMOST, className, title, style, 0, 0, GetSystemMetrics(SM_CXSCREEN),
        GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchMessageA(&message);
    }
    return 0;
}
