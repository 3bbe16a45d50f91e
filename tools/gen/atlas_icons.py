#!/usr/bin/env python3
"""Draws the atlas's button glyphs and cursors as PNG files.

Each icon is a 16 x 16 pixel drawing written at 1x and, pixel-doubled, at 2x
(name@2x). Glyphs have a magenta background, which the speed buttons take as
transparent through their bottom-left pixel; cursors are 32 x 32 with a
transparent background and carry their hot spot as the PNG text keys
HotSpotX and HotSpotY. Run from the repository root:
    python3 tools/gen/atlas_icons.py
"""
import os
import struct
import zlib

OUT = os.path.join("maplib", "resources")

PALETTE = {
    ".": None,  # background
    "k": (0, 0, 0, 255),
    "w": (255, 255, 255, 255),
    "b": (40, 90, 200, 255),
    "c": (170, 215, 255, 255),
    "g": (110, 110, 110, 255),
    "s": (235, 200, 160, 255),
}

POINTR = """
................
....k...........
....kk..........
....kwk.........
....kwwk........
....kwwwk.......
....kwwwwk......
....kwwwwwk.....
....kwwwwwwk....
....kwwwwkkkk...
....kwkwwk......
....kk.kwwk.....
....k..kwwk.....
........kwwk....
........kkk.....
................
"""

LENS = """
................
.....kkkk.......
...kkccccKk.....
..kcccccccck....
..kcccccccck....
.kcccccccccck...
.kcccccccccck...
.kcccccccccck...
.kcccccccccck...
..kcccccccck....
..kcccccccckk...
...kkccccKkkgk..
.....kkkk..kggk.
............kggk
.............kgk
..............k.
"""

ZOOMIN_MARK = [(4, 6), (5, 6), (6, 6), (7, 6), (8, 6), (6, 4), (6, 5), (6, 7), (6, 8)]
ZOOM11_MARK = [(4, 4), (4, 5), (4, 6), (4, 7), (4, 8), (6, 5), (6, 7),
               (8, 4), (8, 5), (8, 6), (8, 7), (8, 8), (3, 5), (7, 5)]

HAND = """
................
......kk........
.....kssk.kk....
.....kssk.ksk...
..kk.ksskkssk...
.ksskksskssskkk.
.ksskssskssksssk
..ksssssssskssk.
..ksssssssssssk.
...kssssssssssk.
....ksssssssssk.
....kssssssssk..
.....ksssssssk..
.....kssssssk...
......kssssk....
......kkkkkk....
"""


def grid(art):
    rows = [r for r in art.strip("\n").split("\n")]
    return [[PALETTE["k"] if ch == "K" else PALETTE[ch] for ch in r] for r in rows]


def mark(g, points):
    for x, y in points:
        g[y][x] = PALETTE["b"]
    return g


def png(path, pixels, scale, background, text):
    size = len(pixels) * scale
    raw = bytearray()
    for y in range(size):
        raw.append(0)
        for x in range(size):
            p = pixels[y // scale][x // scale]
            raw.extend(p if p else background)

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    out = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
    for key, value in text.items():
        out += chunk(b"tEXt", key.encode() + b"\0" + str(value * scale).encode())
    out += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(out)


def write(name, pixels, scale, background, hot=None):
    text = {"HotSpotX": hot[0], "HotSpotY": hot[1]} if hot else {}
    for factor, suffix in ((1, ""), (2, "@2x")):
        png(os.path.join(OUT, name + suffix + ".png"), pixels, scale * factor, background, text)


MAGENTA = (255, 0, 255, 255)
CLEAR = (0, 0, 0, 0)
os.makedirs(OUT, exist_ok=True)
write("POINTR", grid(POINTR), 1, MAGENTA)
write("ZOOMIN", mark(grid(LENS), ZOOMIN_MARK), 1, MAGENTA)
write("ZOOM11", mark(grid(LENS), ZOOM11_MARK), 1, MAGENTA)
write("CURGEOZOOM", mark(grid(LENS), ZOOMIN_MARK), 2, CLEAR, hot=(6, 6))
write("CURGEOHAND", grid(HAND), 2, CLEAR, hot=(8, 8))
