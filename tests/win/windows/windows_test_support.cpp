// Test support for the saver window's procedures: saver windows with the real
// procedures, fresh process records and queue helpers.
#include "tests/win/windows/windows_test_support.h"

#include "render/render_state.h"
#include "shell/shell_state.h"
#include "shell/shell_window_proc.h"

namespace {
const char SaverTestClass[] = "SaverTestWindow";
const char PlainTestClass[] = "SaverTestPlain";
// Longer than any class name or title the saver uses.
const int NameChars = 64;

void RegisterTestClasses()
{
    WNDCLASSA saverClass = {};
    saverClass.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    saverClass.lpfnWndProc = ShellWindowProc;
    saverClass.hInstance = GetModuleHandleA(nullptr);
    saverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    saverClass.lpszClassName = SaverTestClass;
    RegisterClassA(&saverClass);

    WNDCLASSA plainClass = {};
    plainClass.lpfnWndProc = DefWindowProcA;
    plainClass.hInstance = GetModuleHandleA(nullptr);
    plainClass.lpszClassName = PlainTestClass;
    RegisterClassA(&plainClass);
}
}

void ResetProcessRecords()
{
    shellState = InitialShellState();
    renderState = InitialRenderState();
    shellState.instance = GetModuleHandleA(nullptr);
}

HWND CreateSaverTestWindow(int width, int height, HWND parent)
{
    RegisterTestClasses();
    const DWORD style = parent != nullptr ? WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN
                                          : WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    shellState.saverWindow = CreateWindowExA(0, SaverTestClass, parent != nullptr ? "Preview" : "Screen Saver",
        style, 0, 0, width, height, parent, nullptr, shellState.instance, nullptr);
    return shellState.saverWindow;
}

HWND CreatePlainWindow(int width, int height)
{
    RegisterTestClasses();
    return CreateWindowExA(0, PlainTestClass, "Plain", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
        nullptr, GetModuleHandleA(nullptr), nullptr);
}

int TakePostedCloses(HWND window)
{
    int count = 0;
    MSG message;
    while (PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE)) {
        if (message.hwnd == window) {
            ++count;
        }
    }
    return count;
}

bool TakeQuit(WPARAM* code)
{
    MSG message;
    if (!PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        return false;
    }
    *code = message.wParam;
    return true;
}

void DiscardTestWindows(HWND saver, HWND parent)
{
    if (saver != nullptr && IsWindow(saver)) {
        DestroyWindow(saver);
    }
    if (parent != nullptr && IsWindow(parent)) {
        DestroyWindow(parent);
    }
    TakePostedCloses(nullptr);
    WPARAM code;
    TakeQuit(&code);
}

// The time is checked at every message: where a frame takes longer than the
// 1 ms timers (an emulated processor), the queue is never empty.
void PumpMessages(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            Sleep(1);
            continue;
        }
        if (message.message == WM_QUIT) {
            // Kept for the caller to see.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int ClosesWhenAutoPlay(HWND target, HWND sentTo, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    TakePostedCloses(target);
    const UINT saved = shellState.autoPlayMessage;
    shellState.autoPlayMessage = message;
    const LRESULT answer = SendMessageA(sentTo, message, wParam, lParam);
    shellState.autoPlayMessage = saved;
    if (result != nullptr) {
        *result = answer;
    }
    return TakePostedCloses(target);
}

std::string ClassOf(HWND window)
{
    char name[NameChars] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

std::string TitleOf(HWND window)
{
    char title[NameChars] = {};
    GetWindowTextA(window, title, sizeof(title));
    return title;
}
