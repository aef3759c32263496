// Password protection of the 95/98 family: reads the user's switch, loads the
// system's password provider, tells the system while a locked saver runs,
// puts close requests to the provider and runs the change-password dialog.
// The dialogs and the password itself belong to the system's components.
#include "shell/password.h"

#include "shell/shell_state.h"
#include "shell/window_handle.h"

typedef DWORD(WINAPI* PwdChangePasswordEntry)(LPCSTR provider, HWND parent, DWORD reserved1,
                                              DWORD reserved2);

static const char DesktopKeyName[] = "Control Panel\\Desktop";
static const char UsePasswordValueName[] = "ScreenSaveUsePassword";
static const char ProviderLibraryName[] = "PASSWORD.CPL";
static const char VerifyEntryName[] = "VerifyScreenSavePwd";
static const char ChangeLibraryName[] = "MPR.DLL";
static const char ChangeEntryName[] = "PwdChangePasswordA";
static const char ChangeProviderName[] = "SCRSAVE";
// Timer messages pending when the provider is asked, dropped so that the
// dialog does not start behind a backlog of frames.
const int StaleTimerPeeks = 2;
// The change-password mode's exit code, whatever the dialog did.
const int ChangePasswordResult = 0;

// The switch as a 32-bit number; a shorter value leaves the rest at 0, a
// longer one does not fit and fails the read.
static BOOL PasswordSwitchOn(HKEY desktop)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    LONG status = RegQueryValueExA(desktop, UsePasswordValueName, nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(&value), &size);
    return status == ERROR_SUCCESS && value != 0;
}

void LoadPasswordProvider()
{
    if (!shellState.isWin9xFamily) {
        return;
    }
    if (shellState.providerLibrary != nullptr) {
        UnloadPasswordProvider();
    }
    HKEY desktop;
    if (RegOpenKeyA(HKEY_CURRENT_USER, DesktopKeyName, &desktop) != ERROR_SUCCESS) {
        return;
    }
    if (PasswordSwitchOn(desktop)) {
        shellState.providerLibrary = LoadLibraryA(ProviderLibraryName);
        if (shellState.providerLibrary != nullptr) {
            shellState.verifyEntry = reinterpret_cast<VerifyScreenSavePwdEntry>(
                reinterpret_cast<void*>(GetProcAddress(shellState.providerLibrary, VerifyEntryName)));
            if (shellState.verifyEntry != nullptr) {
                SetSaverRunning(TRUE);
            } else {
                UnloadPasswordProvider();
            }
        }
    }
    RegCloseKey(desktop);
}

void UnloadPasswordProvider()
{
    if (!shellState.isWin9xFamily || shellState.providerLibrary == nullptr) {
        return;
    }
    FreeLibrary(shellState.providerLibrary);
    shellState.providerLibrary = nullptr;
    // The system hears that the saver stopped only if it heard that one runs.
    if (shellState.verifyEntry != nullptr) {
        shellState.verifyEntry = nullptr;
        SetSaverRunning(FALSE);
    }
}

void SetSaverRunning(BOOL running)
{
    if (!shellState.isWin9xFamily) {
        return;
    }
    BOOL previous = FALSE;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, static_cast<UINT>(running), &previous, 0);
}

BOOL VerifyOnClose(HWND window)
{
    // A close that arrives while the provider's dialog is open is turned away.
    if (shellState.passwordCheckActive) {
        return FALSE;
    }
    if (shellState.verifyEntry == nullptr) {
        shellState.closeApproved = TRUE;
        return shellState.closeApproved;
    }
    DWORD now = GetTickCount();
    // Unsigned difference: a check that ended just before the tick count
    // wrapped still counts as recent.
    if (shellState.lastCheckTick != NoCheckTick && now - shellState.lastCheckTick < RecheckIntervalMs) {
        return FALSE;
    }
    shellState.passwordCheckActive = TRUE;
    MSG stale;
    for (int i = 0; i < StaleTimerPeeks; ++i) {
        PeekMessageA(&stale, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    }
    LRESULT answer = SendMessageA(window, PasswordQueryMessage, 0, 0);
    shellState.closeApproved = static_cast<BOOL>(answer);
    shellState.passwordCheckActive = FALSE;
    if (answer == 0) {
        SetCursor(nullptr);
    }
    shellState.lastCheckTick = GetTickCount();
    return shellState.closeApproved;
}

int ChangePassword(const char* text)
{
    HWND parent = WindowOrForeground(WindowFromDecimal(text));
    HMODULE library = LoadLibraryA(ChangeLibraryName);
    if (library == nullptr) {
        return ChangePasswordResult;
    }
    PwdChangePasswordEntry entry = reinterpret_cast<PwdChangePasswordEntry>(
        reinterpret_cast<void*>(GetProcAddress(library, ChangeEntryName)));
    if (entry != nullptr) {
        entry(ChangeProviderName, parent, 0, 0);
    }
    FreeLibrary(library);
    return ChangePasswordResult;
}
