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
    std::vector<uint8_t> buffer(PaletteRecordSize(Layout332));
    ASSERT_EQ(buffer.size(), 4u + 256u * 4u);
    FillPaletteRecord(Layout332, reinterpret_cast<PaletteRecord*>(buffer.data()));
    const std::vector<uint8_t> head = {0x00, 0x03, 0x00, 0x01, 0, 0, 0, 0}, entry91 = {109, 109, 85, 0};
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 8), head) << "version 0x300, 256 entries, black";
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin() + 4 + 91 * 4, buffer.begin() + 8 + 91 * 4), entry91);
}

} // namespace
