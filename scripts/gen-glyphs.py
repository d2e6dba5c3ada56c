#!/usr/bin/env python3
"""Writes the stock glyphs of the buttons (resources/glyphs/*.bmp and RzGlyphs.rc): 8-bit
bitmaps holding two cells side by side, the picture and its disabled form embossed in white
under grey.

The push buttons' kinds (RZCOMMON_*) have 16 x 16 cells keyed by olive, the button edit's
(RZBTNEDT_*) 10 x 10 cells keyed by fuchsia; the key colour is the bottom-left pixel, which the
buttons take as transparent. Run it again only to change the drawings; the build takes the files
as they are.
"""
import os
import struct

OLIVE = (128, 128, 0)
FUCHSIA = (255, 0, 255)
HIGHLIGHT = (255, 255, 255)
SHADOW = (128, 128, 128)
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
GREEN = (0, 128, 0)
RED = (192, 0, 0)
BLUE = (0, 0, 160)
BROWN = (128, 64, 0)


class Cell:
    """One picture: a dict of (x, y) -> colour, clipped to the cell."""

    def __init__(self, size):
        self.size = size
        self.pixels = {}

    def dot(self, x, y, colour):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.pixels[(x, y)] = colour

    def rect(self, left, top, right, bottom, colour):
        for y in range(top, bottom):
            for x in range(left, right):
                self.dot(x, y, colour)

    def frame(self, left, top, right, bottom, colour):
        for x in range(left, right):
            self.dot(x, top, colour)
            self.dot(x, bottom - 1, colour)
        for y in range(top, bottom):
            self.dot(left, y, colour)
            self.dot(right - 1, y, colour)

    def line(self, points, colour, width=1):
        """A polyline through `points`, `width` pixels thick (down and right of the path)."""
        for (x0, y0), (x1, y1) in zip(points, points[1:]):
            steps = max(abs(x1 - x0), abs(y1 - y0), 1)
            for i in range(steps + 1):
                x = round(x0 + (x1 - x0) * i / steps)
                y = round(y0 + (y1 - y0) * i / steps)
                for dx in range(width):
                    for dy in range(width):
                        self.dot(x + dx, y + dy, colour)

    def ellipse(self, left, top, right, bottom, colour, ring=None):
        """The ellipse in the box; only a ring `ring` pixels wide when given."""
        cx, cy = (left + right) / 2, (top + bottom) / 2
        rx, ry = (right - left) / 2, (bottom - top) / 2

        def inside(x, y, shrink):
            a, b = rx - shrink, ry - shrink
            if a <= 0 or b <= 0:
                return False
            return ((x + 0.5 - cx) / a) ** 2 + ((y + 0.5 - cy) / b) ** 2 <= 1

        for y in range(top, bottom):
            for x in range(left, right):
                if inside(x, y, 0) and (ring is None or not inside(x, y, ring)):
                    self.dot(x, y, colour)

    def polygon(self, points, colour):
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        for y in range(min(ys), max(ys) + 1):
            for x in range(min(xs), max(xs) + 1):
                if point_in_polygon(x + 0.5, y + 0.5, points):
                    self.dot(x, y, colour)


def point_in_polygon(x, y, points):
    inside = False
    for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
        if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
            inside = not inside
    return inside


def check(c, dx=0, dy=0):
    c.line([(3 + dx, 8 + dy), (6 + dx, 11 + dy), (12 + dx, 4 + dy)], GREEN, 2)


def common_cell(kind):
    c = Cell(16)
    if kind in ("OK", "YES"):
        check(c)
    elif kind == "ALL":
        check(c, -2, -1)
        check(c, 3, 2)
    elif kind == "CANCEL":
        c.line([(4, 4), (11, 11)], RED, 2)
        c.line([(11, 4), (4, 11)], RED, 2)
    elif kind == "NO":
        c.ellipse(2, 2, 14, 14, RED, ring=2)
        c.line([(4, 11), (11, 4)], RED, 2)
    elif kind == "HELP":
        c.line([(5, 5), (6, 3), (9, 3), (11, 5), (11, 6), (8, 8), (8, 10)], BLUE, 2)
        c.rect(7, 12, 10, 14, BLUE)
    elif kind == "CLOSE":  # an open door
        c.rect(4, 2, 12, 14, BROWN)
        c.rect(5, 3, 11, 14, (255, 220, 120))
        c.rect(9, 8, 10, 10, BROWN)
    elif kind == "ABORT":
        c.ellipse(2, 2, 14, 14, RED)
        c.line([(5, 5), (10, 10)], WHITE, 2)
        c.line([(10, 5), (5, 10)], WHITE, 2)
    elif kind == "RETRY":  # a turning arrow
        c.ellipse(2, 2, 14, 14, GREEN, ring=2)
        c.rect(2, 2, 8, 8, None)
        c.polygon([(8, 0), (8, 6), (4, 3)], GREEN)
    elif kind == "IGNORE":
        c.line([(2, 12), (6, 6), (10, 10), (13, 5)], BLUE, 2)
        c.polygon([(15, 2), (15, 8), (10, 3)], BLUE)
    return c


def btnedt_cell(kind):
    c = Cell(10)
    if kind == "LOOKUP":  # an ellipsis
        for x in (1, 4, 7):
            c.rect(x, 6, x + 2, 8, BLACK)
    elif kind == "DROPDOWN":
        for row in range(4):
            c.line([(1 + row, 3 + row), (8 - row, 3 + row)], BLACK)
    elif kind == "CALENDAR":
        c.rect(1, 1, 9, 9, WHITE)
        c.frame(1, 1, 9, 9, BLACK)
        c.rect(1, 1, 9, 3, (160, 0, 0))
        for y in (4, 6):
            for x in (3, 5):
                c.dot(x, y, BLACK)
    elif kind == "ACCEPT":
        for d in range(3):
            c.line([(1, 4 + d), (3, 6 + d), (8, 1 + d)], GREEN)
    elif kind == "REJECT":
        c.line([(1, 1), (8, 8)], RED, 2)
        c.line([(8, 1), (1, 8)], RED, 2)
    elif kind == "FOLDER":
        c.rect(0, 2, 10, 9, (255, 210, 80))
        c.frame(0, 3, 10, 9, (128, 96, 0))
        c.line([(0, 3), (1, 2), (4, 2), (5, 3)], (128, 96, 0))
    elif kind == "FIND":  # a magnifier
        c.ellipse(0, 0, 7, 7, BLACK, ring=1)
        c.line([(5, 5), (8, 8)], BLACK, 2)
    elif kind == "SEARCH":  # binoculars
        c.ellipse(0, 4, 5, 9, (0, 0, 128))
        c.ellipse(5, 4, 10, 9, (0, 0, 128))
        c.rect(1, 1, 3, 3, BLACK)
        c.rect(7, 1, 9, 3, BLACK)
        c.rect(3, 4, 7, 8, BLACK)
    return c


def two_cells(cell, key):
    """Rows of colours: the picture, then its shape embossed (white one pixel down-right under
    grey); the bottom-left pixel stays the key."""
    n = cell.size
    shape = {p: colour for p, colour in cell.pixels.items() if colour is not None}
    rows = [[key] * (2 * n) for _ in range(n)]
    for (x, y), colour in shape.items():
        rows[y][x] = colour
        if x + 1 < n and y + 1 < n:
            rows[y + 1][n + x + 1] = HIGHLIGHT
    for (x, y) in shape:
        rows[y][n + x] = SHADOW
    rows[n - 1][0] = key
    return rows


def bitmap_file(rows):
    """An 8-bit bottom-up .bmp with the palette of the colours used."""
    palette = []
    for row in rows:
        for colour in row:
            if colour not in palette:
                palette.append(colour)
    width, height = len(rows[0]), len(rows)
    stride = (width + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytes(palette.index(colour) for colour in row)
        pixels += line + bytes(stride - width)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(pixels), 2835, 2835,
                       len(palette), 0)
    offset = 14 + len(info) + len(colours)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + colours + bytes(pixels)


COMMON = ["OK", "CANCEL", "HELP", "YES", "NO", "CLOSE", "ABORT", "RETRY", "IGNORE", "ALL"]
BTNEDT = ["LOOKUP", "DROPDOWN", "CALENDAR", "ACCEPT", "REJECT", "FOLDER", "FIND", "SEARCH"]


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "glyphs")
    os.makedirs(root, exist_ok=True)
    lines = ["// The buttons' stock glyphs, for every program that shows them (drawn by",
             "// scripts/gen-glyphs.py)."]
    for prefix, kinds, make, key in (("RZCOMMON", COMMON, common_cell, OLIVE),
                                     ("RZBTNEDT", BTNEDT, btnedt_cell, FUCHSIA)):
        for kind in kinds:
            name = "%s-%s.bmp" % (prefix.lower(), kind.lower())
            with open(os.path.join(root, name), "wb") as out:
                out.write(bitmap_file(two_cells(make(kind), key)))
            lines.append('%s_%s BITMAP "%s"' % (prefix, kind, name))
    with open(os.path.join(root, "RzGlyphs.rc"), "w") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
