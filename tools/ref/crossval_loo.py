#!/usr/bin/python3
"""Leave-one-out references for TCrossValidator with a test set of one.

Root mean square errors of prediction per response column, from
scikit-learn's LeaveOneOut with cross_val_predict, for a model that
predicts the training mean (DummyRegressor) and for least squares with an
intercept (LinearRegression). The data are the literals of
numlib/tests/Nuv_statis_crossval_test.cpp (kX, kY); prints kLooReference.

Run: /usr/bin/python3 tools/ref/crossval_loo.py
"""
import numpy as np
import sklearn
from sklearn.dummy import DummyRegressor
from sklearn.linear_model import LinearRegression
from sklearn.model_selection import LeaveOneOut, cross_val_predict

X = np.array([
    [1.0, 0.5], [2.0, 1.7], [3.0, 0.2], [4.0, 2.9], [5.0, 1.1], [6.0, 3.6],
    [7.0, 0.8], [8.0, 2.2], [9.0, 4.1], [10.0, 1.4], [11.0, 3.3], [12.0, 0.1],
])
Y = np.array([
    [2.9, 10.2], [5.3, 8.1], [6.2, 11.9], [10.4, 5.5], [10.1, 9.7], [14.8, 4.0],
    [13.5, 10.8], [17.6, 7.3], [21.9, 3.2], [19.8, 9.9], [24.6, 5.1], [22.7, 12.5],
])


def rmsep(model):
    pred = cross_val_predict(model, X, Y, cv=LeaveOneOut())
    return np.sqrt(np.mean((pred - Y) ** 2, axis=0))


def main():
    print(f"// tools/ref/crossval_loo.py, scikit-learn {sklearn.__version__}: leave-one-out")
    print("// RMSEP per response column.")
    for name, model in [("mean", DummyRegressor(strategy="mean")),
                        ("least squares", LinearRegression())]:
        r = rmsep(model)
        print(f'    {{"{name}", {{{r[0]!r}, {r[1]!r}}}}},')


if __name__ == "__main__":
    main()
