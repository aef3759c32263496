// Validation of bitmap resource data before the texture upload: well-formed
// 24-bit bitmaps are found, every other kind, truncations and overflow-prone
// sizes are refused, and no byte outside the given block is ever read (the
// native build runs this under the address sanitizer, with each block in its
// own exactly sized allocation).
#include "render/bitmap_texels.h"
#include <gtest/gtest.h>
#include <random>
#include <stdint.h>
#include <string.h>
#include <vector>

namespace {

struct Header {
    uint32_t size = 40;
    int32_t width = 8;
    int32_t height = 8;
    uint16_t planes = 1;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    uint32_t coloursUsed = 0;
};

void Put16(std::vector<uint8_t>& bytes, size_t offset, uint32_t value)
{
    bytes[offset] = static_cast<uint8_t>(value);
    bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value)
{
    Put16(bytes, offset, value & 0xFFFF);
    Put16(bytes, offset + 2, value >> 16);
}

size_t Stride(int32_t width)
{
    return (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
}

// A resource as the resource compiler stores it: header (of header.size
// bytes, at least 40), colour table, then dataBytes of texel data.
std::vector<uint8_t> Resource(const Header& header, size_t dataBytes)
{
    const size_t headerBytes = header.size < 40 ? 40 : header.size;
    std::vector<uint8_t> bytes(headerBytes + header.coloursUsed * 4u + dataBytes);
    Put32(bytes, 0, header.size);
    Put32(bytes, 4, static_cast<uint32_t>(header.width));
    Put32(bytes, 8, static_cast<uint32_t>(header.height));
    Put16(bytes, 12, header.planes);
    Put16(bytes, 14, header.bitCount);
    Put32(bytes, 16, header.compression);
    Put32(bytes, 20, header.sizeImage);
    Put32(bytes, 32, header.coloursUsed);
    return bytes;
}

std::vector<uint8_t> Complete(const Header& header)
{
    const int32_t rows = header.height < 0 ? -header.height : header.height;
    return Resource(header, Stride(header.width) * static_cast<size_t>(rows));
}

// Runs the check on an allocation of exactly the block's size, so that the
// sanitizer catches any read past its end.
int Find(const std::vector<uint8_t>& bytes, BitmapTexels* result, size_t size)
{
    uint8_t* block = new uint8_t[size == 0 ? 1 : size];
    memcpy(block, bytes.data(), size < bytes.size() ? size : bytes.size());
    const int found = FindBitmapTexels(block, size, result);
    if (found) {
        EXPECT_GE(result->texels, block);
        const size_t offset = static_cast<size_t>(result->texels - block);
        EXPECT_LE(offset + Stride(result->width) * static_cast<size_t>(result->height), size);
        result->texels = reinterpret_cast<const uint8_t*>(offset); // block is gone
    }
    delete[] block;
    return found;
}

int Find(const std::vector<uint8_t>& bytes, BitmapTexels* result)
{
    return Find(bytes, result, bytes.size());
}

const BitmapTexels Untouched = {reinterpret_cast<const uint8_t*>(1), -7, -7};

void ExpectRefused(const std::vector<uint8_t>& bytes, size_t size)
{
    BitmapTexels result = Untouched;
    EXPECT_EQ(Find(bytes, &result, size), 0);
    EXPECT_EQ(result.texels, Untouched.texels);
    EXPECT_EQ(result.width, Untouched.width);
    EXPECT_EQ(result.height, Untouched.height);
}

void ExpectRefused(const Header& header)
{
    const std::vector<uint8_t> bytes = Complete(header);
    ExpectRefused(bytes, bytes.size());
}

TEST(BitmapTexels, FindsTexelsAfterHeaderAndColourTable)
{
    Header header;
    BitmapTexels result = Untouched;
    ASSERT_EQ(Find(Complete(header), &result), 1);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(result.texels), 40u);
    EXPECT_EQ(result.width, 8);
    EXPECT_EQ(result.height, 8);

    header.coloursUsed = 3;
    ASSERT_EQ(Find(Complete(header), &result), 1);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(result.texels), 40u + 12u);

    header.coloursUsed = 0;
    header.size = 124; // a version 5 header with BI_RGB
    ASSERT_EQ(Find(Complete(header), &result), 1);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(result.texels), 124u);
}

TEST(BitmapTexels, RowsArePaddedToFourBytes)
{
    Header header;
    header.width = 2; // 6 bytes a row, 8 with padding
    header.height = 2;
    BitmapTexels result;
    const std::vector<uint8_t> exact = Resource(header, 16);
    EXPECT_EQ(Find(exact, &result), 1);
    ExpectRefused(exact, exact.size() - 1);   // last row's padding missing
    ExpectRefused(Resource(header, 14), 54); // unpadded rows
}

TEST(BitmapTexels, RefusesOtherKindsOfBitmap)
{
    Header header;
    header.bitCount = 4;
    ExpectRefused(header);
    header.bitCount = 8;
    ExpectRefused(header);
    header.bitCount = 32;
    ExpectRefused(header);
    header.bitCount = 24;
    header.compression = 1; // BI_RLE8
    ExpectRefused(header);
    header.compression = 3; // BI_BITFIELDS
    ExpectRefused(header);
    header.compression = 0;
    header.planes = 2;
    ExpectRefused(header);
    header.planes = 1;
    header.height = -8; // top-down
    ExpectRefused(header);
}

TEST(BitmapTexels, RefusesBadSizes)
{
    Header header;
    header.size = 12; // the old core header
    ExpectRefused(header);
    header.size = 39;
    ExpectRefused(header);
    std::vector<uint8_t> bytes = Complete(Header());
    Put32(bytes, 0, 0xFFFFFFFFu);
    ExpectRefused(bytes, bytes.size());
    Put32(bytes, 0, static_cast<uint32_t>(bytes.size() + 1));
    ExpectRefused(bytes, bytes.size());
    header = Header();
    header.width = 0;
    ExpectRefused(header);
    header.width = -1;
    ExpectRefused(header);
    header.width = 8;
    header.height = 0;
    ExpectRefused(header);

    // Sizes whose products overflow 32 bits must not wrap into small ones.
    header = Header();
    header.width = 0x7FFFFFFF;
    header.height = 1;
    ExpectRefused(Resource(header, 64), 40 + 64);
    header.width = 0x55555556; // width * 3 wraps to 2 in 32 bits
    ExpectRefused(Resource(header, 64), 40 + 64);
    header.width = 32769;
    header.height = 1;
    ExpectRefused(Resource(header, 32769 * 3 + 1), 40 + 32769 * 3 + 1);
    header.width = 1;
    header.height = 0x40000001; // stride 4 times height wraps to 4
    ExpectRefused(Resource(header, 64), 40 + 64);
    bytes = Complete(Header());
    Put32(bytes, 32, 0x40000001u); // colour table size wraps to 4 in 32 bits
    ExpectRefused(bytes, bytes.size());
    Put32(bytes, 32, 0xFFFFFFFFu);
    ExpectRefused(bytes, bytes.size());
}

TEST(BitmapTexels, RefusesEveryTruncation)
{
    Header header;
    header.coloursUsed = 2;
    const std::vector<uint8_t> bytes = Complete(header);
    BitmapTexels result;
    EXPECT_EQ(Find(bytes, &result), 1);
    for (size_t size = 0; size < bytes.size(); ++size) {
        ExpectRefused(bytes, size);
    }
    EXPECT_EQ(FindBitmapTexels(nullptr, 1000, &result), 0);
    EXPECT_EQ(FindBitmapTexels(bytes.data(), bytes.size(), nullptr), 0);
}

TEST(BitmapTexels, RandomHeadersNeverReadOutsideTheBlock)
{
    std::mt19937 random(20261207u);
    const uint32_t interesting[] = {0, 1, 2, 3, 4, 12, 24, 39, 40, 41, 108, 124, 0x7FFFFFFF, 0x80000000u,
        0xFFFFFFFFu, 0x55555556u, 0x40000001u, 32768, 32769};
    auto pick = [&]() {
        return random() % 2 ? interesting[random() % (sizeof interesting / sizeof interesting[0])]
                            : static_cast<uint32_t>(random() % 64);
    };
    int accepted = 0;
    for (int round = 0; round < 20000; ++round) {
        std::vector<uint8_t> bytes(40 + random() % 400);
        for (uint8_t& byte : bytes) {
            byte = static_cast<uint8_t>(random());
        }
        Put32(bytes, 0, random() % 4 ? 40 : pick());
        Put32(bytes, 4, pick());
        Put32(bytes, 8, pick());
        Put16(bytes, 12, random() % 4 ? 1 : pick());
        Put16(bytes, 14, random() % 4 ? 24 : pick());
        Put32(bytes, 16, random() % 4 ? 0 : pick());
        Put32(bytes, 32, random() % 2 ? 0 : pick());
        BitmapTexels result = Untouched;
        const size_t size = random() % 8 ? bytes.size() : random() % bytes.size();
        if (Find(bytes, &result, size)) {
            ++accepted;
            EXPECT_GT(result.width, 0);
            EXPECT_GT(result.height, 0);
        } else {
            EXPECT_EQ(result.width, Untouched.width);
        }
    }
    EXPECT_GT(accepted, 0); // the generator does reach the accepting path
}

} // namespace
