// Window statistics, correlation, distance matrices, centring and sorting
// of TMatrix.
#include <algorithm>
#include <cmath>
#include <new>

#include "Nuv_vector_stats.h"
#include "nuv/Nuv_matrix.h"
#include "nuv/Nuv_univconst.h"

namespace nuv {

namespace {

// A vector element written without an event per element.
void Put(TVector* v, int32_t k, double x) {
  if (v != nullptr && k >= 1 && k <= v->NrOfElem()) v->Data()[k - 1] = x;
}

void Notify(TVector* v) {
  if (v != nullptr) v->Changed();
}

}  // namespace

double TMatrix::Sum(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow) const {
  return static_cast<double>(stats::Sum(Window(loCol, loRow, hiCol, hiRow)));
}

void TMatrix::MeanVar(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow, double& mean,
                      double& variance) const {
  stats::MeanVar(Window(loCol, loRow, hiCol, hiRow), mean, variance);
}

double TMatrix::GeometricMean(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow) const {
  double result = 0;
  if (!stats::GeometricMean(Window(loCol, loRow, hiCol, hiRow), result))
    Raise("negative argument passed to GeometricMean");
  return result;
}

double TMatrix::HarmonicMean(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow) const {
  double result = 0;
  if (!stats::HarmonicMean(Window(loCol, loRow, hiCol, hiRow), result))
    Raise("negative or zero argument passed to HarmonicMean");
  return result;
}

void TMatrix::SkewKurtIntern(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow,
                             double& skewness, double& kurtosis, int32_t& count) const {
  const stats::TShape shape = stats::SkewKurt(Window(loCol, loRow, hiCol, hiRow));
  skewness = shape.Skewness;
  kurtosis = shape.Kurtosis;
  count = shape.Count;
}

void TMatrix::SkewKurt(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow, double& skewness,
                       double& kurtosis) const {
  int32_t count = 0;
  SkewKurtIntern(loCol, loRow, hiCol, hiRow, skewness, kurtosis, count);
}

void TMatrix::SkewKurtSample(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow,
                             double& skewness, double& kurtosis) const {
  const stats::TShape shape =
      stats::SampleShape(stats::SkewKurt(Window(loCol, loRow, hiCol, hiRow)));
  skewness = shape.Skewness;
  kurtosis = shape.Kurtosis;
}

bool TMatrix::Quartiles(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow, double& q1,
                        double& q2, double& q3) const {
  const stats::TBlock<double> window = Window(loCol, loRow, hiCol, hiRow);
  if (window.Size() == 0) return false;
  try {
    const std::vector<double> sorted = stats::SortedCopy(window);
    stats::Quartiles(std::span<const double>(sorted), q1, q2, q3);
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  return true;
}

double TMatrix::Percentile(double p, int32_t loCol, int32_t loRow, int32_t hiCol,
                           int32_t hiRow) const {
  try {
    const std::vector<double> sorted = stats::SortedCopy(Window(loCol, loRow, hiCol, hiRow));
    return stats::Percentile(std::span<const double>(sorted), p);
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
}

void TMatrix::MinMax(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow, double& min,
                     double& max) const {
  if (!stats::MinMax(Window(loCol, loRow, hiCol, hiRow), min, max)) {
    min = static_cast<double>(uc_MaxReal);
    max = -static_cast<double>(uc_MaxReal);
  }
}

void TMatrix::Find(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow, double value,
                   int32_t& col, int32_t& row) const {
  const stats::TBlock<double> window = Window(loCol, loRow, hiCol, hiRow);
  const int64_t pos = stats::FindNearest(window, value);
  if (pos < 0) {
    col = row = 0;
    return;
  }
  MakeValidColRange(loCol, hiCol);
  MakeValidRowRange(loRow, hiRow);
  col = static_cast<int32_t>(loCol + pos / window.SegLength);
  row = static_cast<int32_t>(loRow + pos % window.SegLength);
}

bool TMatrix::Histogram(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow, double firstBin,
                        double lastBin, double binWidth, TIntVector& histo, int32_t& underflow,
                        int32_t& overflow, int32_t& maxCount) const {
  stats::THistogram histogram;
  if (!histogram.Setup(firstBin, lastBin, binWidth)) return false;
  if (loCol <= hiCol && loRow <= hiRow) {
    // The part of the window inside the matrix; the rest reads 0.
    const int32_t c0 = std::max(loCol, 1), c1 = std::min(hiCol, ncols_);
    const int32_t r0 = std::max(loRow, 1), r1 = std::min(hiRow, nrows_);
    uint64_t inside = 0;
    if (c0 <= c1 && r0 <= r1) {
      const stats::TBlock<double> part{At(c0, r0), int64_t{r1} - r0 + 1, ld_, int64_t{c1} - c0 + 1};
      part.ForEach([&](double x) { histogram.Add(x); });
      inside = static_cast<uint64_t>(part.Size());
    }
    const auto cols = static_cast<uint64_t>(int64_t{hiCol} - loCol + 1);
    const auto rows = static_cast<uint64_t>(int64_t{hiRow} - loRow + 1);
    histogram.Add(0.0, cols * rows - inside);
  }
  histogram.Store(histo, underflow, overflow, maxCount);
  return true;
}

void TMatrix::CenterLines(bool columns, bool standardize, TVector* means, TVector* stddevs) {
  const int32_t lines = columns ? ncols_ : nrows_;
  if (means) means->Resize(lines);
  if (stddevs && standardize) stddevs->Resize(lines);
  for (int32_t k = 1; k <= lines; ++k) {
    // Column k is one segment; row k one value in each column.
    double* first = columns ? At(k, 1) : data_.data() + (k - 1);
    const stats::TBlock<double> line = columns ? stats::TBlock<double>{first, nrows_, ld_, 1}
                                               : stats::TBlock<double>{first, 1, ld_, ncols_};
    double mean = 0, variance = 0;
    stats::MeanVar(line, mean, variance);
    const double stddev = std::sqrt(variance);
    const bool divide = standardize && variance > 0;
    for (int64_t s = 0; s < line.Segments; ++s)
      for (int64_t i = 0; i < line.SegLength; ++i) {
        double& x = first[s * line.Stride + i];
        x = divide ? (x - mean) / stddev : x - mean;
      }
    Put(means, k, mean);
    if (standardize) Put(stddevs, k, stddev);
  }
  Notify(means);
  if (standardize) Notify(stddevs);
  Changed();
}

void TMatrix::MeanCenterColumns(TVector* means) { CenterLines(true, false, means, nullptr); }

void TMatrix::MeanCenterRows(TVector* means) { CenterLines(false, false, means, nullptr); }

void TMatrix::StandardizeColumns(TVector* means, TVector* stddevs) {
  CenterLines(true, true, means, stddevs);
}

void TMatrix::StandardizeRows(TVector* means, TVector* stddevs) {
  CenterLines(false, true, means, stddevs);
}

int32_t TMatrix::FindInSortedColumn(int32_t col, bool ascending, double value) const {
  if (col < 1 || col > ncols_ || nrows_ == 0) return 0;
  return static_cast<int32_t>(stats::FindInSorted(At(col, 1), 1, nrows_, ascending, value) + 1);
}

double TMatrix::Correlate(const TMatrix& other) const {
  if (other.ncols_ != ncols_ || other.nrows_ != nrows_) Raise("matrices do not match");
  long double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
  for (int32_t c = 1; c <= ncols_; ++c) {
    const double *a = At(c, 1), *b = other.At(c, 1);
    for (int32_t r = 0; r < nrows_; ++r) {
      sa += a[r];
      sb += b[r];
      saa += static_cast<long double>(a[r]) * a[r];
      sbb += static_cast<long double>(b[r]) * b[r];
      sab += static_cast<long double>(a[r]) * b[r];
    }
  }
  const long double n = static_cast<long double>(ncols_) * nrows_;
  if (!(n > 2)) return 0;
  return static_cast<double>(stats::CorrelationOfSums(n, sa, sb, saa, sbb, sab));
}

int32_t TMatrix::CalcDistMat(TDistMode mode, TMatrix& distMat) {
  if (distMat.ncols_ != distMat.nrows_) return -1;
  if (distMat.nrows_ != nrows_) return -2;
  const int64_t n = nrows_;
  std::vector<double> dist, sab, sbb, sd;
  try {
    dist.assign(static_cast<std::size_t>(std::max<int64_t>(n * n, 1)), 0.0);
    sab.resize(static_cast<std::size_t>(n));
    sbb.resize(static_cast<std::size_t>(n));
    sd.resize(static_cast<std::size_t>(n));
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  const bool similarity = mode == dmJaccard || mode == dmDice;
  for (int64_t r1 = 0; r1 < n; ++r1) {
    // Row r1 against every later row at once, column by column.
    const int64_t len = n - r1 - 1;
    double saa = 0;
    std::fill_n(sab.begin(), len, 0.0);
    std::fill_n(sbb.begin(), len, 0.0);
    std::fill_n(sd.begin(), len, 0.0);
    if (mode != dmUserDef) {
      for (int32_t c = 1; c <= ncols_; ++c) {
        const double* col = At(c, 1);
        const double a = col[r1];
        const double* b = col + r1 + 1;
        if (similarity) {
          saa += a * a;
          for (int64_t k = 0; k < len; ++k) {
            sab[k] += a * b[k];
            sbb[k] += b[k] * b[k];
          }
        } else if (mode == dmManhattan) {
          for (int64_t k = 0; k < len; ++k) sd[k] += std::fabs(a - b[k]);
        } else {
          for (int64_t k = 0; k < len; ++k) sd[k] += (a - b[k]) * (a - b[k]);
        }
      }
    }
    for (int64_t k = 0; k < len; ++k) {
      const int64_t r2 = r1 + 1 + k;
      double d = 0;
      switch (mode) {
        case dmJaccard:
        case dmDice: {
          // Two zero rows are identical: similarity 1 instead of 0/0.
          const double den = mode == dmJaccard ? saa + sbb[k] - sab[k] : saa + sbb[k];
          d = den == 0 ? 1.0 : (mode == dmJaccard ? sab[k] : 2 * sab[k]) / den;
          break;
        }
        case dmManhattan:
        case dmEuclidSqr:
          d = sd[k];
          break;
        case dmEuclid:
          d = std::sqrt(sd[k]);
          break;
        case dmUserDef:
          if (OnCalcDistance)
            OnCalcDistance(this, static_cast<int32_t>(r1 + 1), static_cast<int32_t>(r2 + 1), d);
          break;
      }
      dist[r1 * n + r2] = dist[r2 * n + r1] = d;
    }
  }
  if (n > 0) std::copy(dist.begin(), dist.end(), distMat.data_.begin());  // distMat may be this
  distMat.Changed();
  return 0;
}

void TMatrix::SortRows(int32_t keyCol, bool ascending, int32_t loCol, int32_t loRow, int32_t hiCol,
                       int32_t hiRow) {
  MakeValidColRange(loCol, hiCol);
  MakeValidRowRange(loRow, hiRow);
  if (nrows_ == 0 || hiRow - loRow < 1) return;
  const bool keyOutside = keyCol >= 1 && keyCol <= ncols_ && (keyCol < loCol || keyCol > hiCol);
  const int32_t c0 = std::max(loCol, 1), c1 = std::min(hiCol, ncols_);
  stats::CombSort(
      loRow, hiRow, int64_t{hiRow} - loRow + 1,
      [&](int32_t i, int32_t j) {
        const double a = GetVal(keyCol, i), b = GetVal(keyCol, j);
        return ascending ? a > b : a < b;
      },
      [&](int32_t i, int32_t j) {
        for (int32_t c = c0; c <= c1; ++c) std::swap(*At(c, i), *At(c, j));
        if (keyOutside) std::swap(*At(keyCol, i), *At(keyCol, j));
        SortExchange(2, i, j, loCol, hiCol);
      });
  Changed();
}

void TMatrix::SortCols(int32_t keyRow, bool ascending, int32_t loCol, int32_t loRow, int32_t hiCol,
                       int32_t hiRow) {
  MakeValidColRange(loCol, hiCol);
  MakeValidRowRange(loRow, hiRow);
  if (ncols_ == 0 || hiCol - loCol < 1) return;
  const bool keyOutside = keyRow >= 1 && keyRow <= nrows_ && (keyRow < loRow || keyRow > hiRow);
  const int32_t r0 = std::max(loRow, 1), r1 = std::min(hiRow, nrows_);
  stats::CombSort(
      loCol, hiCol, int64_t{hiCol} - loCol + 1,
      [&](int32_t i, int32_t j) {
        const double a = GetVal(i, keyRow), b = GetVal(j, keyRow);
        return ascending ? a > b : a < b;
      },
      [&](int32_t i, int32_t j) {
        if (r0 <= r1) std::swap_ranges(At(i, r0), At(i, r1) + 1, At(j, r0));
        if (keyOutside) std::swap(*At(i, keyRow), *At(j, keyRow));
        SortExchange(1, i, j, loRow, hiRow);
      });
  Changed();
}

}  // namespace nuv
