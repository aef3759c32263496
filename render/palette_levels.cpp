// Palette arithmetic: entry count and the 0..255 level of each colour field,
// truncated as the palette record wants it, and the record itself. Leaves
// out the GDI calls.
#include "render/palette_levels.h"

namespace {
const unsigned FullLevel = 255;
const unsigned ByteFieldBits = 8;
const unsigned IndexBits = 32;
// palNumEntries is 16 bits wide; larger layouts cannot be described.
const unsigned MaxPaletteColorBits = 15;
const uint16_t PaletteRecordVersion = 0x300;

// 2^bits - 1 kept in 8 bits: 8 or more bits give 255.
unsigned FieldMask(uint8_t bits)
{
    if (bits >= ByteFieldBits) {
        return FullLevel;
    }
    return (1u << bits) - 1u;
}
}

uint32_t PaletteEntryCount(const PaletteLayout& layout)
{
    if (layout.colorBits > MaxPaletteColorBits) {
        return 0;
    }
    return 1u << layout.colorBits;
}

uint8_t PaletteLevel(uint32_t index, uint8_t bits, uint8_t shift)
{
    const unsigned mask = FieldMask(bits);
    if (mask == 0) {
        return 0;
    }
    const unsigned field = shift >= IndexBits ? 0u : (index >> shift) & mask;
    const double level = field * static_cast<double>(FullLevel) / mask;
    return static_cast<uint8_t>(level);
}

PaletteColour PaletteEntryFor(const PaletteLayout& layout, uint32_t index)
{
    PaletteColour colour;
    colour.red = PaletteLevel(index, layout.redBits, layout.redShift);
    colour.green = PaletteLevel(index, layout.greenBits, layout.greenShift);
    colour.blue = PaletteLevel(index, layout.blueBits, layout.blueShift);
    colour.flags = 0;
    return colour;
}

size_t PaletteRecordSize(const PaletteLayout& layout)
{
    const uint32_t count = PaletteEntryCount(layout);
    return count == 0 ? 0 : sizeof(PaletteRecord) + (count - 1) * sizeof(PaletteColour);
}

void FillPaletteRecord(const PaletteLayout& layout, PaletteRecord* record)
{
    const uint32_t count = PaletteEntryCount(layout);
    record->version = PaletteRecordVersion;
    record->entryCount = static_cast<uint16_t>(count);
    // Through a pointer: the entries run on past the one the type declares.
    PaletteColour* entries = record->entries;
    for (uint32_t index = 0; index < count; ++index) {
        entries[index] = PaletteEntryFor(layout, index);
    }
}
