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
    // How many monitors the system lists, mirrors' pseudo-monitors left out,
    // 0 when it cannot list them; only the first MaxMonitorViews are kept.
    int monitorCount;
    RECT monitors[MaxMonitorViews];
};

Desktop ReadDesktop();
// Same rectangle and the same monitors, in the same order.
bool SameDesktop(const Desktop& a, const Desktop& b);
// Whether full screen is to cover READING in place of TAKEN: a reading
// with an area that is another desktop. The screen's clip box can be empty
// while a display change is under way; taken, such a reading would size
// the windows to nothing and leave no desktop to follow.
bool IsNewDesktop(const Desktop& reading, const Desktop& taken);
// EnumDisplayDevicesA's signature: the display devices, one record an
// index, until it returns FALSE.
typedef BOOL(WINAPI* EnumDevicesEntry)(LPCSTR, DWORD, PDISPLAY_DEVICEA, DWORD);
// Whether the monitor, as GetMonitorInfoA describes it, belongs to a device
// that enumDevices marks as a mirroring driver's: an invisible
// pseudo-monitor. A device it does not list, or no enumDevices, is real.
bool IsMirrorMonitor(const MONITORINFOEXA& monitor, EnumDevicesEntry enumDevices);
// Counts the monitor into the desktop, keeping its rectangle while there is
// room, unless it is a mirror's.
void AddRealMonitor(Desktop& desktop, const MONITORINFOEXA& monitor, EnumDevicesEntry enumDevices);
