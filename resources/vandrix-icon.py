#!/usr/bin/python3
"""Draws Vandrix's 32 x 32 icon and writes it as an RGBA PNG.

The picture: two overlapping document sheets with a green arrow pointing
into the front one, in colours of the standard 16-colour palette only, so
the icon can be stored with 4 bits per pixel. Unpainted pixels stay
transparent (they become the icon's AND mask).

Usage: vandrix-icon.py OUTPUT.png   (make-icon.sh turns it into vandrix.ico)
"""
import struct
import sys
import zlib

SIZE = 32

# The standard 16-colour palette, by the names used below.
BLACK = (0x00, 0x00, 0x00)
GREEN = (0x00, 0x80, 0x00)
NAVY = (0x00, 0x00, 0x80)
GREY = (0x80, 0x80, 0x80)
SILVER = (0xC0, 0xC0, 0xC0)
LIME = (0x00, 0xFF, 0x00)
WHITE = (0xFF, 0xFF, 0xFF)

pixels = [[None] * SIZE for _ in range(SIZE)]  # None: transparent


def put(x, y, colour):
    if 0 <= x < SIZE and 0 <= y < SIZE:
        pixels[y][x] = colour


def sheet(left, top, width, height, ink):
    """A sheet with a folded top-right corner and lines of text in ink."""
    right, bottom, fold = left + width - 1, top + height - 1, 6
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            beyond_fold = x > right - fold + (y - top)
            if beyond_fold:
                continue
            edge = x in (left, right) or y in (top, bottom)
            on_fold_edge = x == right - fold + (y - top)
            put(x, y, BLACK if edge or on_fold_edge else WHITE)
    # The folded-over flap: a silver triangle under the cut corner.
    for i in range(fold + 1):
        for j in range(i + 1):
            x, y = right - fold + j, top + i
            last = i == fold or j == 0
            put(x, y, BLACK if last else SILVER)
    for y in range(top + fold + 3, bottom - 2, 3):
        line_end = right - 3 if (y // 3) % 2 else right - 6
        for x in range(left + 3, line_end + 1):
            put(x, y, ink)


def arrow(tip_x, mid_y):
    """A right-pointing arrow, lime with a black outline."""
    shape = {}
    for x in range(tip_x - 10, tip_x - 4):  # shaft
        for y in range(mid_y - 1, mid_y + 2):
            shape[x, y] = LIME
    for k in range(5):  # head: columns narrowing toward the tip
        x = tip_x - 4 + k
        for y in range(mid_y - 4 + k, mid_y + 5 - k):
            shape[x, y] = LIME
    for (x, y) in list(shape):  # outline every pixel that touches the outside
        for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
            if (x + dx, y + dy) not in shape:
                put(x + dx, y + dy, BLACK)
    for (x, y), colour in shape.items():
        put(x, y, colour)


sheet(1, 1, 18, 21, GREY)     # the source sheet, behind
sheet(12, 9, 19, 22, NAVY)    # the destination sheet, in front
arrow(13, 26)                 # the operation, from one to the other


def png(rows):
    """An 8-bit RGBA PNG of the rows (no filter), deterministic bytes."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    raw = b"".join(
        b"\0" + b"".join(bytes(c) + b"\xff" if c else b"\0\0\0\0" for c in row)
        for row in rows)
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[-1])
    with open(sys.argv[1], "wb") as out:
        out.write(png(pixels))
