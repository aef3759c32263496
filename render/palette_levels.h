// The arithmetic of the logical palette for palette-based pixel formats.
// Pure, so that it is testable without a palette display.
#pragma once
#include <stdint.h>

struct PaletteLayout {
    uint8_t colorBits;
    uint8_t redBits, redShift;
    uint8_t greenBits, greenShift;
    uint8_t blueBits, blueShift;
};

struct PaletteColour {
    uint8_t red, green, blue, flags;
};

// Number of entries the layout needs: 2 to the power colorBits.
uint32_t PaletteEntryCount(const PaletteLayout& layout);
// Intensity of one colour field of index, scaled to 0..255 and truncated;
// a field of 0 bits gives 0.
uint8_t PaletteLevel(uint32_t index, uint8_t bits, uint8_t shift);
PaletteColour PaletteEntryFor(const PaletteLayout& layout, uint32_t index);
