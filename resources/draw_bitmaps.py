#!/usr/bin/env python3
"""Draws the bitmaps of the configuration dialog.

Usage: python3 draw_bitmaps.py OUTDIR

Writes two uncompressed 24-bit BMP files into OUTDIR:
  config_images.bmp  the strip of 16 x 16 images of the navigation tree and
                     the user list, on pure green (0x00FF00), the mask colour;
  product.bmp        the product picture of the About page.
"""

import os
import struct
import sys

MASK_GREEN = (0x00, 0xFF, 0x00)

# ---------------------------------------------------------------------------
# The image strip. Each image is 16 rows of 16 characters; '.' is the mask.

PALETTE = {
    ".": MASK_GREEN,
    "k": (0x20, 0x20, 0x28),  # outline
    "w": (0xFF, 0xFF, 0xFF),
    "l": (0xC8, 0xC8, 0xC8),  # light grey
    "g": (0x80, 0x80, 0x80),  # grey
    "d": (0x50, 0x50, 0x58),  # dark grey
    "b": (0x20, 0x58, 0xC0),  # blue
    "B": (0x8C, 0xB8, 0xF0),  # light blue
    "s": (0xF4, 0xC8, 0x98),  # skin
    "h": (0x6C, 0x40, 0x20),  # hair
    "r": (0xC0, 0x30, 0x30),  # red
    "o": (0xA8, 0x68, 0x28),  # brown
    "O": (0xD8, 0xA0, 0x58),  # light brown
    "t": (0x30, 0x90, 0x50),  # teal green (never the mask green)
}

FUNNEL = """
................
.kkkkkkkkkkkkkk.
.kwwwwwwwwwwwwk.
.kBBBBBBBBBBBBk.
..kBBBBBBBBBBk..
...kbBBBBBBbk...
....kbBBBBbk....
.....kbBBbk.....
......kbbk......
......kbbk......
......kbbk......
......kbbk......
......kbbk......
......kkkk......
.......BB.......
.......bb.......
"""

USER = """
................
......kkkk......
.....khhhhk.....
....khhhhhhk....
....khsssshk....
....kssssssk....
....kssssssk....
.....kssssk.....
......kkkk......
....kkbbbbkk....
...kbBbwwbBbk...
..kbBbbwwbbBbk..
..kbbbbwwbbbbk..
..kbbbbbbbbbbk..
..kkkkkkkkkkkk..
................
"""

GROUP = """
................
.........kkkk...
........khhhhk..
........khsshk..
...kkkk.kssssk..
..khhhhk.kssk...
..khsshk.kkkkk..
..kssssk.krrrrk.
...kssk.krrrrrrk
..kkkkkkkkrrrrrk
.kbbbbbbbbkrrrrk
kbBbbwwbbBbkrrrk
kbbbbwwbbbbkrrrk
kbbbbbbbbbbkkkkk
kkkkkkkkkkkk....
................
"""

LIST = """
................
..kkkkkkkkkkkk..
..kwwwwwwwwwwk..
..kwrwwwwwwwwk..
..kwwwdddddwwk..
..kwwwwwwwwwwk..
..kwbwwwwwwwwk..
..kwwwdddddwwk..
..kwwwwwwwwwwk..
..kwrwwwwwwwwk..
..kwwwdddddwwk..
..kwwwwwwwwwwk..
..kwbwwwwwwwwk..
..kwwwdddddwwk..
..kkkkkkkkkkkk..
................
"""

INFO = """
................
.....kkkkkk.....
...kkbbbbbbkk...
..kbbbbwwbbbbk..
..kbbbbwwbbbbk..
.kbbbbbbbbbbbbk.
.kbbbbwwwbbbbbk.
.kbbbbbwwbbbbbk.
.kbbbbbwwbbbbbk.
.kbbbbbwwbbbbbk.
.kbbbbbwwbbbbbk.
..kbbbwwwwbbbk..
..kbbbbbbbbbbk..
...kkbbbbbbkk...
.....kkkkkk.....
................
"""

DOCUMENT = """
................
..kkkkkkkkk.....
..kwwwwwwwkk....
..kwwwwwwwklk...
..kwddddwwkkkk..
..kwwwwwwwwwwk..
..kwdddddddwwk..
..kwwwwwwwwwwk..
..kwddddddwwwk..
..kwwwwwwwwwwk..
..kwdddddddwwk..
..kwwwwwwwwwwk..
..kwddddwwwwwk..
..kwwwwwwwwwwk..
..kkkkkkkkkkkk..
................
"""

GLOBE = """
................
.....kkkkkk.....
...kkBbbbbBkk...
..kBbbtttbbbBk..
..kbbtttttbbbk..
.kBbbbttttbbbBk.
.kbbbbbttbbbbbk.
.kbbbbbbbbttbbk.
.kbbbttbbbtttbk.
.kbbtttttbbttbk.
.kBbbtttttbbbBk.
..kbbbtttbbbbk..
..kBbbbttbbbBk..
...kkBbbbbBkk...
.....kkkkkk.....
................
"""

GEAR = """
................
.......kk.......
......kllk......
...kk.kllk.kk...
..kllkkllkkllk..
...klllllllllk..
...kllgkkgllk...
.kkllgk..kgllkk.
.klllk....klllk.
.kkllgk..kgllkk.
...kllgkkgllk...
...klllllllllk..
..kllkkllkkllk..
...kk.kllk.kk...
......kllk......
.......kk.......
"""

LOG_BOOK = """
................
...kkkkkkkkkkk..
..koOkwwwwwwwwk.
..kOOkwbbbbbbwk.
..koOkwwwwwwwwk.
..kOOkwbbbbbwwk.
..koOkwwwwwwwwk.
..kOOkwbbbbbbwk.
..koOkwwwwwwwwk.
..kOOkwbbbbwwwk.
..koOkwwwwwwwwk.
..kOOkwbbbbbbwk.
..koOkwwwwwwwwk.
..kOOkkkkkkkkkk.
...kkkkkkkkkkk..
................
"""

IMAGE_COUNT = 15
IMAGE_SIZE = 16

# Strip positions of the pictures; every other position stays mask green.
STRIP = {
    0: FUNNEL,  # Filtered categories
    1: USER,  # a user in the user list
    2: GROUP,  # a group in the user list
    3: LIST,  # Manual classifications
    5: INFO,  # About
    6: DOCUMENT,  # Custom responses
    12: GLOBE,  # Test URL
    13: GEAR,  # Misc settings
    14: LOG_BOOK,  # Logging
}


def parse_picture(text):
    rows = text.strip("\n").split("\n")
    if len(rows) != IMAGE_SIZE or any(len(row) != IMAGE_SIZE for row in rows):
        raise ValueError("a strip picture must be 16 rows of 16 characters")
    return [[PALETTE[ch] for ch in row] for row in rows]


def draw_strip():
    width = IMAGE_COUNT * IMAGE_SIZE
    pixels = [[MASK_GREEN] * width for _ in range(IMAGE_SIZE)]
    for index, text in STRIP.items():
        for y, row in enumerate(parse_picture(text)):
            pixels[y][index * IMAGE_SIZE:(index + 1) * IMAGE_SIZE] = row
    return pixels


# ---------------------------------------------------------------------------
# The product picture: a shield carrying the letters "AV", with a check-mark
# badge, on a light panel. Shapes are tested at 4 x 4 points per pixel and
# the colours averaged, so edges come out smooth.

PRODUCT_SIZE = 80
SUBSAMPLES = 4


def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def disc(cx, cy, radius):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def stroke(x0, y0, x1, y1, width):
    """A line from (x0, y0) to (x1, y1) with round ends."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        px, py = x0 + t * dx - x, y0 + t * dy - y
        return px * px + py * py <= (width / 2) ** 2
    return inside


def union(*shapes):
    return lambda x, y: any(shape(x, y) for shape in shapes)


def shield_outline(inset):
    """The shield: a flat top with cut corners and sides that meet in a point."""
    return polygon([
        (14 + inset, 10 + inset), (40, 5 + inset * 1.2), (66 - inset, 10 + inset),
        (66 - inset, 36), (62 - inset, 50), (52 - inset * 0.6, 63 - inset * 0.4),
        (40, 74 - inset * 1.3),
        (28 + inset * 0.6, 63 - inset * 0.4), (18 + inset, 50), (14 + inset, 36),
    ])


def vertical_gradient(top_colour, bottom_colour, top, bottom):
    def colour(x, y):
        t = max(0.0, min(1.0, (y - top) / (bottom - top)))
        return tuple(a + (b - a) * t for a, b in zip(top_colour, bottom_colour))
    return colour


def solid(rgb):
    return lambda x, y: rgb


PANEL_BORDER = (0xA0, 0xA0, 0xA4)

# Painted back to front: (shape, colour at a point).
PRODUCT_LAYERS = [
    (lambda x, y: True, solid(PANEL_BORDER)),
    (polygon([(1, 1), (79, 1), (79, 79), (1, 79)]),
     vertical_gradient((0xFF, 0xFF, 0xFF), (0xE2, 0xE4, 0xE8), 1, 79)),
    (shield_outline(0), solid((0x18, 0x2C, 0x60))),
    (shield_outline(2.5), solid((0xE8, 0xEC, 0xF4))),
    (shield_outline(5), vertical_gradient((0x3C, 0x78, 0xD8), (0x14, 0x34, 0x8C), 10, 70)),
    # The letter A.
    (union(stroke(22, 48, 30, 22, 5.5), stroke(30, 22, 38, 48, 5.5), stroke(25.5, 39, 34.5, 39, 4)),
     solid((0xFF, 0xFF, 0xFF))),
    # The letter V.
    (union(stroke(42, 22, 50, 48, 5.5), stroke(50, 48, 58, 22, 5.5)), solid((0xFF, 0xFF, 0xFF))),
    # The check-mark badge at the lower right.
    (disc(61, 61, 15), solid((0xFF, 0xFF, 0xFF))),
    (disc(61, 61, 13), vertical_gradient((0x48, 0xB8, 0x48), (0x1C, 0x80, 0x28), 48, 74)),
    (union(stroke(54, 61, 59, 66, 4), stroke(59, 66, 68, 55, 4)), solid((0xFF, 0xFF, 0xFF))),
]


def draw_product():
    step = 1.0 / SUBSAMPLES
    offsets = [(i + 0.5) * step for i in range(SUBSAMPLES)]
    pixels = []
    for y in range(PRODUCT_SIZE):
        row = []
        for x in range(PRODUCT_SIZE):
            total = [0.0, 0.0, 0.0]
            for oy in offsets:
                for ox in offsets:
                    sx, sy = x + ox, y + oy
                    for shape, colour in reversed(PRODUCT_LAYERS):
                        if shape(sx, sy):
                            rgb = colour(sx, sy)
                            break
                    for channel in range(3):
                        total[channel] += rgb[channel]
            row.append(tuple(int(round(c / SUBSAMPLES ** 2)) for c in total))
        pixels.append(row)
    return pixels


# ---------------------------------------------------------------------------
# BMP output.

def write_bmp(path, pixels):
    """Writes rows of (r, g, b) as a bottom-up 24-bit BMP with a BITMAPINFOHEADER."""
    height = len(pixels)
    width = len(pixels[0])
    row_size = (width * 3 + 3) & ~3
    image_size = row_size * height
    data = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += bytes(row_size - len(line))
        data += line
    file_header = struct.pack("<2sIHHI", b"BM", 14 + 40 + image_size, 0, 0, 14 + 40)
    info_header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, image_size,
                              2835, 2835, 0, 0)
    with open(path, "wb") as out:
        out.write(file_header + info_header + data)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: draw_bitmaps.py OUTDIR\n")
        return 2
    out_dir = argv[1]
    os.makedirs(out_dir, exist_ok=True)
    write_bmp(os.path.join(out_dir, "config_images.bmp"), draw_strip())
    write_bmp(os.path.join(out_dir, "product.bmp"), draw_product())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
