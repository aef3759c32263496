#!/usr/bin/env python3
"""Writes about_picture.bmp (bitmap 155 of the saver) from about_picture.txt:
a 32 x 32 DIB, 4 bits per pixel, 16-entry colour table, uncompressed.
Usage: make_about_picture.py [SOURCE [OUTPUT]]"""
import os
import struct
import sys

SIDE = 32
COLOURS = 16
BITS_PER_PIXEL = 4


def read_source(path):
    rows, table = [], {}
    with open(path) as source:
        for line in source:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            fields = line.split()
            if len(fields) == 1:
                rows.append([int(c, 16) for c in fields[0]])
            else:
                index, red, green, blue = int(fields[0], 16), *map(int, fields[1:])
                table[index] = (red, green, blue)
    if len(rows) != SIDE or any(len(r) != SIDE for r in rows):
        sys.exit("about picture: the grid must be %d x %d" % (SIDE, SIDE))
    if sorted(table) != list(range(COLOURS)):
        sys.exit("about picture: the colour table needs entries 0 to f")
    return rows, table


def encode(rows, table):
    row_bytes = SIDE * BITS_PER_PIXEL // 8  # 16, already a multiple of 4
    pixels = bytearray()
    for row in reversed(rows):  # a DIB stores the bottom row first
        for x in range(0, SIDE, 2):
            pixels.append(row[x] << 4 | row[x + 1])
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0)
                       for r, g, b in (table[i] for i in range(COLOURS)))
    info = struct.pack("<IiiHHIIiiII", 40, SIDE, SIDE, 1, BITS_PER_PIXEL, 0,
                       row_bytes * SIDE, 0, 0, COLOURS, 0)
    offset = 14 + len(info) + len(colours)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + colours + bytes(pixels)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    source = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "about_picture.txt")
    output = sys.argv[2] if len(sys.argv) > 2 else os.path.join(here, "about_picture.bmp")
    with open(output, "wb") as out:
        out.write(encode(*read_source(source)))


if __name__ == "__main__":
    main()
