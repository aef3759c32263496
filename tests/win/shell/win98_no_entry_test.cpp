// The 95/98 family with a PASSWORD.CPL that lacks VerifyScreenSavePwd: the
// library is loaded and released again and the system is told nothing.
#include <gtest/gtest.h>

#include "shell/default_shell_proc.h"
#include "tests/win/shell/win98_support.h"

namespace {

TEST_F(Win98Family, ProviderWithoutEntryIsReleasedAtOnce)
{
    SwitchOn();
    long loads = EnvironmentCount(PasswordStandInLoadsVariable);
    long unloads = EnvironmentCount(PasswordStandInUnloadsVariable);
    // Set beforehand, so that a call clearing it would show as well.
    SetSystemSaverRunning(TRUE);
    LoadPasswordProvider();
    EXPECT_EQ(EnvironmentCount(PasswordStandInLoadsVariable), loads + 1);
    EXPECT_EQ(EnvironmentCount(PasswordStandInUnloadsVariable), unloads + 1);
    EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL"), nullptr);
    EXPECT_EQ(shellState.providerLibrary, nullptr);
    EXPECT_EQ(shellState.verifyEntry, nullptr);
    EXPECT_TRUE(SystemSaverRunning());
    SetSystemSaverRunning(FALSE);
    LoadPasswordProvider();
    EXPECT_FALSE(SystemSaverRunning());

    EXPECT_EQ(DefaultShellProc(window, shellState.autoPlayMessage, 0, 0), 0);
    EXPECT_EQ(TakePostedCloses(window), 1);
    DefaultShellProc(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(shellState.closeApproved, 1);
}

}  // namespace
