// Validates a bitmap resource (info header, optional colour table, rows) and
// finds where its 24-bit texels begin. Leaves out every other bitmap kind:
// the texture upload reads three bytes per texel, rows padded to four bytes.
#include "render/bitmap_texels.h"

namespace {
const size_t InfoHeaderSize = 40;
const uint32_t CompressionNone = 0; // BI_RGB
const uint32_t TexelBits = 24;
const uint32_t TexelBytes = 3;
const uint32_t Planes = 1;
const uint32_t ColourTableEntryBytes = 4; // RGBQUAD
const uint64_t RowAlignment = 4;
// Far beyond any texture side OpenGL implementations accept; keeps all size
// arithmetic small.
const int32_t MaxSide = 32768;

const size_t HeaderSizeOffset = 0;
const size_t WidthOffset = 4;
const size_t HeightOffset = 8;
const size_t PlanesOffset = 12;
const size_t BitCountOffset = 14;
const size_t CompressionOffset = 16;
const size_t ColoursUsedOffset = 32;

uint32_t ReadU16(const uint8_t* bytes, size_t offset)
{
    return static_cast<uint32_t>(bytes[offset]) | static_cast<uint32_t>(bytes[offset + 1]) << 8;
}

uint32_t ReadU32(const uint8_t* bytes, size_t offset)
{
    return ReadU16(bytes, offset) | ReadU16(bytes, offset + 2) << 16;
}

int32_t ReadI32(const uint8_t* bytes, size_t offset)
{
    const uint32_t value = ReadU32(bytes, offset);
    if (value > 0x7FFFFFFFu) {
        return -static_cast<int32_t>(~value) - 1;
    }
    return static_cast<int32_t>(value);
}
}

int FindBitmapTexels(const void* resource, size_t size, BitmapTexels* result)
{
    if (resource == nullptr || result == nullptr || size < InfoHeaderSize) {
        return 0;
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(resource);
    const uint64_t headerSize = ReadU32(bytes, HeaderSizeOffset);
    const int32_t width = ReadI32(bytes, WidthOffset);
    // Top-down bitmaps (negative height) are refused rather than flipped.
    const int32_t height = ReadI32(bytes, HeightOffset);
    if (headerSize < InfoHeaderSize || headerSize > size) {
        return 0;
    }
    if (width <= 0 || width > MaxSide || height <= 0 || height > MaxSide) {
        return 0;
    }
    if (ReadU16(bytes, PlanesOffset) != Planes || ReadU16(bytes, BitCountOffset) != TexelBits
        || ReadU32(bytes, CompressionOffset) != CompressionNone) {
        return 0;
    }
    const uint64_t colourTableSize = static_cast<uint64_t>(ReadU32(bytes, ColoursUsedOffset)) * ColourTableEntryBytes;
    const uint64_t rowBytes = static_cast<uint64_t>(width) * TexelBytes;
    const uint64_t stride = (rowBytes + RowAlignment - 1) / RowAlignment * RowAlignment;
    const uint64_t texelOffset = headerSize + colourTableSize;
    const uint64_t texelBytes = stride * static_cast<uint64_t>(height);
    if (texelOffset > size || texelBytes > size - texelOffset) {
        return 0;
    }
    result->texels = bytes + texelOffset;
    result->width = width;
    result->height = height;
    return 1;
}
