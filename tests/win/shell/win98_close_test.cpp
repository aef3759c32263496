// The 95/98 family: a close request put to the password provider, the
// recheck interval, the nested dialog loop, the password query and the
// AutoPlay answer, with the PASSWORD.CPL stand-in.
#include <gtest/gtest.h>

#include "shell/default_shell_proc.h"
#include "tests/win/shell/win98_support.h"

namespace {

TEST_F(Win98Family, CloseWithoutProviderIsApprovedAtOnce)
{
    EXPECT_EQ(DefaultShellProc(window, PasswordQueryMessage, 0, 0), 1);
    EXPECT_EQ(DefaultShellProc(window, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(shellState.closeApproved, 1);
}

TEST_F(Win98Family, AutoPlayWithoutProviderAnswersZeroAndCloses)
{
    EXPECT_EQ(DefaultShellProc(window, shellState.autoPlayMessage, 0, 0), 0);
    EXPECT_EQ(TakePostedCloses(window), 1);
}

// The dialog stays open longer than the recheck interval while the user
// moves to its Cancel: once refused, moves count from there and the 0.2 s
// from the dialog's end.
TEST_F(Win98Provider, RefusalKeepsTheWindowAndTakesTheCursorAfresh)
{
    script(StandInAnswerAfterSlowDialog, 0);
    // A bump held as a jump, then a close refused: nothing is left to
    // ask again for.
    ASSERT_TRUE(MoveCursorTo(HomeX + 40, HomeY + 30));
    DefaultShellProc(window, WM_MOUSEMOVE, 0, 0);
    ASSERT_EQ(shellState.heldJumpWindow, window);
    DWORD before = GetTickCount();
    EXPECT_EQ(DefaultShellProc(window, WM_CLOSE, 0, 0), 0);
    DWORD after = GetTickCount();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(shellState.closeApproved, 0);
    EXPECT_EQ(shellState.passwordCheckActive, 0);
    const POINT cancel = {HomeX + 40 + StandInDialogMove, HomeY + 30 + StandInDialogMove};
    ASSERT_EQ(CursorPosition().x, cancel.x) << "the stand-in's dialog did not move the pointer";
    EXPECT_EQ(shellState.mouseReference.x, cancel.x) << "the refusal did not take the pointer where the dialog left it";
    EXPECT_EQ(shellState.mouseReference.y, cancel.y) << "the refusal did not take the pointer where the dialog left it";
    EXPECT_LE(shellState.lastCheckTick - before, after - before);
    EXPECT_GE(shellState.lastCheckTick - before, StandInDialogMs) << "the last check's time is not its end";
    EXPECT_EQ(GetCursor(), nullptr);
    EXPECT_EQ(shellState.heldJumpWindow, nullptr);
    EXPECT_EQ(Record().verifyCalls, 1);
    EXPECT_EQ(Record().lastWindow, window);
    // The query passed the window's procedure with the check under way.
    bool querySeen = false;
    for (const RecordedMessage& m : RecordedMessages()) {
        if (m.message == PasswordQueryMessage) {
            querySeen = true;
            EXPECT_TRUE(m.passwordCheckActive);
            EXPECT_EQ(m.result, 0);
        }
    }
    EXPECT_TRUE(querySeen);
    // A nudge of 1 pixel and a close straight after (a key's repeat): the
    // nudge asks for nothing, the close is turned away unasked.
    ASSERT_TRUE(MoveCursorTo(cancel.x + 1, cancel.y));
    DefaultShellProc(window, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(TakePostedCloses(window), 0) << "a 1-pixel move after the refusal asked for a close";
    EXPECT_EQ(shellState.heldJumpWindow, nullptr) << "a 1-pixel move after the refusal was held as a jump";
    EXPECT_EQ(DefaultShellProc(window, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(Record().verifyCalls, 1) << "a close just after the dialog ended asked for the password again";
}

TEST_F(Win98Provider, ApprovalKeepsTheProvidersAnswerAndDestroys)
{
    script(StandInAnswerAtOnce, 7);
    DefaultShellProc(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(shellState.closeApproved, 7);
    EXPECT_EQ(Record().verifyCalls, 1);
}

TEST_F(Win98Provider, UpToTwoPendingTimerMessagesAreDropped)
{
    const UINT_PTR otherMessage = WM_USER + 1;
    for (WPARAM id = 1; id <= 3; ++id) {
        PostMessageA(window, WM_TIMER, id, 0);
    }
    PostMessageA(window, otherMessage, 0, 0);
    script(StandInAnswerAtOnce, 0);
    DefaultShellProc(window, WM_CLOSE, 0, 0);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_EQ(message.wParam, 3u);
    EXPECT_FALSE(PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_TRUE(PeekMessageA(&message, window, otherMessage, otherMessage, PM_REMOVE));
}

// The recheck interval, counted from the end of the last check as an
// unsigned difference of tick counts.
TEST_F(Win98Provider, CloseWithin199MsOfTheLastCheckIsTurnedAway)
{
    script(StandInAnswerAtOnce, 0);
    bool measured = false;
    for (int attempt = 0; attempt < 50 && !measured; ++attempt) {
        DWORD now = GetTickCount();
        shellState.lastCheckTick = now - (RecheckIntervalMs - 1);
        LRESULT result = DefaultShellProc(window, WM_CLOSE, 0, 0);
        if (GetTickCount() != now) {
            continue;  // the tick moved during the call: try again
        }
        measured = true;
        EXPECT_EQ(result, 0);
        EXPECT_EQ(Record().verifyCalls, 0);
        EXPECT_EQ(shellState.lastCheckTick, now - (RecheckIntervalMs - 1));
    }
    EXPECT_TRUE(measured);
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(Win98Provider, CloseAt200MsAsksAgain)
{
    script(StandInAnswerAtOnce, 0);
    DefaultShellProc(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(Record().verifyCalls, 1);
    // Straight after the refusal: turned away without asking.
    DefaultShellProc(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(Record().verifyCalls, 1);
    shellState.lastCheckTick = GetTickCount() - RecheckIntervalMs;
    DefaultShellProc(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(Record().verifyCalls, 2);
}

// A lastCheckTick above the current count, as after the tick count wrapped:
// the unsigned difference is near 2^32, so the provider is asked. A signed
// difference would be negative and turn the close away.
TEST_F(Win98Provider, TickCountWrapTakesTheUnsignedDifference)
{
    script(StandInAnswerAtOnce, 0);
    shellState.lastCheckTick = GetTickCount() + 5;
    DefaultShellProc(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(Record().verifyCalls, 1);
    // And one that ended 100 ms before now, written as now + (2^32 - 100).
    shellState.lastCheckTick = GetTickCount() + (0xFFFFFFFFu - 99u);
    DefaultShellProc(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(Record().verifyCalls, 1);
}

// While the provider asks, its dialog loop dispatches a second close and a
// key press to the window: the close is turned away without a second
// dialog and the key asks for nothing.
TEST_F(Win98Provider, CloseDuringTheDialogIsTurnedAway)
{
    script(StandInAnswerAfterNestedLoop, 0);
    EXPECT_EQ(DefaultShellProc(window, WM_CLOSE, 0, 0), 0);
    StandInPasswordRecord r = Record();
    EXPECT_EQ(r.verifyCalls, 1);
    EXPECT_EQ(r.nestedWindowAlive, 1);
    EXPECT_EQ(r.nestedClosePending, 0);
    bool nestedClose = false;
    bool nestedKey = false;
    for (const RecordedMessage& m : RecordedMessages()) {
        if (m.message == WM_CLOSE && m.passwordCheckActive) {
            nestedClose = true;
            EXPECT_EQ(m.result, 0);
        }
        if (m.message == WM_KEYDOWN && m.passwordCheckActive) {
            nestedKey = true;
        }
    }
    EXPECT_TRUE(nestedClose);
    EXPECT_TRUE(nestedKey);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(TakePostedCloses(window), 0);
    EXPECT_EQ(shellState.passwordCheckActive, 0);
}

TEST_F(Win98Provider, ApprovalAfterANestedLoopDestroys)
{
    script(StandInAnswerAfterNestedLoop, 5);
    DefaultShellProc(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(Record().verifyCalls, 1);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(shellState.closeApproved, 5);
}

TEST_F(Win98Provider, PasswordQueryIsTheProvidersAnswer)
{
    script(StandInAnswerAtOnce, 9);
    EXPECT_EQ(DefaultShellProc(window, PasswordQueryMessage, 0, 0), 9);
    EXPECT_EQ(Record().verifyCalls, 1);
    EXPECT_EQ(Record().lastWindow, window);
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(Win98Provider, PreviewCloseIsNotChecked)
{
    shellState.isPreview = 1;
    DefaultShellProc(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(Record().verifyCalls, 0);
    EXPECT_EQ(shellState.closeApproved, 0);
}

// The AutoPlay query closes and is cancelled whatever state the rules are in.
TEST_F(Win98Provider, AutoPlayAnswersOneAndClosesInEveryState)
{
    for (int state = 0; state < 4; ++state) {
        shellState.isPreview = state == 1;
        shellState.passwordCheckActive = state == 2;
        shellState.closeApproved = state == 3 ? 7 : 0;
        EXPECT_EQ(DefaultShellProc(window, shellState.autoPlayMessage, 0, 0), 1) << state;
        EXPECT_EQ(TakePostedCloses(window), 1) << state;
    }
    shellState.passwordCheckActive = 0;
    EXPECT_EQ(Record().verifyCalls, 0);
}

}  // namespace
