// The 95/98 family: the user's password switch in the registry, loading and
// unloading the PASSWORD.CPL stand-in, and the system's saver-running state.
#include <gtest/gtest.h>

#include <string.h>

#include "shell/default_shell_proc.h"
#include "tests/win/shell/win98_support.h"

namespace {

struct SwitchCase {
    const char* name;
    DWORD type;
    BYTE data[8];
    DWORD size;
    bool on;
};

// The value is read as up to 4 bytes of a little-endian number whatever its
// type; what does not fit fails the read.
const SwitchCase SwitchCases[] = {
    {"dword 1", REG_DWORD, {1}, 4, true},
    {"dword 0", REG_DWORD, {0}, 4, false},
    {"dword high byte", REG_DWORD, {0, 0, 0, 0x80}, 4, true},
    {"binary 1 byte", REG_BINARY, {1}, 1, true},
    {"binary 1 zero byte", REG_BINARY, {0}, 1, false},
    {"binary 2 bytes, second set", REG_BINARY, {0, 1}, 2, true},
    {"binary 8 bytes", REG_BINARY, {1, 0, 0, 0, 0, 0, 0, 0}, 8, false},
    {"string 1", REG_SZ, {'1', 0}, 2, true},
    {"string 0 is the byte 0x30", REG_SZ, {'0', 0}, 2, true},
    {"empty string", REG_SZ, {0}, 1, false},
    {"string of 3 digits fits", REG_SZ, {'1', '2', '3', 0}, 4, true},
    {"string of 4 digits does not", REG_SZ, {'1', '2', '3', '4', 0}, 5, false},
};

TEST_F(Win98Family, PasswordSwitchDecidesTheProvider)
{
    for (const SwitchCase& c : SwitchCases) {
        SetPasswordSwitch(c.type, c.data, c.size);
        LoadPasswordProvider();
        EXPECT_EQ(shellState.verifyEntry != nullptr, c.on) << c.name;
        EXPECT_EQ(shellState.providerLibrary != nullptr, c.on) << c.name;
        EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL") != nullptr, c.on) << c.name;
        EXPECT_EQ(SystemSaverRunning() != FALSE, c.on) << c.name;
        UnloadPasswordProvider();
        EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL"), nullptr) << c.name;
    }
}

TEST_F(Win98Family, MissingSwitchMeansNoProtection)
{
    DeletePasswordSwitch();
    LoadPasswordProvider();
    EXPECT_EQ(shellState.providerLibrary, nullptr);
    EXPECT_EQ(shellState.verifyEntry, nullptr);
    DefaultShellProc(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(shellState.closeApproved, 1);
}

TEST_F(Win98Family, CompleteProviderTellsTheSystemWhileLoaded)
{
    SwitchOn();
    long loads = EnvironmentCount(PasswordStandInLoadsVariable);
    long unloads = EnvironmentCount(PasswordStandInUnloadsVariable);
    ASSERT_FALSE(SystemSaverRunning());
    LoadPasswordProvider();
    EXPECT_EQ(shellState.providerLibrary, GetModuleHandleA("PASSWORD.CPL"));
    EXPECT_EQ(reinterpret_cast<void*>(shellState.verifyEntry),
              reinterpret_cast<void*>(GetProcAddress(shellState.providerLibrary, "VerifyScreenSavePwd")));
    EXPECT_TRUE(SystemSaverRunning());
    EXPECT_EQ(EnvironmentCount(PasswordStandInLoadsVariable), loads + 1);

    // A second load first unloads the provider it has.
    LoadPasswordProvider();
    EXPECT_NE(shellState.verifyEntry, nullptr);
    EXPECT_TRUE(SystemSaverRunning());
    EXPECT_EQ(EnvironmentCount(PasswordStandInLoadsVariable), loads + 2);
    EXPECT_EQ(EnvironmentCount(PasswordStandInUnloadsVariable), unloads + 1);

    UnloadPasswordProvider();
    EXPECT_EQ(shellState.providerLibrary, nullptr);
    EXPECT_EQ(shellState.verifyEntry, nullptr);
    EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL"), nullptr);
    EXPECT_FALSE(SystemSaverRunning());
    EXPECT_EQ(EnvironmentCount(PasswordStandInUnloadsVariable), unloads + 2);

    // Nothing loaded: a further unload does not tell the system again.
    SetSystemSaverRunning(TRUE);
    UnloadPasswordProvider();
    EXPECT_TRUE(SystemSaverRunning());
}

TEST_F(Win98Family, SetSaverRunningSetsAndClears)
{
    SetSaverRunning(TRUE);
    EXPECT_TRUE(SystemSaverRunning());
    SetSaverRunning(FALSE);
    EXPECT_FALSE(SystemSaverRunning());
}

}  // namespace
