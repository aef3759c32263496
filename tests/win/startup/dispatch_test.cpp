// Command tails that name no usable mode end with -1 and create nothing;
// SaverMain records the instance and the system family first.
#include <gtest/gtest.h>

#include "shell/shell_state.h"
#include "shell/start_up.h"

static int TopLevelSaverWindows()
{
    int count = 0;
    HWND found = nullptr;
    while ((found = FindWindowExA(nullptr, found, "WindowsScreenSaverClass", nullptr)) != nullptr) {
        ++count;
    }
    return count;
}

TEST(Dispatch, TailsNamingNoModeGiveMinusOne)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    for (const char* tail : { "/x", "/?", "/\ts", "\ts", "-/-x", "\xE9", "/ a1", "1" }) {
        EXPECT_EQ(SaverMain(instance, tail), -1) << tail;
    }
    EXPECT_EQ(shellState.instance, instance);
    EXPECT_EQ(TopLevelSaverWindows(), 0);
    WNDCLASSA existing;
    EXPECT_FALSE(GetClassInfoA(instance, "WindowsScreenSaverClass", &existing));
}

TEST(Dispatch, FamilyFollowsTheVersionQuery)
{
    SaverMain(GetModuleHandleA(nullptr), "/x");
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExA(&version));
    EXPECT_EQ(shellState.isWin9xFamily, version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? 1 : 0);
}

TEST(Dispatch, ChangePasswordIsInvalidOnTheNtFamily)
{
    SaverMain(GetModuleHandleA(nullptr), "/x");
    if (shellState.isWin9xFamily) {
        GTEST_SKIP() << "95/98 family reported";
    }
    EXPECT_EQ(SaverMain(GetModuleHandleA(nullptr), "/a 0"), -1);
    EXPECT_EQ(SaverMain(GetModuleHandleA(nullptr), "A"), -1);
}

TEST(Dispatch, PreviewWithoutAUsableWindowGivesMinusOne)
{
    HWND desktopChildless = CreateWindowExA(0, "STATIC", "gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                            nullptr, nullptr);
    ASSERT_NE(desktopChildless, nullptr);
    char gone[32];
    snprintf(gone, sizeof gone, "/p %u", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(desktopChildless)));
    DestroyWindow(desktopChildless);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    for (const char* tail : { "/p", "/p 0", "/p abc", "/p 0x12", "/l", static_cast<const char*>(gone) }) {
        EXPECT_EQ(SaverMain(instance, tail), -1) << tail;
    }
    EXPECT_EQ(RunPreview(""), -1);
    EXPECT_EQ(RunPreview("4294967297"), -1);
    EXPECT_EQ(TopLevelSaverWindows(), 0);
    WNDCLASSA existing;
    EXPECT_FALSE(GetClassInfoA(instance, "WindowsScreenSaverClass", &existing));
}
