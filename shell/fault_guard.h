// The fault guard around the run of a mode: a structured exception frame
// whose filter is the system's unhandled-exception filter.
#pragma once
#include <windows.h>

// Exit code of a run that ended in a fault the guard handled; it differs from
// every code a mode returns (-1, 0, 1).
const int FaultExitCode = 3;

typedef int (*GuardedEntry)(void* argument);

// Runs entry(argument) and returns its result. When a fault in it reaches
// the guard and UnhandledExceptionFilter answers EXCEPTION_EXECUTE_HANDLER,
// the saver-running state is cleared and the result is FaultExitCode.
int RunGuarded(GuardedEntry entry, void* argument);
