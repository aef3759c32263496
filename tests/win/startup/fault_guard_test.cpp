// The fault guard: a fault inside the guarded run, also one raised inside a
// window procedure, returns FaultExitCode after the system's filter agreed
// (the prefix names no debugger, so it does), and the saver-running state is
// cleared on the 95/98 family. A run without a fault returns its own result.
#include <gtest/gtest.h>

#include "shell/fault_guard.h"
#include "shell/shell_state.h"
#include "shell/start_up.h"

static int ReturnSeven(void* argument)
{
    *static_cast<int*>(argument) += 1;
    return 7;
}

static BOOL SaverRunning()
{
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running;
}

static int WriteThroughNull(void* argument)
{
    BOOL previous = FALSE;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, TRUE, &previous, 0);
    *static_cast<volatile int*>(argument) = 1;
    return 0;
}

static LRESULT CALLBACK FaultingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_APP:
        return WriteThroughNull(nullptr);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

static int FaultInWindowProcedure(void*)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = FaultingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "FaultGuardTestClass";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "FaultGuardTestClass", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    PostMessageA(window, WM_APP, 0, 0);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchMessageA(&message);
    }
    return 0;
}

class FaultGuard : public testing::Test {
protected:
    void SetUp() override
    {
        // Records the family the way the saver does.
        SaverMain(GetModuleHandleA(nullptr), "/x");
    }
    void TearDown() override
    {
        BOOL previous = FALSE;
        SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, &previous, 0);
    }
    // The faulting modes set the state first; only the 95/98 family clears it.
    static BOOL RunningAfterFault() { return shellState.isWin9xFamily ? FALSE : TRUE; }
};

TEST_F(FaultGuard, RunWithoutFaultReturnsItsResult)
{
    int calls = 0;
    EXPECT_EQ(RunGuarded(ReturnSeven, &calls), 7);
    EXPECT_EQ(calls, 1);
}

TEST_F(FaultGuard, FaultReturnsTheFaultCodeAndClearsTheRunningState)
{
    EXPECT_EQ(RunGuarded(WriteThroughNull, nullptr), FaultExitCode);
    EXPECT_EQ(SaverRunning(), RunningAfterFault());
    // The guard still holds afterwards, and the frame is intact.
    int calls = 0;
    EXPECT_EQ(RunGuarded(ReturnSeven, &calls), 7);
    EXPECT_EQ(RunGuarded(WriteThroughNull, nullptr), FaultExitCode);
}

TEST_F(FaultGuard, FaultInsideAWindowProcedureIsCaught)
{
    EXPECT_EQ(RunGuarded(FaultInWindowProcedure, nullptr), FaultExitCode);
    EXPECT_EQ(SaverRunning(), RunningAfterFault());
}

TEST_F(FaultGuard, TheSystemKeepsTheRunningState)
{
    // Without this the checks of the state above could not fail.
    BOOL previous = FALSE;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, TRUE, &previous, 0);
    EXPECT_TRUE(SaverRunning());
}
