// DrawFrame and ResizeViewport on Mesa: the picture drawn, the transform
// order, the matrices left behind, the projection for odd and narrow sizes,
// and one view per monitor: their rectangles, the picture in each, and the
// fallback to one view.
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

Desktop DesktopOf(int monitorCount, const RECT* monitors)
{
    Desktop desktop = {};
    desktop.monitorCount = monitorCount;
    for (int i = 0; i < monitorCount && i < MaxMonitorViews; ++i) {
        desktop.monitors[i] = monitors[i];
    }
    return desktop;
}

bool IsRed(const unsigned char* p)
{
    return p[0] > 2 * p[1] + 8 && p[0] > 2 * p[2] + 8;
}

// Red pixels within the rectangle (GL's bottom-up rows) and on its left and
// right edge columns.
struct RedCount {
    int inside;
    int onSides;
};
RedCount CountRed(const std::vector<unsigned char>& pixels, int x, int y, int width, int height)
{
    RedCount count = {0, 0};
    for (int row = y; row < y + height; ++row) {
        for (int column = x; column < x + width; ++column) {
            if (IsRed(Pixel(pixels, column, row))) {
                ++count.inside;
                count.onSides += column == x || column == x + width - 1;
            }
        }
    }
    return count;
}

// A portrait monitor left and a small one top right: one clear for the whole
// child, then the model in each monitor, each view's rows counted from the
// bottom; back to one monitor, the one view is the whole child.
TEST_F(FrameTest, SeveralViewsShareOneClearAndEachShowsTheModel)
{
    renderState.childWidth = Side;
    renderState.childHeight = Side;
    const RECT monitors[] = {{-120, -20, 0, 180}, {0, -20, 80, 60}};
    renderState.desktop = DesktopOf(2, monitors);
    PlaceViews({-120, -20});
    ASSERT_EQ(renderState.viewCount, 2);
    const RECT portrait = {0, 0, 120, Side};
    const RECT small = {120, 0, Side, 80};
    EXPECT_TRUE(EqualRect(&renderState.views[0], &portrait));
    EXPECT_TRUE(EqualRect(&renderState.views[1], &small));

    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    DrawFrame();
    EXPECT_EQ(renderState.animation.spinZ, 2.5f) << "one animation step for all views";
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 120);
    EXPECT_EQ(viewport[1], Side - 80) << "the last view's bottom row, counted from the child's bottom";
    EXPECT_EQ(viewport[2], Side - 120);
    EXPECT_EQ(viewport[3], 80);
    const std::vector<unsigned char> pixels = ReadBackBuffer();
    int white = 0;
    for (int i = 0; i < Side * Side; ++i) {
        const unsigned char* p = &pixels[i * 4];
        white += p[0] == 255 && p[1] == 255 && p[2] == 255;
    }
    EXPECT_EQ(white, 0) << "every pixel of the child cleared, monitors or not";
    EXPECT_GT(CountRed(pixels, 0, 0, 120, Side).inside, 120 * Side / 200) << "model on the portrait monitor";
    EXPECT_GT(CountRed(pixels, 120, Side - 80, Side - 120, 80).inside, 80 * 80 / 200) << "model on the small one";

    renderState.desktop = DesktopOf(1, monitors);
    PlaceViews({-120, -20});
    EXPECT_EQ(renderState.viewCount, 0);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], Side);
    EXPECT_EQ(viewport[3], Side);
}

// A view narrower than square widens its vertical field only: its horizontal
// one stays the square view's, and the spinning model never reaches the
// view's sides. Today's 45-degree vertical field would cut it here.
TEST_F(FrameTest, NarrowViewHoldsTheWholeModelThroughATurn)
{
    const int width = Side * 3 / 10;
    ResizeViewport(width, Side);
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    const double squareScale = 1.0 / tan(45.0 / 2.0 * Pi / 180.0);
    EXPECT_NEAR(projection[0], squareScale, 1e-6);
    EXPECT_NEAR(projection[5], squareScale * width / Side, 1e-6);
    const int framesPerTurn = 145;
    int fewestRed = Side * Side;
    for (int frame = 0; frame < framesPerTurn; ++frame) {
        DrawFrame();
        const RedCount red = CountRed(ReadBackBuffer(), 0, 0, width, Side);
        ASSERT_EQ(red.onSides, 0) << "model cut at frame " << frame + 1;
        fewestRed = red.inside < fewestRed ? red.inside : fewestRed;
    }
    EXPECT_GT(fewestRed, width * Side / 100) << "the model is drawn in every frame";
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

// What EnumDisplayDevicesA lists where a mirroring driver is attached: two
// adapters and the mirror.
const DWORD Attached = DISPLAY_DEVICE_ATTACHED_TO_DESKTOP;
const DISPLAY_DEVICEA ListedDevices[] = {
    {sizeof(DISPLAY_DEVICEA), "\\\\.\\DISPLAY1", "", Attached | DISPLAY_DEVICE_PRIMARY_DEVICE, "", ""},
    {sizeof(DISPLAY_DEVICEA), "\\\\.\\DISPLAY2", "", Attached, "", ""},
    {sizeof(DISPLAY_DEVICEA), "\\\\.\\DISPLAYV1", "", Attached | DISPLAY_DEVICE_MIRRORING_DRIVER, "", ""},
};

BOOL WINAPI ListDevices(LPCSTR adapter, DWORD index, PDISPLAY_DEVICEA device, DWORD)
{
    if (adapter != nullptr || index >= sizeof ListedDevices / sizeof ListedDevices[0]) {
        return FALSE;
    }
    *device = ListedDevices[index];
    return TRUE;
}

MONITORINFOEXA MonitorOn(const char* device, const RECT& rect)
{
    MONITORINFOEXA monitor = {};
    monitor.cbSize = sizeof monitor;
    monitor.rcMonitor = rect;
    strcpy(monitor.szDevice, device);
    return monitor;
}

// The mirror's pseudo-monitor, listed between the real ones and spanning
// both, gets no view; without the device list (95, NT 4.0), or for a device
// it does not list, every monitor counts.
TEST(MonitorViewsTest, MirrorsPseudoMonitorIsLeftOut)
{
    const MONITORINFOEXA listed[] = {MonitorOn("\\\\.\\DISPLAY1", {0, 0, 800, 600}),
        MonitorOn("\\\\.\\DISPLAYV1", {-1024, 0, 800, 768}), MonitorOn("\\\\.\\DISPLAY2", {-1024, 0, 0, 768})};
    Desktop desktop = {};
    Desktop unfiltered = {};
    for (const MONITORINFOEXA& monitor : listed) {
        AddRealMonitor(desktop, monitor, ListDevices);
        AddRealMonitor(unfiltered, monitor, nullptr);
    }
    ASSERT_EQ(desktop.monitorCount, 2);
    EXPECT_TRUE(EqualRect(&desktop.monitors[0], &listed[0].rcMonitor));
    EXPECT_TRUE(EqualRect(&desktop.monitors[1], &listed[2].rcMonitor));
    EXPECT_EQ(unfiltered.monitorCount, 3);
    EXPECT_FALSE(IsMirrorMonitor(MonitorOn("\\\\.\\DISPLAY9", {0, 0, 8, 8}), ListDevices));
}

// Past the last view the one whole view clears and shows every monitor.
TEST_F(FrameTest, MoreMonitorsThanViewsGiveOneWholeView)
{
    renderState.childWidth = Side;
    renderState.childHeight = Side;
    RECT monitors[MaxMonitorViews];
    const LONG step = Side / MaxMonitorViews;
    for (LONG i = 0; i < MaxMonitorViews; ++i) {
        monitors[i] = {i * step, 0, i * step + step, Side};
    }
    renderState.desktop = DesktopOf(MaxMonitorViews, monitors);
    PlaceViews({0, 0});
    EXPECT_EQ(renderState.viewCount, MaxMonitorViews);
    EXPECT_EQ(renderState.views[MaxMonitorViews - 1].left, (MaxMonitorViews - 1) * step);
    renderState.desktop.monitorCount = MaxMonitorViews + 1;
    PlaceViews({0, 0});
    EXPECT_EQ(renderState.viewCount, 0);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], Side);
    EXPECT_EQ(viewport[3], Side);
}

} // namespace
