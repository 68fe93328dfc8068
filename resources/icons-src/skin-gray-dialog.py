#!/usr/bin/env python3
"""Draws the grey dialog skin, ../icons/skin-gray-dialog.png (54 x 18, 24-bit RGB).

Layout, fixed by the dialog code:
  x 0..47, y 0..15  three 16 x 16 close glyphs: normal, pointer over, pressed
  x 48..52          frame pieces: 5 x 4 corners at y 0 (top left), 5 (bottom left),
                    9 (top right), 14 (bottom right); the edge strips are parts of them
  x 53              the caption background column, 18 pixels high
  (0, 17)           the see-through key colour
Writes a plain PPM and lets ImageMagick's convert make the PNG.
"""
import os
import subprocess
import sys
import tempfile

W, H = 54, 18
KEY = (0x1A, 0x08, 0x33)

# The frame: a dark outline, a light band and a mid line towards the inside.
OUT = (0x3A, 0x47, 0x58)
MID = (0x9C, 0xAC, 0xC0)
INN = (0x6A, 0x7D, 0x97)
# Inside the corner pieces, hidden under the caption strip or the dialog's body.
INS = (0x80, 0x93, 0xAD)

pix = [[KEY] * W for _ in range(H)]


def put(x, y, c):
    pix[y][x] = c


def piece(x0, y0, rows):
    legend = {'K': KEY, 'O': OUT, 'M': MID, 'I': INN, '.': INS}
    for dy, row in enumerate(rows):
        for dx, ch in enumerate(row):
            put(x0 + dx, y0 + dy, legend[ch])


# Corners with rounded outer pixels; the edge strips are cut from these same pieces.
piece(48, 0, ["KKOOO", "KOMMM", "OMIII", "OMI.."])   # top left; top edge = column 52
piece(48, 5, ["OMI..", "OMIII", "KOMMM", "KKOOO"])   # bottom left; left edge = row 5
piece(48, 9, ["OOOKK", "MMMOK", "IIIMO", "..IMO"])   # top right
piece(48, 14, ["..IMO", "IIIMO", "MMMOK", "OOOKK"])  # bottom right; right edge = row 14,
                                                     # bottom edge = column 48 from row 15


def lerp(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


# The caption column: a soft grey-blue fall from light to deep, a dark line at the foot.
TOP, BOTTOM = (0x7E, 0x92, 0xAE), (0x4C, 0x5F, 0x7B)
for y in range(17):
    put(53, y, lerp(TOP, BOTTOM, y / 16))
put(53, 17, (0x3A, 0x47, 0x58))

# Close glyphs. The key colour around them lets the caption show through.
CROSS_LIGHT = (0xF0, 0xF0, 0xF0)
WHITE = (0xFF, 0xFF, 0xFF)
RED = (0xD0, 0x4E, 0x46)
RED_EDGE = (0x9A, 0x30, 0x2B)
RED_DOWN = (0xA3, 0x36, 0x30)
RED_DOWN_EDGE = (0x74, 0x22, 0x1E)


def cross(x0, c, shift=0):
    # Two strokes two pixels wide from (4, 4) to (11, 11) and from (11, 4) to (4, 11).
    for i in range(4, 12):
        for j in (i, i + 1 if i < 11 else i - 1):
            put(x0 + j + shift, i + shift, c)
            put(x0 + 15 - j + shift, i + shift, c)


def button(x0, fill, edge):
    for y in range(1, 15):
        for x in range(1, 15):
            border = x in (1, 14) or y in (1, 14)
            corner = (x in (1, 14)) and (y in (1, 14))
            if corner:
                continue
            put(x0 + x, y, edge if border else fill)


cross(0, CROSS_LIGHT)
button(16, RED, RED_EDGE)
cross(16, WHITE)
button(32, RED_DOWN, RED_DOWN_EDGE)
cross(32, CROSS_LIGHT, shift=1)

put(0, 17, KEY)

here = os.path.dirname(os.path.abspath(__file__))
out = os.path.join(here, '..', 'icons', 'skin-gray-dialog.png')
with tempfile.NamedTemporaryFile('w', suffix='.ppm', delete=False) as f:
    f.write(f'P3\n{W} {H}\n255\n')
    for row in pix:
        f.write(' '.join(f'{r} {g} {b}' for r, g, b in row) + '\n')
    ppm = f.name
try:
    subprocess.run(['convert', ppm, '-strip', '-define', 'png:color-type=2',
                    'PNG24:' + out], check=True)
finally:
    os.unlink(ppm)
print(out, file=sys.stderr)
