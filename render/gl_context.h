// The render child's pixel format, palette and GL context.
#pragma once
#include <windows.h>

// The pixel-format request: RGBA, double-buffered, with a depth buffer.
PIXELFORMATDESCRIPTOR PixelFormatRequest();

void SetupGLContext(HWND child);
void SetupPalette();
// Made at creation, while the saver window was neither shown nor active, the
// palette was mapped as a background one. This realises it again as the
// foreground palette and repaints the picture in it; false (nothing done)
// where no palette was made.
bool RealizeScenePalette();
void ReleaseGLContext(HWND child);
