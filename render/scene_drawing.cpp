// The render child's drawing, kept apart from its window procedure so that
// the benchmark's same-scene reference runs the very same steps: set-up of
// the GL context, the scene and the 1 ms frame timer, one painted frame, and
// the teardown in reverse. Leaves out the window, its class and its input,
// and the shell's close rules that the render child applies.
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
    SetupGLContext(window);
    BuildScene();
    SetTimer(window, FrameTimerId, FramePeriodMs, nullptr);
}

void PaintSceneFrame(HWND window)
{
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    DrawFrame();
    SwapBuffers(renderState.deviceContext);
    EndPaint(window, &paint);
}

void EndSceneDrawing(HWND window)
{
    KillTimer(window, FrameTimerId);
    DeleteScene();
    ReleaseGLContext(window);
}
