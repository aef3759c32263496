// The 95/98 family with the switch on but no PASSWORD.CPL to be found: the
// same as the switch off.
#include <gtest/gtest.h>

#include "shell/default_shell_proc.h"
#include "tests/win/shell/win98_support.h"

namespace {

TEST_F(Win98Family, SwitchOnWithoutLibraryMeansNoProtection)
{
    SwitchOn();
    LoadPasswordProvider();
    EXPECT_EQ(shellState.providerLibrary, nullptr);
    EXPECT_EQ(shellState.verifyEntry, nullptr);
    EXPECT_FALSE(SystemSaverRunning());
    DefaultShellProc(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(shellState.closeApproved, 1);
}

}  // namespace
