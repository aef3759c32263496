// The 95/98 family's test fixture: proves the family setting took effect and
// loads the PASSWORD.CPL stand-in as a full-screen run would, switch on.
#pragma once
#include "shell/password.h"
#include "shell/shell_state.h"
#include "tests/stand-ins/password_cpl.h"
#include "tests/win/shell/shell_test_support.h"

class Win98Family : public ShellWindowTest {
protected:
    void SetUp() override
    {
        ASSERT_EQ(VersionPlatform(), static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS));
        ShellWindowTest::SetUp();
        ASSERT_EQ(shellState.isWin9xFamily, 1);
        ASSERT_NE(shellState.autoPlayMessage, 0u);
    }
    void TearDown() override
    {
        UnloadPasswordProvider();
        DeletePasswordSwitch();
        SetSystemSaverRunning(FALSE);
        ShellWindowTest::TearDown();
    }
    void SwitchOn()
    {
        const DWORD on = 1;
        SetPasswordSwitch(REG_DWORD, &on, sizeof on);
    }
};

// With the complete provider loaded and scripted.
class Win98Provider : public Win98Family {
protected:
    void SetUp() override
    {
        Win98Family::SetUp();
        SwitchOn();
        LoadPasswordProvider();
        ASSERT_NE(shellState.verifyEntry, nullptr);
        script = reinterpret_cast<StandInScriptEntry>(
            reinterpret_cast<void*>(GetProcAddress(shellState.providerLibrary, "StandInScript")));
        record = reinterpret_cast<StandInRecordEntry>(
            reinterpret_cast<void*>(GetProcAddress(shellState.providerLibrary, "StandInRecord")));
        ASSERT_NE(script, nullptr);
        ASSERT_NE(record, nullptr);
    }
    StandInPasswordRecord Record()
    {
        StandInPasswordRecord r = {};
        record(&r);
        return r;
    }
    StandInScriptEntry script = nullptr;
    StandInRecordEntry record = nullptr;
};
