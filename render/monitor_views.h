// The monitors of the desktop as views within the render child.
#pragma once
#include <windows.h>

// Reads the monitors into the views of renderState: none when the system
// cannot list them, otherwise one each (up to MaxMonitorViews).
void ReadMonitorViews();
// A monitor's rectangle (virtual-screen coordinates) in the client
// coordinates of a child whose top left is at origin on the screen.
RECT ChildViewRect(const RECT& monitor, POINT origin);
// Appends the monitor's view, or ignores it once the views are full.
void AddMonitorView(const RECT& monitor, POINT origin);
