#!/usr/bin/python3
"""Reference data of the TKohonen tests: a numpy model of the training loop.

The model follows the description of the map, not the C++ code: for step s
of T, f = clip((T - s) / T, 0, 1), radius R = round(f^2 (N - 1) + 1) (half
to even), rate a = f^2 alpha; per pattern the winner is the first neuron of
smallest squared distance g (x outer, y inner), the window of half-width R
around it is clipped to the grid or, on a torus, limited to size // 2 - 1
when R >= size // 2 and wrapped once; each neuron in it moves by
a / (1 + sqrt(d - g)) towards the pattern, d its squared distance.  Steps
run from the start step while s < T (at least one).

Writes, into numlib/tests/data:
  kohonen_<case>.xml   starting maps in the XML block of TKohonen, numbers
                       in numpy's own text form
  kohonen_ref.inc      the data, the weights after every step, and ApplyIt
                       queries with the numpy argmin over all neurons

Run: /usr/bin/python3 tools/ref/kohonen_model.py
"""
import os

import numpy as np

OUT = os.path.join(os.path.dirname(__file__), "..", "..", "numlib", "tests", "data")


def window(w, r, size, cyclic):
    """0-based positions of the window around w along one axis."""
    if not cyclic:
        return range(max(0, w - r), min(size - 1, w + r) + 1)
    if r >= size // 2:
        r = size // 2 - 1
    r = max(r, 0)
    return [(v + size) % size for v in range(w - r, w + r + 1)]


def train(weights, data, steps, neighbors, alpha, cyclic, step=1):
    """The weights after every step, as a list of copies."""
    w = weights.copy()
    sx, sy, _ = w.shape
    trace = []
    while True:
        f = min(max((steps - step) / steps, 0.0), 1.0)
        radius = round(f * f * (neighbors - 1) + 1)
        rate = f * f * alpha
        for p in data:
            dist = ((w - p) ** 2).sum(axis=2)  # before any move of this pattern
            k = int(np.argmin(dist))
            wx, wy = divmod(k, sy)
            g = dist[wx, wy]
            for x in window(wx, radius, sx, cyclic):
                for y in window(wy, radius, sy, cyclic):
                    t = rate / (1.0 + np.sqrt(dist[x, y] - g))
                    w[x, y] += (p - w[x, y]) * t
        trace.append(w.copy())
        step += 1
        if step >= steps:
            return trace


def num(x):
    return "%.17E" % x


def write_map(name, ident, w, steps, neighbors, alpha, cyclic, means, stddevs, step=1):
    sx, sy, n = w.shape
    lines = ['<?xml version="1.0"?>', "", "<!-- written by tools/ref/kohonen_model.py -->",
             '<kohonen sig="Nuvkit" vers="1.0" id="%s">' % ident]
    for tag, v in (("sizex", sx), ("sizey", sy), ("nrinsens", n), ("maxneighb", neighbors),
                   ("maxsteps", steps), ("currentstep", step)):
        lines.append("  <%s val=%d />" % (tag, v))
    lines.append("  <maxalpha val=%s />" % num(alpha))
    lines.append("  <cyclic val=%s />" % ("TRUE" if cyclic else "FALSE"))
    lines.append("  <comment>numpy model, case %s</comment>" % ident)
    for i in range(n):
        lines.append("  <meanstddev i=%d mean=%s stddev=%s />" % (i + 1, num(means[i]), num(stddevs[i])))
    for x in range(sx):
        for y in range(sy):
            lines.append("  <cell x=%d y=%d>%s</cell>" % (x + 1, y + 1, " ".join(num(v) for v in w[x, y])))
    lines.append("</kohonen>")
    with open(os.path.join(OUT, name), "w", newline="") as f:
        f.write("\r\n".join(lines) + "\r\n")


def array(name, values):
    body = ",\n".join("    " + ", ".join(repr(float(v)) for v in values[i:i + 4])
                      for i in range(0, len(values), 4))
    return "inline constexpr double %s[] = {\n%s};\n" % (name, body)


def int_array(name, values):
    return "inline constexpr int32_t %s[] = {%s};\n" % (name, ", ".join(str(int(v)) for v in values))


def main():
    rng = np.random.default_rng(20261209)
    out = ["// Written by tools/ref/kohonen_model.py; do not edit.", "#pragma once", "",
           "#include <cstdint>", "", "namespace nuv::testing::kohonen_ref {", ""]

    # Training traces: (case, grid, features, patterns, steps, neighbours, rate, cyclic).
    cases = [("clipped", 5, 4, 3, 15, 7, 3, 0.6, False),
             ("cyclic", 4, 6, 2, 12, 6, 4, 0.9, True)]
    for ident, sx, sy, n, count, steps, neighbors, alpha, cyclic in cases:
        data = rng.uniform(-1.0, 1.0, size=(count, n))
        start = rng.uniform(-0.1, 0.1, size=(sx, sy, n))
        write_map("kohonen_%s.xml" % ident, ident, start, steps, neighbors, alpha, cyclic,
                  np.zeros(n), np.zeros(n))
        trace = train(start, data, steps, neighbors, alpha, cyclic)
        # Data row by row; weights step by step in storage order (x, y, feature).
        out.append(array("k%sData" % ident.capitalize(), data.ravel()))
        out.append(array("k%sTrace" % ident.capitalize(), np.concatenate([t.ravel() for t in trace])))

    # ApplyIt: a 6 x 5 map of 4 features; neuron (4, 2) repeats (2, 3) so that
    # queries on it test the tie rule. Feature 3 has deviation 0.
    sx, sy, n = 6, 5, 4
    w = rng.uniform(-1.5, 1.5, size=(sx, sy, n))
    w[3, 1] = w[1, 2]
    raw = rng.normal(size=(50, n)) * [2.0, 0.5, 0.0, 3.0] + [10.0, -1.0, 4.0, 0.0]
    means = raw.mean(axis=0)
    stddevs = raw.std(axis=0, ddof=1)
    stddevs[2] = 0.0
    write_map("kohonen_apply_std.xml", "std", w, 200, 2, 1.0, False, means, stddevs)
    write_map("kohonen_apply_raw.xml", "raw", w, 200, 2, 1.0, False, np.zeros(n), np.zeros(n))
    queries = np.concatenate([raw[:20] + rng.normal(scale=0.3, size=(20, n)),
                              [w[1, 2] * np.where(stddevs != 0, stddevs, 1.0) + means]])
    out.append(array("kApplyQueries", queries.ravel()))
    for ident, m, s in (("Std", means, stddevs), ("Raw", np.zeros(n), np.zeros(n))):
        z = np.where(s != 0, (queries - m) / np.where(s != 0, s, 1.0), queries - m)
        dist = ((w.reshape(sx * sy, n)[None, :, :] - z[:, None, :]) ** 2).sum(axis=2)
        k = dist.argmin(axis=1)
        out.append(int_array("kApply%sX" % ident, k // sy + 1))
        out.append(int_array("kApply%sY" % ident, k % sy + 1))
        out.append(array("kApply%sDist" % ident, dist[np.arange(len(k)), k]))

    out.append("}  // namespace nuv::testing::kohonen_ref")
    with open(os.path.join(OUT, "kohonen_ref.inc"), "w") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
