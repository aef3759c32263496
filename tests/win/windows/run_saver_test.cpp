// RunSaver in the test process: a preview inside a parent window made here,
// a full-screen run ended by a key, one whose GL set-up fails, the single
// full-screen instance, and the runs where the class or the window cannot be
// made. A thread timer drives
// each run from inside its loop; a watchdog ends any run that hangs.
#include "render/render_state.h"
#include "shell/saver_window.h"
#include "shell/shell_state.h"
#include "tests/win/windows/windows_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {
const char SaverClassName[] = "WindowsScreenSaverClass";
// The quit code of a run the watchdog had to end.
const int WatchdogCode = 77;
const UINT WatchdogMs = 10000;
const UINT DriverMs = 300;

void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD)
{
    PostQuitMessage(WatchdogCode);
}

// What the driver saw from inside a run.
struct RunView {
    bool driven;
    HWND saver;
    HWND parent;
    std::string title;
    LONG_PTR style;
    LONG_PTR exStyle;
    RECT windowRect;
    RECT clientRect;
    ULONG_PTR classStyle;
    ULONG_PTR classBrush;
    ULONG_PTR classCursor;
    int isPreview;
    HWND foreground;
    HWND child;
    RECT childClient;
    GLint viewportHeight;
    float spinZ;
    HGLRC glContext;
};

RunView view;
HWND previewParent = nullptr;
HWND saverAtSaverCreate = reinterpret_cast<HWND>(1);
HWND saverAtChildCreate = reinterpret_cast<HWND>(1);
int creationsSeen = 0;

void Observe()
{
    view.driven = true;
    view.saver = shellState.saverWindow;
    view.parent = GetParent(view.saver);
    view.title = TitleOf(view.saver);
    view.style = GetWindowLongPtrA(view.saver, GWL_STYLE);
    view.exStyle = GetWindowLongPtrA(view.saver, GWL_EXSTYLE);
    GetWindowRect(view.saver, &view.windowRect);
    GetClientRect(view.saver, &view.clientRect);
    view.classStyle = GetClassLongPtrA(view.saver, GCL_STYLE);
    view.classBrush = GetClassLongPtrA(view.saver, GCLP_HBRBACKGROUND);
    view.classCursor = GetClassLongPtrA(view.saver, GCLP_HCURSOR);
    view.isPreview = shellState.isPreview;
    view.foreground = GetForegroundWindow();
    view.child = renderState.childWindow;
    GetClientRect(view.child, &view.childClient);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    view.viewportHeight = viewport[3];
    view.spinZ = renderState.animation.spinZ;
    view.glContext = renderState.glContext;
}

// Ends a preview as the display settings do: its parent goes.
void CALLBACK EndPreview(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    Observe();
    DestroyWindow(previewParent);
}

void CALLBACK PressKey(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    Observe();
    PostMessageA(shellState.saverWindow, WM_KEYDOWN, VK_SPACE, 0);
}

// Reads the shared saver handle as each window's creation begins.
LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_CREATE) {
        const std::string name = ClassOf(call->hwnd);
        if (name == SaverClassName) {
            saverAtSaverCreate = shellState.saverWindow;
            ++creationsSeen;
        } else if (name == "NTDEVCLASS") {
            saverAtChildCreate = shellState.saverWindow;
            ++creationsSeen;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Before the saver sets the render child's pixel format, another sets it to
// a single-buffered one: a window's format is set only once, so the saver's
// own SetPixelFormat fails, as Wine really refuses it.
LRESULT CALLBACK PresetFormatHook(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_CREATE && ClassOf(call->hwnd) == "NTDEVCLASS") {
        HDC context = GetDC(call->hwnd);
        PIXELFORMATDESCRIPTOR format = {};
        int index = 1;
        while (DescribePixelFormat(context, index, sizeof format, &format) && (format.dwFlags & PFD_DOUBLEBUFFER)) {
            ++index;
        }
        SetPixelFormat(context, index, &format);
        ReleaseDC(call->hwnd, context);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The child painted white, standing for the desktop the screen showed, then
// painted by PAINT: "black", or what else its sampled pixels read back as.
// Wine 8 draws a window with a GL pixel format into an X window of its own,
// whose pixels GetPixel cannot read; Wine 10 and Windows can.
std::string PixelsAfter(HWND child, void (*paint)(HWND child, HDC context))
{
    HDC context = GetDC(child);
    RECT client = {};
    GetClientRect(child, &client);
    PatBlt(context, 0, 0, client.right, client.bottom, WHITENESS);
    const COLORREF before = GetPixel(context, 0, 0);
    paint(child, context);
    std::string pixels = before == CLR_INVALID ? "unreadable" : before != RGB(255, 255, 255) ? "not white" : "black";
    for (int step = 0; step < 5 && pixels == "black"; ++step) {
        if (GetPixel(context, client.right * step / 5, client.bottom * step / 5) != RGB(0, 0, 0)) {
            pixels = "not black";
        }
    }
    ReleaseDC(child, context);
    return pixels;
}

std::string onErase;
std::string onFrame;

void CALLBACK LookAtUnsetChild(HWND, UINT, UINT_PTR timer, DWORD)
{
    Observe();
    onErase = PixelsAfter(view.child, [](HWND child, HDC context) {
        SendMessageA(child, WM_ERASEBKGND, reinterpret_cast<WPARAM>(context), 0);
    });
    // A frame: the timer's invalidation, which asks for no erase.
    onFrame = PixelsAfter(view.child, [](HWND child, HDC) {
        InvalidateRect(child, nullptr, FALSE);
        UpdateWindow(child);
    });
    PressKey(nullptr, 0, timer, 0);
}

bool IsWine8()
{
    typedef const char*(CDECL * VersionEntry)();
    const VersionEntry version = reinterpret_cast<VersionEntry>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")));
    return version != nullptr && version()[0] == '8';
}

int DrivenRun(HWND parent, TIMERPROC driver)
{
    view = RunView{};
    const UINT_PTR watchdog = SetTimer(nullptr, 0, WatchdogMs, Watchdog);
    const UINT_PTR drive = SetTimer(nullptr, 0, DriverMs, driver);
    const int result = RunSaver(parent);
    KillTimer(nullptr, watchdog);
    KillTimer(nullptr, drive);
    return result;
}

// A driven run with HOOK watching the thread's window procedures.
int HookedRun(HOOKPROC hook, HWND parent, TIMERPROC driver)
{
    HHOOK installed = SetWindowsHookExA(WH_CALLWNDPROC, hook, nullptr, GetCurrentThreadId());
    EXPECT_NE(installed, nullptr);
    const int result = DrivenRun(parent, driver);
    UnhookWindowsHookEx(installed);
    return result;
}

RECT ScreenClipBox()
{
    RECT box = {};
    HDC screen = GetDC(nullptr);
    GetClipBox(screen, &box);
    ReleaseDC(nullptr, screen);
    return box;
}

WNDCLASSA DummySaverClass()
{
    WNDCLASSA dummy = {};
    dummy.lpfnWndProc = DefWindowProcA;
    dummy.hInstance = GetModuleHandleA(nullptr);
    dummy.lpszClassName = SaverClassName;
    return dummy;
}
}

class RunSaverTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProcessRecords(); }
    void TearDown() override
    {
        // Each run registers the class anew, as each process does.
        UnregisterClassA(SaverClassName, GetModuleHandleA(nullptr));
        DiscardTestWindows(nullptr);
    }
};

TEST_F(RunSaverTest, PreviewFillsParentAndEndsWithIt)
{
    previewParent = CreatePlainWindow(200, 150);
    ASSERT_NE(previewParent, nullptr);
    RECT parentClient = {};
    GetClientRect(previewParent, &parentClient);
    creationsSeen = 0;
    const int result = HookedRun(CreationHook, previewParent, EndPreview);

    EXPECT_EQ(result, 0);
    ASSERT_TRUE(view.driven);
    EXPECT_EQ(creationsSeen, 2);
    EXPECT_EQ(saverAtSaverCreate, nullptr);
    EXPECT_EQ(saverAtChildCreate, nullptr);
    EXPECT_NE(view.saver, nullptr);
    EXPECT_EQ(view.parent, previewParent);
    EXPECT_EQ(view.title, "Preview");
    EXPECT_EQ(view.style, static_cast<LONG_PTR>(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN));
    EXPECT_EQ(view.exStyle, 0);
    EXPECT_EQ(view.clientRect.right, parentClient.right);
    EXPECT_EQ(view.clientRect.bottom, parentClient.bottom);
    EXPECT_EQ(view.classStyle, static_cast<ULONG_PTR>(0x2B));
    EXPECT_EQ(view.classBrush, reinterpret_cast<ULONG_PTR>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(view.classCursor, 0u);
    EXPECT_EQ(view.isPreview, 1);
    EXPECT_NE(view.child, nullptr);
    EXPECT_EQ(view.childClient.right, parentClient.right);
    EXPECT_EQ(view.childClient.bottom, parentClient.bottom);
    // Frames were drawn while the loop ran.
    EXPECT_GT(view.spinZ, 0.0f);
    EXPECT_EQ(shellState.autoPlayMessage, 0u);
    EXPECT_FALSE(IsWindow(view.saver));
}

TEST_F(RunSaverTest, PreviewOfEmptyParentGivesEmptyChild)
{
    previewParent = CreatePlainWindow(0, 0);
    ASSERT_NE(previewParent, nullptr);
    EXPECT_EQ(DrivenRun(previewParent, EndPreview), 0);
    ASSERT_TRUE(view.driven);
    EXPECT_NE(view.child, nullptr);
    EXPECT_EQ(view.childClient.right, 0);
    EXPECT_EQ(view.childClient.bottom, 0);
    EXPECT_EQ(view.viewportHeight, 1);
}

TEST_F(RunSaverTest, FullScreenCoversScreenTopmostAndEndsOnKey)
{
    const int result = DrivenRun(nullptr, PressKey);
    EXPECT_EQ(result, 0);
    ASSERT_TRUE(view.driven);
    const RECT screen = ScreenClipBox();
    EXPECT_EQ(view.windowRect.left, screen.left);
    EXPECT_EQ(view.windowRect.top, screen.top);
    EXPECT_EQ(view.windowRect.right, screen.right);
    EXPECT_EQ(view.windowRect.bottom, screen.bottom);
    EXPECT_EQ(view.parent, nullptr);
    EXPECT_EQ(view.title, "Screen Saver");
    EXPECT_EQ(view.style, static_cast<LONG_PTR>(WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
    EXPECT_TRUE(view.exStyle & WS_EX_TOPMOST);
    EXPECT_EQ(view.foreground, view.saver);
    EXPECT_EQ(view.isPreview, 0);
    EXPECT_EQ(view.childClient.right, screen.right - screen.left);
    EXPECT_EQ(view.childClient.bottom, screen.bottom - screen.top);
    EXPECT_FALSE(IsWindow(view.saver));
}

// Without GL the child is black wherever it is painted, and a key still
// ends the run with 0.
TEST_F(RunSaverTest, FullScreenWithoutGLIsBlackAndEndsOnKey)
{
    const int result = HookedRun(PresetFormatHook, nullptr, LookAtUnsetChild);
    EXPECT_EQ(result, 0);
    ASSERT_TRUE(view.driven);
    EXPECT_EQ(view.glContext, nullptr);
    const std::string black = IsWine8() ? "unreadable" : "black";
    EXPECT_EQ(onErase, black) << "erased through the class's brush";
    EXPECT_EQ(onFrame, black) << "a frame filled black";
    EXPECT_FALSE(IsWindow(view.saver));
}

TEST_F(RunSaverTest, SecondFullScreenRunOnlyBringsFirstForward)
{
    WNDCLASSA dummy = DummySaverClass();
    ASSERT_NE(RegisterClassA(&dummy), 0);
    HWND running = CreateWindowExA(0, SaverClassName, "Screen Saver", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
        nullptr, nullptr, dummy.hInstance, nullptr);
    ASSERT_NE(running, nullptr);
    HWND other = CreatePlainWindow(60, 60);
    SetForegroundWindow(other);
    ASSERT_EQ(GetForegroundWindow(), other);

    const DWORD start = GetTickCount();
    const int result = DrivenRun(nullptr, PressKey);
    EXPECT_EQ(result, 0);
    EXPECT_LT(GetTickCount() - start, DriverMs);
    EXPECT_FALSE(view.driven);
    EXPECT_EQ(GetForegroundWindow(), running);
    EXPECT_EQ(shellState.saverWindow, nullptr);
    EXPECT_EQ(renderState.childWindow, nullptr);
    WNDCLASSA now = {};
    ASSERT_TRUE(GetClassInfoA(dummy.hInstance, SaverClassName, &now));
    EXPECT_EQ(now.lpfnWndProc, DefWindowProcA);
    DestroyWindow(other);
    DestroyWindow(running);
}

// A preview ("Preview") is not a running full-screen saver.
TEST_F(RunSaverTest, PreviewDoesNotCountAsRunningSaver)
{
    WNDCLASSA dummy = DummySaverClass();
    ASSERT_NE(RegisterClassA(&dummy), 0);
    // Top level, where the single-instance lookup would find it by class:
    // only its title says it is no full-screen saver.
    HWND preview = CreateWindowExA(0, SaverClassName, "Preview", WS_POPUP | WS_VISIBLE, 0, 0, 60, 60, nullptr,
        nullptr, dummy.hInstance, nullptr);
    ASSERT_NE(preview, nullptr);
    ASSERT_EQ(FindWindowA(SaverClassName, nullptr), preview);
    // The full-screen run gets as far as registering the class, which the
    // stand-in holds, so it makes no window: the failure code, not 0.
    EXPECT_EQ(DrivenRun(nullptr, PressKey), RunSaverFailedCode);
    DestroyWindow(preview);
}

TEST_F(RunSaverTest, FailedClassOrWindowGivesFailureCode)
{
    HWND gone = CreatePlainWindow(40, 40);
    DestroyWindow(gone);
    EXPECT_EQ(DrivenRun(gone, EndPreview), RunSaverFailedCode);
    EXPECT_FALSE(view.driven);
    EXPECT_EQ(shellState.saverWindow, nullptr);
    UnregisterClassA(SaverClassName, GetModuleHandleA(nullptr));

    WNDCLASSA dummy = DummySaverClass();
    ASSERT_NE(RegisterClassA(&dummy), 0);
    previewParent = CreatePlainWindow(40, 40);
    EXPECT_EQ(DrivenRun(previewParent, EndPreview), RunSaverFailedCode);
    EXPECT_FALSE(view.driven);
    EXPECT_EQ(FindWindowExA(previewParent, nullptr, nullptr, nullptr), nullptr);
    DestroyWindow(previewParent);
}
