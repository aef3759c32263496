// The arithmetic of the logical palette for palette-based pixel formats,
// and the palette record built from it. Pure, so that it is testable
// without a palette display; leaves out the GDI calls.
#pragma once
#include <stddef.h>
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

// The palette record as GDI's LOGPALETTE lays it out: version, entry count,
// then the entries, of which the record itself holds room for one.
struct PaletteRecord {
    uint16_t version;
    uint16_t entryCount;
    PaletteColour entries[1];
};

// Bytes a record for the layout takes; 0 when the layout has no palette.
size_t PaletteRecordSize(const PaletteLayout& layout);
// Fills a record of PaletteRecordSize(layout) bytes with every entry.
void FillPaletteRecord(const PaletteLayout& layout, PaletteRecord* record);
