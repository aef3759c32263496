// The render child's pixel format, its palette on palette-based displays
// (made at creation, realised again in the foreground when asked), the
// texture-filtering choice and the GL context, and their release. Leaves out
// the scene itself and which messages ask for the palette.
#include "render/gl_context.h"
#include "render/palette_levels.h"
#include "render/render_state.h"

namespace {
const BYTE RequestColorBits = 24;
const BYTE RequestDepthBits = 16;
const WORD PixelFormatVersion = 1;
const WORD PaletteVersion = 0x300;

// FALSE: as a foreground palette, which GDI maps as such once the saver
// window is active.
void SelectScenePalette()
{
    SelectPalette(renderState.deviceContext, renderState.palette, FALSE);
    RealizePalette(renderState.deviceContext);
}
}

PIXELFORMATDESCRIPTOR PixelFormatRequest()
{
    PIXELFORMATDESCRIPTOR request = {};
    request.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    request.nVersion = PixelFormatVersion;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = RequestColorBits;
    request.cDepthBits = RequestDepthBits;
    request.iLayerType = PFD_MAIN_PLANE;
    return request;
}

void SetupGLContext(HWND child)
{
    renderState.deviceContext = GetDC(child);
    const int format = ChoosePixelFormat(renderState.deviceContext, &renderState.pixelFormatDescriptor);
    SetPixelFormat(renderState.deviceContext, format, &renderState.pixelFormatDescriptor);
    DescribePixelFormat(renderState.deviceContext, format, sizeof(PIXELFORMATDESCRIPTOR),
        &renderState.pixelFormatDescriptor);
    // An installable or accelerated driver can afford linear filtering.
    const DWORD flags = renderState.pixelFormatDescriptor.dwFlags;
    if (!(flags & PFD_GENERIC_FORMAT) || (flags & PFD_GENERIC_ACCELERATED)) {
        renderState.linearFiltering = 1;
    }
    SetupPalette();
    renderState.glContext = wglCreateContext(renderState.deviceContext);
    wglMakeCurrent(renderState.deviceContext, renderState.glContext);
}

void SetupPalette()
{
    const int format = GetPixelFormat(renderState.deviceContext);
    PIXELFORMATDESCRIPTOR description = {};
    DescribePixelFormat(renderState.deviceContext, format, sizeof(PIXELFORMATDESCRIPTOR), &description);
    if (!(description.dwFlags & PFD_NEED_PALETTE)) {
        return;
    }
    PaletteLayout layout;
    layout.colorBits = description.cColorBits;
    layout.redBits = description.cRedBits;
    layout.redShift = description.cRedShift;
    layout.greenBits = description.cGreenBits;
    layout.greenShift = description.cGreenShift;
    layout.blueBits = description.cBlueBits;
    layout.blueShift = description.cBlueShift;
    const uint32_t count = PaletteEntryCount(layout);
    if (count == 0) {
        return;
    }
    // LOGPALETTE carries room for one entry itself.
    // The process heap: the saver links no C run-time with a heap of its own.
    const SIZE_T recordSize = sizeof(LOGPALETTE) + (count - 1) * sizeof(PALETTEENTRY);
    LOGPALETTE* record = static_cast<LOGPALETTE*>(HeapAlloc(GetProcessHeap(), 0, recordSize));
    if (record == nullptr) {
        return; // the saver runs on with the system palette
    }
    record->palVersion = PaletteVersion;
    record->palNumEntries = static_cast<WORD>(count);
    for (uint32_t index = 0; index < count; ++index) {
        const PaletteColour colour = PaletteEntryFor(layout, index);
        record->palPalEntry[index].peRed = colour.red;
        record->palPalEntry[index].peGreen = colour.green;
        record->palPalEntry[index].peBlue = colour.blue;
        record->palPalEntry[index].peFlags = colour.flags;
    }
    renderState.palette = CreatePalette(record);
    SelectScenePalette();
    HeapFree(GetProcessHeap(), 0, record);
}

bool RealizeScenePalette()
{
    if (renderState.palette == nullptr || renderState.childWindow == nullptr) {
        return false;
    }
    SelectScenePalette();
    InvalidateRect(renderState.childWindow, nullptr, FALSE);
    return true;
}

void ReleaseGLContext(HWND child)
{
    wglMakeCurrent(renderState.deviceContext, nullptr);
    wglDeleteContext(renderState.glContext);
    ReleaseDC(child, renderState.deviceContext);
}
