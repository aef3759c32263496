// DrawFrame and ResizeViewport on Mesa: the picture drawn, the transform
// order, the matrices left behind, the projection for odd sizes, and one
// view per monitor: their rectangles and the picture in each.
#include "render/frame.h"
#include "render/monitor_views.h"
#include "render/render_state.h"
#include "render/scene.h"
#include "tests/win/render/gl_test_window.h"
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>
#include <vector>

namespace {

const int Side = TestWindowSide;
const double Pi = 3.14159265358979323846;

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetRenderRecords();
        test = new GLTestWindow();
        BuildScene();
        ResizeViewport(Side, Side);
    }
    void TearDown() override
    {
        DeleteScene();
        delete test;
        ResetRenderRecords();
    }
    GLTestWindow* test = nullptr;
};

std::vector<unsigned char> ReadBackBuffer()
{
    std::vector<unsigned char> pixels(Side * Side * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, Side, Side, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

const unsigned char* Pixel(const std::vector<unsigned char>& pixels, int x, int y)
{
    return &pixels[(y * Side + x) * 4];
}

void ExpectIdentity(GLenum which)
{
    GLfloat matrix[16];
    glGetFloatv(which, matrix);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(matrix[i], i % 5 == 0 ? 1.0f : 0.0f) << "element " << i;
    }
}

TEST_F(FrameTest, FirstFrameShowsDarkRedModelOnBlack)
{
    DrawFrame();
    EXPECT_EQ(renderState.animation.wobblePhase, 0.015f);
    EXPECT_EQ(renderState.animation.spinZ, 2.5f);
    const std::vector<unsigned char> pixels = ReadBackBuffer();

    int darkRed = 0;
    for (int y = Side / 4; y < Side * 3 / 4; ++y) {
        for (int x = Side / 4; x < Side * 3 / 4; ++x) {
            const unsigned char* p = Pixel(pixels, x, y);
            if (p[0] > 0 && p[1] <= 2 && p[2] <= 2) {
                ++darkRed;
            }
        }
    }
    EXPECT_GT(darkRed, Side * Side / 40) << "dark-red pixels in the centre";
    const int corners[4][2] = {{0, 0}, {Side - 1, 0}, {0, Side - 1}, {Side - 1, Side - 1}};
    for (const auto& corner : corners) {
        const unsigned char* p = Pixel(pixels, corner[0], corner[1]);
        EXPECT_EQ(p[0] | p[1] | p[2], 0) << "corner " << corner[0] << "," << corner[1];
    }
    // The only colours are the lit dark red and white highlights on it:
    // no pixel has green or blue without red.
    for (int i = 0; i < Side * Side; ++i) {
        const unsigned char* p = &pixels[i * 4];
        ASSERT_FALSE(p[0] == 0 && (p[1] > 0 || p[2] > 0)) << "pixel " << i;
    }
}

TEST_F(FrameTest, FrameUsesTheSteppedAnglesInOrderAndRestoresModelview)
{
    renderState.animation.wobblePhase = 1.0f;
    renderState.animation.spinZ = 100.0f;
    DrawFrame();
    ExpectIdentity(GL_MODELVIEW_MATRIX);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    const std::vector<unsigned char> drawn = ReadBackBuffer();
    const FrameAnimation& a = renderState.animation;
    EXPECT_EQ(a.spinZ, 102.5f);

    // The same picture, built from the stepped angles by hand.
    glPushMatrix();
    glTranslatef(0, -5, -40);
    glRotatef(-90, 1, 0, 0);
    glRotatef(a.wobbleX, 1, 0, 0);
    glRotatef(a.wobbleY, 0, 1, 0);
    glRotatef(a.spinZ, 0, 0, 1);
    glCallList(renderState.sceneList);
    glPopMatrix();
    EXPECT_TRUE(ReadBackBuffer() == drawn);

    // Another order of the same rotations gives another picture.
    glPushMatrix();
    glTranslatef(0, -5, -40);
    glRotatef(-90, 1, 0, 0);
    glRotatef(a.spinZ, 0, 0, 1);
    glRotatef(a.wobbleX, 1, 0, 0);
    glRotatef(a.wobbleY, 0, 1, 0);
    glCallList(renderState.sceneList);
    glPopMatrix();
    EXPECT_FALSE(ReadBackBuffer() == drawn);
}

TEST_F(FrameTest, ReplayClearsSoTwoReplaysLeaveTheSamePicture)
{
    glPushMatrix();
    glTranslatef(0, -5, -40);
    glRotatef(-90, 1, 0, 0);
    glCallList(renderState.sceneList);
    const std::vector<unsigned char> once = ReadBackBuffer();
    glCallList(renderState.sceneList);
    glPopMatrix();
    EXPECT_TRUE(ReadBackBuffer() == once);
}

TEST_F(FrameTest, ZeroHeightGivesViewportOfOneAndAspectOfWidth)
{
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(1, 2, 3);
    const FrameAnimation before = renderState.animation;
    ResizeViewport(640, 0);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 1);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    ExpectIdentity(GL_MODELVIEW_MATRIX);
    EXPECT_EQ(memcmp(&before, &renderState.animation, sizeof before), 0);

    // gluPerspective(45, 640, 1, 70), written out.
    const double cotangent = 1.0 / tan(45.0 / 2.0 * Pi / 180.0);
    const double nearPlane = 1.0, farPlane = 70.0, aspect = 640.0;
    double expected[16] = {};
    expected[0] = cotangent / aspect;
    expected[5] = cotangent;
    expected[10] = -(farPlane + nearPlane) / (farPlane - nearPlane);
    expected[11] = -1.0;
    expected[14] = -2.0 * nearPlane * farPlane / (farPlane - nearPlane);
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(projection[i], expected[i], 1e-6 * (fabs(expected[i]) + 1e-3)) << "element " << i;
    }
}

TEST_F(FrameTest, ZeroWidthIsPassedOnUnguarded)
{
    ResizeViewport(0, 100);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 0);
    EXPECT_EQ(viewport[3], 100);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    // A frame after it still steps the animation and draws without fault.
    DrawFrame();
    EXPECT_EQ(renderState.animation.spinZ, 2.5f);
}

// Several monitors draw with a scissor per view (the end-to-end run on two
// monitors shows the pictures); back to one, the one view is the whole child.
TEST_F(FrameTest, BackFromSeveralViewsToOneDrawsTheWholeChild)
{
    renderState.childWidth = Side;
    renderState.childHeight = Side;
    renderState.viewCount = 2;
    renderState.views[0] = {0, 0, Side / 2, Side};
    renderState.views[1] = {Side / 2, 0, Side, Side / 2};
    ApplyViews(1);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    DrawFrame();
    EXPECT_EQ(renderState.animation.spinZ, 2.5f) << "one animation step for all views";

    renderState.viewCount = 1;
    ApplyViews(2);
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], Side);
    EXPECT_EQ(viewport[3], Side);
}

TEST(MonitorViewsTest, RectanglesMoveByANegativeDesktopOrigin)
{
    // A monitor left of and above the main one puts the desktop's top left,
    // where the child sits, at (-1024, -200).
    const POINT origin = {-1024, -200};
    const RECT left = ChildViewRect({-1024, -200, 0, 568}, origin);
    const RECT main = ChildViewRect({0, 0, 800, 600}, origin);
    const RECT leftInChild = {0, 0, 1024, 768};
    const RECT mainInChild = {1024, 200, 1824, 800};
    EXPECT_TRUE(EqualRect(&left, &leftInChild));
    EXPECT_TRUE(EqualRect(&main, &mainInChild));
}

TEST(MonitorViewsTest, MonitorsBeyondTheLastViewAreIgnored)
{
    ResetRenderRecords();
    const LONG step = 10;
    for (LONG i = 0; i <= MaxMonitorViews; ++i) {
        AddMonitorView({i * step, 0, i * step + step, step}, {0, 0});
    }
    EXPECT_EQ(renderState.viewCount, MaxMonitorViews);
    EXPECT_EQ(renderState.views[MaxMonitorViews - 1].left, (MaxMonitorViews - 1) * step);
    ResetRenderRecords();
}

} // namespace
