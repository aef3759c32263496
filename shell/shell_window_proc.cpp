// ShellWindowProc: the saver window's class procedure, first to see each of
// its messages. It detaches the input method while the window exists, hides
// the cursor, sends a preview's help requests to its parent, filters three
// system commands, yields on timer ticks (and confirms a held jump of the
// pointer on them), refuses title changes and, once a close is approved,
// keeps input, paint and ticks from the renderer. The close rules
// themselves are DefaultShellProc's; the scene is the renderer's.
#include "shell/shell_window_proc.h"

#include "render/render_child.h"
#include "shell/default_shell_proc.h"
#include "shell/shell_state.h"

namespace {
const char ImeLibraryName[] = "IMM32.DLL";
const char AssociateContextName[] = "ImmAssociateContext";
const int QuitCode = 0;
// Answer to a preview's help request, whether or not the parent still exists.
const LRESULT HelpHandled = 1;

// Only an input method the process already has is detached; none is loaded.
void DetachInputMethod(HWND window)
{
    shellState.imeLibrary = GetModuleHandleA(ImeLibraryName);
    if (shellState.imeLibrary == nullptr) {
        return;
    }
    shellState.associateContextEntry = reinterpret_cast<ImmAssociateContextEntry>(
        reinterpret_cast<void*>(GetProcAddress(shellState.imeLibrary, AssociateContextName)));
    if (shellState.associateContextEntry == nullptr) {
        return;
    }
    shellState.savedInputContext = shellState.associateContextEntry(window, nullptr);
}

void RestoreInputMethod(HWND window)
{
    if (shellState.imeLibrary != nullptr && shellState.associateContextEntry != nullptr &&
        shellState.savedInputContext != nullptr) {
        shellState.associateContextEntry(window, shellState.savedInputContext);
    }
}

void HideCursorOutsidePreview()
{
    if (shellState.isPreview == 0) {
        SetCursor(nullptr);
    }
}

// The display settings' own window answers help over the preview.
void PostHelpToParent(HWND window, UINT message, LPARAM lParam)
{
    HWND parent = GetParent(window);
    if (parent != nullptr && IsWindow(parent)) {
        PostMessageA(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
    }
}

// The renderer compares the desktop on the tick first, so a display change
// that came with a held jump of the pointer clears it before it closes.
LRESULT PassTickOn(HWND window, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = SceneSaverProc(window, WM_TIMER, wParam, lParam);
    ConfirmHeldJump();
    return result;
}

// Compared whole: a command with any low bits set is not one of these.
bool IsFilteredCommand(WPARAM command)
{
    return command == SC_NEXTWINDOW || command == SC_PREVWINDOW || command == SC_SCREENSAVE;
}
}

LRESULT CALLBACK ShellWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        DetachInputMethod(window);
        GetCursorPos(&shellState.mouseReference);
        HideCursorOutsidePreview();
        return SceneSaverProc(window, message, wParam, lParam);
    case WM_DESTROY:
        RestoreInputMethod(window);
        PostQuitMessage(QuitCode);
        return SceneSaverProc(window, message, wParam, lParam);
    case WM_SETTEXT:
        return 0;
    case WM_PAINT:
        if (shellState.closeApproved != 0) {
            return DefWindowProcA(window, message, wParam, lParam);
        }
        HideCursorOutsidePreview();
        return SceneSaverProc(window, message, wParam, lParam);
    case WM_HELP:
    case WM_CONTEXTMENU:
        if (shellState.isPreview != 0) {
            PostHelpToParent(window, message, lParam);
            return HelpHandled;
        }
        return SceneSaverProc(window, message, wParam, lParam);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (shellState.closeApproved != 0) {
            return DefWindowProcA(window, message, wParam, lParam);
        }
        return SceneSaverProc(window, message, wParam, lParam);
    case WM_SYSCOMMAND:
        if (shellState.isPreview == 0 && IsFilteredCommand(wParam)) {
            return 0;
        }
        return SceneSaverProc(window, message, wParam, lParam);
    case WM_TIMER:
        if (shellState.closeApproved != 0) {
            return 0;
        }
        Sleep(0);
        return PassTickOn(window, wParam, lParam);
    default:
        return SceneSaverProc(window, message, wParam, lParam);
    }
}
