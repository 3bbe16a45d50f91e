#!/usr/bin/env python3
"""Reference values for CanonicalAngleDegrees: the angle folded into
[-180, 180] with math.fmod, which is exact for doubles. Prints the C++ rows
of the test table (numlib/tests/Nuv_math1_test.cpp)."""
import math

CASES = [1e18, -1e18, 2.0**70, -(2.0**70), 1e300, -1e300, 2.0**53 + 2, 7e15 + 0.5,
         123456789012.375, 540.0, -540.0, 360.0, -360.0, 720.0, 1e-300,
         359.99999999999994, 1.7976931348623157e308]


def fold(x):
    if x > 360 or x < -360:
        x = math.fmod(x, 360.0)
    if x > 180:
        x -= 360
    if x < -180:
        x += 360
    return x


for x in CASES:
    print("      {%r, %r}," % (x, fold(x)))
