// TCurveFit: a collection of (x, y) points with running sums, from which
// descriptive statistics, correlation and rank correlation, an analysis of
// variance and a family of regression fits are evaluated at any moment.
// Part of the unit Nuv_math2 (included by Nuv_math2.h).
#pragma once

#include <bitset>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class TMatrix;

// Recorded when a point made a transformed sum impossible: some x <= 0 (no
// ln x), some y <= 0, some |x| <= 1e-30 (no 1/x), some |y| <= 1e-30.
enum TCurveFitError : uint8_t { cfeXLE0, cfeYLE0, cfeXEQ0, cfeYEQ0 };
using TCurveFitErrors = std::bitset<4>;

// Points are kept in a 2-column TMatrix (x, y) that grows by 1000 rows; the
// running sums are extended precision. Fits raise ENUVMath2Error
// "<Fit>: not enough data points" when they lack points; degenerate data
// give 0 (or a fit quality of 1 for y without variance) instead.
class TCurveFit : public TComponent {
 public:
  explicit TCurveFit(TComponent* AOwner);
  ~TCurveFit() override;

  // Fired by Changed after every change of the points.
  TNotifyEvent OnChange;
  void Changed();

  // ---- data
  // Empties the collection; returns false.
  bool Init();
  void EnterStatValue(double x, double y);
  // Removes point i (1-based; others do nothing); the points behind it move
  // up.
  void RemoveStatValue(int32_t i);
  // Coordinates of point i, 0 outside 1..NumData.
  double GetDataX(int32_t i) const;
  double GetDataY(int32_t i) const;
  int32_t NumData() const { return count_; }
  const TCurveFitErrors& Errors() const { return errors_; }
  // Extremes of the points; 1.7e308 / -1.7e308 while empty.
  double MinX() const { return minX_; }
  double MaxX() const { return maxX_; }
  double MinY() const { return minY_; }
  double MaxY() const { return maxY_; }

  // ---- spline settings (each discards the cached splines)
  // Natural ends have zero curvature; otherwise the slopes Y1Dash / YNDash.
  void SetNatural1(bool v);
  void SetNaturalN(bool v);
  void SetY1Dash(double v);
  void SetYNDash(double v);
  // Weight p in [0, 1] of the data against the curvature in SmoothedSpline:
  // 1 interpolates, 0 gives the straight regression line.
  void SetSplineSmoothing(double v);

  // ---- descriptive statistics
  double GetMeanX() const;
  double GetMeanY() const;
  double GetMeanDiff() const;  // mean of x - y
  double GetStdDevX() const;
  double GetStdDevY() const;
  double GetStdDevDiff() const;
  double GetRxy() const;
  double GetSkewnessX() const;
  double GetSkewnessY() const;
  double GetKurtosisX() const;
  double GetKurtosisY() const;
  bool QuartilesX(double& Q1, double& Median, double& Q3) const;
  bool QuartilesY(double& Q1, double& Median, double& Q3) const;
  // Mean direction of the coordinates read as angles in degrees, in
  // [0, 360); 0 without data.
  double GetMeanXDegrees() const;
  double GetMeanYDegrees() const;
  double CalcMeanDegrees(int32_t Column) const;
  // Pairs of points that are concordant, discordant, tied in y only and
  // tied in x only (all 0 for fewer than three points); counted once and
  // kept until the points change.
  void BasicRankCounts(int64_t& Concordant, int64_t& Discordant, int64_t& TiedYOnly,
                       int64_t& TiedXOnly);
  // Rank correlation: Goodman-Kruskal gamma, Kendall's tau-b with its
  // two-sided significance, Spearman's rho. 0 when undefined (fewer than
  // three points, or all pairs tied).
  double GetKruskalGamma();
  double KendallsTau(double& Prob);
  double GetSpearman() const;
  void CalcStatistics(int32_t& NumData, double& MeanX, double& MeanY, double& StdDevX,
                      double& StdDevY, double& MeanDiff, double& StdDevDiff, double& r) const;
  // Analysis of variance of a regression with NumVars variables whose
  // observed values were entered as x and the estimates as y. Mean squares
  // of zero degrees of freedom are 0.
  void CalcAnovaReg(int32_t NumVars, bool WithIntercept, int32_t& DFReg, int32_t& DFRes,
                    int32_t& DFTot, double& SSRes, double& SSReg, double& SSTot, double& MSRes,
                    double& MSReg, double& FValue) const;

  // ---- fits (FitQual is the coefficient of determination)
  // y = k·x + d.
  void CalcLinFit(double& k, double& d, double& FitQual) const;
  // y = k0 + k1·x + k2·x².
  void CalcParabolFit(double& k0, double& k1, double& k2, double& FitQual) const;
  // y = Σ Coeffs[j]·x^j, j = 0..Order, by singular value decomposition.
  // The powers are taken of x mapped onto [-1, 1] and the design's columns
  // scaled, so that points far from 0 or in any units fit as well as near
  // 1; Coeffs are for the caller's x. Coeffs needs Order + 1 elements (else ENUVMath2Error);
  // Singular tells that a direction of the design was dropped (singular
  // value below 1e-14 of the largest). False when the decomposition fails
  // or there are no points.
  bool CalcPolyFit(uint8_t Order, std::span<double> Coeffs, double& FitQual, bool& Singular) const;
  // y = Σ Coeffs[j]·(x - XCenter)^j; an XCenter of 0 is replaced by the mean
  // of x.
  bool CalcCenteredPolyFit(uint8_t Order, std::span<double> Coeffs, double& XCenter,
                           double& FitQual, bool& Singular) const;
  // Least-squares circle (Kåsa). Collinear or coincident points raise
  // "CalcCircleFit: radius is infinite".
  void CalcCircleFit(double& Radius, double& CenterX, double& CenterY) const;
  // Linearised fits: least squares of the transformed values, taken about
  // their means. A transformation that some point rules out raises
  // ENUVMath2Error "<Fit>: x values must be positive" and the like.
  // y = p1·exp(-(x - p2)²/(2·p3²)) (ln y quadratic in x).
  void CalcGaussFit(double& p1, double& p2, double& p3, double& FitQual) const;
  // y = p1·p2^x·x^p3.
  void CalcHoerlFit(double& p1, double& p2, double& p3, double& FitQual) const;
  void CalcReciLinFit(double& k, double& d, double& FitQual) const;       // y = 1/(k·x + d)
  void CalcHyperbolFit(double& k, double& d, double& FitQual) const;      // y = k/x + d
  void CalcReciHyperbolFit(double& k, double& d, double& FitQual) const;  // y = x/(k + d·x)
  void CalcLogFit(double& k, double& d, double& FitQual) const;           // y = k·ln x + d
  void CalcReciLogFit(double& k, double& d, double& FitQual) const;       // y = 1/(k·ln x + d)
  void CalcPowerFit(double& k, double& d, double& FitQual) const;         // y = d·x^k
  void CalcExponentialFit(double& k, double& d, double& FitQual) const;   // y = d·e^(k·x)
  // Interpolating cubic spline through the points (sorted by x; x values
  // must differ) with natural or clamped ends, extrapolated by the end
  // pieces. Raises "CubicSpline: not enough data points" for fewer than two
  // points and "CubicSpline: x values must be distinct".
  double CubicSpline(double x);
  // Smoothing spline with the weight of SetSplineSmoothing; Ok is false for
  // fewer than three points or repeated x values.
  void SmoothedSpline(double x, double& y, bool& Ok);

  // ---- files
  // Writes the points as a two-column ASC table (x, y with Precision
  // decimals); file errors raise EInOutError.
  void ExportAsASC(const std::string& FileName, const std::string& Comment,
                   int32_t Precision) const;
  // Replaces the points by those of an ASC table: 0, a negative code of
  // ReadHeaderOfASC, -5 (a row attribute is not a number), -6 (a value is
  // missing or not a number) or -7 (fourth header flag set). A table with
  // other than two columns raises "TCurveFit.ImportASC: number of columns
  // must be 2 (is actually n).". On failure the points stay as they were.
  int32_t ImportASC(const std::string& FileName);

 private:
  struct TSums;
  struct TSpline;
  void AddToSums(double x, double y);
  void RecomputeSums();
  void Invalidate();
  void CountRankPairs();
  std::span<const double> XData() const;
  std::span<const double> YData() const;
  const TSpline& Spline();

  std::unique_ptr<TMatrix> data_;
  std::unique_ptr<TSums> sums_;
  int32_t count_ = 0;
  double minX_ = 0, maxX_ = 0, minY_ = 0, maxY_ = 0;
  TCurveFitErrors errors_;
  bool natural1_ = true, naturalN_ = true;
  double y1Dash_ = 0, ynDash_ = 0, smoothing_ = 0.5;
  std::unique_ptr<TSpline> spline_, smoothed_;
  bool rankValid_ = false;
  int64_t concordant_ = 0, discordant_ = 0, tiedYOnly_ = 0, tiedXOnly_ = 0;
};

}  // namespace nuv
