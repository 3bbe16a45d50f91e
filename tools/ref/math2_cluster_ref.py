#!/usr/bin/python3
"""Reference values for the neighbour, clustering, geometry and regression
tests (numlib/tests/Nuv_math2_cluster_test.cpp, Nuv_math2_regress_test.cpp).

The data are closed formulas that the tests evaluate again; the printed
literals are pasted into the tests."""
import math

import numpy as np
from scipy.cluster.hierarchy import linkage
from scipy.cluster.vq import kmeans2
from scipy.interpolate import make_smoothing_spline
from scipy.spatial import ConvexHull, KDTree
from shapely.geometry import Point, Polygon
from sklearn.cross_decomposition import PLSRegression
from sklearn.linear_model import Ridge


def fmt(values):
    return ", ".join(repr(float(v)) for v in np.ravel(values))


# Objects r = 1..12 in 3 dimensions: x = sin(0.9 r c + 0.3 c) * (1 + 0.1 r).
r = np.arange(1, 13)[:, None]
c = np.arange(1, 4)[None, :]
X = np.sin(0.9 * r * c + 0.3 * c) * (1 + 0.1 * r)
tree = KDTree(X)
d, _ = tree.query(X, k=4)
print("kNN mean distances k=4 (self included):", fmt(d.mean(axis=1)))
target = np.array([0.2, -0.1, 0.4])
d, idx = tree.query(target, k=5)
print("kNN of target rows (1-based):", list(idx + 1), "distances:", fmt(d))

# k-means seeded with the first k rows; iterate until stable.
Y = np.vstack([X, X[:6] + 0.05])
centres, labels = kmeans2(Y, Y[:3].copy(), iter=50, minit="matrix")
print("kmeans2 labels (1-based):", list(labels + 1))
print("kmeans2 centres:", fmt(centres))

for method in ("single", "complete", "weighted", "average"):
    print(f"linkage {method} heights:", fmt(linkage(X, method)[:, 2]))
print("linkage ward heights squared:", fmt(linkage(X, "ward")[:, 2] ** 2))

# Hull of 40 points on a jittered spiral.
k = np.arange(40)
P = np.column_stack([np.cos(2.4 * k) * (1 + 0.37 * np.sin(1.7 * k)),
                     np.sin(2.4 * k) * (1 + 0.37 * np.cos(1.3 * k))])
hull = ConvexHull(P)
print("hull vertices (0-based, ccw):", list(hull.vertices))

# Point in polygon: a concave star.
star = [(math.cos(a) * (1 if j % 2 == 0 else 0.45), math.sin(a) * (1 if j % 2 == 0 else 0.45))
        for j, a in enumerate(np.linspace(0, 2 * math.pi, 10, endpoint=False))]
poly = Polygon(star)
pts = [(0.31 * math.cos(1.3 * j) * (j % 5 + 1) / 3, 0.29 * math.sin(2.1 * j) * (j % 4 + 1) / 2)
       for j in range(30)]
print("star inside:", [int(poly.contains(Point(p))) for p in pts])

# Great circles by the haversine formula.
def haversine(R, la1, lo1, la2, lo2):
    p1, p2 = math.radians(la1), math.radians(la2)
    dp, dl = p2 - p1, math.radians(lo2 - lo1)
    h = math.sin(dp / 2) ** 2 + math.cos(p1) * math.cos(p2) * math.sin(dl / 2) ** 2
    return 2 * R * math.asin(math.sqrt(h))
for case in [(6371000, 48.2, 16.37, 48.2000001, 16.37), (6371000, 48.2, 16.37, 52.52, 13.4),
             (6371000, -33.9, 151.2, 51.5, -0.13), (1.0, 10, 20, 10, 20)]:
    print("haversine", case, repr(haversine(*case)))

# Regressions: objects i = 1..20, variables j = 1..3.
i = np.arange(1, 21)[:, None]
j = np.arange(1, 4)[None, :]
A = np.cos(0.7 * i * j) + 0.1 * i * j
y = 1.5 * A[:, 0] - 2 * A[:, 1] + 0.5 * A[:, 2] + 0.3 + 0.05 * np.sin(3.1 * i[:, 0])
coef, *_ = np.linalg.lstsq(np.column_stack([A, np.ones(20)]), y, rcond=None)
print("lstsq with intercept:", fmt(coef))
coef0, *_ = np.linalg.lstsq(A, y, rcond=None)
print("lstsq without intercept:", fmt(coef0))
ridge = Ridge(alpha=2.5).fit(A, y)
print("ridge coef, intercept:", fmt(ridge.coef_), repr(float(ridge.intercept_)))
Z = (A - A.mean(axis=0)) / A.std(axis=0, ddof=1)
ridge = Ridge(alpha=2.5).fit(Z, y)
print("ridge std coef, intercept:", fmt(ridge.coef_), repr(float(ridge.intercept_)))
for comps in (1, 2):
    pls = PLSRegression(n_components=comps, scale=False).fit(A, y)
    print(f"pls {comps} coef:", fmt(pls.coef_), "intercept:", fmt(pls.intercept_))

xs = np.linspace(0, 3, 15) + 0.05 * np.sin(np.arange(15))
ys = np.sin(2 * xs) + 0.1 * np.cos(7 * xs)
spl = make_smoothing_spline(xs, ys, lam=0.05)
print("smoothing spline at knots:", fmt(spl(xs)))
print("smoothing spline at 1.234:", repr(float(spl(1.234))))
