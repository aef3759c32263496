// The 95/98 family's change-password request, with the MPR.DLL stand-in
// next to the executable recording the arguments it receives.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

#include "tests/stand-ins/mpr_dll.h"
#include "tests/win/shell/win98_support.h"

namespace {

class ChangePasswordTest : public Win98Family {
protected:
    void SetUp() override
    {
        Win98Family::SetUp();
        // One shown window for the whole run, so that there is a foreground
        // window to fall back to.
        static HWND shown = CreateWindowExA(0, "STATIC", "foreground", WS_POPUP | WS_VISIBLE, 0, 0,
                                            50, 50, nullptr, nullptr, nullptr, nullptr);
        foreground = shown;
        ASSERT_NE(foreground, nullptr);
    }
    // The stand-in's record of the call ChangePassword makes for text.
    std::string CallFor(const char* text)
    {
        SetEnvironmentVariableA(MprStandInCallVariable, nullptr);
        EXPECT_EQ(ChangePassword(text), 0) << text;
        EXPECT_EQ(GetModuleHandleA("MPR.DLL"), nullptr) << text;
        char call[160] = "";
        GetEnvironmentVariableA(MprStandInCallVariable, call, sizeof call);
        return call;
    }
    static std::string Expected(HWND parent)
    {
        char text[64];
        snprintf(text, sizeof text, "SCRSAVE|%llu|0|0",
                 static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(parent)));
        return text;
    }
    HWND foreground = nullptr;
};

TEST_F(ChangePasswordTest, WindowNamedOnTheCommandLineIsTheParent)
{
    char text[32];
    snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
    EXPECT_EQ(CallFor(text), Expected(window));
    snprintf(text, sizeof text, "%llu rest", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
    EXPECT_EQ(CallFor(text), Expected(window));
}

TEST_F(ChangePasswordTest, NoUsableWindowFallsBackToTheForegroundWindow)
{
    HWND current = GetForegroundWindow();
    ASSERT_NE(current, nullptr);
    ASSERT_NE(current, window);
    for (const char* text : {"", "abc", " 12", "0"}) {
        EXPECT_EQ(CallFor(text), Expected(current)) << text;
    }
    // A number that names no window.
    HWND gone = CreateShellTestWindow();
    char text[32];
    snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(gone)));
    DestroyShellTestWindow(gone);
    EXPECT_EQ(CallFor(text), Expected(current));
}

}  // namespace
