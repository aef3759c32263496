// Reads the desktop: the screen's clip box and the monitors that
// EnumDisplayMonitors lists. That function is looked up at run time, since
// Windows 95 and NT 4.0 lack it; without it the desktop has no monitors.
// Leaves out when to read (render_child) and the views (monitor_views).
#include "render/desktop.h"

namespace {
const char UserLibraryName[] = "USER32.DLL";
const char EnumMonitorsName[] = "EnumDisplayMonitors";
const BOOL GoOn = TRUE;

typedef BOOL(WINAPI* EnumMonitorsEntry)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT monitor, LPARAM desktopAddress)
{
    Desktop& desktop = *reinterpret_cast<Desktop*>(desktopAddress);
    if (desktop.monitorCount < MaxMonitorViews) {
        desktop.monitors[desktop.monitorCount] = *monitor;
    }
    ++desktop.monitorCount;
    return GoOn;
}

void ReadMonitors(Desktop& desktop)
{
    const EnumMonitorsEntry enumMonitors = reinterpret_cast<EnumMonitorsEntry>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(UserLibraryName), EnumMonitorsName)));
    if (enumMonitors == nullptr) {
        return;
    }
    if (!enumMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&desktop))) {
        desktop.monitorCount = 0;
    }
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
}

Desktop ReadDesktop()
{
    Desktop desktop = {};
    HDC screenContext = GetDC(nullptr);
    GetClipBox(screenContext, &desktop.bounds);
    ReleaseDC(nullptr, screenContext);
    ReadMonitors(desktop);
    return desktop;
}

bool SameDesktop(const Desktop& a, const Desktop& b)
{
    if (!SameRect(a.bounds, b.bounds) || a.monitorCount != b.monitorCount) {
        return false;
    }
    const int kept = a.monitorCount < MaxMonitorViews ? a.monitorCount : MaxMonitorViews;
    for (int i = 0; i < kept; ++i) {
        if (!SameRect(a.monitors[i], b.monitors[i])) {
            return false;
        }
    }
    return true;
}
