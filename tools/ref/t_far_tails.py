#!/usr/bin/env python3
"""Far tails of the t and F distributions for numlib's statistics test
(numlib/tests/Nuv_statis_test.cpp), with mpmath at 60 digits: arguments
whose square is beyond the double range, down to the underflow limit.
Prints the C++ rows: t as {x, df, upper tail, density}, F as
{x, df1, df2, upper tail}."""
import mpmath

mpmath.mp.dps = 60


def d(v):
    return repr(float(v))


def t_upper(x, df):
    x, df = mpmath.mpf(x), mpmath.mpf(df)
    w = df / (df + x * x)
    return mpmath.betainc(df / 2, mpmath.mpf(1) / 2, 0, w, regularized=True) / 2


def t_density(x, df):
    x, df = mpmath.mpf(x), mpmath.mpf(df)
    return (mpmath.gamma((df + 1) / 2) / (mpmath.sqrt(df * mpmath.pi) * mpmath.gamma(df / 2))
            * (1 + x * x / df) ** (-(df + 1) / 2))


def f_upper(x, df1, df2):
    x, df1, df2 = mpmath.mpf(x), mpmath.mpf(df1), mpmath.mpf(df2)
    v = df2 / (df1 * x + df2)
    return mpmath.betainc(df2 / 2, df1 / 2, 0, v, regularized=True)


T_CASES = [(1e10, 1), (1e150, 1), (1e154, 1), (2e154, 1), (1e160, 1), (1e200, 0.5),
           (1e300, 1), (1.7e308, 0.5), (1e120, 2.5), (1e101, 3), (2e61, 5), (1e10, 30),
           (1e300, 0.1)]
F_CASES = [(1e300, 1, 1), (1.7e308, 100, 1), (1.7e308, 4, 0.5), (1e307, 1e3, 2),
           (1e305, 10, 0.2)]

print("  // t: x, df, upper tail, density")
for x, df in T_CASES:
    print("      {%s, %s, %s, %s}," % (d(x), d(df), d(t_upper(x, df)), d(t_density(x, df))))
print("  // F: x, df1, df2, upper tail")
for x, df1, df2 in F_CASES:
    print("      {%s, %s, %s, %s}," % (d(x), d(df1), d(df2), d(f_upper(x, df1, df2))))
