#!/usr/bin/python3
"""Reference values for the map calibration tests (maplib/tests/data/
geomap_calib_ref.inc).

Each case is a set of reference points and the positions and pixels the
calibration must give back:
  - polynomial models: numpy lstsq (rcond 1e-14) on the same designs;
  - UTM: the same fit on northing and easting, converted with GeographicLib's
    GeoConvert in the map's zone;
  - Miller and conic: points generated from chosen parameters; the conic
    apex from a replica of the apex search (20 rounds of 5 x 5 candidates,
    regressions as the curve fit computes them, in long double);
  - parabolic interpolation: a replica of the nearest-two-curves
    interpolation and of the fixed-point pixel iteration.
The resolution is the great-circle distance along the middle row (radius
6378000 m) over the width.

Run: /usr/bin/python3 tools/ref/geomap_calib_ref.py > maplib/tests/data/geomap_calib_ref.inc
"""
import math
import subprocess

import numpy as np

LD = np.longdouble
RADIUS = 6378000.0


def great_circle(lat1, lon1, lat2, lon2):
    p1, p2 = math.radians(lat1), math.radians(lat2)
    q = math.cos(p1) * math.cos(p2) * math.cos(math.radians(lon1 - lon2)) + math.sin(p1) * math.sin(p2)
    return RADIUS * math.acos(max(-1.0, min(1.0, q)))


def resolution(to_pos, w, h):
    la1, lo1 = to_pos(0, h // 2)
    la2, lo2 = to_pos(w, h // 2)
    d = great_circle(la1, lo1, la2, lo2)
    if lo2 - lo1 > 360:
        d += 40074155.88919140255
    elif lo2 - lo1 > 180:
        d += 20037077.944595701276
    return d / w


def lstsq(rows, rhs):
    return np.linalg.lstsq(np.array(rows, dtype=float), np.array(rhs, dtype=float), rcond=1e-14)[0]


def quad(u, v):
    return [1.0, u, v, u * u, u * v, v * v]


def lin(u, v):
    return [1.0, u, v]


def poly_fit(points, row):
    """Forward (pixel -> coordinates) and inverse fits of a polynomial model."""
    fwd = [lstsq([row(p[2], p[3]) for p in points], [p[k] for p in points]) for k in (0, 1)]
    inv = [lstsq([row(p[0], p[1]) for p in points], [p[k] for p in points]) for k in (2, 3)]
    to_pos = lambda x, y: tuple(float(np.dot(c, row(x, y))) for c in fwd)
    to_pix = lambda a, b: tuple(float(np.dot(c, row(a, b))) for c in inv)
    return to_pos, to_pix


# ---------------------------------------------------------------------------
# Geodesy through GeoConvert, in a fixed zone

def geoconvert(args, lines):
    out = subprocess.run(["GeoConvert"] + args, input="\n".join(lines) + "\n",
                         capture_output=True, text=True, check=True).stdout.split("\n")
    return [l.split() for l in out if l.strip()]


def utm_forward(zone, south, positions):
    z = f"{zone}{'s' if south else 'n'}"
    rows = geoconvert(["-u", "-z", z, "-p", "6"], [f"{a:.12f} {b:.12f}" for a, b in positions])
    return [(float(r[2]), float(r[1])) for r in rows]  # northing, easting


def utm_inverse(zone, south, grid):
    z = f"{zone}{'s' if south else 'n'}"
    rows = geoconvert(["-g", "-p", "12"], [f"{z} {e:.6f} {n:.6f}" for n, e in grid])
    return [(float(r[0]), float(r[1])) for r in rows]


# ---------------------------------------------------------------------------
# The curve fit's straight line, as TCurveFit computes it

def lin_fit(xs, ys):
    n = len(xs)
    xm = float(sum((LD(x) for x in xs), LD(0)) / n)
    ym = float(sum((LD(y) for y in ys), LD(0)) / n)
    su = sv = suu = svv = suv = LD(0)
    for x, y in zip(xs, ys):
        u = LD(x) - LD(xm)
        v = LD(y) - LD(ym)
        su += u
        sv += v
        suu += u * u
        svv += v * v
        suv += u * v
    den = n * suu - su * su
    if den == 0:
        return 0.0, 0.0
    k = (n * suv - su * sv) / den
    d0 = (suu * sv - su * suv) / den
    return float(k), float(d0 - k * LD(xm) + LD(ym))


def conic_trial(points, x0, y0):
    lat_x, lat_y, lon_x, lon_y = [], [], [], []
    for lat, lon, x, y in points:
        dx, dy = float(x - x0), float(y - y0)
        lat_x.append(math.sqrt(dx * dx + dy * dy))
        lat_y.append(lat)
        if dy != 0:
            lon_x.append(math.atan(dx / dy))
            lon_y.append(lon)
    if len(lon_x) < 2:
        return None
    klat, dlat = lin_fit(lat_x, lat_y)
    klon, dlon = lin_fit(lon_x, lon_y)
    ss_lat = 0.0
    for r, v in zip(lat_x, lat_y):
        e = v - (klat * r + dlat)
        ss_lat += e * e
    ss_lon = 0.0
    for t, v in zip(lon_x, lon_y):
        e = v - (klon * t + dlon)
        ss_lon += e * e
    n = len(points)
    rms_lat, rms_lon = math.sqrt(ss_lat / n), math.sqrt(ss_lon / n)
    return rms_lat * rms_lat + rms_lon * rms_lon, (float(x0), float(y0), klat, dlat, klon, dlon)


def conic_search(points, w, h):
    xs, ys = [p[2] for p in points], [p[3] for p in points]
    cx = (min([w] + xs) + max([0] + xs)) // 2
    cy = (min([h] + ys) + max([0] + ys)) // 2
    best, params = 1e10, None
    s = 1000000
    while s >= 1:
        x, y = cx, cy
        for i in range(-2, 3):
            for j in range(-2, 3):
                t = conic_trial(points, x + i * s, y + j * s)
                if t is not None and t[0] < best:
                    best, params = t
        if params is not None:
            cx, cy = int(params[0]), int(params[1])
        s //= 2
    return params


def conic_angle(dx, dy):
    if dy != 0:
        return math.atan(dx / dy)
    return math.pi / 2 if dx > 0 else -math.pi / 2


def conic_to_pos(p, x, y):
    x0, y0, klat, dlat, klon, dlon = p
    dx, dy = x - x0, y - y0
    return klat * math.sqrt(dx * dx + dy * dy) + dlat, klon * conic_angle(dx, dy) + dlon


def conic_to_pix(p, lat, lon):
    x0, y0, klat, dlat, klon, dlon = p
    t = math.tan((lon - dlon) / klon)
    rho = (lat - dlat) / klat
    dy = rho / math.sqrt(1 + t * t)
    yy = round(y0 + dy if lat >= 0 else y0 - dy)
    return t * (yy - y0) + x0, float(yy)


# ---------------------------------------------------------------------------
# Parabolic interpolation between drawn lines

def parabola(points):
    """y = g0 + g1 x + g2 x^2 by least squares."""
    g2, g1, g0 = np.polyfit([p[0] for p in points], [p[1] for p in points], 2)
    return float(g0), float(g1), float(g2)


def nearest_two(rows, key):
    da = db = 1e20
    a = b = None
    for r in rows:
        d = key(r)
        if d < da:
            db, b = da, a
            da, a = d, r
        elif d < db:
            db, b = d, r
    return a, b


def grat_value(rows, along, across):
    a, b = nearest_two(rows, lambda r: abs(across - (r[1] + r[2] * along + r[3] * along * along)))
    pa = a[1] + a[2] * along + a[3] * along * along
    pb = b[1] + b[2] * along + b[3] * along * along
    return b[0] + (a[0] - b[0]) * (across - pb) / (pa - pb)


def grat_curve(rows, value):
    a, b = nearest_two(rows, lambda r: abs(value - r[0]))
    f = (value - a[0]) / (b[0] - a[0])
    return [a[k] + f * (b[k] - a[k]) for k in (1, 2, 3)]


def grat_pixel(mer, par, lat, lon):
    m, p = grat_curve(mer, lon), grat_curve(par, lat)
    x, y = 500.0, 0.0
    for _ in range(15):
        y = p[0] + p[1] * x + p[2] * x * x
        x = m[0] + m[1] * y + m[2] * y * y
        if abs(x) > 50000 or abs(y) > 50000:
            return None
    return x, y


# ---------------------------------------------------------------------------
# Output

def c_double(v):
    return repr(float(v))


def emit_case(name, model, w, h, points, to_pos, to_pix, pix_queries, pos_queries, zone=-1,
              south=False, conic=None, with_resolution=True):
    print(f"TRefCase{{\"{name}\", {model}, {w}, {h}, {zone}, {'true' if south else 'false'},")
    print("  {" + ", ".join(f"{{{c_double(a)}, {c_double(b)}, {x}, {y}}}" for a, b, x, y in points) + "},")
    print("  {" + ", ".join(f"{{{x}, {y}, {c_double(a)}, {c_double(b)}}}"
                            for (x, y), (a, b) in zip(pix_queries, map(lambda q: to_pos(*q), pix_queries))) + "},")
    print("  {" + ", ".join(f"{{{c_double(a)}, {c_double(b)}, {c_double(px)}, {c_double(py)}}}"
                            for (a, b), (px, py) in zip(pos_queries, map(lambda q: to_pix(*q), pos_queries))) + "},")
    print(f"  {c_double(resolution(to_pos, w, h) if with_resolution else 0)},")
    c = conic if conic else (0, 0, 0, 0, 0, 0)
    print("  {" + ", ".join(c_double(v) for v in c) + "}},")


PIX_QUERIES = [(0, 0), (799, 0), (0, 599), (799, 599), (400, 300), (123, 456), (650, 75)]


def biquadratic_cases():
    def truth(x, y):
        return (48.0 - 0.002 * y + 1e-7 * x * y + 3e-8 * x * x,
                9.5 + 0.003 * x + 2e-7 * x * y - 1e-8 * y * y)
    pix = [(20, 30), (400, 25), (780, 40), (35, 300), (410, 290), (770, 310), (15, 580), (390, 570),
           (785, 590), (200, 150), (600, 450), (250, 480)]
    rng = np.random.default_rng(30)
    pts = []
    for x, y in pix:
        a, b = truth(x, y)
        pts.append((round(a + rng.normal(0, 2e-4), 5), round(b + rng.normal(0, 2e-4), 5), x, y))
    queries = [truth(x, y) for x, y in [(100, 100), (700, 500), (400, 300), (5, 595)]]
    for name, subset in [("biquadratic 12 points", pts), ("biquadratic 1 point", pts[4:5]),
                         ("biquadratic 4 points", pts[:4])]:
        to_pos, to_pix = poly_fit(subset, quad)
        emit_case(name, "cmBiquadraticPn", 800, 600, subset, to_pos, to_pix, PIX_QUERIES, queries)
    # Points on a line determine the fit only along it: off the line the
    # rank-deficient solution is rounding noise amplified.
    line = [(48.0 - 0.001 * k, 9.5 + 0.002 * k, 100 + 50 * k, 80 + 40 * k) for k in range(7)]
    to_pos, to_pix = poly_fit(line, quad)
    emit_case("biquadratic collinear", "cmBiquadraticPn", 1000, 800, line, to_pos, to_pix,
              [(150, 120), (275, 220), (500, 400)], [(47.9975, 9.505), (47.996, 9.508)],
              with_resolution=False)


def equirect_cases():
    rng = np.random.default_rng(31)
    pix = [(50, 40), (700, 60), (60, 560), (720, 540), (380, 300), (200, 420), (600, 180), (300, 90)]
    pts = [(round(47.0 - 0.001 * y + rng.normal(0, 1e-4), 5), round(10.0 + 0.0015 * x + rng.normal(0, 1e-4), 5), x, y)
           for x, y in pix]
    queries = [(46.8, 10.2), (46.5, 11.0), (47.1, 9.9)]
    for name, subset in [("equirect 8 points", pts), ("equirect 2 points", pts[:2]),
                         ("equirect collinear", [(47.0 - 0.001 * k, 10.0 + 0.0015 * k, 10 * k, 10 * k) for k in (1, 5, 9)])]:
        to_pos, to_pix = poly_fit(subset, lin)
        emit_case(name, "cmEquiRect", 800, 600, subset, to_pos, to_pix, PIX_QUERIES, queries)


def utm_case(name, zone, south, n0, e0, positions):
    rng = np.random.default_rng(zone)
    pix = [(40, 30), (760, 50), (30, 570), (770, 560), (400, 310), (220, 140), (590, 430), (130, 400), (650, 220)]
    pts = []
    for x, y in pix:
        n = n0 - 12.5 * y + 0.04 * x + rng.normal(0, 1.5)
        e = e0 + 12.5 * x + 0.03 * y + rng.normal(0, 1.5)
        pts.append((round(n, 2), round(e, 2), x, y))
    fwd = [lstsq([lin(p[2], p[3]) for p in pts], [p[k] for p in pts]) for k in (0, 1)]
    inv = [lstsq([lin(p[0], p[1]) for p in pts], [p[k] for p in pts]) for k in (2, 3)]
    grid_of = lambda x, y: tuple(float(np.dot(c, lin(x, y))) for c in fwd)
    pos = dict(zip(PIX_QUERIES + [(0, 300), (800, 300)],
                   utm_inverse(zone, south, [grid_of(x, y) for x, y in PIX_QUERIES + [(0, 300), (800, 300)]])))
    grid = dict(zip(positions, utm_forward(zone, south, positions)))
    to_pos = lambda x, y: pos[(x, y)]
    to_pix = lambda a, b: tuple(float(np.dot(c, lin(*grid[(a, b)]))) for c in inv)
    emit_case(name, "cmUTM", 800, 600, pts, to_pos, to_pix, PIX_QUERIES, positions, zone, south)


def miller_case():
    k1, k2 = 2000.0, -2000.0
    d1 = 400 - k1 * math.radians(10.5)
    ordinate = lambda lat: math.log(math.tan(math.pi / 4 + 0.4 * math.radians(lat)))
    d2 = 300 - k2 * ordinate(47.0)
    to_pos = lambda x, y: ((math.atan(math.exp((y - d2) / k2)) - math.pi / 4) * (180 / math.pi) / 0.4,
                           math.degrees((x - d1) / k1))
    to_pix = lambda lat, lon: (k1 * math.radians(lon) + d1, k2 * ordinate(lat) + d2)
    pix = [(30, 20), (770, 35), (400, 300), (60, 580), (720, 560), (250, 410)]
    pts = [to_pos(x, y) + (x, y) for x, y in pix]
    emit_case("miller", "cmMillerCylindrical", 800, 600, pts, to_pos, to_pix, PIX_QUERIES,
              [(46.9, 10.4), (47.5, 11.2), (46.2, 9.7)])


def conic_cases():
    truth = (1234.0, -5678.0, -0.001, 53.0, 30.0, 12.0)
    for name, pix in [("conic 10 points", [(20, 30), (400, 20), (780, 45), (35, 310), (410, 290), (770, 300),
                                           (15, 580), (390, 575), (785, 590), (600, 450)]),
                      ("conic 3 points", [(100, 100), (700, 120), (400, 500)])]:
        pts = [conic_to_pos(truth, x, y) + (x, y) for x, y in pix]
        p = conic_search(pts, 800, 600)
        emit_case(name, "cmConicConformal", 800, 600, pts, lambda x, y: conic_to_pos(p, x, y),
                  lambda a, b: conic_to_pix(p, a, b), PIX_QUERIES, [(47.0, 11.5), (47.4, 12.6), (46.8, 10.9)],
                  conic=p)


def parabolic_case():
    meridians = {10.0: (100.0, 0.05, 2e-5), 11.0: (400.0, 0.0, 1e-5), 12.0: (700.0, -0.05, 2e-5)}
    parallels = {48.0: (80.0, 0.02, 1e-5), 47.0: (300.0, 0.0, 2e-5), 46.0: (520.0, -0.02, 1e-5)}
    lines = []
    for v, g in meridians.items():
        lines.append(("gtlMeridian", v, [(round(g[0] + g[1] * y + g[2] * y * y), y) for y in (10, 200, 390, 590)]))
    for v, g in parallels.items():
        lines.append(("gtlParallel", v, [(x, round(g[0] + g[1] * x + g[2] * x * x)) for x in (15, 260, 530, 790)]))
    mer, par = [], []
    for kind, v, pts in lines:
        if kind == "gtlMeridian":
            mer.append((v,) + parabola([(y, x) for x, y in pts]))
        else:
            par.append((v,) + parabola(pts))
    print("TRefGraticule{")
    print("  {" + ", ".join(f"{{{k}, {c_double(v)}, {{" + ", ".join(f"{{{x}, {y}}}" for x, y in pts) + "}}"
                            for k, v, pts in lines) + "},")
    queries = [(400, 300), (150, 100), (650, 500), (250, 450), (100, 300)]
    print("  {" + ", ".join(f"{{{x}, {y}, {c_double(grat_value(par, x, y))}, {c_double(grat_value(mer, y, x))}}}"
                            for x, y in queries) + "},")
    positions = [(47.0, 11.0), (47.5, 10.5), (46.3, 11.8), (47.9, 10.1)]
    out = []
    for lat, lon in positions:
        px, py = grat_pixel(mer, par, lat, lon)
        out.append(f"{{{c_double(lat)}, {c_double(lon)}, {c_double(px)}, {c_double(py)}}}")
    print("  {" + ", ".join(out) + "}}")


if __name__ == "__main__":
    print("// Generated by tools/ref/geomap_calib_ref.py; do not edit.")
    print("// clang-format off")
    print("inline const TRefCase kRefCases[] = {")
    biquadratic_cases()
    equirect_cases()
    utm_case("utm 33 north", 33, False, 5300000.0, 395000.0, [(47.6, 14.0), (47.55, 14.2), (47.58, 11.99)])
    utm_case("utm 56 south", 56, True, 6255000.0, 330000.0, [(-33.8, 151.2), (-33.85, 151.1), (-33.82, 150.03)])
    utm_case("utm 60 north", 60, False, 5300000.0, 395000.0, [(47.6, 176.0), (47.55, 176.2)])
    miller_case()
    conic_cases()
    print("};")
    print("inline const TRefGraticule kRefGraticule =")
    parabolic_case()
    print(";")
