// The render child's drawing, kept apart from its window procedure so that
// the benchmark's same-scene reference runs the very same steps: set-up of
// the GL context, the scene and the 1 ms frame timer, one painted frame (or,
// where GL could not be set up, a black one), and the teardown in reverse.
// Leaves out the window, its class and its input, and the shell's close
// rules that the render child applies.
#include "render/scene_drawing.h"

#include "render/frame.h"
#include "render/gl_context.h"
#include "render/render_state.h"
#include "render/scene.h"

namespace {
const UINT FramePeriodMs = 1;
}

void BeginSceneDrawing(HWND window)
{
    if (SetupGLContext(window)) {
        BuildScene();
    }
    SetTimer(window, FrameTimerId, FramePeriodMs, nullptr);
}

void PaintSceneFrame(HWND window)
{
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    if (renderState.glContext != nullptr) {
        DrawFrame();
        SwapBuffers(renderState.deviceContext);
    } else {
        // Without GL the frame is black all the same: the class's brush,
        // through the default erase, over whatever the screen showed.
        DefWindowProcA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint.hdc), 0);
    }
    EndPaint(window, &paint);
}

void EndSceneDrawing(HWND window)
{
    KillTimer(window, FrameTimerId);
    if (renderState.glContext != nullptr) {
        DeleteScene();
    }
    ReleaseGLContext(window);
}
