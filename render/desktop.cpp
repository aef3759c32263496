// Reads the desktop: the screen's clip box and the monitors that
// EnumDisplayMonitors lists, less the invisible pseudo-monitors of mirroring
// drivers (desktop sharing and remote control on 2000 to 7), which
// EnumDisplayDevices marks; they are looked for only when the monitors
// listed outnumber the visible ones (SM_CMONITORS). Those functions and
// GetMonitorInfoA are looked up at run time, since Windows 95 and NT 4.0
// lack them; without EnumDisplayMonitors the desktop has no monitors,
// without the others every monitor is kept. Leaves out when to read
// (render_child) and the views (monitor_views).
#include "render/desktop.h"

namespace {
const char UserLibraryName[] = "USER32.DLL";
const char EnumMonitorsName[] = "EnumDisplayMonitors";
const char MonitorInfoName[] = "GetMonitorInfoA";
const char EnumDevicesName[] = "EnumDisplayDevicesA";
// Looked up with the others, so that the saver's imports stay those of 95.
const char SystemMetricsName[] = "GetSystemMetrics";
const BOOL GoOn = TRUE;

typedef BOOL(WINAPI* EnumMonitorsEntry)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);
typedef BOOL(WINAPI* MonitorInfoEntry)(HMONITOR, LPMONITORINFO);
typedef int(WINAPI* SystemMetricsEntry)(int);

// One reading: the desktop it fills, and the entries it reads each
// monitor's device with (null where the system lacks them).
struct Reading {
    Desktop* desktop;
    MonitorInfoEntry monitorInfo;
    EnumDevicesEntry enumDevices;
};

template <typename Entry> Entry UserEntry(const char* name)
{
    return reinterpret_cast<Entry>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(UserLibraryName), name)));
}

// Device names are compared byte for byte, as the system gives them both
// times.
bool SameName(const char* a, const char* b)
{
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

BOOL CALLBACK AddMonitor(HMONITOR handle, HDC, LPRECT monitor, LPARAM readingAddress)
{
    Reading& reading = *reinterpret_cast<Reading*>(readingAddress);
    MONITORINFOEXA info = {};
    info.cbSize = sizeof(MONITORINFOEXA);
    if (reading.monitorInfo == nullptr || !reading.monitorInfo(handle, &info)) {
        info.szDevice[0] = '\0';
    }
    info.rcMonitor = *monitor;
    AddRealMonitor(*reading.desktop, info, reading.enumDevices);
    return GoOn;
}

// SM_CMONITORS counts the visible monitors only; 0 where the system cannot
// say.
int VisibleMonitors()
{
    const SystemMetricsEntry systemMetrics = UserEntry<SystemMetricsEntry>(SystemMetricsName);
    return systemMetrics != nullptr ? systemMetrics(SM_CMONITORS) : 0;
}

void ReadMonitors(Desktop& desktop)
{
    const EnumMonitorsEntry enumMonitors = UserEntry<EnumMonitorsEntry>(EnumMonitorsName);
    if (enumMonitors == nullptr) {
        return;
    }
    Reading reading = {&desktop, nullptr, nullptr};
    if (!enumMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&reading))) {
        desktop.monitorCount = 0;
        return;
    }
    // Only a listing with more monitors than are visible holds a mirror's:
    // the devices are looked at then alone, since they are slow to read.
    const int visible = VisibleMonitors();
    if (visible == 0 || desktop.monitorCount <= visible) {
        return;
    }
    desktop.monitorCount = 0;
    reading.monitorInfo = UserEntry<MonitorInfoEntry>(MonitorInfoName);
    reading.enumDevices = UserEntry<EnumDevicesEntry>(EnumDevicesName);
    if (!enumMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&reading))) {
        desktop.monitorCount = 0;
    }
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
}

bool IsMirrorMonitor(const MONITORINFOEXA& monitor, EnumDevicesEntry enumDevices)
{
    if (enumDevices == nullptr || monitor.szDevice[0] == '\0') {
        return false;
    }
    DISPLAY_DEVICEA device = {};
    device.cb = sizeof(DISPLAY_DEVICEA);
    for (DWORD i = 0; enumDevices(nullptr, i, &device, 0); ++i) {
        if (SameName(device.DeviceName, monitor.szDevice)) {
            return (device.StateFlags & DISPLAY_DEVICE_MIRRORING_DRIVER) != 0;
        }
    }
    return false;
}

void AddRealMonitor(Desktop& desktop, const MONITORINFOEXA& monitor, EnumDevicesEntry enumDevices)
{
    if (IsMirrorMonitor(monitor, enumDevices)) {
        return;
    }
    if (desktop.monitorCount < MaxMonitorViews) {
        desktop.monitors[desktop.monitorCount] = monitor.rcMonitor;
    }
    ++desktop.monitorCount;
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

bool IsNewDesktop(const Desktop& reading, const Desktop& taken)
{
    const RECT& area = reading.bounds;
    return area.right > area.left && area.bottom > area.top && !SameDesktop(reading, taken);
}
