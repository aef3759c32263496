// The one ShellState of the process and its start values.
#include "shell/shell_state.h"

ShellState InitialShellState()
{
    ShellState state = {};
    state.mouseThreshold = MouseThresholdStart;
    state.lastCheckTick = NoCheckTick;
    return state;
}

ShellState shellState = InitialShellState();
