// Test support for the shell's close rules and password protection: a real
// saver-like window whose procedure records each message and hands it to
// DefaultShellProc, and helpers for the cursor, the queue and the registry.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

struct RecordedMessage {
    UINT message;
    BOOL passwordCheckActive;
    LRESULT result;
};

// Every message that reached a test window's procedure, in order.
std::vector<RecordedMessage>& RecordedMessages();

// A hidden top-level window whose procedure is DefaultShellProc behind a
// recorder; its class cursor is the arrow. Its queue is drained.
HWND CreateShellTestWindow();
void DestroyShellTestWindow(HWND window);

// Takes the window's posted WM_CLOSE messages off the queue and counts them;
// a close with other parameters than 0, 0 is not counted.
int TakePostedCloses(HWND window);
void DrainQueue(HWND window);

// Puts the cursor at a screen point and says whether GetCursorPos agrees.
bool MoveCursorTo(LONG x, LONG y);
POINT CursorPosition();

// The process's cursor after SetCursor calls: null when hidden.
HCURSOR ArrowCursor();

// The user's password switch under HKCU "Control Panel\Desktop".
void SetPasswordSwitch(DWORD type, const void* data, DWORD size);
void DeletePasswordSwitch();

// The system's saver-running state, as SPI_GETSCREENSAVERRUNNING reports it.
BOOL SystemSaverRunning();
void SetSystemSaverRunning(BOOL running);

// The platform from GetVersionExA: 1 for the 95/98 family, 2 for NT.
DWORD VersionPlatform();

// A decimal count kept in the process environment by a stand-in; 0 if unset.
long EnvironmentCount(const char* name);

// Each test starts from the start values, with the family and the AutoPlay
// message as start-up sets them, a fresh window, the cursor at Home and the
// mouse reference there, as the saver window's creation leaves it.
class ShellWindowTest : public ::testing::Test {
protected:
    static constexpr LONG HomeX = 300;
    static constexpr LONG HomeY = 300;
    void SetUp() override;
    void TearDown() override;
    HWND window = nullptr;
};
