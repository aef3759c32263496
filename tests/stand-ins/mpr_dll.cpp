// Stands in for MPR.DLL's PwdChangePasswordA, the 95/98 family's
// change-password dialog. Records the arguments it was called with in the
// process environment, where the test reads them after the library is freed.
#include <windows.h>
#include <stdio.h>

#include "tests/stand-ins/mpr_dll.h"

extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND parent, DWORD first, DWORD second)
{
    char text[160];
    snprintf(text, sizeof text, "%s|%llu|%lu|%lu", provider ? provider : "(null)",
             static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(parent)),
             static_cast<unsigned long>(first), static_cast<unsigned long>(second));
    SetEnvironmentVariableA(MprStandInCallVariable, text);
    return 0;
}
