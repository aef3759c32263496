// Reads the desktop's monitors into the renderer's views: each monitor's
// rectangle moved into the render child's client coordinates. The child sits
// at the desktop's top left (the screen's clip box), which may be negative.
// EnumDisplayMonitors is looked up at run time, since Windows 95 and NT 4.0
// lack it; without it the views stay empty. Leaves out when to read (the
// render child's) and the drawing of the views (frame).
#include "render/monitor_views.h"
#include "render/render_state.h"

namespace {
const char UserLibraryName[] = "USER32.DLL";
const char EnumMonitorsName[] = "EnumDisplayMonitors";
const BOOL GoOn = TRUE;

typedef BOOL(WINAPI* EnumMonitorsEntry)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT monitor, LPARAM origin)
{
    AddMonitorView(*monitor, *reinterpret_cast<const POINT*>(origin));
    return GoOn;
}

POINT DesktopOrigin()
{
    RECT desktop = {};
    HDC screenContext = GetDC(nullptr);
    GetClipBox(screenContext, &desktop);
    ReleaseDC(nullptr, screenContext);
    return {desktop.left, desktop.top};
}
}

RECT ChildViewRect(const RECT& monitor, POINT origin)
{
    return {monitor.left - origin.x, monitor.top - origin.y, monitor.right - origin.x, monitor.bottom - origin.y};
}

void AddMonitorView(const RECT& monitor, POINT origin)
{
    if (renderState.viewCount < MaxMonitorViews) {
        renderState.views[renderState.viewCount] = ChildViewRect(monitor, origin);
        ++renderState.viewCount;
    }
}

void ReadMonitorViews()
{
    renderState.viewCount = 0;
    const EnumMonitorsEntry enumMonitors = reinterpret_cast<EnumMonitorsEntry>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(UserLibraryName), EnumMonitorsName)));
    if (enumMonitors == nullptr) {
        return;
    }
    POINT origin = DesktopOrigin();
    if (!enumMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&origin))) {
        renderState.viewCount = 0;
    }
}
