// What the tests and the PASSWORD.CPL stand-in share: its scripted modes,
// the record of its calls, and the environment variables that count loads.
#pragma once
#include <windows.h>

// VerifyScreenSavePwd returns the scripted answer straight away.
const LONG StandInAnswerAtOnce = 0;
// It first posts WM_CLOSE and WM_KEYDOWN to the window and dispatches them.
const LONG StandInAnswerAfterNestedLoop = 1;
// It stays open StandInDialogMs, longer than the recheck interval, while the
// user moves the pointer StandInDialogMove pixels right and down (to the
// dialog's Cancel), as a real dialog would.
const LONG StandInAnswerAfterSlowDialog = 2;
const DWORD StandInDialogMs = 300;
const LONG StandInDialogMove = 20;

const char PasswordStandInLoadsVariable[] = "PASSWORD_STANDIN_LOADS";
const char PasswordStandInUnloadsVariable[] = "PASSWORD_STANDIN_UNLOADS";
// Answer when no in-process script is given, for a saver run as its own
// process: "1" approves, anything else refuses.
const char PasswordStandInAnswerVariable[] = "PASSWORD_STANDIN_ANSWER";
// A file that each load, verify call and unload adds a line to, for a saver
// run as its own process: "load", "verify", "unload" (freed) or "exit" (at
// the process's end, still loaded), whether a
// full-screen saver window exists ("window 0|1") and the system's
// saver-running state ("running 0|1").
const char PasswordStandInLogVariable[] = "PASSWORD_STANDIN_LOG";

struct StandInPasswordRecord {
    LONG verifyCalls;
    HWND lastWindow;
    // After the nested loop: the window still existed, a close was queued.
    LONG nestedWindowAlive;
    LONG nestedClosePending;
};

typedef void(WINAPI* StandInScriptEntry)(LONG mode, LONG answer);
typedef void(WINAPI* StandInRecordEntry)(StandInPasswordRecord* record);
