// The render child's pixel format, palette choice, filtering flag and GL
// context, on Wine's real pixel formats and Mesa.
#include "render/gl_context.h"
#include "render/render_state.h"
#include "tests/win/render/gl_test_window.h"
#include <gtest/gtest.h>
#include <string.h>

namespace {

class GLContextTest : public ::testing::Test {
protected:
    void SetUp() override { ResetRenderRecords(); }
};

TEST_F(GLContextTest, RequestAsksForDoubleBufferedRGBAWithDepth)
{
    const PIXELFORMATDESCRIPTOR request = PixelFormatRequest();
    EXPECT_EQ(request.nSize, 40);
    EXPECT_EQ(request.nVersion, 1);
    EXPECT_EQ(request.dwFlags, static_cast<DWORD>(PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER));
    EXPECT_EQ(request.iPixelType, PFD_TYPE_RGBA);
    EXPECT_GT(request.cColorBits, 0);
    EXPECT_GT(request.cDepthBits, 0);
    EXPECT_EQ(request.iLayerType, PFD_MAIN_PLANE);
}

TEST_F(GLContextTest, SetupChoosesDepthDoubleBufferedRGBAFormatAndMakesContextCurrent)
{
    GLTestWindow test;
    ASSERT_NE(renderState.deviceContext, nullptr);
    ASSERT_NE(renderState.glContext, nullptr);
    EXPECT_EQ(wglGetCurrentContext(), renderState.glContext);
    EXPECT_EQ(wglGetCurrentDC(), renderState.deviceContext);

    const int format = GetPixelFormat(renderState.deviceContext);
    ASSERT_GT(format, 0);
    PIXELFORMATDESCRIPTOR chosen = {};
    ASSERT_NE(DescribePixelFormat(renderState.deviceContext, format, sizeof chosen, &chosen), 0);
    // The request has been replaced by the chosen format's description.
    EXPECT_EQ(memcmp(&renderState.pixelFormatDescriptor, &chosen, sizeof chosen), 0);
    EXPECT_GT(chosen.cDepthBits, 0);
    EXPECT_TRUE(chosen.dwFlags & PFD_DOUBLEBUFFER);
    EXPECT_TRUE(chosen.dwFlags & PFD_SUPPORT_OPENGL);
    EXPECT_TRUE(chosen.dwFlags & PFD_DRAW_TO_WINDOW);
    EXPECT_EQ(chosen.iPixelType, PFD_TYPE_RGBA);

    // And GL agrees.
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    EXPECT_GT(depthBits, 0);
    GLboolean doubleBuffered = GL_FALSE;
    glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
    EXPECT_EQ(doubleBuffered, GL_TRUE);
    GLboolean rgba = GL_FALSE;
    glGetBooleanv(GL_RGBA_MODE, &rgba);
    EXPECT_EQ(rgba, GL_TRUE);
}

TEST_F(GLContextTest, FilteringFollowsTheChosenFormatAndIsOnlyEverSet)
{
    {
        // Wine's formats are a driver's, not the system's generic software
        // ones, whose texturing is slow: filtering goes on.
        GLTestWindow test;
        ASSERT_FALSE(renderState.pixelFormatDescriptor.dwFlags & PFD_GENERIC_FORMAT);
        EXPECT_EQ(renderState.linearFiltering, 1);
    }
    ResetRenderRecords();
    renderState.linearFiltering = 1;
    GLTestWindow test;
    EXPECT_EQ(renderState.linearFiltering, 1);
}

TEST_F(GLContextTest, TrueColourFormatMakesNoPalette)
{
    GLTestWindow test;
    ASSERT_FALSE(renderState.pixelFormatDescriptor.dwFlags & PFD_NEED_PALETTE);
    EXPECT_EQ(renderState.palette, nullptr);
    EXPECT_EQ(GetCurrentObject(renderState.deviceContext, OBJ_PAL), GetStockObject(DEFAULT_PALETTE));
}

TEST_F(GLContextTest, ReleaseUnbindsAndDeletesTheContext)
{
    GLTestWindow test(false);
    SetupGLContext(test.window);
    const HGLRC context = renderState.glContext;
    const HDC deviceContext = renderState.deviceContext;
    const int filtering = renderState.linearFiltering;
    ASSERT_EQ(wglGetCurrentContext(), context);
    ReleaseGLContext(test.window);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_FALSE(wglMakeCurrent(deviceContext, context)); // deleted
    EXPECT_EQ(renderState.linearFiltering, filtering);
    EXPECT_EQ(renderState.palette, nullptr);
}

} // namespace
