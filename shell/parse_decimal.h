// Reads a window handle written in decimal on the command line.
#pragma once
#include <stdint.h>

// Digits from the start of the text, in unsigned 32-bit arithmetic that wraps;
// stops at the first non-digit. No sign, no blanks, no hexadecimal: 0 when
// the text does not begin with a digit.
uint32_t ParseDecimal(const char* text);
