// The desktop that full screen covers: one reading of its rectangle and its
// monitors, the record of what the saver drew for, and its comparison.
#pragma once
#include <windows.h>

// Monitors beyond this many get no view of their own.
const int MaxMonitorViews = 16;

struct Desktop {
    // The screen's clip box: the virtual screen, whose top left may be
    // negative when a monitor lies left of or above the primary one.
    RECT bounds;
    // How many monitors the system lists, 0 when it cannot list them; only
    // the first MaxMonitorViews are kept.
    int monitorCount;
    RECT monitors[MaxMonitorViews];
};

Desktop ReadDesktop();
// Same rectangle and the same monitors, in the same order.
bool SameDesktop(const Desktop& a, const Desktop& b);
