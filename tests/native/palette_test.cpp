// Palette arithmetic for palette-based pixel formats: entry counts, the
// truncated levels of each colour field, fields without bits, and the
// palette record GDI is given.
#include "render/palette_levels.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

const PaletteLayout Layout332 = {8, 3, 0, 3, 3, 2, 6};

TEST(Palette, EightBit332Layout)
{
    EXPECT_EQ(PaletteEntryCount(Layout332), 256u);
    const uint8_t threeBit[] = {0, 36, 72, 109, 145, 182, 218, 255};
    const uint8_t twoBit[] = {0, 85, 170, 255};
    for (uint32_t level = 0; level < 8; ++level) {
        EXPECT_EQ(PaletteLevel(level, 3, 0), threeBit[level]) << level;
        EXPECT_EQ(PaletteEntryFor(Layout332, level).red, threeBit[level]);
        EXPECT_EQ(PaletteEntryFor(Layout332, level << 3).green, threeBit[level]);
    }
    for (uint32_t level = 0; level < 4; ++level) {
        EXPECT_EQ(PaletteEntryFor(Layout332, level << 6).blue, twoBit[level]) << level;
    }
    const PaletteColour entry91 = PaletteEntryFor(Layout332, 91);
    EXPECT_EQ(entry91.red, 109);
    EXPECT_EQ(entry91.green, 109);
    EXPECT_EQ(entry91.blue, 85);
    EXPECT_EQ(entry91.flags, 0);
    const PaletteColour last = PaletteEntryFor(Layout332, 255);
    EXPECT_EQ(last.red, 255);
    EXPECT_EQ(last.green, 255);
    EXPECT_EQ(last.blue, 255);
}

TEST(Palette, FourBitLayoutHasSixteenEntries)
{
    const PaletteLayout layout = {4, 1, 0, 2, 1, 1, 3};
    EXPECT_EQ(PaletteEntryCount(layout), 16u);
    const PaletteColour entry = PaletteEntryFor(layout, 0x0F);
    EXPECT_EQ(entry.red, 255);
    EXPECT_EQ(entry.green, 255);
    EXPECT_EQ(entry.blue, 255);
    EXPECT_EQ(PaletteEntryFor(layout, 0x02).green, 85);
}

TEST(Palette, FieldWithoutBitsIsZero)
{
    const PaletteLayout noBlue = {8, 4, 0, 4, 4, 0, 0};
    for (uint32_t index = 0; index < PaletteEntryCount(noBlue); ++index) {
        ASSERT_EQ(PaletteEntryFor(noBlue, index).blue, 0) << index;
    }
    EXPECT_EQ(PaletteLevel(0xFFFFFFFFu, 0, 0), 0);
}

TEST(Palette, WideFieldsAndShiftsStayInRange)
{
    // A count of 8 or more bits gives the mask 255: the low byte at the shift.
    EXPECT_EQ(PaletteLevel(0xAB, 8, 0), 0xAB);
    EXPECT_EQ(PaletteLevel(0x1AB, 9, 0), 0xAB);
    EXPECT_EQ(PaletteLevel(0xFFFFFFFFu, 200, 0), 255);
    EXPECT_EQ(PaletteLevel(0xAB00, 8, 8), 0xAB);
    EXPECT_EQ(PaletteLevel(0xFFFFFFFFu, 3, 31), 36);
    EXPECT_EQ(PaletteLevel(0xFFFFFFFFu, 3, 32), 0);
    EXPECT_EQ(PaletteLevel(0xFFFFFFFFu, 3, 255), 0);
}

TEST(Palette, EntryCountFitsThePaletteRecord)
{
    PaletteLayout layout = {0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(PaletteEntryCount(layout), 1u);
    layout.colorBits = 15;
    EXPECT_EQ(PaletteEntryCount(layout), 32768u);
    layout.colorBits = 16; // would not fit the 16-bit entry count
    EXPECT_EQ(PaletteEntryCount(layout), 0u);
    layout.colorBits = 255;
    EXPECT_EQ(PaletteEntryCount(layout), 0u);
}

// The record of a 256-colour display's format, in a buffer of exactly its
// size, so that the sanitizers see any write past it.
TEST(Palette, RecordOfA256ColourFormat)
{
    const size_t size = PaletteRecordSize(Layout332);
    ASSERT_EQ(size, 4u + 256u * 4u);
    std::vector<uint8_t> buffer(size);
    PaletteRecord* record = reinterpret_cast<PaletteRecord*>(buffer.data());
    FillPaletteRecord(Layout332, record);
    EXPECT_EQ(record->version, 0x300);
    EXPECT_EQ(record->entryCount, 256);
    const uint8_t* entry91 = &buffer[4 + 91 * 4];
    EXPECT_EQ(entry91[0], 109);
    EXPECT_EQ(entry91[1], 109);
    EXPECT_EQ(entry91[2], 85);
    EXPECT_EQ(entry91[3], 0);
    EXPECT_EQ(buffer[size - 4], 255) << "the last entry is white";
    EXPECT_EQ(buffer[size - 2], 255);
    PaletteLayout tooWide = Layout332;
    tooWide.colorBits = 16;
    EXPECT_EQ(PaletteRecordSize(tooWide), 0u);
}

} // namespace
