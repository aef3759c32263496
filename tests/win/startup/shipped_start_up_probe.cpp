// Linked exactly as the saver is (its entry point, no C run-time, the same
// compiler settings and library code, the same manifest), this checks what
// that start-up promises: the x87 control word Windows gives a new process,
// static objects built before WinMain and never destroyed, the projection's
// double quotient, the animation's float sequence with the saver's own sin
// and cos, and the manifest read at process start. Prints a line a check and
// exits with the number that failed.
#include <windows.h>

#include "render/animation.h"
#include "render/frame.h"

namespace {

const WORD ExpectedControlWord = 0x27F;
const int MarkerBuilt = 1;
const int LineLength = 160;
const int SettingLength = 64;

// Tallied by Check; the probe's only state besides the objects it inspects.
int failures = 0;

void Print(const char* text)
{
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, lstrlenA(text), &written, nullptr);
}

void Check(bool holds, const char* what)
{
    char line[LineLength];
    wsprintfA(line, "%s %s\n", holds ? "ok  " : "FAIL", what);
    Print(line);
    failures += holds ? 0 : 1;
}

WORD ControlWord()
{
    WORD word = 0;
    __asm__ __volatile__("fnstcw %0" : "=m"(word));
    return word;
}

// Built by the entry point's constructor pass.
struct StartMarker {
    StartMarker() : built(MarkerBuilt), controlWord(ControlWord()) {}
    int built;
    WORD controlWord;
};
StartMarker startMarker;

bool SameBits(float a, float b)
{
    DWORD aBits = 0;
    DWORD bBits = 0;
    CopyMemory(&aBits, &a, sizeof aBits);
    CopyMemory(&bBits, &b, sizeof bBits);
    return aBits == bBits;
}

void CheckStartUp()
{
    char line[LineLength];
    wsprintfA(line, "x87 control word 0x%X in WinMain, 0x%X in a static constructor", ControlWord(),
        startMarker.controlWord);
    Check(ControlWord() == ExpectedControlWord && startMarker.controlWord == ExpectedControlWord, line);
    Check(startMarker.built == MarkerBuilt, "static objects are constructed before WinMain");
}

void CheckQuotient()
{
    // Rounded once to double; extended precision would round twice and
    // give 0.056070209653827405.
    const volatile double quotient = AspectRatio(115, 2051);
    Check(quotient == 0.056070209653827398, "aspect ratio 115 / 2051 is the double quotient");
}

void CheckAnimation()
{
    FrameAnimation animation = {};
    StepAnimation(animation);
    const bool first = SameBits(animation.wobblePhase, 0.0149999997f) && SameBits(animation.wobbleY, 0.05999775f)
        && animation.wobbleX > 10.999655f && animation.wobbleX < 10.999665f && animation.spinZ == 2.5f;
    StepAnimation(animation);
    const bool second = SameBits(animation.wobblePhase, 0.0299999993f) && animation.spinZ == 5.0f;
    StepAnimation(animation);
    const bool third = SameBits(animation.wobblePhase, 0.0449999981f) && animation.spinZ == 7.5f;
    Check(first && second && third, "frames 1 to 3: phases 0.0149999997, 0.0299999993, 0.0449999981");

    const long SpinCheckFrame = 144;
    for (long frame = 4; frame < SpinCheckFrame; ++frame) {
        StepAnimation(animation);
    }
    StepAnimation(animation);
    const float at144 = animation.spinZ;
    StepAnimation(animation);
    const float at145 = animation.spinZ;
    StepAnimation(animation);
    Check(at144 == 360.0f && at145 == 0.0f && animation.spinZ == 2.5f, "frames 144 to 146 spin 360, 0, 2.5");

    // A phase that only grew froze the wobble at frame 16,832,417; the turn
    // after it must still move every frame and sweep the x wobble end to end.
    const long FrozeAtFrame = 16832417;
    const long OneTurn = 419;
    for (long frame = SpinCheckFrame + 3; frame <= FrozeAtFrame; ++frame) {
        StepAnimation(animation);
    }
    bool moved = true;
    float lowX = animation.wobbleX;
    float highX = animation.wobbleX;
    for (long frame = 0; frame < OneTurn; ++frame) {
        const float before = animation.wobblePhase;
        StepAnimation(animation);
        moved = moved && animation.wobblePhase != before;
        lowX = animation.wobbleX < lowX ? animation.wobbleX : lowX;
        highX = animation.wobbleX > highX ? animation.wobbleX : highX;
    }
    Check(moved && lowX < 5.001f && highX > 10.999f, "the wobble still turns a turn past frame 16,832,417");
}

void CheckManifest()
{
    typedef BOOL(WINAPI * QuerySettings)(DWORD, HANDLE, const WCHAR*, const WCHAR*, WCHAR*, SIZE_T, SIZE_T*);
    const QuerySettings query = reinterpret_cast<QuerySettings>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryActCtxSettingsW")));
    WCHAR aware[SettingLength] = {};
    WCHAR awareness[SettingLength] = {};
    SIZE_T length = 0;
    // A null namespace means the 2005 one, where dpiAware lives.
    const WCHAR* const Settings2016 = L"http://schemas.microsoft.com/SMI/2016/WindowsSettings";
    const bool read = query != nullptr
        && query(0, nullptr, nullptr, L"dpiAware", aware, SettingLength, &length)
        && query(0, nullptr, Settings2016, L"dpiAwareness", awareness, SettingLength, &length);
    char line[LineLength];
    wsprintfA(line, "the process's manifest declares dpiAware \"%ls\", dpiAwareness \"%ls\"", aware, awareness);
    Check(read && lstrcmpW(aware, L"true/pm") == 0 && lstrcmpW(awareness, L"PerMonitorV2, PerMonitor") == 0, line);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    CheckStartUp();
    CheckQuotient();
    CheckAnimation();
    CheckManifest();
    ExitProcess(static_cast<UINT>(failures));
}
