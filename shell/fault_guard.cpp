// The fault guard: a frame-based exception handler, since MinGW GCC has no
// __try/__except. It leaves out every other fault handling: a fault the
// system's filter passes on is passed on here too.
//
// Both builds unwind every frame above RunGuarded on a handled fault and
// resume inside it, so the guarded call returns FaultExitCode.
// x86_64: the handler is bound to RunGuarded's unwind data (.seh_handler)
// and RtlUnwindEx resumes at the return address of the guarded call with the
// code in the result register.
// i686: the handler is linked into the thread's fs:0 chain. Its record also
// keeps a jump buffer into RunGuarded, the way a compiler's __except keeps
// the frame and stack of its block: after RtlUnwind the handler jumps there.
#include "shell/fault_guard.h"

#include "shell/password.h"

// What the guard does with a fault: the system's filter decides.
static EXCEPTION_DISPOSITION DecideFault(EXCEPTION_RECORD* record, CONTEXT* context, BOOL* handled)
{
    *handled = FALSE;
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) {
        return ExceptionContinueSearch;
    }
    EXCEPTION_POINTERS info = { record, context };
    LONG verdict = UnhandledExceptionFilter(&info);
    if (verdict == EXCEPTION_CONTINUE_EXECUTION) {
        return ExceptionContinueExecution;
    }
    if (verdict != EXCEPTION_EXECUTE_HANDLER) {
        return ExceptionContinueSearch;
    }
    // The system must not be left believing a saver runs.
    SetSaverRunning(FALSE);
    *handled = TRUE;
    return ExceptionContinueSearch;
}

#if defined(__x86_64__)

extern "C" EXCEPTION_DISPOSITION FaultGuardHandler(EXCEPTION_RECORD* record, void* establisherFrame,
                                                   CONTEXT* context, DISPATCHER_CONTEXT* dispatch)
{
    BOOL handled = FALSE;
    EXCEPTION_DISPOSITION disposition = DecideFault(record, context, &handled);
    if (handled) {
        // ControlPc is where control left RunGuarded: the return address of
        // the guarded call. Does not return.
        RtlUnwindEx(establisherFrame, reinterpret_cast<void*>(dispatch->ControlPc), record,
                    reinterpret_cast<void*>(static_cast<INT_PTR>(FaultExitCode)),
                    dispatch->ContextRecord, dispatch->HistoryTable);
    }
    return disposition;
}

// noipa: the frame must exist, once, with the call inside it.
__attribute__((noipa)) int RunGuarded(GuardedEntry entry, void* argument)
{
    __asm__ __volatile__(".seh_handler FaultGuardHandler, @except\n");
    int result = entry(argument);
    // An instruction between the call and the epilogue: it keeps the call
    // from becoming a jump out of this frame, and the unwinder treats a
    // return address that points at an epilogue as already leaving the
    // frame, so it would never offer the fault to the handler.
    __asm__ __volatile__("nop" : : : "memory");
    return result;
}

#elif defined(__i386__)

// The first two members are the system's registration record.
const int JumpBufferWords = 5;
struct GuardRegistration {
    GuardRegistration* next;
    void* handler;
    void* resume[JumpBufferWords];
};

extern "C" EXCEPTION_DISPOSITION __cdecl FaultGuardHandler(EXCEPTION_RECORD* record, void* frame,
                                                           CONTEXT* context, void*)
{
    BOOL handled = FALSE;
    EXCEPTION_DISPOSITION disposition = DecideFault(record, context, &handled);
    if (handled) {
        // Leaves fs:0 at this record; the frames above it are gone.
        RtlUnwind(frame, nullptr, record, nullptr);
        __builtin_longjmp(static_cast<GuardRegistration*>(frame)->resume, 1);
    }
    return disposition;
}

__attribute__((noipa)) int RunGuarded(GuardedEntry entry, void* argument)
{
    GuardRegistration registration;
    registration.handler = reinterpret_cast<void*>(&FaultGuardHandler);
    registration.next = reinterpret_cast<GuardRegistration*>(__readfsdword(0));
    if (__builtin_setjmp(registration.resume)) {
        __writefsdword(0, reinterpret_cast<DWORD>(registration.next));
        return FaultExitCode;
    }
    __writefsdword(0, reinterpret_cast<DWORD>(&registration));
    int result = entry(argument);
    __writefsdword(0, reinterpret_cast<DWORD>(registration.next));
    return result;
}

#else
#error "The fault guard knows the x86_64 and i686 exception models only."
#endif
