#!/usr/bin/python3
"""Expected pixels of the chart marks and frames, for corelib's overlay tests.

The shapes are transcribed from the mark and frame geometry tables and
rasterised here with the canvas rules, modelled independently of the C++
rasteriser:
  * a line from a to b covers one pixel per step along its longer axis,
    without b; the minor offset of step i is i * |dMinor| / n rounded, halves
    away from the start;
  * a rectangle (x1, y1, x2, y2) covers x1 <= x < x2, y1 <= y < y2;
  * a polygon's interior is the set of pixels whose coordinates lie inside
    it by the even-odd rule, edges on the left and top included (crossings
    are counted with exact fractions); its outline is the closed sequence of
    its edges drawn as lines;
  * an ellipse in the box covers the pixels whose centres lie in the ellipse
    through the box's outer pixel centres' half-extents; its outline is the
    4-neighbour boundary of that set. The tests check ellipses only by
    bounding box, symmetry and pixel count, which this model supplies.

Writes corelib/tests/data/overlay_marks.inc (C++ initialisers).
Run: /usr/bin/python3 tools/ref/overlay_marks.py
"""

from fractions import Fraction
from pathlib import Path


def line(a, b):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    xmajor = abs(dx) >= abs(dy)
    dmaj, dmin = (dx, dy) if xmajor else (dy, dx)
    n = abs(dmaj)
    smaj = -1 if dmaj < 0 else 1
    smin = -1 if dmin < 0 else 1
    out = []
    for i in range(n):
        q = (2 * i * abs(dmin) + n) // (2 * n)
        major = (ax if xmajor else ay) + smaj * i
        minor = (ay if xmajor else ax) + smin * q
        out.append((major, minor) if xmajor else (minor, major))
    return out


def path(points):
    """Closed path drawn with MoveTo/LineTo."""
    pix = []
    for p, q in zip(points, points[1:] + points[:1]):
        pix += line(p, q)
    return pix


def rect_fill(x1, y1, x2, y2):
    return [(x, y) for y in range(y1, y2) for x in range(x1, x2)]


def rect_outline(x1, y1, x2, y2):
    c = [(x1, y1), (x2 - 1, y1), (x2 - 1, y2 - 1), (x1, y2 - 1)]
    return path(c)


def polygon_interior(points):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    inside = []
    for y in range(min(ys), max(ys) + 1):
        for x in range(min(xs), max(xs) + 1):
            count = 0
            for (px, py), (qx, qy) in zip(points, points[1:] + points[:1]):
                if py == qy:
                    continue
                if py > qy:
                    px, py, qx, qy = qx, qy, px, py
                if py <= y < qy:
                    cross = px + Fraction((y - py) * (qx - px), qy - py)
                    if cross <= x:
                        count += 1
            if count % 2:
                inside.append((x, y))
    return inside


def ellipse_fill(x1, y1, x2, y2):
    cx, cy = Fraction(x1 + x2 - 1, 2), Fraction(y1 + y2 - 1, 2)
    rx, ry = Fraction(x2 - x1, 2), Fraction(y2 - y1, 2)
    return [(x, y) for y in range(y1, y2) for x in range(x1, x2)
            if ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1]


def ellipse_outline(x1, y1, x2, y2):
    s = set(ellipse_fill(x1, y1, x2, y2))
    return [(x, y) for (x, y) in s
            if any(n not in s for n in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)))]


def pattern(inside):
    return [(dx, dy) for dy in range(-3, 4) for dx in range(-3, 4) if inside(dx, dy)]


THICK_ROWS = {3: (-3, -2, 2, 3), 2: (-3, -2, -1, 1, 2, 3), 1: (-2, -1, 0, 1, 2), 0: (-1, 0, 1)}


def mark(code, printer):
    """(fixed pixels, ellipse box or None, ellipse filled) of one mark."""
    px = []
    ell = None
    filled = False
    L = line
    if code == 0:
        px = [(0, 0)]
    elif code in (1, 2, 3):
        if printer:
            a = code + 1
            px = L((-a, 0), (a, 0)) + L((0, -a), (0, a))
        else:
            px = pattern(lambda dx, dy: (dx == 0 and abs(dy) <= code) or (dy == 0 and abs(dx) <= code))
    elif code in (4, 5, 6):
        if printer:
            a = code - 2
            px = L((-a, -a), (a, a)) + L((-a, a), (a, -a))
        else:
            px = pattern(lambda dx, dy: abs(dx) == abs(dy) <= code - 3)
    elif code in (7, 8, 9):
        a = code - 6
        px = rect_fill(-a, -a, a + 1, a + 1)
    elif code in (10, 11, 12):
        a = code - 9
        px = path([(-a, -a), (-a, a), (a, a), (a, -a)])
    elif code in (13, 19):
        px = path([(-3, 0), (0, 3), (3, 0), (0, -3)]) + ([(0, 0)] if code == 13 else [])
    elif code in (14, 15):
        a = code - 12
        pts = [(-a, 0), (0, a), (a, 0), (0, -a)]
        px = path(pts) + polygon_interior(pts)
    elif code == 16:
        ell = (-2, -2, 3, 3)
    elif code == 17:
        ell = (-3, -3, 4, 4)
    elif code == 18:
        if printer:
            px = [p for dy in range(-3, 4) for dx in range(-3, 4) if (dx + dy) % 2 == 0
                  for p in L((dx, dy), (dx + 1, dy))]
        else:
            px = pattern(lambda dx, dy: (dx + dy) % 2 == 0)
    elif code in (20, 21):
        a = code - 17
        px = L((0, 0), (-a, a)) + L((0, 0), (a, a))
    elif code in (22, 23):
        a = code - 19
        px = L((0, 0), (-a, -a)) + L((0, 0), (a, -a))
    elif code == 24:
        ell, filled = (-3, -3, 4, 4), True
    elif code == 25:
        if printer:
            for a, b in (((-3, -3), (3, 3)), ((-3, -2), (2, 3)), ((-2, -3), (3, 2)),
                         ((-3, 3), (3, -3)), ((-3, 2), (2, -3)), ((-2, 3), (3, -2))):
                px += L(a, b)
        else:
            px = pattern(lambda dx, dy: dx in THICK_ROWS[abs(dy)])
    elif code == 26:
        ell, filled = (-2, -2, 3, 3), True
    elif code == 27:
        ell = (-2, -2, 2, 2)
    elif code == 28:
        ell, filled = (-2, -2, 2, 2), True
    elif 29 <= code <= 47 and code not in (37, 38, 39):
        a = {29: 2, 30: 3, 31: 2, 32: 3}.get(code)
        pts = {
            33: [(-4, -3), (0, 4), (4, -3)], 34: [(-4, -3), (0, 4), (4, -3)],
            35: [(-4, 3), (0, -4), (4, 3)], 36: [(-4, 3), (0, -4), (4, 3)],
            40: [(3, -2), (-2, 0), (3, 2)], 41: [(3, -2), (-2, 0), (3, 2)],
            42: [(4, -3), (-3, 0), (4, 3)], 43: [(4, -3), (-3, 0), (4, 3)],
            44: [(-3, -2), (2, 0), (-3, 2)], 45: [(-3, -2), (2, 0), (-3, 2)],
            46: [(-4, -3), (3, 0), (-4, 3)], 47: [(-4, -3), (3, 0), (-4, 3)],
        }.get(code) or [(-a, 0), (0, a), (a, 0)]
        solid = code in (29, 30, 34, 36, 41, 43, 45, 47)
        px = path(pts) + (polygon_interior(pts) if solid else [])
    elif code == 37:
        px = L((-3, 0), (4, 0)) + L((0, 0), (0, -8))
    elif code == 38:
        px = L((-3, -2), (4, -2)) + L((-3, 2), (4, 2)) + L((0, -2), (0, 2))
    elif code == 39:
        ell = (-3, -3, 4, 4)
        px = L((-3, 0), (4, 0)) + L((0, -3), (0, 4))
    elif code == 48:
        px = rect_outline(-3, -3, 4, 4) + L((-3, 0), (4, 0)) + L((0, -3), (0, 4))
    elif code == 49:
        px = rect_outline(-2, -2, 3, 3) + L((-4, 0), (5, 0)) + L((0, -4), (0, 5))
    elif code == 50:
        px = L((-4, 0), (5, 0)) + L((0, -4), (0, 5)) + L((-3, -3), (4, 4)) + L((-3, 3), (4, -4))
    elif code == 51:
        px = (L((-4, 0), (5, 0)) + L((0, -4), (0, 5)) + L((-1, -3), (2, -3)) + L((-1, 3), (2, 3))
              + L((-3, -1), (-3, 2)) + L((3, -1), (3, 2)))
    return sorted(set(px)), ell, filled


# The frames: a grid of colour digits 1..5 ('.' untouched) after DrawFrame
# on a white canvas. Later lines paint over earlier ones.
BEVEL = {2: (3, 1, 4, 2), 3: (1, 4, 2, 3), 4: (1, 3, 3, 1), 5: (3, 1, 1, 3)}
FRAME_W, FRAME_H = 16, 13
FRAME_RECTS = [(3, 2, 12, 9), (2, 3, 3, 4), (11, 9, 4, 2)]


def frame(style, left, top, right, bottom):
    grid = [['.'] * FRAME_W for _ in range(FRAME_H)]
    strokes = []
    if style == 1:
        c = [(left, top), (left, bottom), (right, bottom), (right, top)]
        strokes = [(5, s) for s in path(c)]
    elif style in BEVEL:
        a, b, c, d = BEVEL[style]
        seq = [
            (a, (left, bottom), (left, top)), (a, (left, top), (right + 1, top)),
            (b, (right, top + 1), (right, bottom)), (b, (right, bottom), (left - 1, bottom)),
            (c, (left + 1, bottom - 1), (left + 1, top + 1)), (c, (left + 1, top + 1), (right, top + 1)),
            (d, (right - 1, top + 2), (right - 1, bottom - 1)), (d, (right - 1, bottom - 1), (left, bottom - 1)),
        ]
        for colour, p, q in seq:
            strokes += [(colour, s) for s in line(p, q)]
    for colour, (x, y) in strokes:
        if 0 <= x < FRAME_W and 0 <= y < FRAME_H:
            grid[y][x] = str(colour)
    return [''.join(r) for r in grid]


def main():
    out = ["// Generated by tools/ref/overlay_marks.py; do not edit.",
           "// {code, printer, fixed pixels \"dx,dy ...\", ellipse, box l t r b, filled, total pixels}"]
    out.append("constexpr TMarkRef kMarkRefs[] = {")
    for code in range(52):
        for printer in (False, True):
            px, ell, filled = mark(code, printer)
            total = set(px)
            if ell:
                total |= set(ellipse_fill(*ell) if filled else ellipse_outline(*ell))
            e = ell or (0, 0, 0, 0)
            text = ' '.join(f"{x},{y}" for x, y in px)
            out.append(f'    {{{code}, {"true" if printer else "false"}, "{text}", '
                       f'{"true" if ell else "false"}, {{{e[0]}, {e[1]}, {e[2]}, {e[3]}}}, '
                       f'{"true" if filled else "false"}, {len(total)}}},')
    out.append("};")
    out.append(f"constexpr int32_t kFrameWidth = {FRAME_W}, kFrameHeight = {FRAME_H};")
    out.append("// {style, left, top, right, bottom, rows}")
    out.append("const TFrameRef kFrameRefs[] = {")
    for rect in FRAME_RECTS:
        for style in range(6):
            rows = ', '.join(f'"{r}"' for r in frame(style, *rect))
            out.append(f"    {{{style}, {rect[0]}, {rect[1]}, {rect[2]}, {rect[3]}, {{{rows}}}}},")
    out.append("};")
    target = Path(__file__).resolve().parents[2] / "corelib/tests/data/overlay_marks.inc"
    target.write_text('\n'.join(out) + '\n')


if __name__ == "__main__":
    main()
