// The saver's process entry point, in place of a C run-time's start-up (the
// saver links none). It leaves the x87 unit in the state Windows gives a new
// process, runs the constructors of static objects and calls WinMain, which
// ends the process with ExitProcess. Left out on purpose: arguments, the
// environment, a heap of its own and exit processing, so static destructors
// never run.
#include <windows.h>

// Windows' default for a new process: 53-bit precision, round to nearest,
// every exception masked. Whatever a loaded DLL set before us is undone.
const WORD X87DefaultControlWord = 0x27F;

// The constructor list that the linker builds: a -1 marker, the entries,
// then a null entry.
typedef void (*StaticConstructor)();
extern "C" StaticConstructor __CTOR_LIST__[];
const int FirstConstructor = 1;

static void ResetX87()
{
    WORD controlWord = X87DefaultControlWord;
    __asm__ __volatile__("fnclex\n\tfldcw %0" : : "m"(controlWord));
}

// In the compiler's own order: the list's last entry first.
static void RunStaticConstructors()
{
    int last = FirstConstructor - 1;
    while (__CTOR_LIST__[last + 1] != nullptr) {
        ++last;
    }
    for (int at = last; at >= FirstConstructor; --at) {
        __CTOR_LIST__[at]();
    }
}

// The linker's entry. The loader calls it with whatever stack alignment the
// system keeps; the doubles below want theirs.
extern "C" __attribute__((force_align_arg_pointer)) void SaverEntry()
{
    ResetX87();
    RunStaticConstructors();
    WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWDEFAULT);
}
