// Range statistics, covariance and correlation, standardisation and the
// fingerprints of the data table (Nuv_datatable).
#include <algorithm>
#include <bitset>
#include <cmath>
#include <new>
#include <span>

#include "Nuv_datatable_parts.h"
#include "Nuv_matrix_kernels.h"
#include "Nuv_vector_stats.h"
#include "nuv/Nuv_datatable.h"
#include "nuv/Nuv_dstruct.h"
#include "nuv/Nuv_math1.h"
#include "nuv/Nuv_univconst.h"

namespace nuv {

using datatable::IsNumberState;
using datatable::kMarkBits;
using stats::MakeValidRange;

namespace {

stats::TBlock<double> Block(const std::vector<double>& v) {
  return stats::Contiguous(v.data(), static_cast<int64_t>(v.size()));
}

// Sums over the n rows shared by two columns, of the values as the mode
// takes them (centred for modes 1 to 3, differences for mode 4).
struct TPairSums {
  int64_t N = 0;
  long double Sxy = 0, Sx = 0, Sy = 0, Sxx = 0, Syy = 0;
};

double CovarEntry(int32_t mode, const TPairSums& s) {
  if (mode == 0 || mode == 1 || mode == 4)
    return s.N < 2 ? 0.0 : static_cast<double>(s.Sxy / (s.N - 1));
  if (s.N <= 2) return 0;
  const long double ssx = s.Sxx - s.Sx * s.Sx / s.N, ssy = s.Syy - s.Sy * s.Sy / s.N;
  if (!(ssx > 0) || !(ssy > 0)) return 0;
  const long double r = (s.Sxy - s.Sx * s.Sy / s.N) / std::sqrt(ssx * ssy);
  return static_cast<double>(mode == 3 ? r * r : r);
}

// Without values min and max stay at uc_MaxReal and -uc_MaxReal.
int64_t MinMaxOf(const std::vector<double>& values, double& min, double& max) {
  min = static_cast<double>(uc_MaxReal);
  max = -static_cast<double>(uc_MaxReal);
  stats::MinMax(Block(values), min, max);
  return static_cast<int64_t>(values.size());
}

// The sums over the rows lo..hi (0-based, exclusive hi) in which both
// columns hold numbers.
TPairSums PairSums(const double* xi, const double* xj, const uint8_t* si, const uint8_t* sj,
                   int32_t lo, int32_t hi, int32_t mode, double mi, double mj) {
  TPairSums s;
  for (int32_t row = lo; row < hi; ++row) {
    if (!IsNumberState(si[row]) || !IsNumberState(sj[row])) continue;
    long double a = xi[row], b = xj[row];
    if (mode == 4) {
      a -= b;
      b = a;
    } else if (mode != 0) {
      a -= mi;
      b -= mj;
    }
    ++s.N;
    s.Sxy += a * b;
    s.Sx += a;
    s.Sy += b;
    s.Sxx += a * a;
    s.Syy += b * b;
  }
  return s;
}

}  // namespace

TDataTable::TRange TDataTable::ValidRange(int32_t loCol, int32_t loRow, int32_t hiCol,
                                          int32_t hiRow) const {
  MakeValidRange(loCol, hiCol, ncols_);
  MakeValidRange(loRow, hiRow, nrows_);
  return {loCol, loRow, hiCol, hiRow};
}

// ---------------------------------------------------------------------------
// Counting and collecting

std::vector<double> TDataTable::NumCellValues(const TRange& r, uint8_t markMask,
                                              bool marked) const {
  const uint8_t mask = markMask & kMarkBits;
  std::vector<double> values;
  ForEachCell(
      r,
      [&](int32_t c, uint8_t s) {
        return IsNumColumn(c) && IsNumberState(s) && (!marked || (s & mask) != 0);
      },
      [&](int32_t, double x, uint8_t) { values.push_back(x); });
  return values;
}

template <class Filter>
int64_t TDataTable::CountCells(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow,
                               Filter&& pass) const {
  int64_t n = 0;
  ForEachCell(ValidRange(loCol, loRow, hiCol, hiRow), pass, [&](int32_t, double, uint8_t) { ++n; });
  return n;
}

int64_t TDataTable::CountNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                  int32_t HighRow) const {
  return CountCells(LowCol, LowRow, HighCol, HighRow,
                    [&](int32_t c, uint8_t s) { return IsNumColumn(c) && IsNumberState(s); });
}

int64_t TDataTable::CountValidCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                    int32_t HighRow) const {
  return CountCells(LowCol, LowRow, HighCol, HighRow,
                    [](int32_t, uint8_t s) { return IsNumberState(s); });
}

int64_t TDataTable::CountEmptyCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                    int32_t HighRow) const {
  return CountCells(LowCol, LowRow, HighCol, HighRow,
                    [](int32_t, uint8_t s) { return (s & cellEmpty) != 0; });
}

int64_t TDataTable::CountImputedCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                      int32_t HighRow) const {
  return CountCells(LowCol, LowRow, HighCol, HighRow,
                    [](int32_t, uint8_t s) { return (s & cellImputed) != 0; });
}

// ---------------------------------------------------------------------------
// Sums, extremes, moments

double TDataTable::SumOfNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                                 int64_t& Count) const {
  return SumOfMarked(ValidRange(LowCol, LowRow, HighCol, HighRow), 0, false, Count);
}

double TDataTable::SumOfMarkedCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                    int32_t HighRow, uint8_t Mask, int64_t& Count) const {
  return SumOfMarked(ValidRange(LowCol, LowRow, HighCol, HighRow), Mask, true, Count);
}

double TDataTable::SumOfMarked(const TRange& r, uint8_t mask, bool marked, int64_t& count) const {
  const std::vector<double> values = CollectNum(r, mask, marked);
  count = static_cast<int64_t>(values.size());
  return static_cast<double>(stats::Sum(Block(values)));
}

int64_t TDataTable::MinMaxOfNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                     int32_t HighRow, double& Min, double& Max) const {
  return MinMaxOf(CollectNum(ValidRange(LowCol, LowRow, HighCol, HighRow), 0, false), Min, Max);
}

int64_t TDataTable::MinMaxOfMarkedCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                        int32_t HighRow, uint8_t Mask, double& Min,
                                        double& Max) const {
  return MinMaxOf(CollectNum(ValidRange(LowCol, LowRow, HighCol, HighRow), Mask, true), Min, Max);
}

int64_t TDataTable::MinMaxOfValidCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                       int32_t HighRow, double& Min, double& Max) const {
  std::vector<double> values;
  try {
    ForEachCell(
        ValidRange(LowCol, LowRow, HighCol, HighRow),
        [](int32_t, uint8_t s) { return IsNumberState(s); },
        [&](int32_t c, double x, uint8_t) {
          values.push_back(IsCategorial(c) ? std::nearbyint(x) : x);
        });
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  return MinMaxOf(values, Min, Max);
}

int64_t TDataTable::MeanVarOfNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                      int32_t HighRow, double& Mean, double& Variance) const {
  const std::vector<double> values =
      CollectNum(ValidRange(LowCol, LowRow, HighCol, HighRow), 0, false);
  stats::MeanVar(Block(values), Mean, Variance);
  return static_cast<int64_t>(values.size());
}

int64_t TDataTable::MeanVarOfMarkedCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                         int32_t HighRow, uint8_t Mask, double& Mean,
                                         double& Variance) const {
  const std::vector<double> values =
      CollectNum(ValidRange(LowCol, LowRow, HighCol, HighRow), Mask, true);
  stats::MeanVar(Block(values), Mean, Variance);
  return static_cast<int64_t>(values.size());
}

double TDataTable::GeometricMeanOfNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                           int32_t HighRow, int64_t& Count) const {
  const std::vector<double> values =
      CollectNum(ValidRange(LowCol, LowRow, HighCol, HighRow), 0, false);
  double result = 0;
  if (!stats::GeometricMean(Block(values), result))
    RaiseComponentError<ENUVMatrixError>(*this, "negative argument passed to GeometricMean");
  Count = std::count_if(values.begin(), values.end(), [](double x) { return x > 0; });
  return result;
}

double TDataTable::HarmonicMeanOfNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                          int32_t HighRow, int64_t& Count) const {
  const std::vector<double> values =
      CollectNum(ValidRange(LowCol, LowRow, HighCol, HighRow), 0, false);
  double result = 0;
  if (!stats::HarmonicMean(Block(values), result))
    RaiseComponentError<ENUVMatrixError>(*this, "negative or zero argument passed to HarmonicMean");
  Count = static_cast<int64_t>(values.size());
  return result;
}

std::vector<double> TDataTable::CollectNum(const TRange& r, uint8_t mask, bool marked) const {
  try {
    return NumCellValues(r, mask, marked);
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
}

// ---------------------------------------------------------------------------
// Order statistics

bool TDataTable::QuartilesOfNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                     int32_t HighRow, double& Q1, double& Median, double& Q3,
                                     int64_t& Count) const {
  std::vector<double> values = CollectNum(ValidRange(LowCol, LowRow, HighCol, HighRow), 0, false);
  SortArray(std::span<double>(values), true);
  stats::Quartiles(std::span<const double>(values), Q1, Median, Q3);
  Count = static_cast<int64_t>(values.size());
  return true;
}

double TDataTable::PercentileOfNumCells(double Percentile, int32_t LowCol, int32_t LowRow,
                                        int32_t HighCol, int32_t HighRow, int64_t& Count) const {
  return PercentileOf(Percentile, ValidRange(LowCol, LowRow, HighCol, HighRow), 0, false, Count);
}

double TDataTable::PercentileOfMarkedCells(double Percentile, int32_t LowCol, int32_t LowRow,
                                           int32_t HighCol, int32_t HighRow, uint8_t Mask,
                                           int64_t& Count) const {
  return PercentileOf(Percentile, ValidRange(LowCol, LowRow, HighCol, HighRow), Mask, true, Count);
}

double TDataTable::PercentileOf(double p, const TRange& r, uint8_t mask, bool marked,
                                int64_t& count) const {
  std::vector<double> values;
  try {
    values = NumCellValues(r, mask, marked);
  } catch (const std::bad_alloc&) {
    RaiseComponentError<ENUVMatrixError>(*this, "not enough memory on heap");
  }
  SortArray(std::span<double>(values), true);
  count = static_cast<int64_t>(values.size());
  return stats::Percentile(std::span<const double>(values), p);
}

// ---------------------------------------------------------------------------
// Covariance and correlation

bool TDataTable::ColumnIsDense(int32_t col, int32_t loRow, int32_t hiRow) const {
  if (!IsNumColumn(col)) return false;
  const uint8_t* s = StatesOf(col);
  uint8_t any = 0;
  for (int32_t row = loRow - 1; row < hiRow; ++row) any |= s[row];
  return !(any & (cellNotANumber | cellEmpty));
}

// The pair sums of a column range as products of its columns: V holds the
// shifted Num cells (0 elsewhere), M their presence (1 or 0), so that sums
// over the rows two columns share become sums over all rows:
//   G = VᵀV   Σ (xi - shift i)(xj - shift j)         lower triangle
//   N = MᵀM   number of shared rows                   lower triangle
//   S = VᵀM   S(i, j) = Σ over rows shared with j of (xi - shift i)
//   Q = V²ᵀM  the same of the squares
// Without missing cells M, N, S and Q are not needed: N is the row count,
// S(i, j) the column sum Sums[i] and Q(i, j) = G(i, i). All m × m,
// column-major.
struct TDataTable::TGram {
  bool Masked = false;
  std::vector<double> G, N, S, Q, Sums;

  TPairSums Pair(int64_t m, int64_t i, int64_t j, int64_t rows) const {
    const auto lower = [m](int64_t a, int64_t b) { return std::min(a, b) * m + std::max(a, b); };
    if (!Masked) return {rows, G[lower(i, j)], Sums[i], Sums[j], G[i * m + i], G[j * m + j]};
    TPairSums p{static_cast<int64_t>(N[lower(i, j)]), G[lower(i, j)]};
    if (!S.empty()) {
      p.Sx = S[j * m + i];
      p.Sy = S[i * m + j];
      p.Sxx = Q[j * m + i];
      p.Syy = Q[i * m + j];
    }
    return p;
  }
};

namespace {

// C += AᵀB of the m columns of kb values in a and b (adjacent, column by
// column), for the whole m × m result or its lower triangle. The lower
// triangle goes panel by panel of result columns, from the diagonal down.
void ProductOfColumns(int64_t m, int64_t kb, const double* a, const double* b, double* c,
                      bool lower) {
  constexpr int64_t kPanel = 12;
  if (!lower) {
    matrix::GemmAcc(m, m, kb, a, kb, 1, b, 1, kb, c, m, false);
    return;
  }
  for (int64_t j0 = 0; j0 < m; j0 += kPanel)
    matrix::GemmAcc(m - j0, std::min(kPanel, m - j0), kb, a + j0 * kb, kb, 1, b + j0 * kb, 1, kb,
                    c + j0 * m + j0, m, false);
}

}  // namespace

// The rows pass in blocks that stay in cache, each block prepared once and
// multiplied by the matrix kernel.
void TDataTable::GramOfColumns(const TRange& r, const std::vector<double>& shift, bool masked,
                               bool sums, TGram& g) const {
  constexpr int64_t kBlockRows = 512;
  const int64_t m = r.HiCol - r.LoCol + 1, cells = m * m;
  const bool squares = masked && sums;
  std::vector<double> v(static_cast<std::size_t>(kBlockRows * m));
  std::vector<double> present(masked ? v.size() : 0), v2(squares ? v.size() : 0);
  g.Masked = masked;
  g.G.assign(cells, 0.0);
  g.N.assign(masked ? cells : 0, 0.0);
  g.S.assign(squares ? cells : 0, 0.0);
  g.Q.assign(squares ? cells : 0, 0.0);
  g.Sums.assign(m, 0.0);
  for (int64_t r0 = r.LoRow - 1; r0 < r.HiRow; r0 += kBlockRows) {
    const int64_t kb = std::min<int64_t>(kBlockRows, r.HiRow - r0);
    for (int64_t j = 0; j < m; ++j) {
      const auto col = static_cast<int32_t>(r.LoCol + j);
      const double* x = data_->Column(col) + r0;
      const uint8_t* state = StatesOf(col) + r0;
      const bool numeric = IsNumColumn(col);
      double* dst = v.data() + j * kb;
      double sum = 0;
      for (int64_t p = 0; p < kb; ++p) {
        dst[p] = x[p] - shift[j];
        if (masked) {
          const bool num = numeric && IsNumberState(state[p]);
          present[j * kb + p] = num;
          if (!num) dst[p] = 0;
          if (squares) v2[j * kb + p] = dst[p] * dst[p];
        }
        sum += dst[p];
      }
      g.Sums[j] += sum;
    }
    ProductOfColumns(m, kb, v.data(), v.data(), g.G.data(), true);
    if (!masked) continue;
    ProductOfColumns(m, kb, present.data(), present.data(), g.N.data(), true);
    if (!squares) continue;
    ProductOfColumns(m, kb, v.data(), present.data(), g.S.data(), false);
    ProductOfColumns(m, kb, v2.data(), present.data(), g.Q.data(), false);
  }
}

bool TDataTable::CalcCovar(TMatrix& CovarMat, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                           int32_t HighRow, int32_t Mode) {
  const TRange r = ValidRange(LowCol, LowRow, HighCol, HighRow);
  const int32_t m = r.HiCol - r.LoCol + 1;
  if (Mode < 0 || Mode > 4 || CovarMat.NrOfColumns() < m || CovarMat.NrOfRows() < m) return false;
  AbortMathProc = false;

  const int64_t rows = int64_t{r.HiRow} - r.LoRow + 1;
  std::vector<double> means(m, 0.0), result;
  try {
    result.assign(static_cast<std::size_t>(m) * m, 0.0);
    bool dense = true;
    for (int32_t j = 0; j < m; ++j) {
      const int32_t col = r.LoCol + j;
      const bool full = ColumnIsDense(col, r.LoRow, r.HiRow);
      dense = dense && full;
      if (Mode < 1 || Mode > 3) continue;
      double variance = 0;
      if (full)
        means[j] = static_cast<double>(
            stats::Sum(stats::Contiguous(data_->Column(col) + r.LoRow - 1, rows)) / rows);
      else
        MeanVarOfNumCells(col, r.LoRow, col, r.HiRow, means[j], variance);
    }
    // The squared differences of mode 4 are summed pair by pair, as their
    // expansion into products would cancel.
    TGram gram;
    if (Mode != 4) GramOfColumns(r, means, !dense, Mode == 2 || Mode == 3, gram);

    for (int32_t i = 0; i < m; ++i) {
      if (AbortMathProc) return false;
      for (int32_t j = i; j < m; ++j) {
        const int32_t ci = r.LoCol + i, cj = r.LoCol + j;
        TPairSums s;
        if (Mode != 4)
          s = gram.Pair(m, i, j, rows);
        else if (IsNumColumn(ci) && IsNumColumn(cj))
          s = PairSums(data_->Column(ci), data_->Column(cj), StatesOf(ci), StatesOf(cj),
                       r.LoRow - 1, r.HiRow, Mode, means[i], means[j]);
        result[static_cast<std::size_t>(j) * m + i] = result[static_cast<std::size_t>(i) * m + j] =
            CovarEntry(Mode, s);
      }
      if (Mode == 2 || Mode == 3) result[static_cast<std::size_t>(i) * m + i] = 1.0;
      IncProcStat();
    }
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  for (int32_t j = 0; j < m; ++j)
    std::copy_n(result.data() + static_cast<std::size_t>(j) * m, m, CovarMat.Column(j + 1));
  CovarMat.Changed();
  return true;
}

// ---------------------------------------------------------------------------
// Standardisation and centring

void TDataTable::StandardizeNumCellColumns(TVector* Means, TVector* StdDevs) {
  TransformColumns(true, Means, StdDevs);
}

void TDataTable::MeanCenterNumCellColumns(TVector* Means) {
  TransformColumns(false, Means, nullptr);
}

void TDataTable::TransformColumns(bool standardize, TVector* means, TVector* stddevs) {
  bool changed = !standardize;
  if (means) means->Resize(ncols_);
  if (stddevs) stddevs->Resize(ncols_);
  {
    TPause pause(*this, evData);
    for (int32_t c = 1; c <= ncols_; ++c) {
      if (!IsNumColumn(c)) continue;
      double mean = 0, variance = 0;
      MeanVarOfNumCells(c, 1, c, nrows_, mean, variance);
      const double sd = std::sqrt(variance);
      if (means) means->SetVal(c, mean);
      if (stddevs) stddevs->SetVal(c, sd);
      const bool scale = standardize && variance > 0;
      if (standardize && !scale) continue;
      changed = true;
      double* x = data_->Column(c);
      const uint8_t* s = StatesOf(c);
      for (int32_t r = 0; r < nrows_; ++r)
        if (IsNumberState(s[r])) x[r] = scale ? (x[r] - mean) / sd : x[r] - mean;
    }
  }
  if (changed) ChangedData();
}

void TDataTable::StandardizeNumCellRows(TVector* Means, TVector* StdDevs) {
  if (!ListOfCategorialVars().empty())
    throw ENUVDataTableError(
        "standardization of rows is not possible with nominal or ordinal variables");
  TransformRows(true, Means, StdDevs);
}

void TDataTable::MeanCenterNumCellRows(TVector* Means) {
  if (!ListOfCategorialVars().empty())
    throw ENUVDataTableError(
        "mean centering of rows is not possible with nominal or ordinal variables");
  TransformRows(false, Means, nullptr);
}

void TDataTable::TransformRows(bool standardize, TVector* means, TVector* stddevs) {
  if (means) means->Resize(nrows_);
  if (stddevs) stddevs->Resize(nrows_);
  {
    TPause pause(*this, evData);
    for (int32_t r = 1; r <= nrows_; ++r) {
      double mean = 0, variance = 0;
      MeanVarOfNumCells(1, r, ncols_, r, mean, variance);
      const double sd = std::sqrt(variance);
      if (means) means->SetVal(r, mean);
      if (stddevs) stddevs->SetVal(r, sd);
      const bool scale = standardize && variance > 0;
      for (int32_t c = 1; c <= ncols_; ++c) {
        if (!IsNumberState(states_[CellIndex(c, r)])) continue;
        double& x = data_->Column(c)[r - 1];
        x = scale ? (x - mean) / sd : x - mean;
      }
    }
  }
  ChangedData();
}

// ---------------------------------------------------------------------------
// Further analysis

bool TDataTable::CheckDichotomousColumn(int32_t Col, double& Val1, double& Val2) const {
  if (!ValidCol(Col) || nrows_ < 2) return false;
  const double* x = data_->Column(Col);
  Val1 = x[0];
  int32_t r = 1;
  while (r < nrows_ && x[r] == Val1) ++r;
  if (r == nrows_) return false;
  Val2 = x[r];
  for (; r < nrows_; ++r)
    if (x[r] != Val1 && x[r] != Val2) return false;
  return true;
}

int32_t TDataTable::RowAttribLevels() const {
  std::bitset<256> seen;
  for (uint8_t a : row_attribs_) seen.set(a);
  return static_cast<int32_t>(seen.count());
}

int32_t TDataTable::ColAttribLevels() const {
  std::bitset<256> seen;
  for (uint8_t a : col_attribs_) seen.set(a);
  return static_cast<int32_t>(seen.count());
}

TMScaleType TDataTable::FindHighestMLevel(int32_t LowCol, int32_t HighCol) const {
  MakeValidRange(LowCol, HighCol, ncols_);
  TMScaleType level = stUnknown;
  for (int32_t c = LowCol; c <= HighCol; ++c) level = std::max(level, col_info_[c - 1].ScaleType);
  return level;
}

TMScaleType TDataTable::FindLowestMLevel(int32_t LowCol, int32_t HighCol) const {
  MakeValidRange(LowCol, HighCol, ncols_);
  TMScaleType level = stRatio;
  for (int32_t c = LowCol; c <= HighCol; ++c) level = std::min(level, col_info_[c - 1].ScaleType);
  return level;
}

// ---------------------------------------------------------------------------
// Fingerprints

namespace {

// Eight CRC-32 registers fed byte by byte, each byte to the register its
// position selects.
class TCrc8 {
 public:
  TCrc8() { regs_.fill(0xFFFFFFFFu); }
  void Feed(int64_t position, uint8_t b) {
    regs_[position % 8] = CalcNextCRC32(b, regs_[position % 8]);
  }
  // Character j (from 1) of the text goes to register j mod 8.
  void FeedText(std::string_view text) {
    for (std::size_t j = 0; j < text.size(); ++j)
      Feed(static_cast<int64_t>(j) + 1, static_cast<uint8_t>(text[j]));
  }
  std::string Digits() const {
    std::string s;
    for (uint32_t reg : regs_) s += Hex(static_cast<int32_t>(~reg), 8);
    return s;
  }

 private:
  std::array<uint32_t, 8> regs_;
};

}  // namespace

std::string TDataTable::CRCofNamesAndAttributes() const {
  TCrc8 crc;
  crc.FeedText(comment_);
  for (const TLineName& name : col_names_) crc.FeedText(name.View());
  for (int32_t c = 1; c <= ncols_; ++c) crc.Feed(c, col_attribs_[c - 1]);
  for (const TLineName& name : row_names_) crc.FeedText(name.View());
  for (int32_t r = 1; r <= nrows_; ++r) crc.Feed(r, row_attribs_[r - 1]);
  for (int32_t c = 1; c <= ncols_; ++c) crc.Feed(c, col_info_[c - 1].ScaleType);
  for (const TColumnInfo& info : col_info_)
    for (const TNominalIDStr& id : info.Slots) crc.FeedText(id.View());
  return crc.Digits();
}

std::string TDataTable::CRCofCellStates() const {
  TCrc8 crc;
  for (int32_t c = 1; c <= ncols_; ++c) {
    const uint8_t* s = StatesOf(c);
    for (int32_t r = 1; r <= nrows_; ++r) crc.Feed(r, s[r - 1]);
  }
  return crc.Digits();
}

}  // namespace nuv
