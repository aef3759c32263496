// The renderer's process-wide record: one instance, plain fields.
#pragma once
#include <windows.h>
#include <GL/gl.h>
#include "render/animation.h"
#include "render/desktop.h"

const UINT_PTR SaverTimerId = 101;
const UINT_PTR FrameTimerId = 102;

struct RenderState {
    // Render child window.
    HWND childWindow;
    int childWidth;
    int childHeight;
    // GL context and palette; pixelFormatDescriptor starts as the request.
    HDC deviceContext;
    PIXELFORMATDESCRIPTOR pixelFormatDescriptor;
    int linearFiltering;
    HPALETTE palette;
    HGLRC glContext;
    // Scene: the list that clears and draws, and the model's list it calls.
    GLuint sceneList;
    GLuint modelList;
    // Animation, counted in drawn frames.
    FrameAnimation animation;
    // Full screen: the desktop the saver window covers, and when it was last
    // compared with the system's.
    Desktop desktop;
    DWORD desktopCheckTick;
    // One view per monitor in full screen, in the child's client coordinates;
    // fewer than two means the one view of the whole child.
    int viewCount;
    RECT views[MaxMonitorViews];
};

// The start values, pixel-format request included.
RenderState InitialRenderState();

extern RenderState renderState;
