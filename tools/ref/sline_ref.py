#!/usr/bin/python3
"""Reference values for numlib's straight-line tests (TSLine).

  * directions: math.atan2(-A, B) brought into [0, 2*pi), over every sign
    case of A and B and magnitudes from tiny to huge;
  * intersections, distances and angles between lines: exact rational
    arithmetic in sympy on the exact binary values of the coefficients,
    rounded to double at the end;
  * clipping to a box: whether the line misses the box, touches a corner or
    cuts a chord, from the exact signs of the corners; the chord's ends from
    shapely's intersection of a long segment of the line with the box
    polygon; for random lines, lines through corners and axis-parallel lines
    (along edges too).

Writes numlib/tests/data/sline_ref.inc (C++ initialisers).
Run: /usr/bin/python3 tools/ref/sline_ref.py   (python3-sympy, python3-shapely)
"""

import math
import random
from pathlib import Path

import sympy
from shapely.geometry import LineString, box

random.seed(39)


def R(v):
    return sympy.Rational(v)  # the exact value of the double


def f(v):
    return repr(float(v))


def directions():
    mags = [0.0, 1e-300, 0.25, 1.0, 3.0, 7.5e7, 1e300]
    rows = []
    for a in mags:
        for b in mags:
            for sa in (1, -1):
                for sb in (1, -1):
                    A, B = sa * a, sb * b
                    if A == 0 and B == 0:
                        continue
                    if (a == 0 and sa < 0) or (b == 0 and sb < 0):
                        continue
                    d = math.atan2(-A, B)
                    if d < 0:
                        d += 2 * math.pi
                    rows.append((A, B, d))
    return rows


def line_pairs():
    pairs = []
    for _ in range(60):
        l1 = [random.randint(-20, 20) for _ in range(3)]
        l2 = [random.randint(-20, 20) for _ in range(3)]
        if (l1[0] == 0 and l1[1] == 0) or (l2[0] == 0 and l2[1] == 0):
            continue
        pairs.append((l1, l2))
    for _ in range(40):
        l1 = [round(random.uniform(-50, 50), 3) for _ in range(3)]
        l2 = [round(random.uniform(-50, 50), 3) for _ in range(3)]
        pairs.append((l1, l2))
    # parallel and coincident lines, also with inexact coefficients
    pairs += [([1, 2, 3], [2, 4, -1]), ([0.1, 0.3, 0], [0.2, 0.6, 5]), ([3, -7, 1], [3, -7, 1]),
              ([0, 1, 2], [0, -3, 1]), ([1, 0, 2], [-5, 0, 1]), ([1e-200, 1, 0], [1e-200, 1, 1])]
    rows = []
    for l1, l2 in pairs:
        a1, b1, c1 = map(R, l1)
        a2, b2, c2 = map(R, l2)
        det = a1 * b2 - a2 * b1
        s = a1 * a2 + b1 * b2
        ang = sympy.pi / 2 if s == 0 else abs(sympy.atan(det / s))
        if det == 0:
            rows.append((l1, l2, False, 0.0, 0.0, float(sympy.N(ang, 30))))
        else:
            x = (b1 * c2 - b2 * c1) / det
            y = (c1 * a2 - c2 * a1) / det
            rows.append((l1, l2, True, float(x), float(y), float(sympy.N(ang, 30))))
    return rows


def distances():
    rows = []
    for _ in range(40):
        l = [random.choice([random.randint(-9, 9), round(random.uniform(-9, 9), 2)]) for _ in range(3)]
        if l[0] == 0 and l[1] == 0:
            l[1] = 1
        p = [round(random.uniform(-100, 100), 4) for _ in range(2)]
        a, b, c = map(R, l)
        x, y = map(R, p)
        d = abs(a * x + b * y + c) / sympy.sqrt(a * a + b * b)
        rows.append((l, p, float(sympy.N(d, 30))))
    rows.append(([3e200, 4e200, 0], [1, 1], 1.4))  # squares beyond the double range
    return rows


def side_of_corners(l, bx):
    """Exact signs of A*x + B*y + C at the four corners."""
    a, b, c = map(R, l)
    xlo, ylo, xhi, yhi = map(R, bx)
    return [sympy.sign(a * x + b * y + c) for x in (xlo, xhi) for y in (ylo, yhi)]


def clip(l, bx):
    """Miss, touch or chord decided exactly; the chord's ends from shapely."""
    signs = side_of_corners(l, bx)
    if 1 not in signs or -1 not in signs:
        if 0 not in signs:
            return 0, []
        if signs.count(0) == 1:
            xlo, ylo, xhi, yhi = bx
            corners = [(x, y) for x in (xlo, xhi) for y in (ylo, yhi)]
            return 1, [corners[signs.index(0)]]
    a, b, c = l
    xlo, ylo, xhi, yhi = bx
    far = 1e6
    if abs(b) >= abs(a):
        p, q = (-far, (-c + a * far) / b), (far, (-c - a * far) / b)
    else:
        p, q = ((-c + b * far) / a, -far), ((-c - b * far) / a, far)
    g = LineString([p, q]).intersection(box(xlo, ylo, xhi, yhi))
    assert g.geom_type == 'LineString', (l, bx, g)
    cs = list(g.coords)
    return 2, [cs[0], cs[-1]]


def clip_cases():
    cases = []
    for _ in range(80):
        xlo, xhi = sorted(round(random.uniform(-20, 20), 2) for _ in range(2))
        ylo, yhi = sorted(round(random.uniform(-20, 20), 2) for _ in range(2))
        l = [round(random.uniform(-5, 5), 3) for _ in range(2)] + [round(random.uniform(-40, 40), 3)]
        cases.append((l, (xlo, ylo, xhi, yhi)))
    # through corners: integer and inexact boxes, leaving through an edge or
    # the opposite corner, and touching a corner only
    for bx in [(0, 0, 10, 10), (-1.25, 0.75, 4.125, 9.875), (2, -5, 3, 5)]:
        xlo, ylo, xhi, yhi = bx
        corners = [(xlo, ylo), (xhi, ylo), (xlo, yhi), (xhi, yhi)]
        for (x, y) in corners:
            for (dx, dy) in [(1, 1), (1, -1), (1, 2), (2, 1), (1, -3), (3, -1), (1, 0), (0, 1)]:
                a, b = dy, -dx
                cases.append(([a, b, -(a * x + b * y)], bx))
        cases.append(([1, -1, -(xlo - ylo)], bx))  # the diagonal's direction from (xlo, ylo)
    # axis-parallel lines: inside, outside, along each edge
    bx = (0, 0, 10, 10)
    for v in (-1, 0, 3.5, 10, 11):
        cases.append(([1, 0, -v], bx))
        cases.append(([0, 1, -v], bx))
        cases.append(([0, -2, 2 * v], bx))
        cases.append(([-4, 0, 4 * v], bx))
    rows = []
    for l, bx in cases:
        n, pts = clip(l, bx)
        pts = pts + [(0.0, 0.0)] * (2 - len(pts))
        rows.append((l, bx, n, pts))
    return rows


def main():
    out = ["// Generated by tools/ref/sline_ref.py; do not edit."]
    out.append("// {A, B, direction}: math.atan2(-A, B) in [0, 2 pi)")
    out.append("constexpr TDirectionRef kDirectionRefs[] = {")
    out += [f"    {{{f(a)}, {f(b)}, {f(d)}}}," for a, b, d in directions()]
    out.append("};")
    out.append("// {line 1, line 2, crossing, x, y, angle}: sympy, exact")
    out.append("constexpr TPairRef kPairRefs[] = {")
    for l1, l2, ok, x, y, ang in line_pairs():
        out.append(f"    {{{{{', '.join(map(f, l1))}}}, {{{', '.join(map(f, l2))}}}, "
                   f"{'true' if ok else 'false'}, {f(x)}, {f(y)}, {f(ang)}}},")
    out.append("};")
    out.append("// {line, point, distance}: sympy, exact")
    out.append("constexpr TDistanceRef kDistanceRefs[] = {")
    for l, p, d in distances():
        out.append(f"    {{{{{', '.join(map(f, l))}}}, {f(p[0])}, {f(p[1])}, {f(d)}}},")
    out.append("};")
    out.append("// {line, box xlo ylo xhi yhi, points, ends}: shapely")
    out.append("constexpr TClipRef kClipRefs[] = {")
    for l, bx, n, pts in clip_cases():
        out.append(f"    {{{{{', '.join(map(f, l))}}}, {{{', '.join(map(f, bx))}}}, {n}, "
                   f"{{{f(pts[0][0])}, {f(pts[0][1])}, {f(pts[1][0])}, {f(pts[1][1])}}}}},")
    out.append("};")
    target = Path(__file__).resolve().parents[2] / "numlib/tests/data/sline_ref.inc"
    target.parent.mkdir(exist_ok=True)
    target.write_text('\n'.join(out) + '\n')


if __name__ == "__main__":
    main()
