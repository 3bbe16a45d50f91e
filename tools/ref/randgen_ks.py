#!/usr/bin/python3
"""Kolmogorov-Smirnov references for the tabulated distributions of TRandGen.

For each case the table is built from scipy's densities at the cells' left
edges (as the shape fillers define it), the distribution it describes is the
piecewise-linear density between those values (the last cell flat, values
above 1 cut to 1), and scipy.stats.kstest compares a fixed sample with that
distribution. The sample is uniform on the interval from std::minstd_rand
(seed 1), so the C++ test can rebuild it. Prints the C++ table of
numlib/tests/Nuv_statis_random_test.cpp and the filler values it checks.

Run: /usr/bin/python3 tools/ref/randgen_ks.py
"""
import numpy as np
from scipy import stats

N = 400


def left_edges(lo, hi, res):
    return [lo + (hi - lo) * (i - 1) / res for i in range(1, res + 1)]


def standardized(t):
    m = max(t)
    return [v / m for v in t]


def chi2_table(lo, hi, res, df):
    xs = left_edges(lo, hi, res)
    t = []
    for i, x in enumerate(xs):
        if x < 0:
            t.append(0.0)
        elif x == 0 and df < 2:
            right = xs[i + 1] if i + 1 < res else hi
            t.append(stats.chi2.cdf(right, df) / right)
        else:
            t.append(stats.chi2.pdf(x, df))
    return t


CASES = [
    # name, lo, hi, resolution, table, standardize
    ("uniform", 0.0, 1.0, 10, lambda xs: [1.0] * len(xs), False),
    ("tilted", 0.0, 1.0, 10, lambda xs: [0.5 + 0.05 * i for i in range(len(xs))], False),
    ("normal", -5.0, 5.0, 50, lambda xs: [np.exp(-((x - 0.5) / 1.2) ** 2 / 2) for x in xs], False),
    ("t3", -6.0, 6.0, 60, lambda xs: [stats.t.pdf(x, 3) for x in xs], True),
    ("chi2_4", 0.0, 20.0, 100, None, True),
    ("chi2_1", 0.0, 8.0, 40, None, True),
    ("F5_10", 0.0, 6.0, 120, lambda xs: [stats.f.pdf(x, 5, 10) if x > 0 else 0.0 for x in xs],
     True),
    ("weibull", 0.0, 4.0, 80, lambda xs: [stats.weibull_min.pdf(x, 2, scale=1.5) for x in xs],
     True),
]


def clipped_integral(a, b, f):
    """Integral over [0, f] of min(1, a + b*t)."""
    if a + b * f <= 1 and a <= 1:
        return a * f + b * f * f / 2
    if a >= 1 and a + b * f >= 1:
        return f
    s = (1 - a) / b  # where the line crosses 1
    if a < 1:
        return a * s + b * s * s / 2 + (f - s)
    return s + clipped_integral(1.0, b, f - s)


def make_cdf(lo, hi, table):
    res = len(table)
    p = list(table) + [table[-1]]
    masses = [clipped_integral(p[k], p[k + 1] - p[k], 1.0) for k in range(res)]
    cum = np.concatenate([[0.0], np.cumsum(masses)])
    total = cum[-1]

    def cdf(x):
        x = np.atleast_1d(x)
        out = np.empty_like(x)
        for i, v in enumerate(x):
            u = (v - lo) / (hi - lo) * res
            if u <= 0:
                out[i] = 0.0
            elif u >= res:
                out[i] = 1.0
            else:
                k = int(np.floor(u))
                out[i] = (cum[k] + clipped_integral(p[k], p[k + 1] - p[k], u - k)) / total
        return out

    return cdf


def minstd_uniform(n, seed=1):
    s, out = seed, []
    for _ in range(n):
        s = s * 48271 % 2147483647
        out.append(s / 2147483647.0)
    return out


def main():
    print("// Table values of the fillers:")
    print(f"// chi2.pdf(1, 3) = {stats.chi2.pdf(1, 3)!r}, f.pdf(2, 1, 5) = {stats.f.pdf(2, 1, 5)!r},")
    print(f"// chi2.cdf(0.2, 1)/0.2 = {stats.chi2.cdf(0.2, 1) / 0.2!r}")
    print("// Kolmogorov's limiting distribution, kstwobign.sf:")
    print("// " + ", ".join(f"{l}: {stats.kstwobign.sf(l)!r}" for l in (0.5, 1.2, 2.5)))
    u = minstd_uniform(N)
    print(f"// tools/ref/randgen_ks.py, scipy {__import__('scipy').__version__}: kstest of {N}")
    print("// uniform points against the piecewise-linear distribution of each table.")
    for name, lo, hi, res, fill, std in CASES:
        xs = left_edges(lo, hi, res)
        if name == "chi2_4":
            table = chi2_table(lo, hi, res, 4)
        elif name == "chi2_1":
            table = chi2_table(lo, hi, res, 1)
        else:
            table = fill(xs)
        if std:
            table = standardized(table)
        sample = [lo + (hi - lo) * v for v in u]
        r = stats.kstest(sample, make_cdf(lo, hi, table))
        print(f'    {{"{name}", {r.statistic!r}, {r.pvalue!r}}},')


if __name__ == "__main__":
    main()
