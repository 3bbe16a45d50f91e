#!/usr/bin/python3
"""Reference values for the window filters, covariance, eigenvectors,
principal components and pseudo-inverse tests (numlib/tests/Nuv_math2_*).

The data are the closed formulas the tests evaluate again; the printed
literals are pasted into the tests."""
import numpy as np
from scipy.signal import savgol_filter
from sklearn.decomposition import PCA

np.set_printoptions(precision=17)


def fmt(values):
    return ", ".join(repr(float(v)) for v in np.ravel(values))


# Signal: y[i] = sin(0.3 i) + 0.05 i^1.5, i = 1..30.
i = np.arange(1, 31)
y = np.sin(0.3 * i) + 0.05 * i ** 1.5
for L in (5, 11, 25):
    m = (L - 1) // 2
    for deriv in (0, 1, 2):
        out = savgol_filter(y, L, 2, deriv=deriv, mode="interp")
        print(f"savgol L={L} deriv={deriv} interior[{m + 1}..{30 - m}]:", fmt(out[m:30 - m]))

# Data matrix: 9 objects (rows r = 1..9) x 4 variables (columns c = 1..4),
# x = sin(1.1 r + 0.7 c^2) + 0.2 r c / (c + 1).
r = np.arange(1, 10)[:, None]
c = np.arange(1, 5)[None, :]
X = np.sin(1.1 * r + 0.7 * c ** 2) + 0.2 * r * c / (c + 1)
print("cov:", fmt(np.cov(X, rowvar=False)))
print("corrcoef:", fmt(np.corrcoef(X, rowvar=False)))
print("mode0:", fmt(X.T @ X / (X.shape[0] - 1)))
d = np.array([[np.sum((X[:, a] - X[:, b]) ** 2) / (X.shape[0] - 1) for b in range(4)]
              for a in range(4)])
print("mode4:", fmt(d))

# Symmetric 6 x 6: a(i, j) = 1 / (i + j - 1) + (i == j) * i  (1-based).
n = 6
A = np.array([[1.0 / (a + b + 1) + (a == b) * (a + 1) for b in range(n)] for a in range(n)])
w, v = np.linalg.eigh(A)
print("eigh values:", fmt(w))

# PCA in correlation mode: sklearn on the standardised columns.
Z = (X - X.mean(axis=0)) / X.std(axis=0, ddof=1)
pca = PCA().fit(Z)
print("pca shares:", fmt(pca.explained_variance_ratio_))
print("pca variances:", fmt(pca.explained_variance_))

# Pseudo-inverse of a rank-deficient 5 x 3 (third column = first + second)
# and of its transpose, with numpy's default cutoff of the same form.
B = np.array([[np.cos(a + 2.0 * b) for b in range(2)] for a in range(5)])
B = np.hstack([B, B[:, :1] + B[:, 1:2]])
s = np.linalg.svd(B, compute_uv=False)
cut = max(B.shape) * s[0] * 1.2e-16
print("pinv (3 x 5, row-major):", fmt(np.linalg.pinv(B, rcond=cut / s[0])))
print("pinv cut 0.5 singular values:", fmt(s))
