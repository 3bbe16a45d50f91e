#!/usr/bin/env python3
"""References for fits of TCurveFit on points far from 0 or in tiny units
(numlib/tests/Nuv_math2_curvefit_test.cpp): numpy's polyfit (and lstsq for
the fit with two regressors), each checked against the least-squares
solution in mpmath at 60 digits, whose values are printed. Prints the C++
literals: the points, then the wanted values."""
import math
import warnings

import mpmath
import numpy as np

mpmath.mp.dps = 60
warnings.simplefilter("error", np.RankWarning)  # only problems numpy fits cleanly


def exact_lstsq(columns, v):
    A = mpmath.matrix([[mpmath.mpf(c[i]) for c in columns] for i in range(len(v))])
    b = mpmath.matrix([mpmath.mpf(t) for t in v])
    sol = mpmath.lu_solve(A.T * A, A.T * b)
    return [sol[j] for j in range(len(columns))]


def check(got, exact, tol):
    for g, e in zip(got, exact):
        assert abs(mpmath.mpf(g) - e) <= tol * abs(e), (g, e)


def points(name, xs, ys):
    print("// %s" % name)
    print("const std::vector<std::pair<double, double>> %s = {" % name)
    cells = ["{%r, %r}" % (x, y) for x, y in zip(xs, ys)]
    for i in range(0, len(cells), 3):
        print("    " + ", ".join(cells[i:i + 3]) + ",")
    print("};")


def polyfit(name, xs, ys, order, origin=0.0):
    u = [x - origin for x in xs]
    c = list(np.polyfit(u, ys, order)[::-1])
    powers = [[(mpmath.mpf(x) - mpmath.mpf(origin)) ** j for x in xs] for j in range(order + 1)]
    ex = exact_lstsq(powers, ys)
    check(c, ex, 1e-7)
    fitted = [float(sum(e * p[i] for e, p in zip(ex, powers))) for i in range(len(xs))]
    r2 = np.corrcoef(fitted, ys)[0, 1] ** 2
    print("// %s: numpy.polyfit order %d about %r; r2; fitted at the ends" % (name, order, origin))
    print("const double %sCoeffs[] = {%s};" % (name, ", ".join(repr(float(v)) for v in ex)))
    print("const double %sQual = %r, %sEnds[2] = {%r, %r};" % (
        name, float(r2), name, float(fitted[0]), float(fitted[-1])))


# A cubic through x = 2000 ... 2020.
xs = [2000.0 + i for i in range(21)]
ys = [0.5 + 0.01 * (x - 2010) ** 3 - 0.3 * (x - 2010) ** 2 + 2 * (x - 2010) + 0.2 * math.sin(x)
      for x in xs]
points("kYears", xs, ys)
polyfit("kCubic", xs, ys, 3)
polyfit("kCubicAbout1", xs, ys, 3, 1.0)
# A parabola in nanometres.
xs = [1e-9 * i for i in range(11)]
ys = [3 - 2e9 * x + 5e17 * x * x + 0.01 * math.cos(7 * i) for i, x in enumerate(xs)]
points("kNano", xs, ys)
polyfit("kNanoPar", xs, ys, 2)

# Exponential growth over Unix time stamps, a power law far from 1, a bell
# at 2010 and Hoerl's curve over large x: the linearised fits. The exact
# solutions take the logarithms in mpmath, numpy's in double.
def log(v):
    return mpmath.log(mpmath.mpf(v))


xs = [1.7e9 + 5.0 * i for i in range(21)]
ys = [3 * math.exp(0.01 * (x - 1.7e9)) * (1 + 0.01 * math.sin(i)) for i, x in enumerate(xs)]
points("kStamps", xs, ys)
ex = exact_lstsq([[1.0] * len(xs), xs], [log(y) for y in ys])
check([np.polyfit(xs, np.log(ys), 1)[0]], [ex[1]], 1e-7)
r2 = np.corrcoef(xs, np.log(ys))[0, 1] ** 2
print("const double kStampsRate = %r, kStampsQual = %r;" % (float(ex[1]), float(r2)))

xs = [1e8 + 1000.0 * i for i in range(21)]
ys = [2 * x ** 1.5 * (1 + 1e-7 * math.cos(i)) for i, x in enumerate(xs)]
points("kMega", xs, ys)
ex = exact_lstsq([[1.0] * len(xs), [log(x) for x in xs]], [log(y) for y in ys])
check([np.polyfit(np.log(xs), np.log(ys), 1)[0]], [ex[1]], 1e-4)
print("const double kMegaPower = %r, kMegaFactor = %r;" % (float(ex[1]), float(mpmath.exp(ex[0]))))

xs = [2000.0 + i for i in range(21)]
ys = [5 * math.exp(-(x - 2010.3) ** 2 / (2 * 3.0 ** 2)) * (1 + 0.01 * math.sin(3 * i))
      for i, x in enumerate(xs)]
points("kBell", xs, ys)
m = sum(xs) / len(xs)
ex = exact_lstsq([[1.0] * len(xs), [x - m for x in xs], [(x - m) ** 2 for x in xs]],
                 [log(y) for y in ys])
check(np.polyfit([x - m for x in xs], np.log(ys), 2)[::-1], ex, 1e-9)
a0, a1, a2 = ex
print("const double kBellPeak = %r, kBellWidth = %r, kBellHeight = %r;" % (
    float(m - a1 / (2 * a2)), float(mpmath.sqrt(-1 / (2 * a2))),
    float(mpmath.exp(a0 - a1 * a1 / (4 * a2)))))

xs = [2000.0 * (i + 1) for i in range(21)]
ys = [2 * 1.0001 ** x * x ** 0.7 * (1 + 0.001 * math.sin(i)) for i, x in enumerate(xs)]
points("kHoerl", xs, ys)
cols = [np.ones(len(xs)), np.array(xs), np.log(xs)]
sol = np.linalg.lstsq(np.array(cols).T, np.log(ys), rcond=None)[0]
ex = exact_lstsq([[1.0] * len(xs), xs, [log(x) for x in xs]], [log(y) for y in ys])
check(sol, ex, 1e-7)
print("const double kHoerlFactor = %r, kHoerlBase = %r, kHoerlPower = %r;" % (
    float(mpmath.exp(ex[0])), float(mpmath.exp(ex[1])), float(ex[2])))
