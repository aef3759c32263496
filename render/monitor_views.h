// Full screen's views: one per monitor of the desktop the saver drew for.
#pragma once
#include <windows.h>

// A monitor's rectangle (virtual-screen coordinates) in the client
// coordinates of a child whose client area's top left is at origin.
RECT ChildViewRect(const RECT& monitor, POINT origin);
// Sets the renderer's views from its desktop, measured from childOrigin,
// where the child's client area really is on the screen: one per monitor,
// or the one whole view for a single monitor, none, or more than there are
// views.
void PlaceViews(POINT childOrigin);
