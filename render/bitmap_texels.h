// Finds the texels of a bitmap resource for the texture upload. Pure, so that
// malformed data can be tested natively as well as through real resources.
#pragma once
#include <stddef.h>
#include <stdint.h>

struct BitmapTexels {
    const uint8_t* texels; // first byte of the bottom row
    int32_t width;
    int32_t height;
};

// Accepts only an uncompressed 24-bit bitmap (info header and data, as a
// bitmap resource holds it) whose data covers all its rows. Returns 0 and
// leaves result untouched for anything else.
int FindBitmapTexels(const void* resource, size_t size, BitmapTexels* result);
