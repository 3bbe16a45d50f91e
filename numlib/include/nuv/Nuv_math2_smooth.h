// Smoothing and differentiation of vectors by moving windows and
// Savitzky–Golay convolution, covariance matrices, the cyclic Jacobi
// eigen-decomposition with its process-wide eigen storage, principal
// components, the pseudo-inverse and the regressions built on the singular
// value decomposition. Part of the unit Nuv_math2 (included by Nuv_math2.h).
//
// Matrices are addressed (column, row) from 1; data matrices hold objects
// in rows and variables in columns. Errors are ENUVMath2Error with bare
// texts; numerical failure and an abort through AbortMathProc are a false
// result.
#pragma once

#include <array>
#include <cstdint>

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class TMatrix;
class TVector;

// ---------------------------------------------------------------------------
// Window filters

// Quadratic Savitzky–Golay weights, one row per odd window length
// L = 5, 7, ..., 25 (row (L - 5)/2): the divisor, then w0 ... wm with
// m = (L - 1)/2, the other slots 0.
using TGolayTable = std::array<std::array<int32_t, 14>, 11>;
extern const TGolayTable GolayPoly;
extern const TGolayTable Golay2ndDeriv;

// All five filter Source[LoIndex..HiIndex] (clamped into the source and
// ordered) into Dest[1..HiIndex - LoIndex + 1], Dest[1] belonging to
// Source[LoIndex]. The m = (L - 1)/2 outputs at either end, where no full
// window fits, copy the nearest full-window output. Dest is enlarged when
// it is shorter than the range and may be the source itself.
//
// Raise, in this order: "<Name>: either SourceVec or DestVec is undefined";
// a range with HiIndex - LoIndex < WindowLength ("... specified range for
// smoothing is smaller than the length of the smoothing windows" resp.
// "... of the polynomial"); a window length out of range (moving and
// weighted averages L >= 3, the others 5 <= L <= 25); an even length.
void MovingAverageSmooth(const TVector* SourceVec, int32_t LoIndex, int32_t HiIndex,
                         TVector* DestVec, int32_t WindowLength);
// Triangular weights m + 1 - |i|.
void WeightedAverageSmooth(const TVector* SourceVec, int32_t LoIndex, int32_t HiIndex,
                           TVector* DestVec, int32_t WindowLength);
// Quadratic Savitzky–Golay smoothing (GolayPoly).
void PolynomialSmooth(const TVector* SourceVec, int32_t LoIndex, int32_t HiIndex, TVector* DestVec,
                      int32_t WindowLength);
// Derivatives per unit sample spacing (resp. its square) by the same
// windows: the least-squares line resp. quadratic (Golay2ndDeriv).
void FirstDeriv(const TVector* SourceVec, int32_t LoIndex, int32_t HiIndex, TVector* DestVec,
                int32_t WindowLength);
void SecondDeriv(const TVector* SourceVec, int32_t LoIndex, int32_t HiIndex, TVector* DestVec,
                 int32_t WindowLength);

// ---------------------------------------------------------------------------
// Covariance, eigenvectors, principal components

// The (HighCol - LowCol + 1)-square matrix of the columns' statistic over
// the rows LowRow..HighRow (ranges as TMatrix windows: 0, 0 is the whole
// extent) into the top left of CovarMat. Mode 0: Σxᵢxⱼ/(n - 1);
// 1: covariance; 2: Pearson correlation (0 for n <= 2 or a constant
// column, 1 on the diagonal); 3: its square; 4: Σ(xᵢ - xⱼ)²/(n - 1).
// Modes 0, 1 and 4 give 0 for a single row. False for another mode, a
// CovarMat smaller than the result, or an abort.
bool CalcCovar(const TMatrix& DataMat, TMatrix& CovarMat, int32_t LowCol, int32_t HighCol,
               int32_t LowRow, int32_t HighRow, int32_t Mode);

// Eigenvalues and eigenvectors of the symmetric Mat by cyclic Jacobi
// rotations (row order; thresholds 0.2·S/N² in the first three sweeps,
// negligible elements zeroed from the fifth), kept in the eigen storage in
// the order of Mat's diagonal (not sorted). Mat is overwritten with the
// rotated, nearly diagonal matrix. False, with nothing stored, for a
// matrix that is empty, not square, of order above 10000, not symmetric
// (to 1e-10 of its largest element) or not finite, when 100 sweeps do not
// converge, and on an abort. Raises "CalcEigVec: not enough memory".
bool CalcEigVec(TMatrix& Mat);
// Eigenvalue i for j = 0, component i of eigenvector j for j >= 1; 0
// outside 1..N or when nothing is stored.
double GetEigenResult(int32_t i, int32_t j);
int32_t GetEigenSize();
void RemoveEigenMatrix();

// CalcCovar with Mode, then CalcEigVec; with ScaleEigVals the eigenvalues
// become shares of the sum of their magnitudes (when that is not 0). The
// eigenvalues are then sorted descending, eigenvectors along. Raises what
// CalcEigVec raises; false when either step fails.
bool CalcPrincComp(const TMatrix& DataMat, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                   int32_t HighRow, int32_t Mode, bool ScaleEigVals = true);

// Moore–Penrose inverse V·W⁺·Uᵀ of Mat into PInv (resized to Mat's rows as
// columns and Mat's columns as rows). Singular values up to Threshold count
// as zero (0 chooses max(rows, columns)·σmax·1.2e-16; a negative threshold
// keeps every non-zero value). False for an empty or non-finite matrix, a
// NaN threshold, or no convergence.
bool PseudoInverse(const TMatrix& Mat, TMatrix& PInv, double Threshold);

// Thin singular value decomposition Mat = U·diag(W)·Vᵀ (Golub–Reinsch, at
// most 30 iterations per value): with k = min(rows, columns), U gets k
// columns × rows, W k elements in descending order, V k columns × Mat's
// columns rows. False for an empty or non-finite matrix or no convergence.
bool SingValDecomp(const TMatrix& Mat, TMatrix& U, TVector& W, TMatrix& V);
// The least-squares solution x = V·W⁺·Uᵀ·b of such a decomposition, with
// the singular values W[j] <= Threshold taken as zero; x is resized to
// V's rows. Raises "SingValEquSolve: dimensions do not match".
void SingValEquSolve(const TMatrix& U, const TVector& W, const TMatrix& V, const TVector& b,
                     double Threshold, TVector& x);

// ---------------------------------------------------------------------------
// Regressions; X holds objects in rows, Y one response per object.

// Least squares of Y on the columns of X (and a constant when
// WithIntercept): Coeffs[j] for column j, Coeffs[columns + 1] the
// intercept (0 without). FitQual is the coefficient of determination.
// Raises "MultiLinReg: dimensions do not match" and "MultiLinReg: not
// enough data points"; false when the decomposition fails.
bool MultiLinReg(const TMatrix& X, const TVector& Y, bool WithIntercept, TVector& Coeffs,
                 double& FitQual);
// Ridge regression: minimises |Y - X·b - b0|² + Lambda·|b|², the
// intercept b0 not penalised; Coeffs as MultiLinReg's. Raises
// "RidgeReg: dimensions do not match", "RidgeReg: not enough data points"
// and "RidgeReg: ridge parameter must not be negative".
bool RidgeReg(const TMatrix& X, const TVector& Y, double Lambda, TVector& Coeffs);
// The same on the columns standardised to mean 0 and standard deviation 1
// (constant columns only centred): Coeffs are those of the standardised
// variables, the intercept is the mean of Y; Means and StdDevs receive
// the columns' statistics.
bool RidgeRegStd(const TMatrix& X, const TVector& Y, double Lambda, TVector& Coeffs, TVector& Means,
                 TVector& StdDevs);
// Partial least squares by de Jong's SIMPLS with NumComps components on
// centred data: Y has one column per response; Coeffs is resized to
// responses × (columns of X + 1), column j holding the coefficients of
// response j for the variables and, last, its intercept. Raises
// "SimPLS: dimensions do not match" and "SimPLS: number of components is
// out of range" (allowed 1..min(objects - 1, variables)).
bool SimPLS(const TMatrix& X, const TMatrix& Y, int32_t NumComps, TMatrix& Coeffs);
// Cubic smoothing spline: minimises Σ(Y[i] - f(X[i]))² + Lambda·∫f''² over
// X strictly ascending (Reinsch). Fitted receives f(X[i]), Curv the second
// derivatives f''(X[i]) (natural ends: 0). Raises "PenalizedCubicSpline:
// dimensions do not match", "... not enough data points" (fewer than
// three), "... x values must be strictly ascending" and "... smoothing
// parameter must not be negative".
void PenalizedCubicSpline(const TVector& X, const TVector& Y, double Lambda, TVector& Fitted,
                          TVector& Curv);
// The spline of PenalizedCubicSpline at x; beyond the ends the end pieces
// continue. Raises "PenalizedCubicSplineValue: dimensions do not match".
double PenalizedCubicSplineValue(const TVector& X, const TVector& Fitted, const TVector& Curv,
                                 double x);

}  // namespace nuv
