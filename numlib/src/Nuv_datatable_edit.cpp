// Structure editing, exchanging, long format and sorting of the data table
// (Nuv_datatable).
#include <algorithm>
#include <limits>
#include <new>
#include <stdexcept>

#include "Nuv_datatable_parts.h"
#include "Nuv_vector_stats.h"
#include "nuv/Nuv_datatable.h"
#include "nuv/platform/CodePage.h"

namespace nuv {

namespace {

constexpr int32_t kMaxCount = std::numeric_limits<int32_t>::max();

// Moves the element at position `from` to position `to` of a range, the
// ones in between shifting by one.
template <class It>
void MoveElement(It first, int64_t from, int64_t to) {
  if (from > to)
    std::rotate(first + to, first + from, first + from + 1);
  else if (from < to)
    std::rotate(first + from, first + from + 1, first + to + 1);
}

}  // namespace

// ---------------------------------------------------------------------------
// Lines: a row or a column moves to another position, its values, states,
// name and attributes with it. Insertion appends a fresh line and moves it;
// removal moves the line to the end and cuts it off, so that a failing
// reshape can be undone.

void TDataTable::MoveRow(int32_t from, int32_t to) {
  for (int32_t c = 1; c <= ncols_; ++c) {
    MoveElement(data_->Column(c), from - 1, to - 1);
    MoveElement(StatesOf(c), from - 1, to - 1);
  }
  MoveElement(row_names_.begin(), from - 1, to - 1);
  MoveElement(row_attribs_.begin(), from - 1, to - 1);
}

void TDataTable::MoveColumn(int32_t from, int32_t to) {
  // Columns are adjacent blocks of NrOfRows values and states.
  const int64_t n = nrows_;
  const auto blocks = [&](auto* base) {
    auto* lo = base + (std::min(from, to) - 1) * n;
    auto* hi = base + std::max(from, to) * n;
    if (from > to)
      std::rotate(lo, hi - n, hi);
    else
      std::rotate(lo, lo + n, hi);
  };
  if (from == to) return;
  blocks(data_->Column(1));
  blocks(states_.data());
  MoveElement(col_names_.begin(), from - 1, to - 1);
  MoveElement(col_attribs_.begin(), from - 1, to - 1);
  MoveElement(col_info_.begin(), from - 1, to - 1);
}

void TDataTable::FireStructureChanged(int32_t oldCols, int32_t oldRows) {
  FireResize(oldCols, oldRows);
  FireAllChanged();
}

void TDataTable::InsertRow(int32_t Row) {
  if (Row < 1 || Row > int64_t{nrows_} + 1) return;
  if (nrows_ == kMaxCount) Raise("not enough memory on heap");
  const int32_t oldRows = nrows_;
  {
    TPause pause(*this, evAll);
    Reshape(ncols_, nrows_ + 1, true);
    MoveRow(nrows_, Row);
    ResetRow(Row, false);
  }
  FireStructureChanged(ncols_, oldRows);
}

void TDataTable::RemoveRow(int32_t Row) {
  if (!ValidRow(Row) || nrows_ < 2) return;
  const int32_t oldRows = nrows_;
  {
    TPause pause(*this, evAll);
    MoveRow(Row, nrows_);
    try {
      Reshape(ncols_, nrows_ - 1, true);
    } catch (const ENUVDataTableError&) {
      MoveRow(nrows_, Row);
      throw;
    }
  }
  FireStructureChanged(ncols_, oldRows);
}

void TDataTable::InsertColumn(int32_t Col) {
  if (Col < 1 || Col > int64_t{ncols_} + 1) return;
  if (ncols_ == kMaxCount) Raise("not enough memory on heap");
  const int32_t oldCols = ncols_;
  {
    TPause pause(*this, evAll);
    Reshape(ncols_ + 1, nrows_, true);
    MoveColumn(ncols_, Col);
    ResetColumn(Col, false);
  }
  FireStructureChanged(oldCols, nrows_);
}

void TDataTable::RemoveColumn(int32_t Col) {
  if (!ValidCol(Col) || ncols_ < 2) return;
  const int32_t oldCols = ncols_;
  {
    TPause pause(*this, evAll);
    MoveColumn(Col, ncols_);
    try {
      Reshape(ncols_ - 1, nrows_, true);
    } catch (const ENUVDataTableError&) {
      MoveColumn(ncols_, Col);
      throw;
    }
  }
  FireStructureChanged(oldCols, nrows_);
}

// ---------------------------------------------------------------------------
// Exchanging

void TDataTable::ExchangeColumnRecords(int32_t c1, int32_t c2) {
  std::swap(col_names_[c1 - 1], col_names_[c2 - 1]);
  std::swap(col_attribs_[c1 - 1], col_attribs_[c2 - 1]);
  std::swap(col_info_[c1 - 1], col_info_[c2 - 1]);
}

void TDataTable::ExchangeRowRecords(int32_t r1, int32_t r2) {
  std::swap(row_names_[r1 - 1], row_names_[r2 - 1]);
  std::swap(row_attribs_[r1 - 1], row_attribs_[r2 - 1]);
}

void TDataTable::ExchangeCells(bool columns, bool values, int32_t i1, int32_t i2, int32_t first,
                               int32_t last) {
  const int32_t count = columns ? nrows_ : ncols_;
  first = std::clamp(first, 1, count);
  last = std::clamp(last, 1, count);
  if (first > last) std::swap(first, last);
  if (columns) {
    std::swap_ranges(StatesOf(i1) + first - 1, StatesOf(i1) + last, StatesOf(i2) + first - 1);
    if (values)
      std::swap_ranges(data_->Column(i1) + first - 1, data_->Column(i1) + last,
                       data_->Column(i2) + first - 1);
    return;
  }
  for (int32_t c = first; c <= last; ++c) {
    std::swap(states_[CellIndex(c, i1)], states_[CellIndex(c, i2)]);
    if (values) std::swap(data_->Column(c)[i1 - 1], data_->Column(c)[i2 - 1]);
  }
}

void TDataTable::ExchangeColumns(int32_t Col1, int32_t Col2) {
  if (!ValidCol(Col1) || !ValidCol(Col2)) return;
  {
    TPause pause(*this, evAll);
    ExchangeCells(true, true, Col1, Col2, 1, nrows_);
    ExchangeColumnRecords(Col1, Col2);
  }
  FireAllChanged();
}

void TDataTable::ExchangeRows(int32_t Row1, int32_t Row2) {
  if (!ValidRow(Row1) || !ValidRow(Row2)) return;
  {
    TPause pause(*this, evAll);
    ExchangeCells(false, true, Row1, Row2, 1, ncols_);
    ExchangeRowRecords(Row1, Row2);
  }
  FireAllChanged();
}

void TDataTable::MirrorColumns() {
  {
    TPause pause(*this, evAll);
    for (int32_t c = 1, d = ncols_; c < d; ++c, --d) {
      ExchangeCells(true, true, c, d, 1, nrows_);
      ExchangeColumnRecords(c, d);
    }
  }
  FireAllChanged();
}

void TDataTable::MirrorRows() {
  {
    TPause pause(*this, evAll);
    for (int32_t c = 1; c <= ncols_; ++c) {
      std::reverse(data_->Column(c), data_->Column(c) + nrows_);
      std::reverse(StatesOf(c), StatesOf(c) + nrows_);
    }
    std::reverse(row_names_.begin(), row_names_.end());
    std::reverse(row_attribs_.begin(), row_attribs_.end());
  }
  FireAllChanged();
}

// ---------------------------------------------------------------------------
// Long format

void TDataTable::Serialize(bool WithColumnInfo) {
  const int64_t cells = int64_t{ncols_} * nrows_;
  if (cells > kMaxCount) Raise("too many cells for the long format");
  const int32_t newCols = WithColumnInfo ? 2 : 1, newRows = static_cast<int32_t>(cells);
  const TMScaleType level = FindHighestMLevel(0, 0);
  const bool categorial = level == stNominal || level == stOrdinal;

  // Every column's codes are translated into one identifier table, so that
  // equal identifiers of different columns get one code; cells whose code
  // has no identifier keep their number.
  TColumnInfo data;
  data.ScaleType = level;
  std::vector<std::array<int32_t, MaxNominalIDs>> recode(categorial ? ncols_ : 0);
  for (std::size_t c = 0; c < recode.size(); ++c) {
    recode[c].fill(0);
    if (!IsCategorial(static_cast<int32_t>(c) + 1)) continue;
    for (int32_t k = 0; k < MaxNominalIDs; ++k) {
      const TNominalIDStr& id = col_info_[c].Slots[k];
      if (id.Empty()) continue;
      int32_t slot = 0;
      const std::string key = AnsiLowerCase(id.View());
      for (int32_t s = 0; s < MaxNominalIDs && slot == 0; ++s)
        if (!data.Slots[s].Empty() && AnsiLowerCase(data.Slots[s].View()) == key) slot = s + 1;
      for (int32_t s = 0; s < MaxNominalIDs && slot == 0; ++s)
        if (data.Slots[s].Empty()) {
          data.Slots[s] = id;
          slot = s + 1;
        }
      if (slot == 0) Raise("number of available nominal values exceeded");
      recode[c][k] = slot;
    }
  }

  std::vector<double> values;
  std::vector<uint8_t> oldStates;
  std::vector<TLineName> oldRowNames, oldColNames;
  std::vector<uint8_t> oldRowAttribs;
  try {
    values.reserve(cells);
    oldStates = states_;
    oldRowNames = row_names_;
    oldColNames = col_names_;
    oldRowAttribs = row_attribs_;
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  for (int32_t c = 1; c <= ncols_; ++c)
    for (int32_t r = 1; r <= nrows_; ++r) {
      double x = GetElem(c, r);
      if (!recode.empty() && IsCategorial(c) && x >= 1 && x <= MaxNominalIDs &&
          recode[c - 1][static_cast<int32_t>(x) - 1] != 0)
        x = recode[c - 1][static_cast<int32_t>(x) - 1];
      values.push_back(x);
    }

  const int32_t oldCols = ncols_, oldRows = nrows_;
  {
    TPause pause(*this, evAll);
    Reshape(newCols, newRows, true);
    for (int64_t i = 0; i < cells; ++i) {
      row_names_[i] = oldRowNames[i % oldRows];
      row_attribs_[i] = oldRowAttribs[i % oldRows];
    }
    std::fill(states_.begin(), states_.end(), 0);
    std::copy(oldStates.begin(), oldStates.end(), StatesOf(newCols));
    std::copy(values.begin(), values.end(), data_->Column(newCols));
    for (int32_t c = 1; c <= newCols; ++c) ResetColumn(c, false);
    if (WithColumnInfo) {
      TColumnInfo& index = col_info_[0];
      index.ScaleType = stNominal;
      for (int32_t s = 1; s <= oldCols; ++s) {
        std::fill_n(data_->Column(1) + int64_t{s - 1} * oldRows, oldRows, s);
        if (s <= MaxNominalIDs)
          index.Slots[s - 1] = IntToStr(s) + ":" + std::string(oldColNames[s - 1].View());
      }
      col_names_[0] = "(column)";
    }
    col_info_[newCols - 1] = data;
    col_names_[newCols - 1] = "(data)";
  }
  FireStructureChanged(oldCols, oldRows);
}

// ---------------------------------------------------------------------------
// Sorting

void TDataTable::SortCols(int32_t KeyRow, bool Ascending, int32_t LowCol, int32_t LowRow,
                          int32_t HighCol, int32_t HighRow, bool MoveNames) {
  int32_t lo = LowRow, hi = HighRow;
  data_->MakeValidRowRange(lo, hi);
  SortByMatrix(ValidRow(KeyRow) && (KeyRow < lo || KeyRow > hi) ? KeyRow : 0, MoveNames,
               [&] { data_->SortCols(KeyRow, Ascending, LowCol, LowRow, HighCol, HighRow); });
}

void TDataTable::SortRows(int32_t KeyCol, bool Ascending, int32_t LowCol, int32_t LowRow,
                          int32_t HighCol, int32_t HighRow, bool MoveNames) {
  int32_t lo = LowCol, hi = HighCol;
  data_->MakeValidColRange(lo, hi);
  SortByMatrix(ValidCol(KeyCol) && (KeyCol < lo || KeyCol > hi) ? KeyCol : 0, MoveNames,
               [&] { data_->SortRows(KeyCol, Ascending, LowCol, LowRow, HighCol, HighRow); });
}

void TDataTable::SortByMatrix(int32_t keyOutside, bool moveNames,
                              const std::function<void()>& sort) {
  sort_moves_names_ = moveNames;
  sort_key_outside_ = keyOutside;
  try {
    sort();
  } catch (...) {
    sort_key_outside_ = 0;
    throw;
  }
  sort_key_outside_ = 0;
  ChangedCellStates();
  if (moveNames) {
    ChangedNames();
    ChangedAttrib();
  }
}

void TDataTable::ExchangeDuringSort(TObject* Sender, uint8_t ExchgWhat, int32_t Index1,
                                    int32_t Index2, int32_t First, int32_t Last) {
  const bool columns = ExchgWhat == 1;
  if (columns ? ValidCol(Index1) && ValidCol(Index2) : ValidRow(Index1) && ValidRow(Index2)) {
    ExchangeCells(columns, false, Index1, Index2, First, Last);
    if (sort_key_outside_ != 0)
      ExchangeCells(columns, false, Index1, Index2, sort_key_outside_, sort_key_outside_);
    if (sort_moves_names_) {
      if (columns)
        ExchangeColumnRecords(Index1, Index2);
      else
        ExchangeRowRecords(Index1, Index2);
    }
  }
  if (OnSortExchange) OnSortExchange(Sender, ExchgWhat, Index1, Index2, First, Last);
}

void TDataTable::SortLines(bool columns, bool ascending, const TRange& r,
                           std::vector<std::string> keys) {
  const int32_t lo = columns ? r.LoCol : r.LoRow, hi = columns ? r.HiCol : r.HiRow;
  const int32_t first = columns ? r.LoRow : r.LoCol, last = columns ? r.HiRow : r.HiCol;
  bool moved = false;
  {
    TPause pause(*this, evAll);
    stats::CombSort(
        lo, hi, int64_t{hi} - lo,
        [&](int32_t i, int32_t j) {
          const std::string &a = keys[i - lo], &b = keys[j - lo];
          return ascending ? a > b : a < b;
        },
        [&](int32_t i, int32_t j) {
          std::swap(keys[i - lo], keys[j - lo]);
          ExchangeCells(columns, true, i, j, first, last);
          if (columns)
            ExchangeColumnRecords(i, j);
          else
            ExchangeRowRecords(i, j);
          moved = true;
          if (OnSortExchange) OnSortExchange(this, columns ? 1 : 2, i, j, first, last);
        });
  }
  if (moved) FireAllChanged();
}

std::vector<std::string> TDataTable::LineKeys(bool columns, bool attributes, bool ignoreCase,
                                              const TRange& r) const {
  const int32_t lo = columns ? r.LoCol : r.LoRow, hi = columns ? r.HiCol : r.HiRow;
  std::vector<std::string> keys;
  keys.reserve(static_cast<std::size_t>(hi - lo + 1));
  for (int32_t i = lo; i <= hi; ++i) {
    if (attributes) {
      keys.emplace_back(1, static_cast<char>(columns ? col_attribs_[i - 1] : row_attribs_[i - 1]));
      continue;
    }
    const std::string_view name = columns ? col_names_[i - 1].View() : row_names_[i - 1].View();
    keys.push_back(ignoreCase ? AnsiLowerCase(name) : std::string(name));
  }
  return keys;
}

void TDataTable::SortRowNames(bool Ascending, bool IgnoreCase, int32_t LowCol, int32_t LowRow,
                              int32_t HighCol, int32_t HighRow) {
  const TRange r = ValidRange(LowCol, LowRow, HighCol, HighRow);
  SortLines(false, Ascending, r, LineKeys(false, false, IgnoreCase, r));
}

void TDataTable::SortRowNames(bool Ascending, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                              int32_t HighRow) {
  SortRowNames(Ascending, false, LowCol, LowRow, HighCol, HighRow);
}

void TDataTable::SortColNames(bool Ascending, bool IgnoreCase, int32_t LowCol, int32_t LowRow,
                              int32_t HighCol, int32_t HighRow) {
  const TRange r = ValidRange(LowCol, LowRow, HighCol, HighRow);
  SortLines(true, Ascending, r, LineKeys(true, false, IgnoreCase, r));
}

void TDataTable::SortColNames(bool Ascending, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                              int32_t HighRow) {
  SortColNames(Ascending, false, LowCol, LowRow, HighCol, HighRow);
}

void TDataTable::SortRowAttributes(bool Ascending, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                   int32_t HighRow) {
  const TRange r = ValidRange(LowCol, LowRow, HighCol, HighRow);
  SortLines(false, Ascending, r, LineKeys(false, true, false, r));
}

void TDataTable::SortColAttributes(bool Ascending, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                   int32_t HighRow) {
  const TRange r = ValidRange(LowCol, LowRow, HighCol, HighRow);
  SortLines(true, Ascending, r, LineKeys(true, true, false, r));
}

}  // namespace nuv
