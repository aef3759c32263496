// The program's entry point: finds the command tail and ends the process
// with the mode's result, without the run-time's exit processing.
#include <windows.h>

#include "shell/program_name.h"
#include "shell/start_up.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const char* commandTail = SkipProgramName(GetCommandLineA());
    int result = SaverMain(GetModuleHandleA(nullptr), commandTail);
    ExitProcess(static_cast<UINT>(result));
}
