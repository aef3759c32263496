// The two benchmark references' shared frame: one top-level window over the
// whole screen, on top, with the given procedure, and its message loop.
// Leaves out everything drawn, which is each reference's own.
#pragma once
#include <windows.h>

inline int RunFullScreenWindow(WNDPROC procedure, const char* className, const char* title, UINT classStyle,
    DWORD style)
{
    WNDCLASSA windowClass = {};
    windowClass.style = classStyle;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    CreateWindowExA(WS_EX_TOPMOST, className, title, style, 0, 0, GetSystemMetrics(SM_CXSCREEN),
        GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, windowClass.hInstance, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchMessageA(&message);
    }
    return 0;
}
