// The render child's pixel format, its palette on palette-based displays
// (made at creation, realised again in the foreground when asked), the
// texture-filtering choice and the GL context, and their release. Set-up
// stops at the first step that fails, with no context. Leaves out the scene
// itself, which messages ask for the palette, and what is drawn without GL.
#include "render/gl_context.h"
#include "render/palette_levels.h"
#include "render/render_state.h"

namespace {
const BYTE RequestColorBits = 24;
const BYTE RequestDepthBits = 16;
const WORD PixelFormatVersion = 1;
// The portable record is GDI's, byte for byte.
static_assert(sizeof(PaletteRecord) == sizeof(LOGPALETTE), "the palette record is a LOGPALETTE");
static_assert(sizeof(PaletteColour) == sizeof(PALETTEENTRY), "a palette entry is a PALETTEENTRY");
static_assert(offsetof(PaletteRecord, entries) == offsetof(LOGPALETTE, palPalEntry), "entries where GDI has them");

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

bool SetupGLContext(HWND child)
{
    renderState.deviceContext = GetDC(child);
    const int format = ChoosePixelFormat(renderState.deviceContext, &renderState.pixelFormatDescriptor);
    // A driver with no GL for this window, or a window whose format was
    // set before: no context, and the child paints itself black.
    if (format == 0 || !SetPixelFormat(renderState.deviceContext, format, &renderState.pixelFormatDescriptor)) {
        return false;
    }
    DescribePixelFormat(renderState.deviceContext, format, sizeof(PIXELFORMATDESCRIPTOR),
        &renderState.pixelFormatDescriptor);
    // An installable or accelerated driver can afford linear filtering.
    const DWORD flags = renderState.pixelFormatDescriptor.dwFlags;
    if (!(flags & PFD_GENERIC_FORMAT) || (flags & PFD_GENERIC_ACCELERATED)) {
        renderState.linearFiltering = 1;
    }
    SetupPalette();
    const HGLRC context = wglCreateContext(renderState.deviceContext);
    if (context == nullptr) {
        return false;
    }
    if (!wglMakeCurrent(renderState.deviceContext, context)) {
        wglDeleteContext(context);
        return false;
    }
    renderState.glContext = context;
    return true;
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
    const size_t recordSize = PaletteRecordSize(layout);
    if (recordSize == 0) {
        return;
    }
    // The process heap: the saver links no C run-time with a heap of its own.
    PaletteRecord* record = static_cast<PaletteRecord*>(HeapAlloc(GetProcessHeap(), 0, recordSize));
    if (record == nullptr) {
        return; // the saver runs on with the system palette
    }
    FillPaletteRecord(layout, record);
    renderState.palette = CreatePalette(reinterpret_cast<LOGPALETTE*>(record));
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
    if (renderState.glContext != nullptr) {
        wglMakeCurrent(renderState.deviceContext, nullptr);
        wglDeleteContext(renderState.glContext);
        renderState.glContext = nullptr;
    }
    ReleaseDC(child, renderState.deviceContext);
}
