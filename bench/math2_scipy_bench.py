#!/usr/bin/python3
"""scipy's linkage and kmeans2 on the data of math2_bench.cpp, timed here
(median of five runs) and written as the JSON that bench_table reads.

    math2_scipy_bench.py OUT.json
"""
import json
import sys
import time

import numpy as np
from scipy.cluster.hierarchy import linkage
from scipy.cluster.vq import kmeans2

GOLDEN = np.uint64(0x9E3779B97F4A7C15)


def uniform(seed, count):
    """splitmix64 draws 1..count from the seed, in [0, 1)."""
    with np.errstate(over="ignore"):
        z = np.uint64(seed) + GOLDEN * np.arange(1, count + 1, dtype=np.uint64)
        z = (z ^ (z >> np.uint64(30))) * np.uint64(0xBF58476D1CE4E5B9)
        z = (z ^ (z >> np.uint64(27))) * np.uint64(0x94D049BB133111EB)
        z = z ^ (z >> np.uint64(31))
    return (z >> np.uint64(11)).astype(np.float64) * 2.0 ** -53


def median_ms(f):
    times = []
    for _ in range(5):
        start = time.perf_counter()
        f()
        times.append((time.perf_counter() - start) * 1000)
    return sorted(times)[2]


def main():
    objects = uniform(5, 2000 * 8).reshape(2000, 8)
    n, d, k = 100000, 16, 20
    draws = uniform(7, k * d + n * d)
    centres = 10 * draws[:k * d].reshape(k, d)
    blobs = centres[np.arange(n) % k] + draws[k * d:].reshape(n, d) - 0.5

    agglom = median_ms(lambda: linkage(objects, "average"))
    kmeans = median_ms(lambda: kmeans2(blobs, blobs[:k].copy(), minit="matrix"))
    rows = [("AgglomClustering 2000 x 8, UPGMA/scipy linkage average", agglom),
            ("kMeansClustering 10^5 x 16, k = 20/scipy kmeans2 (10 iterations)", kmeans)]
    doc = {"benchmarks": [{"name": name, "run_type": "aggregate", "aggregate_name": "median",
                           "cpu_time": ms, "real_time": ms, "time_unit": "ms"}
                          for name, ms in rows]}
    with open(sys.argv[1], "w") as f:
        json.dump(doc, f, indent=1)


if __name__ == "__main__":
    main()
