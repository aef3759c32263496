// The saver window's outer procedure: title changes refused, system commands
// filtered, a preview's help sent to its parent, the cursor, the renderer
// cut off after an approved close, and the input method detached and given
// back, in full-screen and preview saver windows.
#include "shell/shell_state.h"
#include "shell/shell_window_proc.h"
#include "tests/win/windows/windows_test_support.h"

#include <gtest/gtest.h>
#include <imm.h>

#include <string>

namespace {
const int SaverWidth = 320;
const int SaverHeight = 240;

HWND watchedWindow = nullptr;
HIMC contextAfterDestroy = nullptr;
bool destroySeen = false;

// Reads the window's input context once its WM_DESTROY has been handled.
LRESULT CALLBACK AfterDestroyHook(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && call->hwnd == watchedWindow && call->message == WM_DESTROY) {
        destroySeen = true;
        contextAfterDestroy = ImmGetContext(call->hwnd);
        ImmReleaseContext(call->hwnd, contextAfterDestroy);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
}

class ShellWindowProcTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessRecords();
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    }
    void Open(bool preview)
    {
        if (preview) {
            parent = CreatePlainWindow(SaverWidth, SaverHeight);
            ASSERT_NE(parent, nullptr);
            shellState.isPreview = 1;
        }
        saver = CreateSaverTestWindow(SaverWidth, SaverHeight, parent);
        ASSERT_NE(saver, nullptr);
        TakePostedCloses(nullptr);
    }
    void TearDown() override { DiscardTestWindows(saver, parent); }
    HWND parent = nullptr;
    HWND saver = nullptr;
};

TEST_F(ShellWindowProcTest, TitleChangesAreRefusedInBothModes)
{
    for (bool preview : {false, true}) {
        Open(preview);
        const std::string title = preview ? "Preview" : "Screen Saver";
        EXPECT_EQ(SendMessageA(saver, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Other")), 0);
        SetWindowTextA(saver, "Other");
        EXPECT_EQ(TitleOf(saver), title);
        TearDown();
        parent = saver = nullptr;
    }
}

TEST_F(ShellWindowProcTest, SystemCommandsFilteredOutsidePreviewOnly)
{
    Open(false);
    LRESULT result = -1;
    for (WPARAM command : {WPARAM(SC_NEXTWINDOW), WPARAM(SC_PREVWINDOW), WPARAM(SC_SCREENSAVE)}) {
        EXPECT_EQ(ClosesWhenAutoPlay(saver, saver, WM_SYSCOMMAND, command, 0, &result), 0) << command;
        EXPECT_EQ(result, 0);
        // Compared whole: any low bit set passes it on.
        EXPECT_EQ(ClosesWhenAutoPlay(saver, saver, WM_SYSCOMMAND, command | 1, 0), 1) << command;
        EXPECT_EQ(ClosesWhenAutoPlay(saver, saver, WM_SYSCOMMAND, command | 0xF, 0), 1) << command;
    }
    EXPECT_EQ(ClosesWhenAutoPlay(saver, saver, WM_SYSCOMMAND, SC_CLOSE, 0), 1);
}

TEST_F(ShellWindowProcTest, SystemCommandsPassOnInPreview)
{
    Open(true);
    for (WPARAM command : {WPARAM(SC_NEXTWINDOW), WPARAM(SC_PREVWINDOW), WPARAM(SC_SCREENSAVE)}) {
        EXPECT_EQ(ClosesWhenAutoPlay(saver, saver, WM_SYSCOMMAND, command, 0), 1) << command;
    }
}

TEST_F(ShellWindowProcTest, HelpInPreviewGoesToParent)
{
    Open(true);
    const LPARAM point = MAKELPARAM(10, 20);
    LRESULT result = 0;
    EXPECT_EQ(ClosesWhenAutoPlay(saver, saver, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(saver), point, &result), 0);
    EXPECT_EQ(result, 1);
    MSG posted = {};
    ASSERT_TRUE(PeekMessageA(&posted, parent, WM_CONTEXTMENU, WM_CONTEXTMENU, PM_REMOVE));
    EXPECT_EQ(posted.hwnd, parent);
    EXPECT_EQ(posted.wParam, reinterpret_cast<WPARAM>(parent));
    EXPECT_EQ(posted.lParam, point);
    // WM_HELP carries a pointer, which the platform will not post; it is
    // still kept from the renderer and answered with 1.
    EXPECT_EQ(ClosesWhenAutoPlay(saver, saver, WM_HELP, 0, point, &result), 0);
    EXPECT_EQ(result, 1);
}

TEST_F(ShellWindowProcTest, HelpOutsidePreviewPassesOn)
{
    Open(false);
    EXPECT_EQ(ClosesWhenAutoPlay(saver, saver, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(saver), 0), 1);
    MSG posted;
    EXPECT_FALSE(PeekMessageA(&posted, nullptr, WM_CONTEXTMENU, WM_CONTEXTMENU, PM_REMOVE));
}

TEST_F(ShellWindowProcTest, ApprovedCloseKeepsInputAndPaintFromRenderer)
{
    Open(false);
    EXPECT_GE(ClosesWhenAutoPlay(saver, saver, WM_KEYDOWN, VK_SPACE, 0), 1);
    EXPECT_EQ(ClosesWhenAutoPlay(saver, saver, WM_PAINT, 0, 0), 1);

    shellState.closeApproved = 1;
    for (UINT message : {UINT(WM_KEYDOWN), UINT(WM_SYSKEYDOWN), UINT(WM_MOUSEMOVE), UINT(WM_LBUTTONDOWN),
             UINT(WM_RBUTTONDOWN), UINT(WM_MBUTTONDOWN), UINT(WM_PAINT)}) {
        EXPECT_EQ(ClosesWhenAutoPlay(saver, saver, message, 0, 0), 0) << message;
    }
    // A tick neither reaches the renderer nor confirms a held jump.
    shellState.heldJumpWindow = saver;
    shellState.heldJumpTick = GetTickCount() - 10000;
    EXPECT_EQ(SendMessageA(saver, WM_TIMER, 101, 0), 0);
    EXPECT_EQ(TakePostedCloses(saver), 0) << "a tick after the approved close asked for another";
    // Other messages still pass on.
    EXPECT_EQ(ClosesWhenAutoPlay(saver, saver, WM_USER + 5, 0, 0), 1);
}

TEST_F(ShellWindowProcTest, CursorHiddenOutsidePreviewOnly)
{
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    Open(false);
    EXPECT_EQ(GetCursor(), nullptr);
    SetCursor(arrow);
    SendMessageA(saver, WM_PAINT, 0, 0);
    EXPECT_EQ(GetCursor(), nullptr);
    TearDown();
    parent = saver = nullptr;

    SetCursor(arrow);
    Open(true);
    EXPECT_EQ(GetCursor(), arrow);
    SendMessageA(saver, WM_PAINT, 0, 0);
    EXPECT_EQ(GetCursor(), arrow);
}

TEST_F(ShellWindowProcTest, CreationReadsMouseReference)
{
    SetCursorPos(611, 422);
    POINT position = {};
    GetCursorPos(&position);
    Open(false);
    EXPECT_EQ(shellState.mouseReference.x, position.x);
    EXPECT_EQ(shellState.mouseReference.y, position.y);
}

// Only an input method that the process already has is detached; this test
// executable links IMM32, so it always has one.
TEST_F(ShellWindowProcTest, InputMethodDetachedWhileWindowExists)
{
    HMODULE imm = GetModuleHandleA("IMM32.DLL");
    ASSERT_NE(imm, nullptr);
    Open(false);
    EXPECT_EQ(shellState.imeLibrary, imm);
    EXPECT_EQ(reinterpret_cast<void*>(shellState.associateContextEntry),
        reinterpret_cast<void*>(GetProcAddress(imm, "ImmAssociateContext")));
    HIMC now = ImmGetContext(saver);
    EXPECT_EQ(now, nullptr);
    ImmReleaseContext(saver, now);
    ASSERT_NE(shellState.savedInputContext, nullptr);

    watchedWindow = saver;
    destroySeen = false;
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, AfterDestroyHook, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    DestroyWindow(saver);
    UnhookWindowsHookEx(hook);
    EXPECT_TRUE(destroySeen);
    EXPECT_EQ(contextAfterDestroy, shellState.savedInputContext);
}
