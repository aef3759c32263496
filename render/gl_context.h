// The render child's pixel format, palette and GL context.
#pragma once
#include <windows.h>

// The pixel-format request: RGBA, double-buffered, with a depth buffer.
PIXELFORMATDESCRIPTOR PixelFormatRequest();

// False, with no context made (glContext null), when a step fails: no
// pixel format, one that cannot be set, or no context to create or make
// current.
bool SetupGLContext(HWND child);
void SetupPalette();
// Made at creation, while the saver window was neither shown nor active, the
// palette was mapped as a background one. This realises it again as the
// foreground palette and repaints the picture in it; false (nothing done)
// where no palette was made.
bool RealizeScenePalette();
void ReleaseGLContext(HWND child);
