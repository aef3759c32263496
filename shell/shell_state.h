// The shell's process-wide record: one instance, plain fields.
// Start values are 0 except where InitialShellState says otherwise.
#pragma once
#include <windows.h>
#include <imm.h>

typedef BOOL(WINAPI* VerifyScreenSavePwdEntry)(HWND window);
typedef HIMC(WINAPI* ImmAssociateContextEntry)(HWND window, HIMC context);

// Largest summed cursor distance, in pixels, that does not close the saver.
const UINT MouseThresholdStart = 4;
// lastCheckTick before the first password check has ended.
const DWORD NoCheckTick = 0xFFFFFFFF;

struct ShellState {
    HINSTANCE instance;
    int isWin9xFamily;
    HWND saverWindow;
    int isPreview;
    UINT autoPlayMessage;
    POINT mouseReference;
    UINT mouseThreshold;
    // A jump of the pointer that may be a display change's: the window its
    // close is for (null when none is held) and when it came.
    HWND heldJumpWindow;
    DWORD heldJumpTick;
    // A display change was seen at desktopChangeTick, and the pointer may
    // still be moved for it.
    BOOL settlingDesktop;
    DWORD desktopChangeTick;
    // Input method, detached while the saver window exists.
    HMODULE imeLibrary;
    ImmAssociateContextEntry associateContextEntry;
    HIMC savedInputContext;
    // Password provider of the 95/98 family.
    HMODULE providerLibrary;
    VerifyScreenSavePwdEntry verifyEntry;
    BOOL closeApproved;
    BOOL passwordCheckActive;
    DWORD lastCheckTick;
};

ShellState InitialShellState();

extern ShellState shellState;
