// Nearest neighbours, kernels, k-means, agglomerative clustering and the
// centre finder.
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "nuv/Nuv_math2.h"
#include "nuv/Nuv_matrix.h"

namespace nuv {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// The objects of rows lo..hi (1-based, valid) as a row-major block.
std::vector<double> RowBlock(const TMatrix& m, int32_t lo, int32_t hi) {
  const int64_t cols = m.NrOfColumns(), rows = int64_t{hi} - lo + 1;
  std::vector<double> block(static_cast<std::size_t>(rows * cols));
  for (int64_t c = 0; c < cols; ++c) {
    const double* col = m.Column(static_cast<int32_t>(c + 1)) + lo - 1;
    for (int64_t r = 0; r < rows; ++r) block[r * cols + c] = col[r];
  }
  return block;
}

double SquaredDistance(const double* a, const double* b, int64_t n) {
  double s = 0;
  for (int64_t i = 0; i < n; ++i) s += (a[i] - b[i]) * (a[i] - b[i]);
  return s;
}

// NaN sorts after every number.
bool Nearer(double a, double b) { return a < b || (std::isnan(b) && !std::isnan(a)); }

// The k smallest (distance, row) pairs seen so far, sorted; an equal
// distance goes behind those already held.
class TNearest {
 public:
  explicit TNearest(int32_t k) : k_(k) { items_.reserve(k + 1); }
  void Offer(double d, int32_t row) {
    if (static_cast<int32_t>(items_.size()) == k_ && !Nearer(d, items_.back().d)) return;
    auto at = std::upper_bound(items_.begin(), items_.end(), d,
                               [](double v, const TItem& it) { return Nearer(v, it.d); });
    items_.insert(at, {d, row});
    if (static_cast<int32_t>(items_.size()) > k_) items_.pop_back();
  }
  struct TItem {
    double d;
    int32_t row;
  };
  const std::vector<TItem>& Items() const { return items_; }

 private:
  int32_t k_;
  std::vector<TItem> items_;
};

void ValidRows(const TMatrix& m, int32_t& first, int32_t& last) {
  first = std::clamp(first, 1, std::max(1, m.NrOfRows()));
  last = std::clamp(last, 1, std::max(1, m.NrOfRows()));
  if (first > last) std::swap(first, last);
}

}  // namespace

// ---------------------------------------------------------------------------
// Nearest neighbours and kernels

void MeanDistanceKNN(const TMatrix& DataMat, int32_t k, int32_t FirstRow, int32_t LastRow,
                     TVector& MeanDists) {
  if (DataMat.NrOfRows() < 1) return;
  ValidRows(DataMat, FirstRow, LastRow);
  const int32_t count = LastRow - FirstRow + 1;
  k = std::clamp(k, 1, std::min(50, count));
  const int64_t cols = DataMat.NrOfColumns();
  const std::vector<double> x = RowBlock(DataMat, FirstRow, LastRow);
  if (MeanDists.NrOfElem() < LastRow) MeanDists.Resize(LastRow);
  for (int32_t r = 0; r < count; ++r) {
    TNearest nearest(k);
    for (int32_t s = 0; s < count; ++s)
      nearest.Offer(std::sqrt(SquaredDistance(x.data() + r * cols, x.data() + s * cols, cols)), s);
    long double sum = 0;
    for (const auto& it : nearest.Items()) sum += it.d;
    MeanDists.Data()[FirstRow + r - 1] = static_cast<double>(sum / k);
  }
  MeanDists.Changed();
}

void FindNearestNeighbors(int32_t k, const TMatrix& DataMat, int32_t FirstRow, int32_t LastRow,
                          const TVector& Target, TMatrix& NNResult, const TKnnDistFunc& DistFunc) {
  if (DataMat.NrOfRows() < 1) return;
  ValidRows(DataMat, FirstRow, LastRow);
  k = std::min({k, 100, LastRow - FirstRow + 1});
  if (k <= 0) return;
  const int32_t dims = std::min(Target.NrOfElem(), DataMat.NrOfColumns());
  std::vector<const double*> cols(dims);
  for (int32_t c = 0; c < dims; ++c) cols[c] = DataMat.Column(c + 1);
  TNearest nearest(k);
  for (int32_t r = FirstRow; r <= LastRow; ++r) {
    double d;
    if (DistFunc) {
      d = DistFunc(r);
    } else {
      double s = 0;
      for (int32_t c = 0; c < dims; ++c) {
        const double diff = Target.Data()[c] - cols[c][r - 1];
        s += diff * diff;
      }
      d = std::sqrt(s);
    }
    nearest.Offer(d, r);
  }
  if (NNResult.NrOfColumns() < 2 || NNResult.NrOfRows() < k)
    NNResult.Resize(std::max(2, NNResult.NrOfColumns()), std::max(k, NNResult.NrOfRows()));
  int32_t j = 1;
  for (const auto& it : nearest.Items()) {
    NNResult.Column(1)[j - 1] = it.row;
    NNResult.Column(2)[j - 1] = it.d;
    ++j;
  }
  NNResult.Changed();
}

void EstimateByKNN(const TMatrix& DataMat, const TVector& Response, int32_t k, TKnnWMode WMode,
                   double Param, const TVector& Target, double& Estimate, double& MeanDist) {
  if ((WMode == kwmLinear && !(Param > 0)) || std::isnan(Param))
    throw ENUVMath2Error("EstimateByKNN: parameter of the weighting must be positive");
  if (DataMat.NrOfRows() < 1) throw ENUVMath2Error("EstimateByKNN: not enough data points");
  k = std::clamp(k, 1, DataMat.NrOfRows());
  TMatrix nn(nullptr);
  FindNearestNeighbors(k, DataMat, 1, DataMat.NrOfRows(), Target, nn);
  k = std::min(k, nn.NrOfRows());
  const double* rows = nn.Column(1);
  const double* dist = nn.Column(2);
  auto response = [&](int32_t j) { return Response.GetVal(static_cast<int32_t>(rows[j])); };
  long double sum = 0;
  for (int32_t j = 0; j < k; ++j) sum += dist[j];
  MeanDist = static_cast<double>(sum / k);
  const double scale = MeanDist == 0 ? 0.001 : MeanDist;
  long double sw = 0, swr = 0;
  switch (WMode) {
    case kwmGauss:
      for (int32_t j = 0; j < k; ++j) {
        const double q = dist[j] * Param / scale, w = std::exp(-q * q);
        sw += w;
        swr += w * response(j);
      }
      // All weights underflowed: the nearest neighbour decides.
      Estimate = sw > 0 ? static_cast<double>(swr / sw) : response(0);
      return;
    case kwmAverage:
      for (int32_t j = 0; j < k; ++j) swr += response(j);
      Estimate = static_cast<double>(swr / k);
      return;
    case kwmMedian: {
      TVector values(nullptr);
      values.Resize(k);
      for (int32_t j = 0; j < k; ++j) values.Data()[j] = response(j);
      double q1 = 0, q3 = 0;
      values.Quartiles(1, k, q1, Estimate, q3);
      return;
    }
    case kwmLinear:
      for (int32_t j = 0; j < k; ++j) {
        const double w = 1 - dist[j] / scale / Param;
        if (!(w > 0)) continue;
        sw += w;
        swr += w * response(j);
      }
      Estimate = sw > 0 ? static_cast<double>(swr / sw) : 0;
      return;
  }
  Estimate = 0;
}

namespace {

double GaussKernel(double squared, double width) {
  if (!(width > 0)) throw ENUVMath2Error("CalcGaussKernel: width must be positive");
  return std::exp(-std::min(squared / (width * width), 20.0));
}

}  // namespace

double CalcGaussKernel(const TVector& VecA, const TVector& VecB, double Width) {
  const int32_t n = std::min(VecA.NrOfElem(), VecB.NrOfElem());
  return GaussKernel(SquaredDistance(VecA.Data(), VecB.Data(), n), Width);
}

double CalcGaussKernelMat(const TVector& Vec, const TMatrix& Mat, int32_t Row, double Width) {
  const int32_t n = std::min(Vec.NrOfElem(), Mat.NrOfColumns());
  double s = 0;
  for (int32_t c = 1; c <= n; ++c) {
    const double d = Vec.Data()[c - 1] - Mat.GetVal(c, Row);
    s += d * d;
  }
  return GaussKernel(s, Width);
}

// ---------------------------------------------------------------------------
// k-means

void kMeansClustering(const TMatrix& DataMat, int32_t /*i1*/, int32_t /*i2*/, int32_t NumClusters,
                      TMatrix& Centers, TIntVector& ClusterIDs) {
  const int32_t n = DataMat.NrOfRows(), dims = DataMat.NrOfColumns();
  if (NumClusters <= 0)
    throw ENUVMath2Error("kMeansClustering: number of clusters must be positive");
  if (NumClusters > n)
    throw ENUVMath2Error("kMeansClustering: number of clusters is greater than number of objects");
  if (Centers.NrOfColumns() != dims || Centers.NrOfRows() != n) Centers.Resize(dims, n);
  ClusterIDs.Resize(n);
  const int64_t k = NumClusters, d = dims;
  const std::vector<double> x = RowBlock(DataMat, 1, n);
  std::vector<double> centers(x.begin(), x.begin() + k * d);
  std::vector<long double> sums(static_cast<std::size_t>(k * d));
  std::vector<int64_t> counts(k);
  std::vector<int32_t> id(n, 0);
  bool stable = false;
  for (int32_t iter = 0; iter < 1000 && !stable; ++iter) {
    IncProcStat();
    stable = true;
    for (int64_t r = 0; r < n; ++r) {
      const double* xr = x.data() + r * d;
      int32_t best = 0;
      double bestD = SquaredDistance(xr, centers.data(), d);
      for (int64_t c = 1; c < k; ++c) {
        const double dist = SquaredDistance(xr, centers.data() + c * d, d);
        if (Nearer(dist, bestD)) {
          bestD = dist;
          best = static_cast<int32_t>(c);
        }
      }
      if (id[r] != best + 1) {
        id[r] = best + 1;
        stable = false;
      }
    }
    if (stable) break;
    std::fill(sums.begin(), sums.end(), 0.0L);
    std::fill(counts.begin(), counts.end(), 0);
    for (int64_t r = 0; r < n; ++r) {
      const int64_t c = id[r] - 1;
      ++counts[c];
      for (int64_t j = 0; j < d; ++j) sums[c * d + j] += x[r * d + j];
    }
    for (int64_t c = 0; c < k; ++c)
      for (int64_t j = 0; j < d; ++j)
        centers[c * d + j] = counts[c] ? static_cast<double>(sums[c * d + j] / counts[c]) : 0.0;
  }
  std::copy(id.begin(), id.end(), ClusterIDs.Data());
  ClusterIDs.Changed();
  for (int64_t j = 0; j < d; ++j) {
    double* col = Centers.Column(static_cast<int32_t>(j + 1));
    for (int64_t c = 0; c < k; ++c) col[c] = centers[c * d + j];
  }
  Centers.Changed();
  if (!stable) throw ENUVMath2Error("kMeansClustering: max. number of iterations exceeded");
}

// ---------------------------------------------------------------------------
// Agglomerative clustering

namespace {

// Lance–Williams update of D(q, l) after merging p and q.
double MergedDistance(TClusterMethod method, double alpha, double dpl, double dql, double dpq,
                      double np, double nq, double nl) {
  switch (method) {
    case cmSingleLink:
      return std::min(dpl, dql);
    case cmCompleteLink:
      return std::max(dpl, dql);
    case cmWard:
      return ((np + nl) * dpl + (nq + nl) * dql - nl * dpq) / (np + nq + nl);
    case cmAvgLink:
      return (dpl + dql) / 2;
    case cmFlexLink:
      return alpha * (dpl + dql) + (1 - 2 * alpha) * dpq;
    case cmUpgma:
      return (np * dpl + nq * dql) / (np + nq);
  }
  return dpl;
}

// The working state: the full distance matrix (column l holds D(·, l)),
// live slots, identifiers, sizes and per slot p the first smallest D(p, q)
// over live q > p, which keeps the search for the closest pair linear.
class TAgglomeration {
 public:
  TAgglomeration(std::vector<double> dist, int32_t n)
      : n_(n), d_(std::move(dist)), live_(n, true), id_(n), size_(n, 1.0), rowMin_(n), rowArg_(n) {
    for (int32_t i = 0; i < n; ++i) id_[i] = i + 1;
    for (int32_t p = 0; p < n; ++p) RescanRow(p);
  }

  // Finds the pair, merges it and returns (id p, id q, distance).
  void Step(TClusterMethod method, double alpha, int32_t newId, int32_t& idP, int32_t& idQ,
            double& dist) {
    int32_t p = -1;
    for (int32_t i = 0; i < n_; ++i)
      if (live_[i] && rowArg_[i] >= 0 && (p < 0 || Nearer(rowMin_[i], rowMin_[p]))) p = i;
    const int32_t q = rowArg_[p];
    dist = D(p, q);
    idP = id_[p];
    idQ = id_[q];
    const double np = size_[p], nq = size_[q];
    for (int32_t l = 0; l < n_; ++l) {
      if (!live_[l] || l == p || l == q) continue;
      const double v = MergedDistance(method, alpha, D(p, l), D(q, l), dist, np, nq, size_[l]);
      At(q, l) = At(l, q) = v;
    }
    live_[p] = false;
    id_[q] = newId;
    size_[q] = np + nq;
    // Rows before q see a changed D(l, q) and may have pointed at p.
    for (int32_t l = 0; l < q; ++l) {
      if (!live_[l]) continue;
      if (rowArg_[l] == p || rowArg_[l] == q)
        RescanRow(l);
      else if (rowArg_[l] < 0 || Nearer(D(l, q), rowMin_[l]) ||
               (D(l, q) == rowMin_[l] && q < rowArg_[l])) {
        rowMin_[l] = D(l, q);
        rowArg_[l] = q;
      }
    }
    RescanRow(q);
  }

 private:
  double D(int32_t a, int32_t b) const { return d_[static_cast<std::size_t>(b) * n_ + a]; }
  double& At(int32_t a, int32_t b) { return d_[static_cast<std::size_t>(b) * n_ + a]; }
  void RescanRow(int32_t p) {
    rowArg_[p] = -1;
    rowMin_[p] = kInf;
    const double* col = d_.data() + static_cast<std::size_t>(p) * n_;  // D(q, p) = D(p, q)
    for (int32_t q = p + 1; q < n_; ++q)
      if (live_[q] && (rowArg_[p] < 0 || Nearer(col[q], rowMin_[p]))) {
        rowMin_[p] = col[q];
        rowArg_[p] = q;
      }
  }

  int32_t n_;
  std::vector<double> d_;
  std::vector<bool> live_;
  std::vector<int32_t> id_;
  std::vector<double> size_;
  std::vector<double> rowMin_;
  std::vector<int32_t> rowArg_;
};

// Leaf order of the dendrogram: from the last merge (first, second), every
// cluster replaced by its second member followed by its first.
std::vector<int32_t> LeafOrder(const TIntMatrix& merges, int32_t n) {
  std::vector<int32_t> order, stack{merges.GetVal(2, n - 1), merges.GetVal(1, n - 1)};
  order.reserve(n);
  while (!stack.empty()) {
    const int32_t id = stack.back();
    stack.pop_back();
    if (id <= n) {
      order.push_back(id);
      continue;
    }
    stack.push_back(merges.GetVal(1, id - n));
    stack.push_back(merges.GetVal(2, id - n));
  }
  return order;
}

// Restores the matrix's distance event when the clustering ends.
class TDistEventScope {
 public:
  TDistEventScope(TMatrix& m, const TOnCalcDistanceEvent& e) : m_(m), saved_(m.OnCalcDistance) {
    m_.OnCalcDistance = e;
  }
  ~TDistEventScope() { m_.OnCalcDistance = saved_; }
  TDistEventScope(const TDistEventScope&) = delete;
  TDistEventScope& operator=(const TDistEventScope&) = delete;

 private:
  TMatrix& m_;
  TOnCalcDistanceEvent saved_;
};

}  // namespace

int32_t AgglomClustering(TObject* Sender, TMatrix& DataMat, TDistMode DistMode,
                         TClusterMethod Method, double Alpha, TIntMatrix& ClustResult,
                         TVector& ClustDist, TVector& XCoords, const TClusterFeedback& Feedback,
                         const TOnCalcDistanceEvent& OnCalcDist) {
  const int32_t n = DataMat.NrOfRows();
  if (n < 1 || DataMat.NrOfColumns() < 1)
    throw ENUVMath2Error("AgglomClustering: there are no objects");
  AbortMathProc = false;
  if (Feedback) Feedback(Sender, ProcStat, 0);
  if (!(Alpha >= 0.5))
    Alpha = 0.75;
  else if (Alpha > 1)
    Alpha = 1.0;
  std::vector<double> dist;
  {
    TMatrix dm(nullptr);
    dm.Resize(n, n);
    TDistEventScope scope(DataMat, OnCalcDist);
    DataMat.CalcDistMat(DistMode, dm);
    try {
      dist.resize(static_cast<std::size_t>(n) * n);
    } catch (const std::bad_alloc&) {
      throw ENUVMath2Error("AgglomClustering: not enough memory");
    }
    for (int32_t c = 0; c < n; ++c) std::copy_n(dm.Column(c + 1), n, dist.data() + int64_t{c} * n);
  }
  // Similarity coefficients become distances.
  if (DistMode == dmJaccard || DistMode == dmDice)
    for (double& v : dist) v = 1 - v;
  ClustResult.Resize(3, n - 1);
  ClustDist.Resize(std::max(1, n - 1));
  ClustDist.Clear();
  XCoords.Resize(2 * n - 1);
  if (n == 1) {
    XCoords.SetVal(1, 1);
    return 0;
  }
  TAgglomeration work(std::move(dist), n);
  for (int32_t k = 1; k < n; ++k) {
    if (AbortMathProc) {
      ClustDist.Clear();
      XCoords.Clear();
      ClustResult.Fill(0);
      return -1;
    }
    IncProcStat();
    if (Feedback) Feedback(Sender, ProcStat, 100.0 * k / n);
    int32_t idP = 0, idQ = 0;
    double d = 0;
    work.Step(Method, Alpha, n + k, idP, idQ, d);
    ClustResult.SetVal(1, k, idP);
    ClustResult.SetVal(2, k, idQ);
    ClustResult.SetVal(3, k, n + k);
    ClustDist.Data()[k - 1] = d;
  }
  ClustDist.Changed();
  const std::vector<int32_t> order = LeafOrder(ClustResult, n);
  double* x = XCoords.Data();
  for (int32_t pos = 0; pos < n; ++pos) x[order[pos] - 1] = pos + 1;
  for (int32_t k = 1; k < n; ++k)
    x[n + k - 1] = (x[ClustResult.GetVal(1, k) - 1] + x[ClustResult.GetVal(2, k) - 1]) / 2;
  XCoords.Changed();
  return 0;
}

// ---------------------------------------------------------------------------
// Centre finder

void FindCenters(const TMatrix& DataMat, int32_t i1, int32_t i2, int32_t i3, TMatrix& Centers,
                 double& d) {
  int32_t first = i2, last = i3;
  ValidRows(DataMat, first, last);
  const int32_t count = DataMat.NrOfRows() < 1 ? 0 : last - first + 1;
  if (!(i1 >= 1 && i1 <= count))
    throw ENUVMath2Error("FindCenters: number of centres is out of range");
  const int64_t dims = DataMat.NrOfColumns();
  const std::vector<double> x = RowBlock(DataMat, first, last);
  std::vector<double> mean(dims, 0.0);
  for (int32_t r = 0; r < count; ++r)
    for (int64_t c = 0; c < dims; ++c) mean[c] += x[r * dims + c] / count;
  // nearest[r]: squared distance of object r from the centres chosen.
  std::vector<double> nearest(count);
  for (int32_t r = 0; r < count; ++r)
    nearest[r] = SquaredDistance(x.data() + r * dims, mean.data(), dims);
  std::vector<int32_t> chosen{static_cast<int32_t>(
      std::min_element(nearest.begin(), nearest.end(), Nearer) - nearest.begin())};
  auto update = [&](int32_t centre) {
    for (int32_t r = 0; r < count; ++r)
      nearest[r] = std::min(nearest[r],
                            SquaredDistance(x.data() + r * dims, x.data() + centre * dims, dims));
  };
  std::fill(nearest.begin(), nearest.end(), kInf);
  update(chosen[0]);
  while (static_cast<int32_t>(chosen.size()) < i1) {
    const auto far = std::max_element(nearest.begin(), nearest.end(),
                                      [](double a, double b) { return Nearer(a, b); });
    chosen.push_back(static_cast<int32_t>(far - nearest.begin()));
    update(chosen.back());
  }
  d = std::sqrt(*std::max_element(nearest.begin(), nearest.end(), Nearer));
  Centers.Resize(static_cast<int32_t>(dims), i1);
  for (int64_t c = 0; c < dims; ++c)
    for (int32_t j = 0; j < i1; ++j)
      Centers.Column(static_cast<int32_t>(c + 1))[j] = x[chosen[j] * dims + c];
  Centers.Changed();
}

}  // namespace nuv
