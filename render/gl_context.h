// The render child's pixel format, palette and GL context.
#pragma once
#include <windows.h>

// The pixel-format request: RGBA, double-buffered, with a depth buffer.
PIXELFORMATDESCRIPTOR PixelFormatRequest();

void SetupGLContext(HWND child);
void SetupPalette();
void ReleaseGLContext(HWND child);
