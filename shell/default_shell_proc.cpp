// DefaultShellProc: the shell's default message handling for the saver window
// and the render child window. It decides which input and system events ask
// for a close, hides the cursor, hands WM_CLOSE to the password check and
// answers the password and AutoPlay queries. The check itself is in
// password.cpp; everything else goes to DefWindowProcA.
#include "shell/default_shell_proc.h"

#include "shell/password.h"
#include "shell/shell_state.h"

// WM_POWER's wParam when the system resumes after a critical suspend.
const WPARAM PowerCriticalResume = 3;
// WM_POWERBROADCAST's power-setting notification; the headers leave it out
// for systems before Windows XP SP2.
const WPARAM PowerSettingChange = 0x8013;
// Answers to the AutoPlay query: cancel the medium's AutoPlay, or let it run.
const LRESULT AutoPlayCancel = 1;
const LRESULT AutoPlayAllow = 0;
// Answer to the password query when no provider guards the saver.
const LRESULT PasswordPass = 1;
// WM_SETCURSOR's answer: the cursor has been dealt with.
const LRESULT CursorHandled = 1;
// The system moves the pointer when a monitor goes or the desktop's corner
// moves, and the saver may learn of the move and of the change in either
// order: Windows moves the pointer after it shows the new desktop, Wine
// shows the new desktop up to a second after the move. So a move this far
// in one step, which is no hand's first, closes only when no display change
// follows within HeldJumpMs, or at once when the pointer moves on; and any
// move within SettleMs after a display change is the system's.
const UINT JumpDistance = 64;
// A second covers Wine's lag; at three quarters of one a display-change
// test failed.
const DWORD HeldJumpMs = 1000;
const DWORD SettleMs = 1500;

// A close asked for by any rule, or refused by the password check, ends
// what a held jump was waiting for.
static void DropHeldJump()
{
    shellState.heldJumpWindow = nullptr;
}

static void PostClose(HWND window)
{
    DropHeldJump();
    PostMessageA(window, WM_CLOSE, 0, 0);
}

static void HideCursor()
{
    SetCursor(nullptr);
}

// The cursor position, or the reference itself when it cannot be read, so
// that an unreadable position counts as no movement.
static POINT ReadCursor()
{
    POINT position;
    if (!GetCursorPos(&position)) {
        position = shellState.mouseReference;
    }
    return position;
}

// |a - b| in unsigned 32-bit arithmetic, free of signed overflow.
static UINT AxisDistance(LONG a, LONG b)
{
    return a >= b ? static_cast<UINT>(a) - static_cast<UINT>(b)
                  : static_cast<UINT>(b) - static_cast<UINT>(a);
}

// A move further than the threshold from the reference asks for a close and
// takes the new position as the reference; smaller moves add up against it.
// A first jump is held instead.
static void ApplyMouseRule(HWND window)
{
    POINT position = ReadCursor();
    UINT distance = AxisDistance(position.x, shellState.mouseReference.x) +
                    AxisDistance(position.y, shellState.mouseReference.y);
    if (distance <= shellState.mouseThreshold) {
        return;
    }
    shellState.mouseReference = position;
    if (shellState.settlingDesktop && GetTickCount() - shellState.desktopChangeTick < SettleMs) {
        return;
    }
    shellState.settlingDesktop = FALSE;
    if (distance > JumpDistance && shellState.heldJumpWindow == nullptr) {
        shellState.heldJumpWindow = window;
        shellState.heldJumpTick = GetTickCount();
        return;
    }
    PostClose(window);
}

// Not the user: a monitor that went, or a desktop whose corner moved, moves
// the pointer too, before or after the saver sees the change. Moves count
// from where it is now, and from where it settles.
static void RestartMouseRule()
{
    shellState.mouseReference = ReadCursor();
    shellState.settlingDesktop = TRUE;
    shellState.desktopChangeTick = GetTickCount();
    DropHeldJump();
}

// News that a laptop sends by itself while nobody touches it: the power
// source changed, the battery's charge crossed a step, a power setting
// changed. And the questions before a suspend or standby (98 to XP), with
// the news that someone refused: the machine stays up, so the saver does
// too. Every other broadcast (the suspend or standby itself, a resume, a
// low battery) closes.
static bool IsPowerNews(WPARAM event)
{
    switch (event) {
    case PBT_APMQUERYSUSPEND:
    case PBT_APMQUERYSTANDBY:
    case PBT_APMQUERYSUSPENDFAILED:
    case PBT_APMQUERYSTANDBYFAILED:
    case PBT_APMPOWERSTATUSCHANGE:
    case PowerSettingChange:
        return true;
    default:
        return false;
    }
}

// The close and cursor rules, by message.
static void ApplyCloseRules(HWND window, UINT message, WPARAM wParam)
{
    switch (message) {
    case WM_SHOWWINDOW:
        if (wParam != 0) {
            HideCursor();
        }
        return;
    case WM_ACTIVATEAPP:
        if (wParam == 0) {
            PostClose(window);
        }
        return;
    case WM_POWER:
        if (wParam == PowerCriticalResume) {
            PostClose(window);
        }
        return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        PostClose(window);
        return;
    case WM_POWERBROADCAST:
        if (!IsPowerNews(wParam)) {
            PostClose(window);
        }
        return;
    case WM_MOUSEMOVE:
        ApplyMouseRule(window);
        return;
    case WM_DISPLAYCHANGE:
        RestartMouseRule();
        return;
    default:
        return;
    }
}

// Every path ends here: the AutoPlay answer whatever else applied, else
// DefWindowProcA.
static LRESULT Finish(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (shellState.autoPlayMessage != 0 && message == shellState.autoPlayMessage) {
        PostClose(window);
        return shellState.verifyEntry != nullptr ? AutoPlayCancel : AutoPlayAllow;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void ConfirmHeldJump()
{
    if (shellState.heldJumpWindow != nullptr && GetTickCount() - shellState.heldJumpTick >= HeldJumpMs) {
        PostClose(shellState.heldJumpWindow);
    }
}

LRESULT CALLBACK DefaultShellProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (shellState.isPreview || shellState.closeApproved) {
        return Finish(window, message, wParam, lParam);
    }
    switch (message) {
    case WM_CLOSE:
        if (!shellState.isWin9xFamily || VerifyOnClose(window)) {
            return Finish(window, message, wParam, lParam);
        }
        // Refused: further moves count from where the cursor is now.
        shellState.mouseReference = ReadCursor();
        DropHeldJump();
        return 0;
    case PasswordQueryMessage:
        if (!shellState.isWin9xFamily) {
            return Finish(window, message, wParam, lParam);
        }
        if (shellState.verifyEntry == nullptr) {
            return PasswordPass;
        }
        return shellState.verifyEntry(window);
    case WM_SETCURSOR:
        if (shellState.passwordCheckActive) {
            return Finish(window, message, wParam, lParam);
        }
        HideCursor();
        return CursorHandled;
    default:
        if (!shellState.passwordCheckActive) {
            ApplyCloseRules(window, message, wParam);
        }
        return Finish(window, message, wParam, lParam);
    }
}
