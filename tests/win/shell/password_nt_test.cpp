// The NT family: a close is let through without a check, the password query
// and the AutoPlay query are the default's, and the password operations do
// nothing even with the switch on and a provider next to the executable.
#include <gtest/gtest.h>

#include "shell/default_shell_proc.h"
#include "shell/password.h"
#include "shell/shell_state.h"
#include "tests/stand-ins/password_cpl.h"
#include "tests/win/shell/shell_test_support.h"

namespace {

class NtFamily : public ShellWindowTest {
protected:
    void SetUp() override
    {
        ASSERT_EQ(VersionPlatform(), static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
        ShellWindowTest::SetUp();
        ASSERT_EQ(shellState.isWin9xFamily, 0);
    }
    void TearDown() override
    {
        DeletePasswordSwitch();
        ShellWindowTest::TearDown();
    }
};

TEST_F(NtFamily, CloseDestroysWithoutACheck)
{
    EXPECT_EQ(DefaultShellProc(window, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(shellState.closeApproved, 0);
    EXPECT_EQ(shellState.lastCheckTick, NoCheckTick);
}

TEST_F(NtFamily, PasswordQueryIsLeftToTheDefault)
{
    EXPECT_EQ(DefaultShellProc(window, PasswordQueryMessage, 0, 0), 0);
}

TEST_F(NtFamily, AutoPlayQueryIsNeverMatched)
{
    UINT autoPlay = RegisterWindowMessageA("QueryCancelAutoPlay");
    ASSERT_NE(autoPlay, 0u);
    EXPECT_EQ(shellState.autoPlayMessage, 0u);
    EXPECT_EQ(DefaultShellProc(window, autoPlay, 0, 0), 0);
    EXPECT_EQ(TakePostedCloses(window), 0);
}

TEST_F(NtFamily, PasswordOperationsDoNothing)
{
    const DWORD on = 1;
    SetPasswordSwitch(REG_DWORD, &on, sizeof on);
    long loads = EnvironmentCount(PasswordStandInLoadsVariable);
    LoadPasswordProvider();
    EXPECT_EQ(shellState.providerLibrary, nullptr);
    EXPECT_EQ(shellState.verifyEntry, nullptr);
    EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL"), nullptr);
    EXPECT_EQ(EnvironmentCount(PasswordStandInLoadsVariable), loads);
    EXPECT_FALSE(SystemSaverRunning());

    SetSaverRunning(TRUE);
    EXPECT_FALSE(SystemSaverRunning());

    // A library handed in by hand is not released either.
    HMODULE provider = LoadLibraryA("PASSWORD.CPL");
    ASSERT_NE(provider, nullptr);
    shellState.providerLibrary = provider;
    UnloadPasswordProvider();
    EXPECT_EQ(shellState.providerLibrary, provider);
    EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL"), provider);
    FreeLibrary(provider);
    EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL"), nullptr);
}

}  // namespace
