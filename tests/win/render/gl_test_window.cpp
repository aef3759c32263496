// The render tests' window: class with CS_OWNDC as the render child has, the
// real SetupGLContext and ReleaseGLContext around each test.
#include "tests/win/render/gl_test_window.h"
#include "render/gl_context.h"
#include "render/render_state.h"
#include "render/scene.h"

namespace {
const char TestClassName[] = "RenderTestWindow";

void RegisterTestClass()
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = TestClassName;
    RegisterClassA(&windowClass); // fails harmlessly when already registered
}
}

GLTestWindow::GLTestWindow(bool setup, int side) : window(nullptr), released(!setup)
{
    RegisterTestClass();
    window = CreateWindowExA(0, TestClassName, "render test", WS_POPUP | WS_VISIBLE, 0, 0, side, side, nullptr,
        nullptr, GetModuleHandleA(nullptr), nullptr);
    if (setup) {
        SetupGLContext(window);
    }
}

GLTestWindow::~GLTestWindow()
{
    if (!released) {
        ReleaseGLContext(window);
    }
    DestroyWindow(window);
}

void ResetRenderRecords()
{
    renderState = InitialRenderState();
    sceneTexture.pixels = nullptr;
    sceneTexture.loaded = 0;
    sceneTexture.textureName = 0;
    sceneTexture.width = 0;
    sceneTexture.height = 0;
}
