#!/usr/bin/python3
"""Reference data for the string table, the sorted search and the nearest
value search of Nuv_dstruct: corelib/tests/data/stringarray_ref.txt.

Run offline with Debian's python3 (numpy installed); the tests only read the
file. Texts are written as hexadecimal bytes ("-" for the empty text).

  sort NAME ASC SECONDARY N      a table to sort (SECONDARY: 0 or 1)
  t PRIMARY SECONDARY            its rows in physical order
  k PRIMARY SECONDARY            the expected keys, in sorted order
  p P0 P1 ...                    progress after each pass, not clamped
  bisect NAME N                  an ascending column of lowered texts
  t TEXT                         its rows
  q TEXT LO HI FIRST             query in rows LO..HI: first equal row or 0
  nearest NAME KIND X N A1 ..    KIND d or i; then the expected index
  = INDEX
"""
import random
from fractions import Fraction

import numpy as np

# Windows-1252 lower case of each byte, from Python's Unicode case mapping
# (bytes without a 1252 character or without a single-byte lower case stay).
LOWER = bytearray(range(256))
for c in range(256):
    try:
        ch = bytes([c]).decode("cp1252")
        low = ch.lower().encode("cp1252")
    except (UnicodeDecodeError, UnicodeEncodeError):
        continue
    if len(low) == 1:
        LOWER[c] = low[0]
LOWER = bytes(LOWER)


def lower(b):
    return b.translate(LOWER)


def hx(b):
    return b.hex() if b else "-"


ALPHABETS = [
    b"abcABC",                      # many ties
    b"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ",
    bytes(range(1, 256)),           # every byte but 0
    b"aA\xc4\xe4\x8a\x9a\x9f\xffzZ",  # 1252 letters with a case
]


def random_text(rng, alphabet, max_len):
    n = rng.randint(0, max_len)
    return bytes(rng.choice(alphabet) for _ in range(n))


def next_gap(gap):
    return max(1, int(gap / 1.3))


def estimate(n):
    total, gap = 0, n
    while True:
        gap = next_gap(gap)
        total += n - gap
        if gap <= 1:
            break
    return total + n


def comb_progress(keys, ascending):
    """Progress of the comb sort as the table's Sort runs it (the keys are
    compared as lowered bytes); only the comparison counts matter."""
    n = len(keys)
    order = list(range(n))
    t = estimate(n)
    done, gap, out = 0, n, []
    while True:
        gap = next_gap(gap)
        exchanged = False
        for d in range(0, n - gap):
            done += 1
            a, b = keys[order[d]], keys[order[d + gap]]
            if (a > b) if ascending else (a < b):
                order[d], order[d + gap] = order[d + gap], order[d]
                exchanged = True
        out.append(round(Fraction(done * 100, t)))
        if gap <= 1 and not exchanged:
            return out


def sort_cases(rng, f):
    specs = [
        ("ties", 0, 200, 3, True, False),
        ("ascii", 1, 500, 12, True, False),
        ("allbytes", 2, 300, 20, True, False),
        ("letters1252", 3, 400, 6, True, False),
        ("descending", 1, 333, 8, False, False),
        ("secondary", 0, 250, 2, True, True),
        ("secondarydesc", 3, 150, 2, False, True),
        ("two", 1, 2, 5, True, False),
        ("sorted", 1, 120, 10, True, False),
        ("reversed", 1, 130, 10, True, False),
    ]
    for name, alphabet, n, max_len, ascending, secondary in specs:
        prim = [random_text(rng, ALPHABETS[alphabet], max_len) for _ in range(n)]
        sec = [random_text(rng, ALPHABETS[alphabet], 3) for _ in range(n)]
        if name == "sorted":
            prim.sort(key=lower)
        if name == "reversed":
            prim.sort(key=lower, reverse=True)
        keys = [(lower(p), lower(s) if secondary else b"") for p, s in zip(prim, sec)]
        f.write(f"sort {name} {int(ascending)} {int(secondary)} {n}\n")
        for p, s in zip(prim, sec):
            f.write(f"t {hx(p)} {hx(s)}\n")
        for k in sorted(keys, reverse=not ascending):
            f.write(f"k {hx(k[0])} {hx(k[1])}\n")
        progress = comb_progress(keys, ascending)
        f.write("p " + " ".join(map(str, progress)) + "\n")


def bisect_cases(rng, f):
    import bisect
    for name, n, alphabet, max_len in [("dense", 300, 0, 3), ("sparse", 200, 1, 6),
                                       ("one", 1, 1, 4), ("empties", 40, 0, 1)]:
        column = sorted(lower(random_text(rng, ALPHABETS[alphabet], max_len)) for _ in range(n))
        f.write(f"bisect {name} {n}\n")
        for t in column:
            f.write(f"t {hx(t)}\n")
        queries = set(column[:: max(1, n // 25)]) | {b"", b"zzzz", b"a", b"bb", column[-1]}
        for q in sorted(queries):
            for lo, hi in [(1, n), (1 + n // 3, n - n // 4), (n, n), (1, 1)]:
                if lo > hi:
                    continue
                i = bisect.bisect_left(column, q, lo - 1, hi)
                first = i + 1 if i < hi and column[i] == q else 0
                f.write(f"q {hx(q)} {lo} {hi} {first}\n")


def nearest_cases(rng, f):
    cases = []
    for k in range(12):
        n = rng.randint(1, 40)
        arr = np.round(np.array([rng.uniform(-100, 100) for _ in range(n)]), rng.choice([0, 1, 3]))
        x = float(np.round(rng.uniform(-120, 120), 1)) if k % 3 else float(arr[rng.randrange(n)])
        cases.append(("d%d" % k, "d", x, arr))
    cases.append(("tie", "d", 2.5, np.array([1.0, 2.0, 3.0])))
    cases.append(("huge", "d", 1e308, np.array([-1e308, 1e308, 0.0, 5e307])))
    cases.append(("tiny", "d", 0.0, np.array([5e-324, -5e-324, 1e-300])))
    i32 = np.iinfo(np.int32)
    for k in range(8):
        n = rng.randint(1, 30)
        arr = np.array([rng.randint(-1000, 1000) for _ in range(n)], dtype=np.int64)
        cases.append(("i%d" % k, "i", rng.randint(-1100, 1100), arr))
    cases.append(("extremes", "i", int(i32.min), np.array([i32.max, 0, i32.min + 1], dtype=np.int64)))
    cases.append(("extremes2", "i", int(i32.max), np.array([i32.min, -1, 1], dtype=np.int64)))
    for name, kind, x, arr in cases:
        diffs = np.abs(arr - (np.int64(x) if kind == "i" else x))
        want = int(np.argmin(diffs))
        values = " ".join(repr(float(v)) if kind == "d" else str(int(v)) for v in arr)
        xs = repr(float(x)) if kind == "d" else str(int(x))
        f.write(f"nearest {name} {kind} {xs} {len(arr)} {values}\n= {want}\n")


def main():
    rng = random.Random(20240517)
    with open("corelib/tests/data/stringarray_ref.txt", "w", newline="\n") as f:
        f.write("# tools/ref/stringarray_ref.py: keys from Python's sorted() over cp1252-lowered\n"
                "# bytes, first rows from bisect, nearest indices from numpy.argmin\n")
        sort_cases(rng, f)
        bisect_cases(rng, f)
        nearest_cases(rng, f)


if __name__ == "__main__":
    main()
