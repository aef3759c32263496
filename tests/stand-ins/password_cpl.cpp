// Stands in for PASSWORD.CPL, the 95/98 family's screen-saver password
// provider, which does not exist here. Instead of a dialog it gives answers
// that the test scripts; one answer runs a nested message loop for the saver
// window first, as the real provider's modal dialog would. Built twice: with
// VerifyScreenSavePwd, and without it (STAND_IN_NO_VERIFY_ENTRY).
// An answer may also come from the environment, for a saver that runs as
// its own process.
// Loads and unloads are counted in the process environment, since the
// module's own memory is gone once it is freed, and for a saver run as its
// own process also written to a log file that the tests read.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

#include "tests/stand-ins/password_cpl.h"

static LONG scriptedAnswer = 0;
static LONG scriptedMode = StandInAnswerAtOnce;
static LONG verifyCalls = 0;
static HWND lastWindow = nullptr;
static LONG nestedWindowAlive = 0;
static LONG nestedClosePending = 0;

static void CountInEnvironment(const char* name)
{
    char text[32] = "0";
    GetEnvironmentVariableA(name, text, sizeof text);
    snprintf(text, sizeof text, "%ld", atol(text) + 1);
    SetEnvironmentVariableA(name, text);
}

static void Log(const char* event)
{
    char path[MAX_PATH] = "";
    if (GetEnvironmentVariableA(PasswordStandInLogVariable, path, sizeof path) == 0) {
        return;
    }
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    const bool window = FindWindowA("WindowsScreenSaverClass", "Screen Saver") != nullptr;
    char line[64];
    const int length = snprintf(line, sizeof line, "%s window %d running %d\r\n", event, window ? 1 : 0,
                                running ? 1 : 0);
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(file);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID atExit)
{
    if (reason == DLL_PROCESS_ATTACH) {
        Log("load");
        CountInEnvironment(PasswordStandInLoadsVariable);
        char answer[8] = "";
        GetEnvironmentVariableA(PasswordStandInAnswerVariable, answer, sizeof answer);
        scriptedAnswer = (answer[0] == '1') ? 1 : 0;
    } else if (reason == DLL_PROCESS_DETACH) {
        Log(atExit != nullptr ? "exit" : "unload");
        CountInEnvironment(PasswordStandInUnloadsVariable);
    }
    return TRUE;
}

#ifndef STAND_IN_NO_VERIFY_ENTRY
// What a user does while the dialog is up: asks for a close again and
// presses a key. Both reach the saver window through this loop.
static void RunNestedLoop(HWND window)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
    PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
    MSG message;
    while (PeekMessageA(&message, window, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&message);
    }
    nestedWindowAlive = IsWindow(window) ? 1 : 0;
    nestedClosePending = PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_NOREMOVE) ? 1 : 0;
}

static void RunSlowDialog()
{
    const DWORD start = GetTickCount();
    POINT pointer = {};
    GetCursorPos(&pointer);
    SetCursorPos(pointer.x + StandInDialogMove, pointer.y + StandInDialogMove);
    while (GetTickCount() - start < StandInDialogMs) {
        Sleep(10);
    }
}

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window)
{
    ++verifyCalls;
    lastWindow = window;
    Log("verify");
    if (scriptedMode == StandInAnswerAfterNestedLoop) {
        RunNestedLoop(window);
    } else if (scriptedMode == StandInAnswerAfterSlowDialog) {
        RunSlowDialog();
    }
    return static_cast<BOOL>(scriptedAnswer);
}
#endif

extern "C" __declspec(dllexport) void WINAPI StandInScript(LONG mode, LONG answer)
{
    scriptedMode = mode;
    scriptedAnswer = answer;
}

extern "C" __declspec(dllexport) void WINAPI StandInRecord(StandInPasswordRecord* record)
{
    record->verifyCalls = verifyCalls;
    record->lastWindow = lastWindow;
    record->nestedWindowAlive = nestedWindowAlive;
    record->nestedClosePending = nestedClosePending;
}
