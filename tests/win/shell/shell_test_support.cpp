// Test support for the shell's close rules and password protection.
#include "tests/win/shell/shell_test_support.h"

#include <stdlib.h>

#include "shell/default_shell_proc.h"
#include "shell/shell_state.h"

static const char TestClassName[] = "ShellTestWindow";

std::vector<RecordedMessage>& RecordedMessages()
{
    static std::vector<RecordedMessage> messages;
    return messages;
}

static LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    BOOL active = shellState.passwordCheckActive;
    LRESULT result = DefaultShellProc(window, message, wParam, lParam);
    RecordedMessages().push_back({message, active, result});
    return result;
}

HWND CreateShellTestWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = RecordingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = ArrowCursor();
    windowClass.lpszClassName = TestClassName;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, TestClassName, "Screen Saver", WS_POPUP, 0, 0, 200, 200,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    DrainQueue(window);
    RecordedMessages().clear();
    return window;
}

void DestroyShellTestWindow(HWND window)
{
    DrainQueue(window);
    if (IsWindow(window)) {
        DestroyWindow(window);
    }
}

int TakePostedCloses(HWND window)
{
    int closes = 0;
    MSG message;
    while (PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE)) {
        if (message.hwnd == window && message.wParam == 0 && message.lParam == 0) {
            ++closes;
        }
    }
    return closes;
}

// Bounded: a window that is never painted would offer WM_PAINT forever.
void DrainQueue(HWND window)
{
    const int MostMessages = 1000;
    MSG message;
    for (int i = 0; i < MostMessages && PeekMessageA(&message, window, 0, 0, PM_REMOVE); ++i) {
    }
}

bool MoveCursorTo(LONG x, LONG y)
{
    SetCursorPos(x, y);
    POINT position = CursorPosition();
    return position.x == x && position.y == y;
}

POINT CursorPosition()
{
    POINT position = {-1, -1};
    GetCursorPos(&position);
    return position;
}

HCURSOR ArrowCursor()
{
    return LoadCursorA(nullptr, IDC_ARROW);
}

static const char DesktopKey[] = "Control Panel\\Desktop";
static const char SwitchValue[] = "ScreenSaveUsePassword";

void SetPasswordSwitch(DWORD type, const void* data, DWORD size)
{
    HKEY key;
    if (RegCreateKeyA(HKEY_CURRENT_USER, DesktopKey, &key) == ERROR_SUCCESS) {
        RegSetValueExA(key, SwitchValue, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
}

void DeletePasswordSwitch()
{
    HKEY key;
    if (RegOpenKeyA(HKEY_CURRENT_USER, DesktopKey, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, SwitchValue);
        RegCloseKey(key);
    }
}

BOOL SystemSaverRunning()
{
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running;
}

void SetSystemSaverRunning(BOOL running)
{
    BOOL previous = FALSE;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, static_cast<UINT>(running), &previous, 0);
}

DWORD VersionPlatform()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    return version.dwPlatformId;
}

long EnvironmentCount(const char* name)
{
    char text[32] = "0";
    if (GetEnvironmentVariableA(name, text, sizeof text) == 0) {
        return 0;
    }
    return atol(text);
}

// The family as start-up decides it, and the AutoPlay query's number as the
// saver window's set-up registers it on the 95/98 family.
void ShellWindowTest::SetUp()
{
    shellState = InitialShellState();
    shellState.isWin9xFamily = VersionPlatform() == VER_PLATFORM_WIN32_WINDOWS ? 1 : 0;
    if (shellState.isWin9xFamily) {
        shellState.autoPlayMessage = RegisterWindowMessageA("QueryCancelAutoPlay");
    }
    window = CreateShellTestWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(MoveCursorTo(HomeX, HomeY));
    shellState.mouseReference = {HomeX, HomeY};
    SetCursor(ArrowCursor());
}

void ShellWindowTest::TearDown()
{
    DestroyShellTestWindow(window);
    shellState = InitialShellState();
}
