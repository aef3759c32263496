// What a C run-time would otherwise supply to the saver, which links none:
// memset and memcpy (the compiler calls them for structure copies and
// zeroing), sin, cos and sincos (the compiler joins a sin and a cos of one
// angle into it) on the x87 unit as the run-time's own do, and atexit.
// Leaves out errno and every other library function: nothing else is called.
#include <stddef.h>

// fnstsw's C2 flag: the argument was beyond the range fsin and fcos take.
const unsigned short X87OutOfRange = 0x400;

// Built with loop-pattern recognition off, or these loops would become
// calls to themselves.
extern "C" void* memset(void* target, int value, size_t count)
{
    unsigned char* at = static_cast<unsigned char*>(target);
    for (size_t index = 0; index < count; ++index) {
        at[index] = static_cast<unsigned char>(value);
    }
    return target;
}

extern "C" void* memcpy(void* target, const void* source, size_t count)
{
    unsigned char* to = static_cast<unsigned char*>(target);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    for (size_t index = 0; index < count; ++index) {
        to[index] = from[index];
    }
    return target;
}

// An argument out of range is first reduced modulo 2 pi with fprem1, then
// the instruction runs again.
#define X87_TRIGONOMETRY(instruction)                   \
    instruction "\n\t"                                  \
    "fnstsw %%ax\n\t"                                   \
    "testw %[range], %%ax\n\t"                          \
    "jz 2f\n\t"                                         \
    "fldpi\n\t"                                         \
    "fadd %%st(0), %%st\n\t"                            \
    "fxch %%st(1)\n"                                    \
    "1:\n\t"                                            \
    "fprem1\n\t"                                        \
    "fnstsw %%ax\n\t"                                   \
    "testw %[range], %%ax\n\t"                          \
    "jnz 1b\n\t"                                        \
    "fstp %%st(1)\n\t" instruction "\n"                 \
    "2:"

extern "C" double sin(double angle)
{
    double result;
    __asm__(X87_TRIGONOMETRY("fsin") : "=t"(result) : [range] "i"(X87OutOfRange), "0"(angle) : "ax");
    return result;
}

extern "C" double cos(double angle)
{
    double result;
    __asm__(X87_TRIGONOMETRY("fcos") : "=t"(result) : [range] "i"(X87OutOfRange), "0"(angle) : "ax");
    return result;
}

extern "C" void sincos(double angle, double* sine, double* cosine)
{
    double sineResult;
    double cosineResult;
    __asm__(X87_TRIGONOMETRY("fsincos")
            : "=t"(cosineResult), "=u"(sineResult)
            : [range] "i"(X87OutOfRange), "0"(angle)
            : "ax");
    *sine = sineResult;
    *cosine = cosineResult;
}

// The process ends through ExitProcess, so a registered handler (a static
// object's destructor) would never run: none is kept.
extern "C" int atexit(void (*)())
{
    return 0;
}
