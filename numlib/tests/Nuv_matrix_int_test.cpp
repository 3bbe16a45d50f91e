#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <utility>
#include <vector>

#include "ExpectThrow.h"
#include "Nuv_matrix_int_parts.h"
#include "nuv/Nuv_dstruct.h"
#include "nuv/Nuv_matrix.h"

namespace nuv {
namespace {

#include "data/intmatrix_ref.inc"

using testing::ExpectThrowMessage;

constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kIntMin = std::numeric_limits<int32_t>::min();

using TIntRows = std::vector<std::vector<int32_t>>;

// rows[r][c] becomes element (c + 1, r + 1); sparse matrices are made from
// the dense form, so they keep its counts and store its non-zero elements.
std::unique_ptr<TIntMatrix> MakeMatrix(const TIntRows& rows, bool sparse, int32_t step = 4) {
  auto m = std::make_unique<TIntMatrix>(nullptr);
  m->SetName("M");
  const auto nr = static_cast<int32_t>(rows.size());
  const auto nc = nr == 0 ? 0 : static_cast<int32_t>(rows[0].size());
  m->Resize(nc, nr);
  for (int32_t r = 0; r < nr; ++r)
    for (int32_t c = 0; c < nc; ++c) m->Column(c + 1)[r] = rows[r][c];
  if (sparse) m->ArrayToSparse(step);
  return m;
}

TIntRows Rows(const TIntMatrix& m) {
  TIntRows rows(m.NrOfRows(), std::vector<int32_t>(m.NrOfColumns()));
  for (int32_t r = 0; r < m.NrOfRows(); ++r)
    for (int32_t c = 0; c < m.NrOfColumns(); ++c) rows[r][c] = m.GetVal(c + 1, r + 1);
  return rows;
}

// Column by column from the generator of tools/ref/intmatrix_ref.py.
std::unique_ptr<TIntMatrix> Generated(int32_t cols, int32_t rows, uint32_t seed) {
  auto m = std::make_unique<TIntMatrix>(nullptr);
  m->Resize(cols, rows);
  uint32_t x = seed;
  for (int32_t c = 1; c <= cols; ++c)
    for (int32_t r = 0; r < rows; ++r) {
      x = 1664525u * x + 1013904223u;
      m->Column(c)[r] = static_cast<int32_t>(x);
    }
  return m;
}

std::unique_ptr<TIntMatrix> SparseCopy(const TIntMatrix& dense) {
  auto m = std::make_unique<TIntMatrix>(nullptr);
  m->Clone(dense);
  m->ArrayToSparse(16);
  return m;
}

std::vector<TIntMatEntry> EntriesOf(const TIntMatrix& m) {
  return {m.Entries().begin(), m.Entries().end()};
}

// f(), or nothing when it raises ENUVMatrixError.
template <class F>
std::optional<double> Guarded(F&& f) {
  try {
    return f();
  } catch (const ENUVMatrixError&) {
    return std::nullopt;
  }
}

struct TCountedMatrix {
  std::unique_ptr<TIntMatrix> m;
  int changes = 0;
  explicit TCountedMatrix(std::unique_ptr<TIntMatrix> matrix) : m(std::move(matrix)) {
    m->OnChange = [this](TObject*) { ++changes; };
  }
};

// ---------------------------------------------------------------------------
// Dense storage

TEST(TIntMatrix, DenseShapeAndAccess) {
  TIntMatrix m(nullptr);
  EXPECT_FALSE(m.IsSparse());
  EXPECT_EQ(m.NrOfColumns(), 1);
  EXPECT_EQ(m.NrOfRows(), 1);
  EXPECT_EQ(m.GetVal(1, 1), 0);
  EXPECT_EQ(m.NrOfEntries(), 0);
  EXPECT_EQ(m.BoundingBox(), (TIntMatBox{kIntMax, 1, kIntMax, 1}));

  auto t = MakeMatrix({{1, 2, 3}, {4, 5, 6}}, false);
  EXPECT_EQ(t->Column(2) - t->Column(1), 2);
  EXPECT_EQ(t->Column(0), nullptr);
  EXPECT_EQ(t->Column(4), nullptr);
  for (auto [c, r] : {std::pair{0, 1}, {1, 0}, {4, 1}, {1, 3}, {kIntMin, kIntMax}}) {
    EXPECT_EQ(t->GetVal(c, r), 0) << c << "," << r;
    t->SetVal(c, r, 99);
  }
  EXPECT_EQ(Rows(*t), (TIntRows{{1, 2, 3}, {4, 5, 6}}));

  EXPECT_TRUE(t->Resize(2, 3));
  EXPECT_EQ(Rows(*t), (TIntRows{{1, 2}, {4, 5}, {0, 0}}));
  t->SetNCols(-4);
  EXPECT_EQ(t->NrOfColumns(), 0);
  EXPECT_EQ(t->NrOfRows(), 3);
  EXPECT_EQ(t->GetVal(1, 1), 0);
  t->SetNCols(1);
  EXPECT_EQ(Rows(*t), (TIntRows{{0}, {0}, {0}})) << "nothing stored shows through";

  t->SetVal(1, 2, 8);
  ExpectThrowMessage<ENUVMatrixError>([&] { t->Resize(kIntMax, kIntMax); },
                                      "Component \"M\": not enough memory on heap");
  EXPECT_EQ(Rows(*t), (TIntRows{{0}, {8}, {0}})) << "unchanged";
}

TEST(TIntMatrix, EventsOfModifyingOperations) {
  TCountedMatrix t(MakeMatrix({{1, 2}, {3, 4}}, false));
  t.m->SetVal(1, 1, 5);
  t.m->SetVal(3, 1, 5);  // outside: ignored
  t.m->SetDataID("id");
  t.m->SetDataID("id");
  t.m->Fill(2);
  t.m->Resize(2, 2);
  EXPECT_EQ(t.changes, 4);
  EXPECT_EQ(t.m->DataID(), "id");
}

// ---------------------------------------------------------------------------
// Sparse storage

TEST(TIntMatrix, SparseCreationAndFirstInserts) {
  TCountedMatrix t(std::make_unique<TIntMatrix>(nullptr, 10));
  TIntMatrix& m = *t.m;
  EXPECT_TRUE(m.IsSparse());
  EXPECT_EQ(m.NrOfColumns(), 0);
  EXPECT_EQ(m.NrOfRows(), 0);
  EXPECT_EQ(m.AllocStep(), 10);
  EXPECT_EQ(m.Capacity(), 10);
  EXPECT_EQ(m.Column(1), nullptr);

  m.SetVal(5, 3, 7);  // the first insert into an empty list
  EXPECT_EQ(m.NrOfColumns(), 5);
  EXPECT_EQ(m.NrOfRows(), 3);
  EXPECT_EQ(m.GetVal(5, 3), 7);
  EXPECT_EQ(m.GetVal(4, 3), 0);
  EXPECT_EQ(m.NrOfEntries(), 1);
  EXPECT_EQ(m.BoundingBox(), (TIntMatBox{5, 5, 3, 3}));

  m.SetVal(1, 1, 2);  // before the first entry
  m.SetVal(5, 3, 0);  // overwritten with 0: the entry stays
  EXPECT_EQ(EntriesOf(m), (std::vector<TIntMatEntry>{{1, 1, 2}, {5, 3, 0}}));
  EXPECT_EQ(m.Sum(0, 0, 0, 0), 2);
  int32_t lo = 0, hi = 0;
  m.MinMax(0, 0, 0, 0, lo, hi);
  EXPECT_EQ(lo, 0) << "the stored 0 takes part";
  EXPECT_EQ(hi, 2);

  for (auto [c, r] : {std::pair{0, 1}, {1, 0}, {-1, 5}, {kIntMin, 1}}) m.SetVal(c, r, 9);
  EXPECT_EQ(m.NrOfEntries(), 2) << "positions below 1 are ignored";
  EXPECT_EQ(t.changes, 3);

  m.SetVal(kIntMax, kIntMax, -1);  // no upper bound
  EXPECT_EQ(m.NrOfColumns(), kIntMax);
  EXPECT_EQ(m.NrOfRows(), kIntMax);
  EXPECT_EQ(m.GetVal(kIntMax, kIntMax), -1);
  EXPECT_EQ(m.GetVal(kIntMax, kIntMax - 1), 0);
}

TEST(TIntMatrix, SparseAllocationStepAndCapacity) {
  for (int32_t step : {0, -5, kIntMin}) {
    TIntMatrix m(nullptr, step);
    EXPECT_EQ(m.AllocStep(), 1) << step;
    EXPECT_EQ(m.Capacity(), 1) << step;
  }
  TIntMatrix m(nullptr, 3);
  const int32_t wanted[] = {3, 3, 3, 6, 6, 6, 9};
  for (int32_t i = 0; i < 7; ++i) {
    m.SetVal(i + 1, 1, i);
    EXPECT_EQ(m.Capacity(), wanted[i]) << "after " << i + 1 << " entries";
  }
  m.SetVal(2, 1, 5);
  EXPECT_EQ(m.Capacity(), 9) << "an overwrite does not grow";
  TIntMatrix huge(nullptr, kIntMax);
  huge.SetVal(1, 1, 1);
  EXPECT_EQ(huge.Capacity(), kIntMax);
}

// A model of the sparse rules: entries by position, the counts and the box.
struct TSparseModel {
  std::map<std::pair<int32_t, int32_t>, int32_t> entries;  // (col, row)
  int32_t cols = 0, rows = 0;
  TIntMatBox box{kIntMax, 1, kIntMax, 1};

  void Set(int32_t c, int32_t r, int32_t v) {
    if (c < 1 || r < 1) return;
    const bool inserted = entries.insert_or_assign({c, r}, v).second;
    if (!inserted) return;
    box = {std::min(box.MinCol, c), std::max(box.MaxCol, c), std::min(box.MinRow, r),
           std::max(box.MaxRow, r)};
    cols = box.MaxCol;
    rows = box.MaxRow;
  }
  void Resize(int32_t c, int32_t r) {
    cols = std::max(c, 0);
    rows = std::max(r, 0);
    box.MaxCol = std::min(box.MaxCol, cols);
    box.MaxRow = std::min(box.MaxRow, rows);
    box.MinCol = std::min(box.MinCol, box.MaxCol);
    box.MinRow = std::min(box.MinRow, box.MaxRow);
    std::erase_if(entries,
                  [&](const auto& e) { return e.first.first > cols || e.first.second > rows; });
  }
  void Fill(int32_t v) {
    if (v != 0) {
      for (auto& e : entries) e.second = v;
      return;
    }
    entries.clear();
    box = {kIntMax, 1, kIntMax, 1};
  }
  void Transpose() {
    std::map<std::pair<int32_t, int32_t>, int32_t> moved;
    for (const auto& [pos, v] : entries) moved[{pos.second, pos.first}] = v;
    entries.swap(moved);
    box = {box.MinRow, box.MaxRow, box.MinCol, box.MaxCol};
    std::swap(cols, rows);
  }
  std::vector<TIntMatEntry> List() const {
    std::vector<TIntMatEntry> list;
    for (const auto& [pos, v] : entries) list.push_back({pos.first, pos.second, v});
    return list;
  }
  // A dense matrix of the model's shape holding its elements.
  std::unique_ptr<TIntMatrix> Dense() const {
    auto m = std::make_unique<TIntMatrix>(nullptr);
    m->Resize(cols, rows);
    for (const auto& [pos, v] : entries) m->SetVal(pos.first, pos.second, v);
    return m;
  }
};

void ExpectMatchesModel(const TIntMatrix& m, const TSparseModel& model, const std::string& what) {
  SCOPED_TRACE(what);
  ASSERT_EQ(m.NrOfColumns(), model.cols);
  ASSERT_EQ(m.NrOfRows(), model.rows);
  EXPECT_EQ(m.BoundingBox(), model.box);
  ASSERT_EQ(EntriesOf(m), model.List());
  EXPECT_EQ(m.NrOfEntries(), static_cast<int32_t>(model.entries.size()));
}

TEST(TIntMatrix, SparseInsertsInAnyOrderKeepTheSortedList) {
  // Long enough that the recent inserts are merged many times; lookups
  // between the inserts see both the merged and the recent entries.
  std::mt19937 rng(5);
  for (int32_t extent : {3, 60, 2000}) {
    TIntMatrix m(nullptr, 7);
    TSparseModel model;
    std::uniform_int_distribution<int32_t> pos(1, extent), value(-5, 5);
    for (int32_t i = 0; i < 6000; ++i) {
      const int32_t c = pos(rng), r = pos(rng), v = value(rng);
      m.SetVal(c, r, v);
      model.Set(c, r, v);
      const int32_t qc = pos(rng), qr = pos(rng);
      const auto it = model.entries.find({qc, qr});
      ASSERT_EQ(m.GetVal(qc, qr), it == model.entries.end() ? 0 : it->second)
          << "extent " << extent << " step " << i;
    }
    // Lookups alone, enough to merge the recent inserts on the way.
    for (int32_t pass = 0; pass < 2; ++pass)
      for (const auto& [p, v] : model.entries) {
        ASSERT_EQ(m.GetVal(p.first, p.second), v) << "extent " << extent;
        ASSERT_EQ(m.GetVal(p.first, p.second + extent), 0) << "extent " << extent;
      }
    ExpectMatchesModel(m, model, "extent " + std::to_string(extent));
  }
  // Ascending and descending runs, one column and one row.
  for (const bool descending : {false, true}) {
    TIntMatrix column(nullptr, 1), row(nullptr, 1);
    for (int32_t i = 1; i <= 3000; ++i) {
      const int32_t k = descending ? 3001 - i : i;
      column.SetVal(1, k, k);
      row.SetVal(k, 1, -k);
    }
    for (int32_t k = 1; k <= 3000; k += 7) {
      EXPECT_EQ(column.GetVal(1, k), k);
      EXPECT_EQ(row.GetVal(k, 1), -k);
    }
    EXPECT_TRUE(std::is_sorted(column.Entries().begin(), column.Entries().end(), matrix::KeyLess));
    EXPECT_EQ(row.NrOfEntries(), 3000);
  }
}

TEST(TIntMatrix, ArrayToSparseAndBack) {
  TCountedMatrix t(MakeMatrix({{0, 2}, {3, 0}}, false));
  t.m->ArrayToSparse(10);
  EXPECT_TRUE(t.m->IsSparse());
  EXPECT_EQ(EntriesOf(*t.m), (std::vector<TIntMatEntry>{{1, 2, 3}, {2, 1, 2}}));
  EXPECT_EQ(t.m->AllocStep(), 10);
  EXPECT_EQ(t.m->Capacity(), 10);
  t.m->ArrayToSparse(3);  // no effect in sparse mode
  EXPECT_EQ(t.m->AllocStep(), 10);
  t.m->SparseToArray();
  EXPECT_FALSE(t.m->IsSparse());
  EXPECT_EQ(Rows(*t.m), (TIntRows{{0, 2}, {3, 0}}));
  t.m->SparseToArray();  // no effect in dense mode
  EXPECT_EQ(t.changes, 0) << "conversions fire no event";

  // The dense size comes from the bounding box, not from the counts.
  auto m = MakeMatrix({{0, 0, 0}, {0, 5, 0}, {0, 0, 0}}, true);
  EXPECT_EQ(m->NrOfColumns(), 3);
  m->SparseToArray();
  EXPECT_EQ(Rows(*m), (TIntRows{{0, 0}, {0, 5}}));
  TIntMatrix empty(nullptr, 4);
  empty.SparseToArray();
  EXPECT_EQ(Rows(empty), (TIntRows{{0}}));

  TIntMatrix far(nullptr, 4);
  far.SetName("M");
  far.SetVal(kIntMax, kIntMax, 1);
  ExpectThrowMessage<ENUVMatrixError>([&] { far.SparseToArray(); },
                                      "Component \"M\": not enough memory on heap");
  EXPECT_TRUE(far.IsSparse());
  EXPECT_EQ(far.GetVal(kIntMax, kIntMax), 1);
}

TEST(TIntMatrix, SparseResizeFillTransposeClone) {
  TCountedMatrix t(MakeMatrix({{1, 2}, {3, 4}, {5, 6}}, true));
  TIntMatrix& m = *t.m;
  m.Transpose();  // 2 x 3 becomes 3 x 2; (1, 3) moves to (3, 1)
  EXPECT_EQ(Rows(m), (TIntRows{{1, 3, 5}, {2, 4, 6}}));
  EXPECT_EQ(m.GetVal(3, 1), 5);
  EXPECT_TRUE(std::is_sorted(m.Entries().begin(), m.Entries().end(), matrix::KeyLess));

  EXPECT_FALSE(m.Resize(1, 1));
  EXPECT_EQ(EntriesOf(m), (std::vector<TIntMatEntry>{{1, 1, 1}}));
  EXPECT_EQ(m.BoundingBox(), (TIntMatBox{1, 1, 1, 1}));
  EXPECT_EQ(t.changes, 1) << "a sparse Resize fires no event";

  // Enlarged counts fall back to the box maxima with the next insert.
  m.Resize(9, 9);
  EXPECT_EQ(m.NrOfColumns(), 9);
  m.SetVal(2, 3, 4);
  EXPECT_EQ(m.NrOfColumns(), 2);
  EXPECT_EQ(m.NrOfRows(), 3);
  m.SetVal(2, 3, 5);  // an overwrite leaves the counts alone
  m.Resize(9, 9);
  m.SetVal(2, 3, 6);
  EXPECT_EQ(m.NrOfColumns(), 9);

  m.Fill(-7);
  EXPECT_EQ(EntriesOf(m), (std::vector<TIntMatEntry>{{1, 1, -7}, {2, 3, -7}}));
  EXPECT_EQ(m.GetVal(2, 2), 0) << "elements not stored stay 0";
  m.Fill(0);
  EXPECT_EQ(m.NrOfEntries(), 0);
  EXPECT_EQ(m.Capacity(), 4);
  EXPECT_EQ(m.BoundingBox(), (TIntMatBox{kIntMax, 1, kIntMax, 1}));
  EXPECT_EQ(m.NrOfColumns(), 9) << "counts stay";

  // Clone within a mode copies everything; across modes nothing.
  auto source = MakeMatrix({{0, 8}, {9, 0}}, true, 5);
  source->SetVal(7, 7, 1);
  m.Clone(*source);
  EXPECT_EQ(EntriesOf(m), EntriesOf(*source));
  EXPECT_EQ(m.AllocStep(), 5);
  EXPECT_EQ(m.Capacity(), source->Capacity());
  EXPECT_EQ(m.BoundingBox(), source->BoundingBox());
  EXPECT_EQ(m.NrOfColumns(), 7);
  const int before = t.changes;
  auto dense = MakeMatrix({{1}}, false);
  m.Clone(*dense);
  dense->Clone(m);
  EXPECT_TRUE(m.IsSparse());
  EXPECT_EQ(EntriesOf(m), EntriesOf(*source));
  EXPECT_EQ(Rows(*dense), (TIntRows{{1}}));
  EXPECT_EQ(t.changes, before);
}

// Random operations on a sparse matrix against the model, and window
// statistics against a dense matrix holding the same elements: Sum and
// MeanVar agree, MinMax differs exactly by the elements not stored.
TEST(TIntMatrix, SparseAndDenseAgreeWhereTheModesAgree) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int32_t> pos(-1, 9), value(-20, 20), op(0, 9);
  TIntMatrix s(nullptr, 3);
  TSparseModel model;
  for (int32_t step = 0; step < 1500; ++step) {
    const std::string what = "step " + std::to_string(step);
    switch (op(rng)) {
      case 0: {
        const int32_t c = pos(rng), r = pos(rng);
        EXPECT_FALSE(s.Resize(c, r));
        model.Resize(c, r);
        break;
      }
      case 1: {
        const int32_t v = value(rng) % 3 == 0 ? 0 : value(rng);
        s.Fill(v);
        model.Fill(v);
        break;
      }
      case 2:
        EXPECT_TRUE(s.Transpose());
        model.Transpose();
        break;
      case 3: {
        // A sparse matrix adds into a dense one that is large enough.
        auto target = model.Dense();
        const TIntRows before = Rows(*target);
        auto other = std::make_unique<TIntMatrix>(nullptr, 2);
        other->SetVal(1 + step % 4, 1 + step % 3, 5);
        const bool fits =
            model.cols >= other->BoundingBox().MaxCol && model.rows >= other->BoundingBox().MaxRow;
        ASSERT_EQ(target->Add(other.get()), fits) << what;
        if (fits) {
          EXPECT_EQ(target->GetVal(1 + step % 4, 1 + step % 3), before[step % 3][step % 4] + 5)
              << what;
        }
        EXPECT_FALSE(s.Add(target.get())) << "a sparse target refuses";
        break;
      }
      default: {
        const int32_t c = pos(rng), r = pos(rng), v = value(rng);
        s.SetVal(c, r, v);
        model.Set(c, r, v);
      }
    }
    ExpectMatchesModel(s, model, what);
    auto d = model.Dense();
    int32_t w[4];
    for (int32_t& x : w) x = pos(rng);
    if (step % 5 == 0) w[0] = w[1] = w[2] = w[3] = 0;
    SCOPED_TRACE(what + " window " + std::to_string(w[0]) + "," + std::to_string(w[1]) + "," +
                 std::to_string(w[2]) + "," + std::to_string(w[3]));
    EXPECT_EQ(s.Sum(w[0], w[1], w[2], w[3]), d->Sum(w[0], w[1], w[2], w[3]));
    double sm = 0, sv = 0, dm = 0, dv = 0;
    s.MeanVar(w[0], w[1], w[2], w[3], sm, sv);
    d->MeanVar(w[0], w[1], w[2], w[3], dm, dv);
    EXPECT_EQ(sm, dm);
    EXPECT_EQ(sv, dv);
    // MinMax: the sparse matrix over its stored entries, the dense one over
    // every element.
    int32_t c0 = w[0], c1 = w[2], r0 = w[1], r1 = w[3];
    d->MakeValidColRange(c0, c1);
    d->MakeValidRowRange(r0, r1);
    int32_t wantLo = kIntMax, wantHi = -kIntMax;
    bool any = false;
    if (model.cols > 0 && model.rows > 0)
      for (const auto& [p, v] : model.entries)
        if (p.first >= c0 && p.first <= c1 && p.second >= r0 && p.second <= r1) {
          wantLo = any ? std::min(wantLo, v) : v;
          wantHi = any ? std::max(wantHi, v) : v;
          any = true;
        }
    int32_t lo = 0, hi = 0;
    s.MinMax(w[0], w[1], w[2], w[3], lo, hi);
    EXPECT_EQ(lo, wantLo);
    EXPECT_EQ(hi, wantHi);
    const TIntRows image = Rows(*d);
    if (model.cols > 0 && model.rows > 0) {
      int32_t denseLo = image[r0 - 1][c0 - 1], denseHi = denseLo;
      for (int32_t c = c0; c <= c1; ++c)
        for (int32_t r = r0; r <= r1; ++r) {
          denseLo = std::min(denseLo, image[r - 1][c - 1]);
          denseHi = std::max(denseHi, image[r - 1][c - 1]);
        }
      d->MinMax(w[0], w[1], w[2], w[3], lo, hi);
      EXPECT_EQ(lo, denseLo);
      EXPECT_EQ(hi, denseHi);
    }
  }
}

// ---------------------------------------------------------------------------
// Statistics: the sparse matrix gives what the dense one gives

TEST(TIntMatrix, StatisticsAgreeAcrossModesAndWithTMatrix) {
  std::mt19937 rng(3);
  for (int32_t trial = 0; trial < 200; ++trial) {
    std::uniform_int_distribution<int32_t> size(1, 7), value(-4, 6), pos(-1, 8);
    const int32_t cols = size(rng), rows = size(rng);
    TIntRows image(rows, std::vector<int32_t>(cols));
    // Mostly zeros, sometimes none, so that both means and their errors occur.
    const bool positive = trial % 4 == 0;
    for (auto& row : image)
      for (int32_t& x : row)
        x = positive ? 1 + std::abs(value(rng)) : (value(rng) > 2 ? value(rng) : 0);
    auto d = MakeMatrix(image, false), s = MakeMatrix(image, true);
    TMatrix f(nullptr);
    f.Resize(cols, rows);
    f.CopyFrom(*d, 1, 1, cols, rows, 1, 1);
    int32_t w[4];
    for (int32_t& x : w) x = pos(rng);
    if (trial % 3 == 0) w[0] = w[1] = w[2] = w[3] = 0;
    SCOPED_TRACE("trial " + std::to_string(trial));

    double a[6], b[6];
    int32_t ca = 0, cb = 0;
    d->SkewKurtIntern(w[0], w[1], w[2], w[3], a[0], a[1], ca);
    s->SkewKurtIntern(w[0], w[1], w[2], w[3], b[0], b[1], cb);
    d->SkewKurtSample(w[0], w[1], w[2], w[3], a[2], a[3]);
    s->SkewKurtSample(w[0], w[1], w[2], w[3], b[2], b[3]);
    d->MeanVar(w[0], w[1], w[2], w[3], a[4], a[5]);
    s->MeanVar(w[0], w[1], w[2], w[3], b[4], b[5]);
    EXPECT_EQ(ca, cb);
    double q[3], p[3], fq[3];
    ASSERT_TRUE(d->Quartiles(w[0], w[1], w[2], w[3], q[0], q[1], q[2]));
    ASSERT_TRUE(s->Quartiles(w[0], w[1], w[2], w[3], p[0], p[1], p[2]));
    ASSERT_TRUE(f.Quartiles(w[0], w[1], w[2], w[3], fq[0], fq[1], fq[2]));
    double fa[6];
    int32_t fc = 0;
    f.SkewKurtIntern(w[0], w[1], w[2], w[3], fa[0], fa[1], fc);
    f.SkewKurtSample(w[0], w[1], w[2], w[3], fa[2], fa[3]);
    f.MeanVar(w[0], w[1], w[2], w[3], fa[4], fa[5]);
    for (int k = 0; k < 6; ++k) {
      EXPECT_EQ(a[k], b[k]) << "moment " << k;
      EXPECT_NEAR(a[k], fa[k], 1e-12 * (1 + std::fabs(fa[k]))) << "moment " << k;
    }
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(q[k], p[k]) << "quartile " << k;
      EXPECT_EQ(q[k], fq[k]) << "quartile " << k;
    }
    for (double pc : {-1.0, 0.0, 12.5, 50.0, 99.0, 100.0, 250.0}) {
      EXPECT_EQ(s->Percentile(pc, w[0], w[1], w[2], w[3]), f.Percentile(pc, w[0], w[1], w[2], w[3]))
          << "percentile " << pc;
      EXPECT_EQ(d->Percentile(pc, w[0], w[1], w[2], w[3]),
                f.Percentile(pc, w[0], w[1], w[2], w[3]));
    }
    for (double v : {-3.0, -0.5, 0.0, 0.4, 2.0, 5.5, 100.0}) {
      int32_t dc = 0, dr = 0, sc = 0, sr = 0, fcol = 0, frow = 0;
      d->Find(w[0], w[1], w[2], w[3], v, dc, dr);
      s->Find(w[0], w[1], w[2], w[3], v, sc, sr);
      f.Find(w[0], w[1], w[2], w[3], v, fcol, frow);
      EXPECT_EQ(std::pair(dc, dr), std::pair(fcol, frow)) << "Find " << v;
      EXPECT_EQ(std::pair(sc, sr), std::pair(fcol, frow)) << "Find " << v;
    }
    // The means raise on the same windows and agree where they do not.
    const auto fg = Guarded([&] { return f.GeometricMean(w[0], w[1], w[2], w[3]); });
    const auto sg = Guarded([&] { return s->GeometricMean(w[0], w[1], w[2], w[3]); });
    EXPECT_EQ(sg, fg);
    const auto fh = Guarded([&] { return f.HarmonicMean(w[0], w[1], w[2], w[3]); });
    const auto sh = Guarded([&] { return s->HarmonicMean(w[0], w[1], w[2], w[3]); });
    EXPECT_EQ(sh.has_value(), fh.has_value());
    if (fh && sh) {
      EXPECT_NEAR(*sh, *fh, 1e-14 * *fh);
    }
    EXPECT_EQ(s->CRCofData(), d->CRCofData());
    EXPECT_EQ(s->Trace(), d->Trace());
  }
}

TEST(TIntMatrix, FindInSortedColumnInBothModes) {
  auto d = MakeMatrix({{-5, 9}, {0, 7}, {0, 3}, {4, 0}, {8, 0}}, false);
  auto s = MakeMatrix({{-5, 9}, {0, 7}, {0, 3}, {4, 0}, {8, 0}}, true);
  const struct {
    int32_t col;
    bool ascending;
    double value;
    int32_t want;
  } cases[] = {{1, true, -9, 1}, {1, true, 0, 3},  {1, true, 2, 4},  {1, true, 5.9, 4},
               {1, true, 6, 5},  {1, true, 99, 5}, {2, false, 8, 2}, {2, false, -1, 5},
               {0, true, 1, 0},  {3, true, 1, 0}};
  for (const auto& k : cases) {
    EXPECT_EQ(d->FindInSortedColumn(k.col, k.ascending, k.value), k.want)
        << k.col << " " << k.value;
    EXPECT_EQ(s->FindInSortedColumn(k.col, k.ascending, k.value), k.want)
        << k.col << " " << k.value;
  }
  TIntMatrix far(nullptr, 1);
  far.SetVal(1, kIntMax, 10);
  EXPECT_EQ(far.FindInSortedColumn(1, true, 10), kIntMax) << "31 probes, not 2^31";
  EXPECT_EQ(far.FindInSortedColumn(1, true, 1), kIntMax - 1);
}

TEST(TIntMatrix, MinMaxReportsOnlyElements) {
  for (const bool sparse : {false, true}) {
    SCOPED_TRACE(sparse ? "sparse" : "dense");
    auto m = MakeMatrix({{kIntMin, kIntMin}, {kIntMin, 1}}, sparse);
    int32_t lo = 0, hi = 0;
    m->MinMax(1, 1, 2, 1, lo, hi);
    EXPECT_EQ(lo, kIntMin);
    EXPECT_EQ(hi, kIntMin) << "a maximum that is an element";
    m->MinMax(0, 0, 0, 0, lo, hi);
    EXPECT_EQ(hi, 1);
    m->Resize(0, 2);
    m->MinMax(0, 0, 0, 0, lo, hi);
    EXPECT_EQ(lo, kIntMax) << "no element";
    EXPECT_EQ(hi, -kIntMax);
  }
  // Sparse MinMax ignores what is not stored; MeanVar counts it as 0.
  TIntMatrix s(nullptr, 4);
  s.SetVal(1, 1, 3);
  s.SetVal(3, 2, 5);
  int32_t lo = 0, hi = 0;
  double mean = 0, var = 0;
  s.MinMax(0, 0, 0, 0, lo, hi);
  s.MeanVar(0, 0, 0, 0, mean, var);
  EXPECT_EQ(lo, 3);
  EXPECT_EQ(hi, 5);
  EXPECT_DOUBLE_EQ(mean, 8.0 / 6);
  EXPECT_DOUBLE_EQ(var, (9 + 25 - 64.0 / 6) / 5);
}

TEST(TIntMatrix, HugeSparseExtentsAreNeverWalked) {
  TIntMatrix m(nullptr, 8);
  m.SetName("M");
  m.SetVal(1, 1, 4);
  m.SetVal(kIntMax, kIntMax, -2);
  m.SetVal(kIntMax / 2, 3, 7);
  const long double cells = static_cast<long double>(kIntMax) * kIntMax;
  double mean = 0, var = 0;
  m.MeanVar(0, 0, 0, 0, mean, var);
  EXPECT_DOUBLE_EQ(mean, static_cast<double>(9 / cells));
  EXPECT_DOUBLE_EQ(var, static_cast<double>((16 + 4 + 49 - 81 / cells) / (cells - 1)));
  EXPECT_EQ(m.Sum(0, 0, 0, 0), 9);
  double skew = 0, kurt = 0;
  int32_t count = 0;
  m.SkewKurtIntern(0, 0, 0, 0, skew, kurt, count);
  EXPECT_EQ(count, kIntMax) << "saturated";
  EXPECT_GT(kurt, 1e15);
  double q1 = 1, q2 = 1, q3 = 1;
  EXPECT_TRUE(m.Quartiles(0, 0, 0, 0, q1, q2, q3));
  EXPECT_EQ(q1 + q2 + q3, 0);
  EXPECT_EQ(m.Percentile(100, 0, 0, 0, 0), 7);
  ExpectThrowMessage<ENUVMatrixError>([&] { m.GeometricMean(0, 0, 0, 0); },
                                      "Component \"M\": negative argument passed to GeometricMean");
  m.SetVal(kIntMax, kIntMax, 2);
  EXPECT_EQ(m.GeometricMean(0, 0, 0, 0), 0);
  ExpectThrowMessage<ENUVMatrixError>(
      [&] { m.HarmonicMean(0, 0, 0, 0); },
      "Component \"M\": negative or zero argument passed to HarmonicMean");
  int32_t c = 0, r = 0;
  m.Find(0, 0, 0, 0, 0.25, c, r);
  EXPECT_EQ(std::pair(c, r), std::pair(1, 2)) << "the first element not stored";
  m.Find(0, 0, 0, 0, 6, c, r);
  EXPECT_EQ(std::pair(c, r), std::pair(kIntMax / 2, 3));
  EXPECT_EQ(m.CRCofData().size(), 32u);
  EXPECT_EQ(m.Trace(), 6);
  m.MirrorColumns();
  EXPECT_EQ(m.GetVal(kIntMax, 1), 4);
  EXPECT_EQ(m.GetVal(1, kIntMax), 2);
  EXPECT_TRUE(m.Transpose());
  EXPECT_EQ(m.GetVal(3, kIntMax - kIntMax / 2 + 1), 7);
  TIntMatrix c1(nullptr);
  EXPECT_FALSE(m.Multiply(m, c1));
}

// ---------------------------------------------------------------------------
// Fingerprint

TEST(TIntMatrix, FingerprintAgainstZlib) {
  TIntMatrix m(nullptr);
  const std::string one = m.CRCofData(), group = one.substr(0, 8);
  EXPECT_EQ(one, group + group + group + group) << "a single 0 feeds every register alike";
  EXPECT_EQ(Generated(13, 17, 31)->CRCofData(), kSeed31Crc);
  EXPECT_EQ(Generated(13, 17, 31)->Sum(0, 0, 0, 0), kSeed31Sum);

  TIntMatrix s(nullptr, 16);
  for (const TSparseRef& e : kSparseEntries) s.SetVal(e.Col, e.Row, e.Value);
  ASSERT_EQ(s.NrOfColumns(), kSparseCols);
  ASSERT_EQ(s.NrOfRows(), kSparseRows);
  EXPECT_EQ(s.CRCofData(), kSparseCrc);
  for (const TSparseWindowRef& w : kSparseWindows) {
    SCOPED_TRACE(std::to_string(w.LoCol) + "," + std::to_string(w.LoRow));
    double mean = 0, var = 0;
    s.MeanVar(w.LoCol, w.LoRow, w.HiCol, w.HiRow, mean, var);
    EXPECT_EQ(s.Sum(w.LoCol, w.LoRow, w.HiCol, w.HiRow), w.Sum);
    EXPECT_NEAR(mean, w.Mean, 1e-15 * std::fabs(w.Mean));
    EXPECT_NEAR(var, w.Variance, 1e-15 * w.Variance);
  }
  // Empty matrices feed nothing.
  TIntMatrix empty(nullptr, 1);
  EXPECT_EQ(empty.CRCofData(), std::string(32, '0'));
}

TEST(TIntMatrix, ZeroRunsOfTheCRC) {
  for (uint64_t n : {0ull, 1ull, 2ull, 3ull, 8ull, 255ull, 1000ull, 65537ull}) {
    for (uint32_t start : {0xFFFFFFFFu, 0x12345678u, 0u}) {
      uint32_t slow = start;
      for (uint64_t i = 0; i < n; ++i) slow = CalcNextCRC32(0, slow);
      EXPECT_EQ(matrix::CRC32AfterZeros(start, n), slow) << n << " zeros from " << start;
    }
  }
}

// ---------------------------------------------------------------------------
// Arithmetic

TEST(TIntMatrix, ProductsAgainstNumpyInt32) {
  for (const bool portable : {false, true}) {
    matrix::UsePortableIntKernels(portable);
    for (const bool transposed : {false, true}) {
      // this × b with this of Depth columns and Rows rows, or thisᵀ × b with
      // this of Rows columns and Depth rows.
      auto product = [transposed](const TIntMatrix& l, const TIntMatrix& r, TIntMatrix& c) {
        return transposed ? l.TransposeAndMultiply(r, c) : l.Multiply(r, c);
      };
      for (const TProductRef& ref : transposed ? kTransposedRefs : kMultiplyRefs) {
        SCOPED_TRACE(std::to_string(ref.Rows) + "x" + std::to_string(ref.Depth) + "x" +
                     std::to_string(ref.Cols) + (transposed ? " transposed" : "") +
                     (portable ? " portable" : ""));
        auto a = transposed ? Generated(ref.Rows, ref.Depth, ref.SeedA)
                            : Generated(ref.Depth, ref.Rows, ref.SeedA);
        auto b = Generated(ref.Cols, ref.Depth, ref.SeedB);
        TIntMatrix c(nullptr);
        c.Resize(ref.Cols, ref.Rows);
        ASSERT_TRUE(product(*a, *b, c));
        EXPECT_EQ(c.CRCofData(), ref.Crc);
        EXPECT_EQ(c.Sum(0, 0, 0, 0), ref.Sum);
        if (portable) continue;
        // Sparse operands, one or both, give the same product.
        auto sa = SparseCopy(*a), sb = SparseCopy(*b);
        for (auto [l, r] :
             {std::pair{sa.get(), b.get()}, {a.get(), sb.get()}, {sa.get(), sb.get()}}) {
          c.Fill(3);
          ASSERT_TRUE(product(*l, *r, c));
          EXPECT_EQ(c.CRCofData(), ref.Crc);
        }
      }
    }
  }
  matrix::UsePortableIntKernels(false);

  auto a = Generated(5, 9, 21);
  TIntVector v(nullptr), w(nullptr);
  v.Resize(9);
  uint32_t x = 22;
  for (int32_t i = 0; i < 9; ++i)
    v.Data()[i] = static_cast<int32_t>(x = 1664525u * x + 1013904223u);
  w.Resize(5);
  for (const bool sparse : {false, true}) {
    auto m = sparse ? SparseCopy(*a) : Generated(5, 9, 21);
    w.Fill(1);
    ASSERT_TRUE(m->TransposeAndMultiply(v, w));
    EXPECT_EQ(std::vector<int32_t>(w.Data(), w.Data() + 5),
              std::vector<int32_t>(std::begin(kVectorRefW), std::end(kVectorRefW)));
  }
  w.Resize(4);
  EXPECT_FALSE(a->TransposeAndMultiply(v, w));
}

TEST(TIntMatrix, ProductShapesAndAliasing) {
  auto a = MakeMatrix({{1, 2}, {3, 4}}, false);
  auto b = MakeMatrix({{5, 6}, {7, 8}}, false);
  TIntMatrix wrong(nullptr);
  wrong.Resize(3, 2);
  wrong.Fill(9);
  EXPECT_FALSE(a->Multiply(*b, wrong));
  EXPECT_FALSE(a->TransposeAndMultiply(*b, wrong));
  EXPECT_EQ(Rows(wrong), (TIntRows{{9, 9, 9}, {9, 9, 9}})) << "untouched";
  TIntMatrix sparseTarget(nullptr, 4);
  sparseTarget.Resize(2, 2);
  EXPECT_FALSE(a->Multiply(*b, sparseTarget));
  EXPECT_EQ(sparseTarget.NrOfEntries(), 0);

  ASSERT_TRUE(a->Multiply(*b, *a));  // c may be this
  EXPECT_EQ(Rows(*a), (TIntRows{{19, 22}, {43, 50}}));
  ASSERT_TRUE(a->TransposeAndMultiply(*b, *b));  // or b
  EXPECT_EQ(Rows(*b),
            (TIntRows{{19 * 5 + 43 * 7, 19 * 6 + 43 * 8}, {22 * 5 + 50 * 7, 22 * 6 + 50 * 8}}));

  auto big = MakeMatrix({{kIntMax, 2}}, false);
  auto col = MakeMatrix({{kIntMax}, {kIntMin}}, false);
  TIntMatrix c(nullptr);
  ASSERT_TRUE(big->Multiply(*col, c));
  // 2147483647² + 2·(-2147483648) modulo 2^32.
  EXPECT_EQ(c.GetVal(1, 1), 1);
}

TEST(TIntMatrix, ElementArithmeticWraps) {
  auto a = Generated(13, 17, 31), b = Generated(13, 17, 32);
  const struct {
    const char* what;
    void (*apply)(TIntMatrix&, const TIntMatrix&);
    const char* crc;
  } cases[] = {
      {"SMult", [](TIntMatrix& m, const TIntMatrix&) { m.SMult(kElementFactor); }, kSMultCrc},
      {"SAdd", [](TIntMatrix& m, const TIntMatrix&) { m.SAdd(kElementFactor); }, kSAddCrc},
      {"Add", [](TIntMatrix& m, const TIntMatrix& o) { EXPECT_TRUE(m.Add(&o)); }, kAddCrc},
      {"Subtract", [](TIntMatrix& m, const TIntMatrix& o) { EXPECT_TRUE(m.Subtract(&o)); },
       kSubtractCrc},
  };
  for (const auto& k : cases) {
    auto m = Generated(13, 17, 31);
    k.apply(*m, *b);
    EXPECT_EQ(m->CRCofData(), k.crc) << k.what;
  }
  // Sparse operands: SMult works on the entries, a sparse other adds and
  // subtracts its entries into a dense matrix that holds them.
  auto s = SparseCopy(*a);
  s->SMult(kElementFactor);
  EXPECT_EQ(s->CRCofData(), kSMultCrc);
  for (const bool add : {true, false}) {
    auto m = Generated(13, 17, 31);
    auto other = SparseCopy(*b);
    EXPECT_TRUE(add ? m->Add(other.get()) : m->Subtract(other.get()));
    EXPECT_EQ(m->CRCofData(), add ? kAddCrc : kSubtractCrc);
  }
  auto small = MakeMatrix({{1, 1}, {1, 1}}, false);
  TIntMatrix far(nullptr, 2);
  far.SetVal(3, 1, 1);
  EXPECT_FALSE(small->Add(&far)) << "too small";
  EXPECT_FALSE(small->Subtract(&far));
  EXPECT_FALSE(small->Add(nullptr));
  EXPECT_FALSE(small->Add(a.get())) << "another shape";
  EXPECT_FALSE(far.Subtract(small.get())) << "a sparse target";
  EXPECT_EQ(Rows(*small), (TIntRows{{1, 1}, {1, 1}}));
}

TEST(TIntMatrix, DenseOnlyOperationsRefuseOnSparseMatrices) {
  auto s = MakeMatrix({{1, 0}, {0, 2}}, true);
  ExpectThrowMessage<ENUVMatrixError>([&] { s->SAdd(1); },
                                      "Component \"M\": SAdd not available for a sparse matrix");
  ExpectThrowMessage<ENUVMatrixError>(
      [&] { s->SortRows(1, true, 0, 0, 0, 0); },
      "Component \"M\": SortRows not available for a sparse matrix");
  ExpectThrowMessage<ENUVMatrixError>(
      [&] { s->SortCols(1, true, 0, 0, 0, 0); },
      "Component \"M\": SortCols not available for a sparse matrix");
  s->SAdd(0);
  EXPECT_TRUE(s->IsSparse()) << "the mode never changes by itself";
  EXPECT_EQ(EntriesOf(*s), (std::vector<TIntMatEntry>{{1, 1, 1}, {2, 2, 2}}));
}

// ---------------------------------------------------------------------------
// Rearranging and copying

TEST(TIntMatrix, ExchangeAndMirrorInBothModes) {
  const TIntRows image = {{1, 0, 3}, {0, 5, 0}, {7, 0, 0}, {0, 0, 12}};
  const struct {
    const char* what;
    void (*apply)(TIntMatrix&);
    TIntRows want;
  } cases[] = {
      {"ExchangeColumns",
       [](TIntMatrix& m) { m.ExchangeColumns(1, 3); },
       {{3, 0, 1}, {0, 5, 0}, {0, 0, 7}, {12, 0, 0}}},
      {"ExchangeRows",
       [](TIntMatrix& m) { m.ExchangeRows(4, 2); },
       {{1, 0, 3}, {0, 0, 12}, {7, 0, 0}, {0, 5, 0}}},
      {"MirrorColumns",
       [](TIntMatrix& m) { m.MirrorColumns(); },
       {{3, 0, 1}, {0, 5, 0}, {0, 0, 7}, {12, 0, 0}}},
      {"MirrorRows",
       [](TIntMatrix& m) { m.MirrorRows(); },
       {{0, 0, 12}, {7, 0, 0}, {0, 5, 0}, {1, 0, 3}}},
      {"invalid indices",
       [](TIntMatrix& m) {
         m.ExchangeColumns(0, 1);
         m.ExchangeColumns(1, 4);
         m.ExchangeRows(5, 1);
       },
       image},
      {"Transpose",
       [](TIntMatrix& m) { m.Transpose(); },
       {{1, 0, 7, 0}, {0, 5, 0, 0}, {3, 0, 0, 12}}},
  };
  for (const auto& k : cases)
    for (const bool sparse : {false, true}) {
      auto m = MakeMatrix(image, sparse);
      k.apply(*m);
      EXPECT_EQ(Rows(*m), k.want) << k.what << (sparse ? " sparse" : " dense");
      if (sparse) {
        EXPECT_TRUE(std::is_sorted(m->Entries().begin(), m->Entries().end(), matrix::KeyLess));
      }
    }
}

TEST(TIntMatrix, SortRowsAndColsAsTMatrix) {
  const TIntRows image = {{3, 9, 1}, {1, 8, 2}, {2, 7, 3}, {1, 6, 4}};
  for (const bool rows : {true, false}) {
    auto m = MakeMatrix(image, false);
    TMatrix f(nullptr);
    f.Resize(3, 4);
    f.CopyFrom(*m, 1, 1, 3, 4, 1, 1);
    std::vector<std::vector<int32_t>> intEvents, doubleEvents;
    m->OnSortExchange = [&](TObject*, uint8_t w, int32_t i, int32_t j, int32_t lo, int32_t hi) {
      intEvents.push_back({w, i, j, lo, hi});
    };
    f.OnSortExchange = [&](TObject*, uint8_t w, int32_t i, int32_t j, int32_t lo, int32_t hi) {
      doubleEvents.push_back({w, i, j, lo, hi});
    };
    if (rows) {
      m->SortRows(1, true, 2, 0, 2, 0);
      f.SortRows(1, true, 2, 0, 2, 0);
    } else {
      m->SortCols(4, false, 0, 1, 0, 3);
      f.SortCols(4, false, 0, 1, 0, 3);
    }
    EXPECT_EQ(intEvents, doubleEvents) << (rows ? "rows" : "cols");
    EXPECT_FALSE(intEvents.empty());
    for (int32_t c = 1; c <= 3; ++c)
      for (int32_t r = 1; r <= 4; ++r) EXPECT_EQ(m->GetVal(c, r), f.GetVal(c, r)) << c << "," << r;
  }
}

TEST(TIntMatrix, CopyFromClampsAndClipsInEveryModeCombination) {
  const TIntRows source = {{1, 0, 3}, {4, 5, 0}, {0, 8, 9}};
  const struct {
    const char* what;
    int32_t loCol, loRow, hiCol, hiRow, destCol, destRow;
    TIntRows want;
  } cases[] = {
      {"inside", 1, 1, 2, 2, 2, 2, {{-1, -1, -1}, {-1, 1, 0}, {-1, 4, 5}}},
      {"ordered", 2, 2, 1, 1, 1, 1, {{1, 0, -1}, {4, 5, -1}, {-1, -1, -1}}},
      {"zero bounds are 1", 0, 0, 0, 0, 3, 3, {{-1, -1, -1}, {-1, -1, -1}, {-1, -1, 1}}},
      {"clamped and clipped", -5, 2, 99, 99, 2, 2, {{-1, -1, -1}, {-1, 4, 5}, {-1, 0, 8}}},
      {"before the start", 1, 1, 3, 3, -1, 0, {{0, -1, -1}, {9, -1, -1}, {-1, -1, -1}}},
      {"far away", 1, 1, 3, 3, kIntMax, kIntMin, {{-1, -1, -1}, {-1, -1, -1}, {-1, -1, -1}}},
  };
  for (const auto& k : cases)
    for (const bool sparseSource : {false, true})
      for (const bool sparseDest : {false, true}) {
        SCOPED_TRACE(std::string(k.what) + (sparseSource ? " from sparse" : " from dense") +
                     (sparseDest ? " to sparse" : " to dense"));
        auto src = MakeMatrix(source, sparseSource);
        auto dest = MakeMatrix({{-1, -1, -1}, {-1, -1, -1}, {-1, -1, -1}}, sparseDest);
        int changes = 0;
        dest->OnChange = [&](TObject*) { ++changes; };
        dest->CopyFrom(*src, k.loCol, k.loRow, k.hiCol, k.hiRow, k.destCol, k.destRow);
        EXPECT_EQ(changes, 1);
        if (!sparseDest) {
          EXPECT_EQ(Rows(*dest), k.want);
          continue;
        }
        TIntRows got = Rows(*dest);
        got.resize(3);
        for (auto& row : got) row.resize(3);
        EXPECT_EQ(got, k.want);
      }
  // Into a sparse matrix the copy creates entries only for non-zero
  // elements, and goes beyond the counts.
  auto src = MakeMatrix(source, false);
  TIntMatrix dest(nullptr, 4);
  dest.SetVal(2, 1, 6);
  dest.CopyFrom(*src, 1, 1, 3, 3, 1, 1);
  EXPECT_EQ(EntriesOf(dest),
            (std::vector<TIntMatEntry>{
                {1, 1, 1}, {1, 2, 4}, {2, 1, 0}, {2, 2, 5}, {2, 3, 8}, {3, 1, 3}, {3, 3, 9}}));
  dest.CopyFrom(*src, 3, 3, 3, 3, kIntMax, 1);
  EXPECT_EQ(dest.GetVal(kIntMax, 1), 9);
  EXPECT_EQ(dest.NrOfColumns(), kIntMax);

  // Overlapping rectangles of one matrix.
  for (const bool sparse : {false, true}) {
    auto m = MakeMatrix(source, sparse);
    m->CopyFrom(*m, 1, 1, 2, 2, 2, 2);
    EXPECT_EQ(Rows(*m), (TIntRows{{1, 0, 3}, {4, 1, 0}, {0, 4, 5}})) << sparse;
  }
}

TEST(TIntMatrix, CopiesIntoVectorsAndDoubleMatrices) {
  for (const bool sparse : {false, true}) {
    SCOPED_TRACE(sparse ? "sparse" : "dense");
    auto m = MakeMatrix({{1, 2, 3}, {4, 0, 6}}, sparse);
    TIntVector v(nullptr);
    v.Resize(4);
    v.Fill(9);
    m->CopyRowToVec(v, 7, 2, 3);
    EXPECT_EQ(std::vector<int32_t>(v.Data(), v.Data() + 4), (std::vector<int32_t>{0, 6, 0, 0}));
    m->CopyColToVec(v, -1, 0, 0);
    EXPECT_EQ(std::vector<int32_t>(v.Data(), v.Data() + 4), (std::vector<int32_t>{1, 4, 0, 0}));
    v.Resize(1);
    m->CopyRowToVec(v, 1, 2, 3);
    EXPECT_EQ(v.GetVal(1), 2);

    TMatrix f(nullptr);
    f.Resize(3, 3);
    f.Fill(-1);
    f.CopyFrom(*m, 2, 1, 9, 9, 2, 2);
    EXPECT_EQ(f.GetVal(2, 2), 2);
    EXPECT_EQ(f.GetVal(2, 3), 0);
    EXPECT_EQ(f.GetVal(3, 3), 6);
    EXPECT_EQ(f.GetVal(1, 1), -1);
    EXPECT_EQ(f.GetVal(3, 2), 3);
  }
}

TEST(TIntMatrix, TraceFollowsTheShapeInBothModes) {
  // The bounding box of (1, 1) and (2, 3) is not square, the matrix is.
  for (const bool sparse : {false, true}) {
    auto m = MakeMatrix({{5, 0, 0}, {0, 0, 0}, {0, 7, 0}}, sparse);
    EXPECT_EQ(m->Trace(), 5) << sparse;
    m->Resize(3, 2);
    EXPECT_EQ(m->Trace(), 0) << sparse;
  }
  TIntMatrix s(nullptr, 1);
  s.SetVal(2, 2, kIntMax);
  s.SetVal(1, 1, kIntMax);
  EXPECT_EQ(s.Trace(), 2 * int64_t{kIntMax}) << "exact";
}

}  // namespace
}  // namespace nuv
