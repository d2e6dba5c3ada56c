#!/usr/bin/env python3
"""Writes the splitter's four cursors (resources/cursors/*.cur): 32 x 32 monochrome, black
shapes with a one-pixel white rim so that they read on any background, hot spot in the centre.

The horizontal splitter's bar moves left and right: two bars with arrows pointing out to the
sides. The vertical one is the same turned a quarter. The hot-spot variants add a small square
below right, the mark of a click target. Run it again only to change the drawings; the build
takes the files as they are.
"""
import os
import struct

SIZE = 32
CENTRE = 15


def split_shape():
    """Black pixels of the left-right cursor as a set of (x, y)."""
    black = set()
    for y in range(CENTRE - 9, CENTRE + 10):  # the two bars
        black.add((CENTRE - 2, y))
        black.add((CENTRE + 2, y))
    for x in list(range(CENTRE - 10, CENTRE - 2)) + list(range(CENTRE + 3, CENTRE + 11)):
        black.add((x, CENTRE))  # the shafts
    for d in range(5):  # arrowheads, tips 11 pixels from the centre
        for y in range(CENTRE - d, CENTRE + d + 1):
            black.add((CENTRE - 11 + d, y))
            black.add((CENTRE + 11 - d, y))
    return black


def with_hot_spot_mark(black):
    marked = set(black)
    for x in range(CENTRE + 7, CENTRE + 12):
        for y in range(CENTRE + 7, CENTRE + 12):
            marked.add((x, y))
    return marked


def transposed(black):
    return {(y, x) for (x, y) in black}


def cursor_file(black):
    white = set()
    for (x, y) in black:
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                p = (x + dx, y + dy)
                if p not in black and 0 <= p[0] < SIZE and 0 <= p[1] < SIZE:
                    white.add(p)
    stride = SIZE // 8
    xor_rows, and_rows = [], []
    for y in reversed(range(SIZE)):  # bottom-up rows
        xor_row, and_row = bytearray(stride), bytearray(stride)
        for x in range(SIZE):
            bit = 0x80 >> (x % 8)
            if (x, y) in white:
                xor_row[x // 8] |= bit  # palette entry 1, white
            elif (x, y) not in black:
                and_row[x // 8] |= bit  # the screen shows through
        xor_rows.append(bytes(xor_row))
        and_rows.append(bytes(and_row))
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    image = header + palette + b"".join(xor_rows) + b"".join(and_rows)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 2, 0, CENTRE, CENTRE, len(image), 6 + 16)
    return directory + entry + image


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = os.path.join(root, "resources", "cursors")
    os.makedirs(out, exist_ok=True)
    horizontal = split_shape()
    shapes = {
        "split-horz.cur": horizontal,
        "split-horz-hotspot.cur": with_hot_spot_mark(horizontal),
        "split-vert.cur": transposed(horizontal),
        "split-vert-hotspot.cur": with_hot_spot_mark(transposed(horizontal)),
    }
    for name, black in shapes.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(cursor_file(black))


if __name__ == "__main__":
    main()
