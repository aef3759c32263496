// ParseDecimal: the leading decimal digits of a text as an unsigned 32-bit
// number. Leaves out signs, blanks and other bases on purpose.
#include "shell/parse_decimal.h"

uint32_t ParseDecimal(const char* text)
{
    uint32_t value = 0;
    if (text == nullptr) {
        return value;
    }
    for (const char* p = text; *p >= '0' && *p <= '9'; ++p) {
        // Unsigned arithmetic: an over-long number wraps instead of failing.
        value = value * 10u + static_cast<uint32_t>(*p - '0');
    }
    return value;
}
