#!/usr/bin/python3
"""Reference values of the Fourier and complex tests: numpy.fft transforms of
random blocks, scipy.signal windows in their periodic form, and complex
arithmetic from cmath and mpmath. Writes numlib/tests/data/fourier_ref.inc.

The library's forward transform uses exp(+2πi·jk/N) unscaled, which is
N·numpy.fft.ifft; its inverse is numpy.fft.fft / N.

    /usr/bin/python3 tools/ref/fourier_ref.py
"""
import cmath
import os

import mpmath
import numpy as np
from scipy.signal import windows

OUT = os.path.join(os.path.dirname(__file__), "..", "..", "numlib", "tests", "data",
                   "fourier_ref.inc")
mpmath.mp.dps = 40


def d(x):
    return repr(float(x))


def ld(x):
    """An mpmath value as a long double literal with 21 significant digits."""
    return mpmath.nstr(x, 21, min_fixed=1, max_fixed=0).replace("e", "e") + "L"


def doubles(name, values):
    body = ",\n    ".join(", ".join(d(v) for v in values[i:i + 4])
                          for i in range(0, len(values), 4))
    return f"inline const std::vector<double> {name} = {{\n    {body}}};\n"


def interleave(z):
    return [v for c in z for v in (c.real, c.imag)]


def transforms(rng):
    out = ["// Random blocks: input, forward (N·ifft) and inverse (fft/N), interleaved.\n"
           "struct TFourierCase {\n  int32_t n;\n  std::vector<double> input, forward, inverse;\n};\n"
           "inline const std::vector<TFourierCase> kFourierCases = {\n"]
    for n in (1, 2, 4, 8, 16, 32, 64, 128, 512):
        x = rng.uniform(-1, 1, n) + 1j * rng.uniform(-1, 1, n)
        fwd = np.fft.ifft(x) * n
        inv = np.fft.fft(x) / n
        cols = [", ".join(d(v) for v in interleave(z)) for z in (x, fwd, inv)]
        out.append(f"    {{{n}, {{{cols[0]}}},\n     {{{cols[1]}}},\n     {{{cols[2]}}}}},\n")
    out.append("};\n")
    return "".join(out)


def window_tables():
    # Element i (1..N) takes the periodic window's value at index i mod N,
    # which is u = i - N/2 from the centre.
    out = ["// Window factors of elements 1..N.\n"
           "struct TWindowCase {\n  const char* name;\n  int32_t n;\n  std::vector<double> factor;\n};\n"
           "inline const std::vector<TWindowCase> kWindowCases = {\n"]
    for n in (8, 64, 256):
        i = np.arange(1, n + 1)
        tables = {
            "triangle": 2.0 * np.minimum(i, n + 1 - i) / n,  # no scipy form: plateau of two ones
            "cos2": windows.hann(n, sym=False),
            "gauss": windows.gaussian(n, n / 6, sym=False),
            "hamming": windows.general_hamming(n, 0.543478261, sym=False),
            "blackman": windows.general_cosine(n, [0.42659, 0.49656, 0.076848], sym=False),
            "blkmharris": windows.blackmanharris(n, sym=False),
            "blkmnuttall": windows.nuttall(n, sym=False),
        }
        for name, w in tables.items():
            w = np.asarray(w)
            if name != "triangle":
                w = w[i % n]
            out.append(f'    {{"{name}", {n}, {{{", ".join(d(v) for v in w)}}}}},\n')
    out.append("};\n")
    return "".join(out)


def complex_cases(rng):
    out = ["// Complex arithmetic of random operands against cmath (double results).\n"
           "struct TCmathCase {\n  double ar, ai, br, bi;\n"
           "  double mulr, muli, divr, divi, abs_a, arg_a;\n};\n"
           "inline const std::vector<TCmathCase> kCmathCases = {\n"]
    for _ in range(40):
        a = complex(*rng.uniform(-100, 100, 2))
        b = complex(*rng.uniform(-100, 100, 2))
        vals = [a.real, a.imag, b.real, b.imag, (a * b).real, (a * b).imag, (a / b).real,
                (a / b).imag, abs(a), cmath.phase(a)]
        out.append("    {" + ", ".join(d(v) for v in vals) + "},\n")
    out.append("};\n\n")

    out.append("// Cases where the extended format decides, against mpmath at 40 digits:\n"
               "// operands are exact doubles, results long double.\n"
               "struct TPreciseCase {\n  const char* what;\n  double ar, ai, br, bi;\n"
               "  long double mulr, muli, divr, divi, abs_a;\n};\n"
               "inline const std::vector<TPreciseCase> kPreciseCases = {\n")
    cases = [
        ("huge", (3e300, 4e300), (1e300, -2e300)),
        ("tiny", (3e-300, -4e-300), (2e-300, 5e-301)),
        ("huge by tiny", (1.5e300, 2.5e300), (3e-300, 1e-300)),
        ("tiny by huge", (7e-300, 1e-300), (2e300, -9e299)),
        ("near one", (1 + 2**-52, 2**-53), (1 - 2**-53, -(2**-52))),
        # 63-bit products that double would round: exact in extended.
        ("cancelling", (2.0**31 + 1, 2.0**31 + 3), (2.0**31 + 5, 2.0**31 + 7)),
        ("one third", (1.0, 0.0), (3.0, 0.0)),
        ("mixed scale", (1e150, 1e-150), (1e-150, 1e150)),
    ]
    for what, (ar, ai), (br, bi) in cases:
        a = mpmath.mpc(ar, ai)
        b = mpmath.mpc(br, bi)
        m, q = a * b, a / b
        vals = [ld(m.real), ld(m.imag), ld(q.real), ld(q.imag), ld(abs(a))]
        out.append(f'    {{"{what}", {d(ar)}, {d(ai)}, {d(br)}, {d(bi)},\n     '
                   + ", ".join(vals) + "},\n")
    out.append("};\n")
    return "".join(out)


def main():
    rng = np.random.default_rng(20240519)
    text = ("// Generated by tools/ref/fourier_ref.py; do not edit.\n#pragma once\n\n"
            "#include <cstdint>\n#include <vector>\n\nnamespace nuv::ref {\n\n"
            + transforms(rng) + "\n" + window_tables() + "\n" + complex_cases(rng)
            + "\n}  // namespace nuv::ref\n")
    with open(OUT, "w") as f:
        f.write(text)


if __name__ == "__main__":
    main()
