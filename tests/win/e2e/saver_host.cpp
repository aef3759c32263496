// Plays the system's display settings for the end-to-end tests: starts the
// built saver as a separate process and checks what it shows.
//   saver_host preview SAVER TAIL [HOLD] - makes a parent window, starts
//     the saver with TAIL (%u becomes the parent's handle), checks the preview
//     window tree, keeps it up for HOLD milliseconds (default 1000), or with
//     HOLD "until:FILE" until FILE exists (at most HeldAtMostMs), destroys
//     the parent, and expects exit code 0.
//   saver_host about SAVER TAIL owned|unowned enter|esc|close-button|close -
//     starts the saver with TAIL (%u becomes a window of this process), finds
//     the about box, checks its owner, then ends it with Enter, Esc, the
//     caption's close button (SC_CLOSE) or WM_CLOSE; each must close it with
//     exit code 1.
//   saver_host run SAVER TAIL SECONDS - starts the saver with exactly TAIL
//     behind its quoted name and exits with the saver's exit code (98 when
//     the saver did not end in time; it is then terminated), once no
//     full-screen saver window is left (at most GoneTimeoutMs), printing
//     the system's saver-running state then.
//   saver_host orphan SAVER - as preview, but the parent window belongs to
//     a second host process ("hold"), which is then ended with
//     TerminateProcess, as when the display settings crash; the saver must
//     end with exit code 0 within OrphanEndMs.
//   saver_host hold - shows the window that orphan puts the preview in, until
//     it is ended.
//   saver_host end - ends the running full-screen saver's process from
//     outside, with exit code 98, as a saver that would not close is ended;
//     exits 0 when there was one to end.
//   saver_host monitors - prints the number of monitors the system reports
//     and each monitor's rectangle on the desktop; then, while a full-screen
//     saver runs, the rectangles of its window and of its render child on
//     the desktop, and while a preview runs in this host's window, the
//     rectangle of its window; exits with the number of monitors. With
//     "each-line", the same for each line it reads, each report ended by a
//     line ".", until its input ends; exits 0.
// preview and about exit 0 when every check held and print what failed.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

const DWORD WaitStepMs = 50;
const DWORD AppearTimeoutMs = 15000;
const DWORD EndTimeoutMs = 10000;
const DWORD StayOpenMs = 1000;
const DWORD MsPerSecond = 1000;
const DWORD OrphanEndMs = 3000;
// A preview held until the tests say so ends by itself after this.
const DWORD HeldAtMostMs = 120000;
const DWORD GoneTimeoutMs = 15000;
const char HoldUntilPrefix[] = "until:";
// Exit code of a saver that the host had to end.
const UINT TerminatedCode = 98;
const char PreviewHostTitle[] = "Preview host";
const char HeldWindowTitle[] = "Preview host (held)";

static int failures = 0;

static void Check(bool condition, const char* what)
{
    if (!condition) {
        printf("FAIL: %s\n", what);
        ++failures;
    }
}

static void PumpFor(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
        Sleep(WaitStepMs / 5);
    }
}

// Pumps messages until the file exists, as long as the tests want the
// window, or until HeldAtMostMs have passed.
static void PumpUntilFile(const char* path)
{
    DWORD start = GetTickCount();
    while (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES && GetTickCount() - start < HeldAtMostMs) {
        PumpFor(WaitStepMs);
    }
}

static HWND MakeWindow(const char* title)
{
    HWND window = CreateWindowExA(0, "STATIC", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 320, 240,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    PumpFor(WaitStepMs);
    return window;
}

static bool StartSaver(const char* saver, const char* tailFormat, HWND handle, PROCESS_INFORMATION* process)
{
    char tail[256];
    snprintf(tail, sizeof tail, tailFormat, static_cast<unsigned>(reinterpret_cast<UINT_PTR>(handle)));
    char commandLine[1024];
    snprintf(commandLine, sizeof commandLine, "\"%s\" %s", saver, tail);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    return CreateProcessA(saver, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, process);
}

static DWORD WaitExit(PROCESS_INFORMATION* process)
{
    DWORD code = STILL_ACTIVE;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < EndTimeoutMs) {
        PumpFor(WaitStepMs);
        if (WaitForSingleObject(process->hProcess, 0) == WAIT_OBJECT_0) {
            GetExitCodeProcess(process->hProcess, &code);
            return code;
        }
    }
    TerminateProcess(process->hProcess, 99);
    printf("FAIL: the saver did not end; terminated\n");
    ++failures;
    return code;
}

// Pumps messages until find() gives a window or the time to appear is up.
template <typename Find> static HWND WaitForWindow(Find find)
{
    HWND found = nullptr;
    DWORD start = GetTickCount();
    while (found == nullptr && GetTickCount() - start < AppearTimeoutMs) {
        PumpFor(WaitStepMs);
        found = find();
    }
    return found;
}

static int Preview(const char* saver, const char* tail, const char* hold)
{
    HWND parent = MakeWindow(PreviewHostTitle);
    SetForegroundWindow(parent);
    Check(GetForegroundWindow() == parent && GetFocus() == parent, "the host's window has the foreground and the "
          "keyboard focus before the preview starts");
    PROCESS_INFORMATION process = {};
    if (!StartSaver(saver, tail, parent, &process)) {
        printf("FAIL: CreateProcess\n");
        return 1;
    }
    HWND preview = nullptr;
    HWND child = WaitForWindow([&] {
        preview = FindWindowExA(parent, nullptr, "WindowsScreenSaverClass", "Preview");
        return preview ? FindWindowExA(preview, nullptr, "NTDEVCLASS", "Child1") : nullptr;
    });
    Check(preview != nullptr, "preview window of class WindowsScreenSaverClass titled Preview in the parent");
    Check(child != nullptr, "render child of class NTDEVCLASS titled Child1 in the preview window");
    if (preview) {
        RECT parentArea, previewArea;
        GetClientRect(parent, &parentArea);
        GetClientRect(preview, &previewArea);
        Check(EqualRect(&parentArea, &previewArea) != 0, "preview covers the parent's client area");
        DWORD owner = 0;
        GetWindowThreadProcessId(preview, &owner);
        Check(owner == process.dwProcessId, "preview window belongs to the saver process");
    }
    if (strncmp(hold, HoldUntilPrefix, strlen(HoldUntilPrefix)) == 0) {
        PumpUntilFile(hold + strlen(HoldUntilPrefix));
    } else {
        PumpFor(hold[0] != '\0' ? static_cast<DWORD>(atoi(hold)) : StayOpenMs);
    }
    Check(WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT, "saver still runs while its parent exists");
    // The settings' window stays the user's: the preview takes neither.
    Check(GetForegroundWindow() == parent, "the host's window keeps the foreground while the preview draws");
    Check(GetFocus() == parent, "the host's window keeps the keyboard focus while the preview draws");
    DestroyWindow(parent);
    DWORD code = WaitExit(&process);
    printf("preview exit code %lu\n", code);
    Check(code == 0, "exit code 0 after the parent went");
    return failures ? 1 : 0;
}

// The window a preview is put in, held by another process that then dies
// without destroying it.
static int Orphan(const char* saver)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    PROCESS_INFORMATION holder = {};
    if (!StartSaver(self, "hold", nullptr, &holder)) {
        printf("FAIL: CreateProcess of the holder\n");
        return 1;
    }
    HWND parent = WaitForWindow([] { return FindWindowA("STATIC", HeldWindowTitle); });
    Check(parent != nullptr, "the holder's window appeared");
    PROCESS_INFORMATION process = {};
    if (parent == nullptr || !StartSaver(saver, "/p %u", parent, &process)) {
        TerminateProcess(holder.hProcess, 1);
        printf("FAIL: no preview started\n");
        return 1;
    }
    HWND preview = WaitForWindow([&] { return FindWindowExA(parent, nullptr, "WindowsScreenSaverClass", "Preview"); });
    Check(preview != nullptr, "preview window in the holder's window");
    TerminateProcess(holder.hProcess, 1);
    WaitForSingleObject(holder.hProcess, EndTimeoutMs);
    DWORD start = GetTickCount();
    bool ended = WaitForSingleObject(process.hProcess, OrphanEndMs) == WAIT_OBJECT_0;
    printf("saver after its host died: %s after %lu ms\n", ended ? "ended" : "still running", GetTickCount() - start);
    Check(ended, "the saver ends once its host is gone");
    DWORD code = WaitExit(&process);
    Check(code == 0, "exit code 0 after the host died");
    return failures ? 1 : 0;
}

static int Hold()
{
    MakeWindow(HeldWindowTitle);
    for (;;) {
        PumpFor(MsPerSecond);
    }
}

static HWND FindAboutBox(DWORD processId)
{
    HWND found = nullptr;
    while ((found = FindWindowExA(nullptr, found, "#32770", "Another Vexmoor Screen Saver")) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(found, &owner);
        if (owner == processId) {
            return found;
        }
    }
    return nullptr;
}

static void SendKey(HWND target, UINT key)
{
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

// Ends the about box as a user would: a key to its focused OK button, the
// caption's close button, or a close request. False for an unknown way.
static bool EndAboutBox(HWND box, HWND okButton, const char* how)
{
    if (strcmp(how, "enter") == 0) {
        SendKey(okButton, VK_RETURN);
    } else if (strcmp(how, "esc") == 0) {
        SendKey(okButton, VK_ESCAPE);
    } else if (strcmp(how, "close-button") == 0) {
        PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (strcmp(how, "close") == 0) {
        PostMessageA(box, WM_CLOSE, 0, 0);
    } else {
        return false;
    }
    return true;
}

static int About(const char* saver, const char* tail, bool owned, const char* how)
{
    HWND owner = MakeWindow("About host");
    SetForegroundWindow(owner);
    PumpFor(WaitStepMs);
    PROCESS_INFORMATION process = {};
    if (!StartSaver(saver, tail, owner, &process)) {
        printf("FAIL: CreateProcess\n");
        return 1;
    }
    // The box is found as soon as it exists; its controls follow.
    HWND box = nullptr;
    HWND okButton = WaitForWindow([&] {
        box = FindAboutBox(process.dwProcessId);
        return box ? GetDlgItem(box, IDOK) : nullptr;
    });
    Check(box != nullptr, "about box appeared");
    Check(okButton != nullptr, "OK button");
    if (okButton) {
        HWND actualOwner = GetWindow(box, GW_OWNER);
        printf("about box owner %p (host window %p)\n", static_cast<void*>(actualOwner), static_cast<void*>(owner));
        Check(owned ? actualOwner == owner : actualOwner == nullptr, owned ? "owned by the host window" : "no owner");
        Check(EndAboutBox(box, okButton, how), "a known way to end the box");
    }
    DWORD code = WaitExit(&process);
    printf("about exit code %lu after %s\n", code, how);
    Check(code == 1, "exit code 1");
    DestroyWindow(owner);
    return failures ? 1 : 0;
}


// The full-screen saver window of the process, if it is still there.
static HWND SaverWindowOf(DWORD processId)
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "WindowsScreenSaverClass", "Screen Saver")) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId) {
            return window;
        }
    }
    return nullptr;
}

// A process's windows can outlive it by a moment, and until they go a new
// full-screen start takes them for a saver already running: the host ends
// once its saver's are gone, so the next start needs no wait of its own.
static void WaitGone(DWORD processId)
{
    DWORD start = GetTickCount();
    while (SaverWindowOf(processId) != nullptr) {
        if (GetTickCount() - start >= GoneTimeoutMs) {
            printf("FAIL: the saver's full-screen window is still there after its process\n");
            return;
        }
        Sleep(WaitStepMs);
    }
}

static int Run(const char* saver, const char* tail, DWORD seconds)
{
    PROCESS_INFORMATION process = {};
    if (!StartSaver(saver, tail, nullptr, &process)) {
        printf("FAIL: CreateProcess\n");
        return 97;
    }
    DWORD code = TerminatedCode;
    if (WaitForSingleObject(process.hProcess, seconds * MsPerSecond) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, TerminatedCode);
        WaitForSingleObject(process.hProcess, EndTimeoutMs);
    } else {
        GetExitCodeProcess(process.hProcess, &code);
    }
    WaitGone(process.dwProcessId);
    // The 95/98 family's saver-running state, which a saver left set would
    // keep blocking Ctrl+Alt+Del with.
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    printf("saver-running state after the saver: %d\n", running ? 1 : 0);
    return static_cast<int>(code);
}

static int EndRunningSaver()
{
    HWND saver = FindWindowA("WindowsScreenSaverClass", "Screen Saver");
    DWORD processId = 0;
    if (saver != nullptr) {
        GetWindowThreadProcessId(saver, &processId);
    }
    HANDLE process = processId != 0 ? OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId) : nullptr;
    if (process == nullptr) {
        printf("FAIL: no full-screen saver to end\n");
        return 1;
    }
    TerminateProcess(process, TerminatedCode);
    WaitForSingleObject(process, EndTimeoutMs);
    CloseHandle(process);
    return 0;
}

static void PrintRect(const RECT* area)
{
    printf(" %ld,%ld-%ld,%ld", area->left, area->top, area->right, area->bottom);
}

static BOOL CALLBACK PrintMonitor(HMONITOR, HDC, LPRECT area, LPARAM)
{
    PrintRect(area);
    return TRUE;
}

static int Monitors()
{
    const int count = GetSystemMetrics(SM_CMONITORS);
    printf("monitors %d:", count);
    EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, 0);
    printf("\n");
    // Where the saver's picture really is, which the monitors' views are
    // cut from.
    HWND saver = FindWindowA("WindowsScreenSaverClass", "Screen Saver");
    HWND child = saver ? FindWindowExA(saver, nullptr, "NTDEVCLASS", "Child1") : nullptr;
    RECT area;
    if (saver && GetWindowRect(saver, &area)) {
        printf("saver");
        PrintRect(&area);
        if (child && GetWindowRect(child, &area)) {
            printf(" child");
            PrintRect(&area);
        }
        printf("\n");
    }
    HWND host = FindWindowA("STATIC", PreviewHostTitle);
    HWND preview = host ? FindWindowExA(host, nullptr, "WindowsScreenSaverClass", "Preview") : nullptr;
    if (preview && GetWindowRect(preview, &area)) {
        printf("preview");
        PrintRect(&area);
        printf("\n");
    }
    return count;
}

// One process that answers again and again: after some display changes
// Wine holds a new program at its start for half a minute, while the
// programs already running go on.
static int MonitorsPerLine()
{
    // A byte at a time, as it comes: the C library's input waits for more.
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    char byte;
    DWORD read;
    while (ReadFile(input, &byte, 1, &read, nullptr) && read == 1) {
        if (byte == '\n') {
            Monitors();
            printf(".\n");
            fflush(stdout);
        }
    }
    return 0;
}

int main(int argc, char** argv)
{
    if (argc >= 3 && strcmp(argv[1], "monitors") == 0 && strcmp(argv[2], "each-line") == 0) {
        return MonitorsPerLine();
    }
    if (argc >= 2 && strcmp(argv[1], "monitors") == 0) {
        return Monitors();
    }
    if (argc >= 5 && strcmp(argv[1], "run") == 0) {
        return Run(argv[2], argv[3], static_cast<DWORD>(atoi(argv[4])));
    }
    if (argc >= 4 && strcmp(argv[1], "preview") == 0) {
        return Preview(argv[2], argv[3], argc >= 5 ? argv[4] : "");
    }
    if (argc >= 3 && strcmp(argv[1], "orphan") == 0) {
        return Orphan(argv[2]);
    }
    if (argc >= 2 && strcmp(argv[1], "end") == 0) {
        return EndRunningSaver();
    }
    if (argc >= 2 && strcmp(argv[1], "hold") == 0) {
        return Hold();
    }
    if (argc >= 6 && strcmp(argv[1], "about") == 0) {
        return About(argv[2], argv[3], strcmp(argv[4], "owned") == 0, argv[5]);
    }
    printf("usage: saver_host preview SAVER TAIL [HOLD] | about SAVER TAIL owned|unowned HOW | run SAVER TAIL SECONDS"
           " | orphan SAVER | hold | end | monitors [each-line]\n");
    return 2;
}
