// Test support for the saver window's procedures: a saver window made with
// the real ShellWindowProc (so its creation opens the real render child and
// GL context), fresh process records, and helpers for the queue.
#pragma once
#include <windows.h>

#include <string>

// Both process records back at their start values, the instance and the NT
// family as start-up sets them.
void ResetProcessRecords();

// A visible pop-up of the saver window's class members, ShellWindowProc as
// its procedure, at (0, 0) with the given size; shellState.saverWindow is set
// once creation returns, as RunSaver does. parent non-null: a preview child.
HWND CreateSaverTestWindow(int width, int height, HWND parent = nullptr);
// A plain visible top-level window (DefWindowProcA), e.g. a preview parent.
HWND CreatePlainWindow(int width, int height);

// Takes the posted WM_CLOSE messages of the window off the queue.
int TakePostedCloses(HWND window);
// Takes a pending quit message off the queue; false if there is none.
bool TakeQuit(WPARAM* code);
// Test teardown: destroys the saver window and its parent where they still
// exist, then drops the closes and the quit message left on the queue.
void DiscardTestWindows(HWND saver, HWND parent = nullptr);
// Dispatches every message of the thread for the given time.
void PumpMessages(DWORD milliseconds);

// Whether a message sent to the window reaches DefaultShellProc for it: the
// AutoPlay answer there posts a close to the window it is called for, so the
// message is briefly made the AutoPlay message. Returns the closes posted.
int ClosesWhenAutoPlay(HWND target, HWND sentTo, UINT message, WPARAM wParam, LPARAM lParam,
    LRESULT* result = nullptr);

// The window's class name and title, as the system reports them.
std::string ClassOf(HWND window);
std::string TitleOf(HWND window);
