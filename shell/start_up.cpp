// Start-up and mode dispatch: records the instance and the system family,
// reads the switch and runs one mode inside the fault guard. The modes
// themselves live in saver_window, about_dialog and password.
#include "shell/start_up.h"

#include "shell/about_dialog.h"
#include "shell/fault_guard.h"
#include "shell/password.h"
#include "shell/saver_window.h"
#include "shell/shell_state.h"
#include "shell/window_handle.h"

// Exit code for a command line that names no usable mode or preview window.
const int InvalidModeCode = -1;
// The size field the version query is given: the plain OSVERSIONINFOA.
const DWORD VersionInfoSize = 148;
static_assert(sizeof(OSVERSIONINFOA) == VersionInfoSize, "OSVERSIONINFOA layout");

static const char* SkipSpaces(const char* text)
{
    while (*text == ' ') {
        ++text;
    }
    return text;
}

// The text after C: an owner only as ":N"; otherwise the foreground window.
static HWND ConfigureOwner(const char* text)
{
    return WindowOrForeground(*text == ':' ? WindowFromDecimal(text + 1) : nullptr);
}

static int DispatchMode(void* argument)
{
    const char* at = static_cast<const char*>(argument);
    while (*at == ' ' || *at == '-' || *at == '/') {
        ++at;
    }
    switch (*at) {
    case '\0':
        return static_cast<int>(ShowAboutDialog(nullptr));
    case 'S':
    case 's':
        return RunSaver(nullptr);
    case 'P':
    case 'p':
    case 'L':
    case 'l':
        return RunPreview(SkipSpaces(at + 1));
    case 'C':
    case 'c':
        return static_cast<int>(ShowAboutDialog(ConfigureOwner(at + 1)));
    case 'A':
    case 'a':
        if (shellState.isWin9xFamily) {
            return ChangePassword(SkipSpaces(at + 1));
        }
        return InvalidModeCode;
    default:
        return InvalidModeCode;
    }
}

int SaverMain(HINSTANCE instance, const char* commandTail)
{
    shellState.instance = instance;
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = VersionInfoSize;
    shellState.isWin9xFamily =
        (GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) ? 1 : 0;
    return RunGuarded(DispatchMode, const_cast<char*>(commandTail));
}

int RunPreview(const char* text)
{
    HWND parent = WindowFromDecimal(text);
    if (parent == nullptr || !IsWindow(parent)) {
        return InvalidModeCode;
    }
    return RunSaver(parent);
}
