// Window handles read from the command line, shared by the modes that take
// an owner or a parent window.
#include "shell/window_handle.h"

#include "shell/parse_decimal.h"

HWND WindowFromDecimal(const char* text)
{
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(ParseDecimal(text)));
}

HWND WindowOrForeground(HWND window)
{
    if (window == nullptr || !IsWindow(window)) {
        return GetForegroundWindow();
    }
    return window;
}
