// The renderer's procedure for the saver window and the render child window:
// creation of the child and its GL context, the child's messages, forwarding
// to the close rules, the saver window's palette messages, the child's close in
// both families, and the teardown.
#include "render/desktop.h"
#include "render/render_child.h"
#include "render/render_state.h"
#include "render/gl_context.h"
#include "render/monitor_views.h"
#include "shell/default_shell_proc.h"
#include "shell/shell_state.h"
#include "tests/win/windows/windows_test_support.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

namespace {
const int SaverWidth = 320;
const int SaverHeight = 240;
// Well away from the test windows, so real moves never land on them.
const LONG CursorHomeX = 600;
const LONG CursorHomeY = 500;
// Longer than any wait the close rules make for the system's pointer moves.
const DWORD SettledMs = 10000;

struct Viewport {
    GLint x, y, width, height;
};

Viewport CurrentViewport()
{
    GLint values[4] = {};
    glGetIntegerv(GL_VIEWPORT, values);
    return {values[0], values[1], values[2], values[3]};
}

// The timer ids that arrive for a window within the time given, waiting
// longer (up to TimerPatienceMs) while none has arrived yet: a loaded
// machine may hold back even a 1 ms timer.
const DWORD TimerPatienceMs = 5000;
std::set<WPARAM> TimersWithin(HWND window, DWORD milliseconds)
{
    std::set<WPARAM> ids;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < (ids.empty() ? TimerPatienceMs : milliseconds)) {
        MSG message;
        if (!PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE)) {
            Sleep(1);
        } else if (message.hwnd == window) {
            ids.insert(message.wParam);
        }
    }
    return ids;
}

int verifyCalls = 0;
BOOL verifyVerdict = FALSE;

// The provider's verify entry, as the shell calls it: counts the questions.
BOOL WINAPI CountingVerify(HWND)
{
    ++verifyCalls;
    return verifyVerdict;
}

// What a palette message to the saver window did, sent with the child's
// device context back on the default palette and nothing to repaint: left to
// the shell (its AutoPlay answer posted a close) or answered, and whether the
// scene's palette got selected and the picture invalidated.
std::string PaletteOutcome(HWND saver, HWND child, UINT message, HWND changer)
{
    SelectPalette(renderState.deviceContext, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    ValidateRect(child, nullptr);
    LRESULT answer = 0;
    const bool shell = ClosesWhenAutoPlay(saver, saver, message, WPARAM(changer), 0, &answer) == 1;
    std::string outcome = shell ? "shell" : "answered " + std::to_string(answer);
    outcome += GetCurrentObject(renderState.deviceContext, OBJ_PAL) == renderState.palette ? ", selected" : "";
    return outcome + (GetUpdateRect(child, nullptr, FALSE) ? ", repaints" : "");
}

bool PutCursor(LONG x, LONG y)
{
    SetCursorPos(x, y);
    POINT position = {};
    GetCursorPos(&position);
    return position.x == x && position.y == y;
}
}

class RenderChildTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessRecords();
        saver = CreateSaverTestWindow(SaverWidth, SaverHeight);
        ASSERT_NE(saver, nullptr);
        child = renderState.childWindow;
        ASSERT_NE(child, nullptr);
        TakePostedCloses(nullptr);
    }
    void TearDown() override { DiscardTestWindows(saver); }
    HWND saver = nullptr;
    HWND child = nullptr;
};

TEST_F(RenderChildTest, CreationOpensChildWithContextSceneAndTimers)
{
    WNDCLASSA childClass = {};
    ASSERT_TRUE(GetClassInfoA(shellState.instance, "NTDEVCLASS", &childClass));
    EXPECT_EQ(childClass.lpfnWndProc, RenderChildProc);
    EXPECT_EQ(childClass.style, static_cast<UINT>(CS_VREDRAW | CS_HREDRAW | CS_OWNDC));
    EXPECT_EQ(childClass.hCursor, nullptr);
    EXPECT_EQ(childClass.hbrBackground, GetStockObject(BLACK_BRUSH));

    EXPECT_EQ(ClassOf(child), "NTDEVCLASS");
    EXPECT_EQ(TitleOf(child), "Child1");
    EXPECT_EQ(GetParent(child), saver);
    EXPECT_EQ(GetWindowLongPtrA(child, GWL_STYLE), static_cast<LONG_PTR>(0x56000000));
    EXPECT_EQ(GetWindowLongPtrA(child, GWL_EXSTYLE), 0);
    RECT client = {};
    GetClientRect(child, &client);
    EXPECT_EQ(client.right, SaverWidth);
    EXPECT_EQ(client.bottom, SaverHeight);
    EXPECT_EQ(renderState.childWidth, SaverWidth);
    EXPECT_EQ(renderState.childHeight, SaverHeight);

    EXPECT_NE(renderState.glContext, nullptr);
    EXPECT_EQ(wglGetCurrentContext(), renderState.glContext);
    EXPECT_EQ(wglGetCurrentDC(), renderState.deviceContext);
    EXPECT_TRUE(glIsList(renderState.sceneList));
    const Viewport viewport = CurrentViewport();
    EXPECT_EQ(viewport.width, SaverWidth);
    EXPECT_EQ(viewport.height, SaverHeight);

    EXPECT_EQ(TimersWithin(saver, 200), std::set<WPARAM>{SaverTimerId});
    EXPECT_EQ(TimersWithin(child, 200), std::set<WPARAM>{FrameTimerId});
}

TEST_F(RenderChildTest, SaverTimerTicksAreSwallowedBeforeTheShell)
{
    LRESULT result = -1;
    EXPECT_EQ(ClosesWhenAutoPlay(saver, saver, WM_TIMER, SaverTimerId, 0, &result), 0);
    EXPECT_EQ(result, 0);
    shellState.autoPlayMessage = WM_TIMER;
    EXPECT_EQ(SceneSaverProc(saver, WM_TIMER, 7, 0), 0);
    shellState.autoPlayMessage = 0;
    EXPECT_EQ(TakePostedCloses(saver), 0);
    // Any other message does reach the shell.
    EXPECT_EQ(ClosesWhenAutoPlay(saver, saver, WM_USER + 5, 0, 0), 1);
}

TEST_F(RenderChildTest, EraseTimerAndSize)
{
    EXPECT_EQ(SendMessageA(child, WM_ERASEBKGND, reinterpret_cast<WPARAM>(renderState.deviceContext), 0), 1);

    ValidateRect(child, nullptr);
    ASSERT_FALSE(GetUpdateRect(child, nullptr, FALSE));
    EXPECT_EQ(SendMessageA(child, WM_TIMER, 12345, 0), 0);
    RECT update = {};
    EXPECT_TRUE(GetUpdateRect(child, &update, FALSE));
    EXPECT_EQ(update.left, 0);
    EXPECT_EQ(update.top, 0);
    EXPECT_EQ(update.right, SaverWidth);
    EXPECT_EQ(update.bottom, SaverHeight);

    EXPECT_EQ(SendMessageA(child, WM_SIZE, SIZE_RESTORED, 0x00000280), 0);
    Viewport viewport = CurrentViewport();
    EXPECT_EQ(viewport.x, 0);
    EXPECT_EQ(viewport.y, 0);
    EXPECT_EQ(viewport.width, 640);
    EXPECT_EQ(viewport.height, 1);

    // Full screen on two monitors: a new size places a view on each.
    renderState.desktop.monitorCount = 2;
    renderState.desktop.monitors[0] = {0, 0, SaverWidth / 2, SaverHeight};
    renderState.desktop.monitors[1] = {SaverWidth / 2, 0, SaverWidth, SaverHeight};
    SendMessageA(child, WM_SIZE, SIZE_RESTORED, MAKELPARAM(SaverWidth, SaverHeight));
    EXPECT_EQ(renderState.viewCount, 2) << "a new size left the views unplaced";
}

TEST_F(RenderChildTest, PaintDrawsOneFrameAndValidates)
{
    ASSERT_EQ(renderState.animation.spinZ, 0.0f);
    InvalidateRect(child, nullptr, FALSE);
    UpdateWindow(child);
    EXPECT_EQ(renderState.animation.spinZ, 2.5f);
    EXPECT_FALSE(GetUpdateRect(child, nullptr, FALSE));
    InvalidateRect(child, nullptr, FALSE);
    UpdateWindow(child);
    EXPECT_EQ(renderState.animation.spinZ, 5.0f);
}

TEST_F(RenderChildTest, InputIsJudgedForChildThenSaverWindow)
{
    EXPECT_EQ(SendMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)), 0);
    MSG first = {};
    MSG second = {};
    MSG third = {};
    ASSERT_TRUE(PeekMessageA(&first, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    ASSERT_TRUE(PeekMessageA(&second, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    EXPECT_FALSE(PeekMessageA(&third, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    EXPECT_EQ(first.hwnd, child);
    EXPECT_EQ(second.hwnd, saver);

    // A message with no close rule still reaches the shell twice.
    EXPECT_EQ(ClosesWhenAutoPlay(child, child, WM_NCACTIVATE, TRUE, 0), 1);
    EXPECT_EQ(ClosesWhenAutoPlay(saver, child, WM_NCACTIVATE, TRUE, 0), 1);
    // Button releases are not forwarded.
    EXPECT_EQ(ClosesWhenAutoPlay(child, child, WM_LBUTTONUP, 0, 0), 0);
    EXPECT_EQ(ClosesWhenAutoPlay(saver, child, WM_LBUTTONUP, 0, 0), 0);

    // A move beyond the threshold closes the child only: the second call
    // measures from the point just moved to.
    ASSERT_TRUE(PutCursor(CursorHomeX, CursorHomeY));
    shellState.mouseReference = {CursorHomeX, CursorHomeY};
    ASSERT_TRUE(PutCursor(CursorHomeX + 10, CursorHomeY));
    SendMessageA(child, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(TakePostedCloses(child), 1);
    EXPECT_EQ(TakePostedCloses(saver), 0);
}

// Wine's displays are true colour, where no palette is made; a real one in
// the record stands in for a 256-colour display's. Only such a Windows shows
// the colours themselves.
TEST_F(RenderChildTest, SaverWindowRealisesItsPaletteInTheForeground)
{
    ASSERT_EQ(renderState.palette, nullptr);
    EXPECT_EQ(PaletteOutcome(saver, child, WM_QUERYNEWPALETTE, nullptr), "shell");
    LOGPALETTE record = {0x300, 1, {{0x80, 0, 0, 0}}};
    renderState.palette = CreatePalette(&record);
    HWND other = CreatePlainWindow(16, 16);
    EXPECT_EQ(PaletteOutcome(saver, child, WM_QUERYNEWPALETTE, nullptr), "answered 1, selected, repaints");
    EXPECT_EQ(PaletteOutcome(saver, child, WM_PALETTECHANGED, other), "answered 0, selected, repaints");
    EXPECT_EQ(PaletteOutcome(saver, child, WM_PALETTECHANGED, saver), "shell");
    EXPECT_EQ(PaletteOutcome(saver, child, WM_PALETTECHANGED, child), "shell");
    shellState.isPreview = 1;
    EXPECT_EQ(PaletteOutcome(saver, child, WM_QUERYNEWPALETTE, nullptr), "shell");
    EXPECT_EQ(PaletteOutcome(saver, child, WM_PALETTECHANGED, other), "shell");
    DestroyWindow(other);
    DeleteObject(renderState.palette);
}

TEST_F(RenderChildTest, SetCursorHidesOutsidePreviewOnly)
{
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    const LPARAM overClient = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    SetCursor(arrow);
    EXPECT_EQ(SendMessageA(child, WM_SETCURSOR, reinterpret_cast<WPARAM>(child), overClient), 1);
    EXPECT_EQ(GetCursor(), nullptr);

    shellState.isPreview = 1;
    SetCursor(arrow);
    const LRESULT platform = DefWindowProcA(child, WM_SETCURSOR, reinterpret_cast<WPARAM>(child), overClient);
    EXPECT_EQ(SendMessageA(child, WM_SETCURSOR, reinterpret_cast<WPARAM>(child), overClient), platform);
    EXPECT_EQ(GetCursor(), arrow);
}

TEST_F(RenderChildTest, CloseOnNtFamilyDestroysChildAndQuits)
{
    EXPECT_EQ(SendMessageA(child, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(child));
    EXPECT_TRUE(IsWindow(saver));
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    WPARAM code = 99;
    EXPECT_TRUE(TakeQuit(&code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(TakePostedCloses(saver), 0);
}

TEST_F(RenderChildTest, CloseOn9xFamilyGoesToSaverWindowOutsidePreview)
{
    shellState.isWin9xFamily = 1;
    EXPECT_EQ(SendMessageA(child, WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(IsWindow(child));
    EXPECT_EQ(TakePostedCloses(saver), 1);
    WPARAM code;
    EXPECT_FALSE(TakeQuit(&code));

    // A preview has no password check: the child goes as on NT.
    shellState.isPreview = 1;
    EXPECT_EQ(SendMessageA(child, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(child));
    EXPECT_TRUE(TakeQuit(&code));
    EXPECT_EQ(TakePostedCloses(saver), 0);
}

TEST_F(RenderChildTest, CloseOn9xFamilyBeforeSaverWindowIsKnownDestroysChild)
{
    shellState.isWin9xFamily = 1;
    shellState.saverWindow = nullptr;
    SendMessageA(child, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(child));
}

// Input over the picture of a locked saver is put to the password check once
// per close, and only an approved check ends the run.
TEST_F(RenderChildTest, CloseFromPictureWaitsForPasswordCheckOn9xFamily)
{
    shellState.isWin9xFamily = 1;
    shellState.verifyEntry = CountingVerify;
    verifyCalls = 0;
    verifyVerdict = FALSE;
    ASSERT_TRUE(PutCursor(CursorHomeX, CursorHomeY));
    shellState.mouseReference = {CursorHomeX, CursorHomeY};

    // A move posts one close, to the child.
    ASSERT_TRUE(PutCursor(CursorHomeX + 10, CursorHomeY));
    SendMessageA(child, WM_MOUSEMOVE, 0, 0);
    PumpMessages(300);
    EXPECT_EQ(verifyCalls, 1);
    EXPECT_TRUE(IsWindow(child));
    EXPECT_TRUE(IsWindow(saver));
    WPARAM code;
    EXPECT_FALSE(TakeQuit(&code));

    // A press posts a close to the child and one to the saver window; the
    // second lands within the recheck interval and is turned away unasked.
    SendMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    PumpMessages(150);
    EXPECT_EQ(verifyCalls, 2);
    EXPECT_TRUE(IsWindow(saver));
    EXPECT_FALSE(TakeQuit(&code));

    Sleep(250);
    verifyVerdict = TRUE;
    SendMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    PumpMessages(300);
    EXPECT_EQ(verifyCalls, 3);
    EXPECT_FALSE(IsWindow(saver));
    EXPECT_FALSE(IsWindow(child));
    code = 99;
    EXPECT_TRUE(TakeQuit(&code));
    EXPECT_EQ(code, 0u);
    shellState.verifyEntry = nullptr;
}

// A desktop that is no longer the one the saver covers, found by the saver
// window's timer, by a display-change message or at a pointer move: the
// saver window (still topmost) and the child cover the real desktop, and
// the pointer's jump with the change closes nothing, even one held whose
// second is up on that tick, nor does the system's move that Windows makes
// after it, while a move once it settled does. A change that keeps the
// desktop's size places the views again too, though the child gets no size
// message.
TEST_F(RenderChildTest, FullScreenFollowsAChangedDesktop)
{
    const Desktop real = ReadDesktop();
    ASSERT_GT(real.bounds.right - real.bounds.left, SaverWidth);
    // A reading with no area, as one made during a display change can be,
    // is no desktop to follow.
    EXPECT_FALSE(IsNewDesktop(Desktop{}, real));
    Desktop old = {};
    old.bounds = {0, 0, SaverWidth, SaverHeight};
    old.monitorCount = 1;
    old.monitors[0] = old.bounds;
    const std::pair<UINT, const char*> finders[] = {
        {WM_TIMER, "a saver-window tick"}, {WM_DISPLAYCHANGE, "WM_DISPLAYCHANGE"}, {WM_MOUSEMOVE, "a pointer move"}};
    for (const auto& [finder, name] : finders) {
        renderState.desktop = old;
        renderState.desktopCheckTick = GetTickCount() - 1000;
        ASSERT_TRUE(PutCursor(CursorHomeX, CursorHomeY));
        shellState.mouseReference = {CursorHomeX - 300, CursorHomeY};
        shellState.heldJumpWindow = saver;
        shellState.heldJumpTick = GetTickCount() - SettledMs;
        if (finder == WM_MOUSEMOVE) {
            SendMessageA(child, finder, 0, 0);
        } else {
            SendMessageA(saver, finder, finder == WM_TIMER ? SaverTimerId : 0, 0);
        }
        RECT placed = {};
        GetWindowRect(saver, &placed);
        EXPECT_TRUE(EqualRect(&placed, &real.bounds)) << name;
        EXPECT_TRUE(GetWindowLongPtrA(saver, GWL_EXSTYLE) & WS_EX_TOPMOST);
        RECT client = {};
        GetClientRect(child, &client);
        EXPECT_EQ(client.right, real.bounds.right - real.bounds.left);
        EXPECT_EQ(client.bottom, real.bounds.bottom - real.bounds.top);
        EXPECT_TRUE(SameDesktop(renderState.desktop, real));
        EXPECT_EQ(TakePostedCloses(child) + TakePostedCloses(saver), 0)
            << "a close asked for when " << name << " found the change with a held jump due";
        EXPECT_EQ(shellState.heldJumpWindow, nullptr) << name;
        EXPECT_EQ(shellState.mouseReference.x, CursorHomeX) << name;
        SetWindowPos(saver, nullptr, 0, 0, SaverWidth, SaverHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ASSERT_TRUE(PutCursor(CursorHomeX + 300, CursorHomeY + 200));
    SendMessageA(child, WM_MOUSEMOVE, 0, 0);
    shellState.heldJumpTick -= SettledMs;
    ConfirmHeldJump();
    EXPECT_EQ(TakePostedCloses(child) + TakePostedCloses(saver), 0) << "the system's move after the change";
    shellState.desktopChangeTick -= SettledMs;
    ASSERT_TRUE(PutCursor(CursorHomeX + 310, CursorHomeY + 200));
    SendMessageA(child, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(TakePostedCloses(child), 1);

    // The same rectangle, two monitors side by side in it before: views for
    // those, then for the real ones.
    const RECT& b = real.bounds;
    SetWindowPos(saver, nullptr, b.left, b.top, b.right - b.left, b.bottom - b.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Desktop slid = real;
    slid.monitorCount = 2;
    slid.monitors[0] = {b.left, b.top, b.left + SaverWidth, b.top + SaverHeight};
    slid.monitors[1] = {b.left + SaverWidth, b.top, b.right, b.bottom};
    renderState.desktop = slid;
    PlaceViews({b.left, b.top});
    ASSERT_EQ(renderState.viewCount, 2);
    InvalidateRect(child, nullptr, FALSE);
    UpdateWindow(child);
    renderState.desktopCheckTick = GetTickCount() - 1000;
    SendMessageA(saver, WM_TIMER, SaverTimerId, 0);
    ASSERT_TRUE(SameDesktop(renderState.desktop, real));
    const int views = real.monitorCount >= 2 ? real.monitorCount : 0;
    EXPECT_EQ(renderState.viewCount, views) << "the views stay where the old desktop's monitors were";
    for (int i = 0; i < views && i < renderState.viewCount; ++i) {
        const RECT expected = ChildViewRect(real.monitors[i], {b.left, b.top});
        EXPECT_TRUE(EqualRect(&renderState.views[i], &expected)) << "view " << i;
    }
    if (views == 0) {
        EXPECT_EQ(CurrentViewport().width, b.right - b.left) << "the one view does not cover the child";
    }
}

// The display list goes while the child's context is still current: a second
// context sharing the lists no longer sees it once the context is released.
TEST_F(RenderChildTest, TeardownThroughSaverWindowDeletesListThenReleasesContext)
{
    HWND other = CreatePlainWindow(16, 16);
    ASSERT_NE(other, nullptr);
    HDC otherContext = GetDC(other);
    PIXELFORMATDESCRIPTOR request = PixelFormatRequest();
    SetPixelFormat(otherContext, ChoosePixelFormat(otherContext, &request), &request);
    HGLRC sharing = wglCreateContext(otherContext);
    ASSERT_NE(sharing, nullptr);
    ASSERT_TRUE(wglShareLists(renderState.glContext, sharing));
    const GLuint list = renderState.sceneList;
    ASSERT_TRUE(wglMakeCurrent(otherContext, sharing));
    ASSERT_TRUE(glIsList(list));
    wglMakeCurrent(renderState.deviceContext, renderState.glContext);
    WPARAM code = 99;
    ASSERT_FALSE(TakeQuit(&code));

    EXPECT_TRUE(DestroyWindow(saver));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_TRUE(TakeQuit(&code));
    EXPECT_EQ(code, 0u);

    ASSERT_TRUE(wglMakeCurrent(otherContext, sharing));
    EXPECT_FALSE(glIsList(list));
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(sharing);
    ReleaseDC(other, otherContext);
    DestroyWindow(other);
}
