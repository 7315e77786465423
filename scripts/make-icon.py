#!/usr/bin/env python3
"""Draws the Velmora Config icon, a small steering wheel, and writes it as a .ico.

The picture is described as shapes in a unit square and rendered with 8x8
supersampling into 32-bit images (straight alpha) at 16, 32 and 48 pixels. Each
image is stored the classic way, as a bottom-up DIB with its AND mask, which
every Windows version and Wine read.

The output is deterministic, so the committed resources/velmora.ico can be
regenerated and compared:  python3 scripts/make-icon.py resources/velmora.ico
Only the standard library is used; the build itself never runs this script.
"""

import math
import struct
import sys

SIZES = (16, 32, 48)
SUPERSAMPLE = 8

# Colours as (r, g, b).
RIM_LIGHT = (96, 100, 108)
RIM_DARK = (28, 30, 34)
GRIP_MARK = (230, 72, 32)
SPOKE = (150, 154, 162)
HUB_OUTER = (60, 63, 70)
HUB_CENTRE = (230, 72, 32)

# Geometry in units of the half size: the wheel's centre is (0, 0), y grows downwards.
RIM_OUTER = 0.94
RIM_INNER = 0.68
HUB_RADIUS = 0.30
HUB_CENTRE_RADIUS = 0.14
SPOKE_HALF_WIDTH = 0.10
GRIP_MARK_HALF_ANGLE = math.radians(11)


def shade(x, y):
    """Colour of the wheel at (x, y), or None where the picture is transparent."""
    r = math.hypot(x, y)
    if r > RIM_OUTER:
        return None
    if r >= RIM_INNER:
        # The marker at twelve o'clock shows where straight ahead is.
        angle_from_top = abs(math.atan2(x, -y))
        if angle_from_top <= GRIP_MARK_HALF_ANGLE:
            return GRIP_MARK
        # Lit from above: lighter at the top of the rim, darker at the bottom.
        t = (y / RIM_OUTER + 1.0) / 2.0
        return tuple(round(a + (b - a) * t) for a, b in zip(RIM_LIGHT, RIM_DARK))
    if r <= HUB_CENTRE_RADIUS:
        return HUB_CENTRE
    if r <= HUB_RADIUS:
        return HUB_OUTER
    # Three spokes: to nine, three and six o'clock.
    if abs(y) <= SPOKE_HALF_WIDTH:
        return SPOKE
    if y > 0 and abs(x) <= SPOKE_HALF_WIDTH * 1.2:
        return SPOKE
    return None


def render(size):
    """Returns rows (top first) of (r, g, b, a) pixels."""
    half = size / 2.0
    n = SUPERSAMPLE
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0]
            covered = 0
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n - half) / half
                    y = (py + (sy + 0.5) / n - half) / half
                    c = shade(x, y)
                    if c is not None:
                        covered += 1
                        for i in range(3):
                            acc[i] += c[i]
            if covered == 0:
                row.append((0, 0, 0, 0))
            else:
                alpha = round(255 * covered / (n * n))
                row.append(tuple(round(v / covered) for v in acc) + (alpha,))
        rows.append(row)
    return rows


def dib(size, rows):
    """A 32-bit bottom-up DIB with its AND mask, as an icon image."""
    mask_stride = ((size + 31) // 32) * 4
    pixels = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            pixels += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0,
                         len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + mask


def icon(sizes):
    images = [dib(s, render(s)) for s in sizes]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for s, image in zip(sizes, images):
        dim = 0 if s >= 256 else s
        out += struct.pack('<BBBBHHII', dim, dim, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    return bytes(out)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write('usage: make-icon.py OUTPUT.ico\n')
        return 2
    with open(argv[1], 'wb') as f:
        f.write(icon(SIZES))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
