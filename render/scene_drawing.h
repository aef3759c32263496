// The render child's drawing, apart from its window procedure.
#pragma once
#include <windows.h>

// GL context and palette, the scene's display list, then the frame timer;
// without a context, the timer alone.
void BeginSceneDrawing(HWND window);
// One frame: the animation step and the replay, then the buffer swap; or,
// without a context, the painted area filled black.
void PaintSceneFrame(HWND window);
// The frame timer, the display list and the context, in reverse order.
void EndSceneDrawing(HWND window);
