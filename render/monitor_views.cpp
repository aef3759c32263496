// Places full screen's views: each monitor of the renderer's desktop moved
// into the render child's client coordinates. Measured from the child's
// real place on the screen, not from the desktop's corner, which moves when
// the monitors change before the child follows. Leaves out the reading of
// the desktop (desktop) and the drawing of the views (frame).
#include "render/monitor_views.h"
#include "render/frame.h"
#include "render/render_state.h"

namespace {
const int SeveralMonitors = 2;
}

RECT ChildViewRect(const RECT& monitor, POINT origin)
{
    return {monitor.left - origin.x, monitor.top - origin.y, monitor.right - origin.x, monitor.bottom - origin.y};
}

void PlaceViews(POINT childOrigin)
{
    const int viewCountBefore = renderState.viewCount;
    const Desktop& desktop = renderState.desktop;
    // Past the last view, one whole view still clears every monitor.
    const bool oneViewEach = desktop.monitorCount >= SeveralMonitors && desktop.monitorCount <= MaxMonitorViews;
    renderState.viewCount = oneViewEach ? desktop.monitorCount : 0;
    for (int i = 0; i < renderState.viewCount; ++i) {
        renderState.views[i] = ChildViewRect(desktop.monitors[i], childOrigin);
    }
    ApplyViews(viewCountBefore);
}
