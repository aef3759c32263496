#!/usr/bin/env python3
"""Writes the render tests' bitmap files: good 24-bit textures and a set of
bitmaps that the texture loader must refuse. Usage: make_test_bitmaps.py DIR"""
import struct
import sys
import os


def info_header(width, height, bit_count, compression=0, colours_used=0, image_size=0):
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, bit_count, compression, image_size,
                       2835, 2835, colours_used, 0)


def bitmap_file(header_and_data, table_bytes=0):
    # The resource compiler drops this 14-byte file header again.
    return struct.pack('<2sIHHI', b'BM', 14 + len(header_and_data), 0, 0, 14 + 40 + table_bytes) + header_and_data


def texel(x, y):
    """Blue, green, red of texel (x, y), y counted from the bottom row."""
    return bytes(((x * 16) & 0xFF, (y * 16) & 0xFF, 128))


def rows_24(width, height):
    data = b''
    for y in range(height):
        row = b''.join(texel(x, y) for x in range(width))
        data += row + b'\0' * (-len(row) % 4)
    return data


def good(width, height):
    return bitmap_file(info_header(width, height, 24) + rows_24(width, height))


def four_bit():
    table = b''.join(bytes((i * 16, i * 16, i * 16, 0)) for i in range(16))
    rows = b''.join(bytes(((x * 2) << 4 | (x * 2 + 1)) for x in range(4)) for _ in range(8))
    return bitmap_file(info_header(8, 8, 4, colours_used=16) + table + rows, len(table))


def rle8():
    table = b''.join(bytes((i, i, i, 0)) for i in range(256))
    rows = b''
    for y in range(8):
        rows += bytes((8, y * 30, 0, 0))  # a run of eight, end of line
    rows = rows[:-2] + bytes((0, 1))  # end of bitmap
    return bitmap_file(info_header(8, 8, 8, compression=1, colours_used=256, image_size=len(rows)) + table + rows, len(table))


def top_down():
    return bitmap_file(info_header(8, -8, 24) + rows_24(8, 8))


def truncated():
    # Claims 16 x 16 texels but carries only half of its rows.
    return bitmap_file(info_header(16, 16, 24) + rows_24(16, 8))


def thirty_two_bit():
    return bitmap_file(info_header(8, 8, 32) + b'\x40' * (8 * 8 * 4))


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    files = {
        'texture_good_16.bmp': good(16, 16),
        'texture_good_2.bmp': good(2, 2),
        'texture_4bit.bmp': four_bit(),
        'texture_rle8.bmp': rle8(),
        'texture_top_down.bmp': top_down(),
        'texture_truncated.bmp': truncated(),
        'texture_32bit.bmp': thirty_two_bit(),
    }
    for name, content in files.items():
        with open(os.path.join(out, name), 'wb') as handle:
            handle.write(content)


if __name__ == '__main__':
    main()
