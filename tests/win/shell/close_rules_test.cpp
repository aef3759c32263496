// The close rules and the cursor rule of DefaultShellProc, which do not
// depend on the system family; built into the executables of both families.
#include <gtest/gtest.h>

#include "shell/default_shell_proc.h"
#include "shell/shell_state.h"
#include "tests/win/shell/shell_test_support.h"

namespace {

class CloseRules : public ShellWindowTest {
protected:
    // A mouse move as the window would get it; its coordinates are not used.
    int MoveMouseTo(LONG x, LONG y)
    {
        EXPECT_TRUE(MoveCursorTo(x, y));
        DefaultShellProc(window, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
        return TakePostedCloses(window);
    }

    // DefWindowProcA puts the class cursor (the arrow) back and gives the
    // answer; the shell's rule would have hidden it.
    void ExpectSetCursorLeftToDefault()
    {
        const WPARAM target = reinterpret_cast<WPARAM>(window);
        const LPARAM hit = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
        LRESULT expected = DefWindowProcA(window, WM_SETCURSOR, target, hit);
        SetCursor(nullptr);
        EXPECT_EQ(DefaultShellProc(window, WM_SETCURSOR, target, hit), expected);
        EXPECT_EQ(GetCursor(), ArrowCursor());
    }
};

TEST_F(CloseRules, MouseSumOfFourStaysAndFiveCloses)
{
    EXPECT_EQ(MoveMouseTo(HomeX + 2, HomeY + 2), 0);
    EXPECT_EQ(shellState.mouseReference.x, HomeX);
    EXPECT_EQ(shellState.mouseReference.y, HomeY);
    EXPECT_EQ(MoveMouseTo(HomeX + 3, HomeY + 2), 1);
    EXPECT_EQ(shellState.mouseReference.x, HomeX + 3);
    EXPECT_EQ(shellState.mouseReference.y, HomeY + 2);
}

TEST_F(CloseRules, MouseDistanceCountsBothDirections)
{
    EXPECT_EQ(MoveMouseTo(HomeX - 4, HomeY), 0);
    EXPECT_EQ(MoveMouseTo(HomeX - 1, HomeY - 4), 1);
    EXPECT_EQ(shellState.mouseReference.x, HomeX - 1);
    EXPECT_EQ(shellState.mouseReference.y, HomeY - 4);
    EXPECT_EQ(MoveMouseTo(HomeX - 1, HomeY + 1), 1);
}

TEST_F(CloseRules, OnePixelStepsCloseOnTheFifth)
{
    for (LONG step = 1; step <= 4; ++step) {
        EXPECT_EQ(MoveMouseTo(HomeX + step, HomeY), 0) << "step " << step;
    }
    EXPECT_EQ(MoveMouseTo(HomeX + 5, HomeY), 1);
    // The reference followed the close, so the next small step is free again.
    EXPECT_EQ(MoveMouseTo(HomeX + 6, HomeY), 0);
}

// A jump may be the system moving the pointer with a display change: it
// closes once its time has passed without one, or at the pointer's next move.
TEST_F(CloseRules, JumpIsHeldUntilItsTimePassesWithoutADisplayChange)
{
    const DWORD longAgo = 10000;
    const DWORD wineLag = 800;
    EXPECT_EQ(MoveMouseTo(HomeX + 100, HomeY), 0);
    EXPECT_EQ(shellState.mouseReference.x, HomeX + 100);
    ConfirmHeldJump();
    EXPECT_EQ(TakePostedCloses(window), 0) << "its time has not passed";
    // Wine shows a display change up to a second after the pointer moved.
    shellState.heldJumpTick -= wineLag;
    ConfirmHeldJump();
    EXPECT_EQ(TakePostedCloses(window), 0) << "a jump held for less than a second closed";
    shellState.heldJumpTick -= longAgo;
    ConfirmHeldJump();
    EXPECT_EQ(TakePostedCloses(window), 1);
    ConfirmHeldJump();
    EXPECT_EQ(TakePostedCloses(window), 0) << "one close per jump";

    EXPECT_EQ(MoveMouseTo(HomeX, HomeY + 100), 0);
    ASSERT_TRUE(MoveCursorTo(HomeX + 300, HomeY));
    DefaultShellProc(window, WM_DISPLAYCHANGE, 32, 0);
    EXPECT_EQ(shellState.mouseReference.x, HomeX + 300);
    shellState.heldJumpTick -= longAgo;
    ConfirmHeldJump();
    EXPECT_EQ(TakePostedCloses(window), 0) << "the display change took the jump";
    // The system may still move the pointer for the change, a second on.
    shellState.desktopChangeTick -= wineLag;
    EXPECT_EQ(MoveMouseTo(HomeX + 400, HomeY), 0);
    EXPECT_EQ(shellState.heldJumpWindow, nullptr) << "a move soon after a display change was taken for the user's";

    shellState.desktopChangeTick -= longAgo;
    EXPECT_EQ(MoveMouseTo(HomeX, HomeY), 0);
    EXPECT_EQ(MoveMouseTo(HomeX + 2, HomeY), 0);
    EXPECT_EQ(MoveMouseTo(HomeX + 7, HomeY), 1) << "the pointer moved on";

    // A close that another rule asks for is the one the jump waited for.
    EXPECT_EQ(MoveMouseTo(HomeX + 200, HomeY), 0);
    DefaultShellProc(window, WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(TakePostedCloses(window), 1);
    shellState.heldJumpTick -= longAgo;
    ConfirmHeldJump();
    EXPECT_EQ(TakePostedCloses(window), 0) << "the key's close took the held jump";
}

TEST_F(CloseRules, MessageCoordinatesAreNotUsed)
{
    DefaultShellProc(window, WM_MOUSEMOVE, 0, MAKELPARAM(900, 700));
    EXPECT_EQ(TakePostedCloses(window), 0);
}

// The render child forwards a move once for itself and once for the saver
// window: only the first call sees the distance.
TEST_F(CloseRules, SecondCallOfAForwardedPairMeasuresNothing)
{
    HWND other = CreateShellTestWindow();
    ASSERT_TRUE(MoveCursorTo(HomeX + 10, HomeY));
    DefaultShellProc(window, WM_MOUSEMOVE, 0, 0);
    DefaultShellProc(other, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(TakePostedCloses(window), 1);
    EXPECT_EQ(TakePostedCloses(other), 0);
    DestroyShellTestWindow(other);
}

struct CloseCase {
    UINT message;
    WPARAM wParam;
};

TEST_F(CloseRules, InputAndSystemEventsAskForOneClose)
{
    const CloseCase cases[] = {
        {WM_ACTIVATEAPP, 0},    {WM_POWER, 3},          {WM_KEYDOWN, 'A'},
        {WM_SYSKEYDOWN, 'A'},   {WM_LBUTTONDOWN, MK_LBUTTON}, {WM_RBUTTONDOWN, MK_RBUTTON},
        {WM_MBUTTONDOWN, MK_MBUTTON}, {WM_POWERBROADCAST, 4}, {WM_POWERBROADCAST, 5},
        {WM_POWERBROADCAST, 6},       {WM_POWERBROADCAST, 7}, {WM_POWERBROADCAST, 8},
        {WM_POWERBROADCAST, 9},       {WM_POWERBROADCAST, 0x12},
    };
    for (const CloseCase& c : cases) {
        DefaultShellProc(window, c.message, c.wParam, 0);
        EXPECT_EQ(TakePostedCloses(window), 1) << std::hex << c.message << " " << c.wParam;
        EXPECT_TRUE(IsWindow(window));
    }
}

TEST_F(CloseRules, OtherEventsAskForNothing)
{
    const CloseCase cases[] = {
        {WM_ACTIVATEAPP, 1},     {WM_POWER, 0},          {WM_POWER, 1},
        {WM_POWER, 2},           {WM_POWER, 4},          {WM_KEYUP, 'A'},
        {WM_SYSKEYUP, 'A'},      {WM_CHAR, 'a'},         {WM_LBUTTONUP, 0},
        {WM_RBUTTONUP, 0},       {WM_MBUTTONUP, 0},      {WM_LBUTTONDBLCLK, MK_LBUTTON},
        {WM_RBUTTONDBLCLK, MK_RBUTTON}, {WM_MBUTTONDBLCLK, MK_MBUTTON},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA)}, {WM_TIMER, 1}, {WM_SHOWWINDOW, 1},
        {WM_NULL, 0},            {WM_POWERBROADCAST, 10}, {WM_POWERBROADCAST, 0x8013},
        // A standby question, and the news that someone refused it.
        {WM_POWERBROADCAST, 0},  {WM_POWERBROADCAST, 1}, {WM_POWERBROADCAST, 2},
        {WM_POWERBROADCAST, 3},
    };
    for (const CloseCase& c : cases) {
        DefaultShellProc(window, c.message, c.wParam, 0);
        EXPECT_EQ(TakePostedCloses(window), 0) << std::hex << c.message << " " << c.wParam;
    }
}

TEST_F(CloseRules, SetCursorHidesTheCursorAndAnswersOne)
{
    EXPECT_EQ(GetCursor(), ArrowCursor());
    EXPECT_EQ(DefaultShellProc(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              1);
    EXPECT_EQ(GetCursor(), nullptr);
}

TEST_F(CloseRules, ShowWindowHidesTheCursorOnlyWhenShown)
{
    DefaultShellProc(window, WM_SHOWWINDOW, 0, 0);
    EXPECT_EQ(GetCursor(), ArrowCursor());
    DefaultShellProc(window, WM_SHOWWINDOW, 1, 0);
    EXPECT_EQ(GetCursor(), nullptr);
}

// Preview and an approved close switch every rule off alike.
class RulesOff : public CloseRules, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override
    {
        CloseRules::SetUp();
        if (GetParam() == 0) {
            shellState.isPreview = 1;
        } else {
            shellState.closeApproved = GetParam();
        }
    }
};

TEST_P(RulesOff, NoInputClosesAndTheCursorStays)
{
    EXPECT_EQ(MoveMouseTo(HomeX + 50, HomeY + 50), 0);
    EXPECT_EQ(shellState.mouseReference.x, HomeX);
    const CloseCase cases[] = {{WM_KEYDOWN, 'A'}, {WM_LBUTTONDOWN, MK_LBUTTON},
                               {WM_ACTIVATEAPP, 0}, {WM_POWERBROADCAST, 4}, {WM_POWER, 3}};
    for (const CloseCase& c : cases) {
        DefaultShellProc(window, c.message, c.wParam, 0);
        EXPECT_EQ(TakePostedCloses(window), 0) << std::hex << c.message;
    }
    DefaultShellProc(window, WM_SHOWWINDOW, 1, 0);
    EXPECT_EQ(GetCursor(), ArrowCursor());
    ExpectSetCursorLeftToDefault();
}

TEST_P(RulesOff, CloseGoesStraightThrough)
{
    BOOL approvedBefore = shellState.closeApproved;
    EXPECT_EQ(DefaultShellProc(window, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(shellState.closeApproved, approvedBefore);
    EXPECT_EQ(shellState.lastCheckTick, NoCheckTick);
}

// The password query outside the rules is DefWindowProcA's: 0.
TEST_P(RulesOff, PasswordQueryIsLeftToTheDefault)
{
    EXPECT_EQ(DefaultShellProc(window, WM_APP, 0, 0), 0);
}

INSTANTIATE_TEST_SUITE_P(PreviewAndApproved, RulesOff, ::testing::Values(0, 1, 7));

TEST_F(CloseRules, DuringAPasswordCheckNoRuleApplies)
{
    shellState.passwordCheckActive = 1;
    EXPECT_EQ(MoveMouseTo(HomeX + 50, HomeY), 0);
    DefaultShellProc(window, WM_KEYDOWN, 'A', 0);
    DefaultShellProc(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    DefaultShellProc(window, WM_ACTIVATEAPP, 0, 0);
    EXPECT_EQ(TakePostedCloses(window), 0);
    DefaultShellProc(window, WM_SHOWWINDOW, 1, 0);
    EXPECT_EQ(GetCursor(), ArrowCursor());
    ExpectSetCursorLeftToDefault();
    EXPECT_EQ(shellState.mouseReference.x, HomeX);
}

}  // namespace
