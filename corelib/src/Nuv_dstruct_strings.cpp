// TStringArray: paged text storage, shape, rows, searches, sorting and
// compaction; IndexOfNearestArrayValue.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "Nuv_dstruct_internal.h"
#include "nuv/Nuv_dstruct.h"
#include "nuv/platform/CodePage.h"

namespace nuv {

namespace {

constexpr std::string_view kInitFailed = "Class TStringArray: failed to initialize (out of memory)";
constexpr std::string_view kNoRoom = "Class TStringArray: no room for more text";

int32_t g_pageLimit = TStringArray::kMaxPages;

uint32_t MakeHandle(std::size_t Page, int32_t Offset) {
  return static_cast<uint32_t>(Page + 1) << 16 | static_cast<uint32_t>(Offset);
}
std::size_t PageOf(uint32_t Handle) { return (Handle >> 16) - 1; }

std::string_view Clip(std::string_view S) {
  return S.substr(0, static_cast<std::size_t>(TStringArray::kMaxTextLength));
}

bool AllBlanks(std::string_view S) {
  return std::all_of(S.begin(), S.end(), [](char c) { return c == ' '; });
}

// Clamps both bounds to lo..hi and puts them in order.
void OrderedBounds(int32_t& A, int32_t& B, int32_t Lo, int32_t Hi) {
  A = std::clamp(A, Lo, Hi);
  B = std::clamp(B, Lo, Hi);
  if (A > B) std::swap(A, B);
}

int32_t NextGap(int32_t Gap) {
  return std::max(1, static_cast<int32_t>(static_cast<double>(Gap) / 1.3));
}

// The comparisons the comb sort is expected to make over N rows.
int64_t SortEstimate(int32_t N) {
  int64_t total = 0;
  int32_t gap = N;
  do {
    gap = NextGap(gap);
    total += N - gap;
  } while (gap > 1);
  return total + N;
}

// One comb sort over positions 0..N-1. OutOfOrder(i, j) with i < j tells
// whether the two must exchange; AfterPass(comparisons so far) returns
// false to stop.
template <class OutOfOrder, class Exchange, class AfterPass>
void CombSort(int32_t N, const OutOfOrder& outOfOrder, const Exchange& exchange,
              const AfterPass& afterPass) {
  int32_t gap = N;
  int64_t done = 0;
  bool exchanged = false;
  do {
    gap = NextGap(gap);
    exchanged = false;
    for (int32_t d = 0; d + gap < N; ++d) {
      ++done;
      if (outOfOrder(d, d + gap)) {
        exchange(d, d + gap);
        exchanged = true;
      }
    }
    if (!afterPass(done)) return;
  } while (gap > 1 || exchanged);
}

// Byte order, a prefix first.
int CompareBytes(std::string_view A, std::string_view B) {
  const int c = A.compare(B);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace

namespace detail {

const std::array<char, 256>& LowerCaseTable() {
  static const std::array<char, 256> table = [] {
    std::array<char, 256> t{};
    for (int c = 0; c < 256; ++c)
      t[static_cast<std::size_t>(c)] = AnsiLowerChar(static_cast<char>(c));
    return t;
  }();
  return table;
}

std::string_view LowerInto(std::string_view S, char* Buffer) {
  const auto& lower = LowerCaseTable();
  for (std::size_t i = 0; i < S.size(); ++i) Buffer[i] = lower[static_cast<uint8_t>(S[i])];
  return {Buffer, S.size()};
}

int32_t SetStringArrayPageLimit(int32_t Limit) {
  const int32_t old = g_pageLimit;
  g_pageLimit = std::clamp(Limit, 1, TStringArray::kMaxPages);
  return old;
}

}  // namespace detail

// ---------------------------------------------------------------------------
// Construction, events, storage

TStringArray::TStringArray(TComponent* AOwner) : TComponent(AOwner) {
  try {
    allocRows_ = allocRowsBy_;
    cells_.assign(static_cast<std::size_t>(cols_ + 1) * static_cast<std::size_t>(allocRows_), 0);
    rowAttr_.assign(static_cast<std::size_t>(allocRows_), 0);
    colAttr_.assign(static_cast<std::size_t>(cols_), 0);
    sortOrder_.resize(static_cast<std::size_t>(allocRows_));
    ResetSortOrder();
    pages_.push_back(std::make_unique_for_overwrite<uint8_t[]>(kPageSize));
    fill_.push_back(1);
    ResetRoomSearch();
  } catch (const std::bad_alloc&) {
    throw ENUVDStructError(std::string(kInitFailed));
  }
}

TStringArray::~TStringArray() = default;

void TStringArray::Changed() {
  ++changes_;
  if (eventsHeld_ > 0) {
    changedWhileHeld_ = true;
    return;
  }
  if (OnChange) OnChange(this);
}

template <class F>
void TStringArray::Bulk(const F& Change) {
  ++eventsHeld_;
  try {
    Change();
  } catch (...) {
    --eventsHeld_;
    throw;
  }
  if (--eventsHeld_ == 0 && changedWhileHeld_) {
    changedWhileHeld_ = false;
    Changed();
  }
}

void TStringArray::ResetRoomSearch() { firstRoom_.assign(kMaxTextLength + 1, 0); }

uint32_t TStringArray::NewRoom(std::size_t Length) {
  // The free room 32768 - fill + 1 must exceed the length byte plus the
  // characters.
  const auto fits = [&](std::size_t page) {
    return kPageSize - fill_[page] + 1 > static_cast<int32_t>(Length) + 1;
  };
  int32_t& first = firstRoom_[Length];
  std::size_t page = static_cast<std::size_t>(first);
  while (page < pages_.size() && !fits(page)) ++page;
  first = static_cast<int32_t>(page);
  if (page == pages_.size()) {
    if (NrOfPages() >= g_pageLimit) throw ENUVDStructError(std::string(kNoRoom));
    try {
      pages_.push_back(std::make_unique_for_overwrite<uint8_t[]>(kPageSize));
      fill_.push_back(1);
    } catch (const std::bad_alloc&) {
      pages_.resize(fill_.size());
      throw ENUVDStructError(std::string(kNoRoom));
    }
  }
  const int32_t offset = fill_[page];
  fill_[page] += static_cast<int32_t>(Length) + 1;
  return MakeHandle(page, offset);
}

void TStringArray::Store(uint32_t& Handle, std::string_view S) {
  if (Handle == 0 || *PlaceOf(Handle) < S.size()) Handle = NewRoom(S.size());
  uint8_t* at = PlaceOf(Handle);
  at[0] = static_cast<uint8_t>(S.size());
  if (!S.empty()) std::memcpy(at + 1, S.data(), S.size());
}

// ---------------------------------------------------------------------------
// Cells and attributes

std::string TStringArray::Elem(int32_t ACol, int32_t ARow) const {
  const std::string_view text = ElemView(ACol, ARow);
  // Knowing a text to be at most 255 bytes long, GCC copies it with "rep
  // movsq", which takes longer than a call of memcpy for short texts.
  std::size_t length = text.size();
  asm("" : "+r"(length));
  return std::string(text.data(), length);
}

void TStringArray::SetElem(int32_t ACol, int32_t ARow, std::string_view S) {
  if (!ValidCell(ACol, ARow)) return;
  Store(cells_[CellIx(ACol, Physical(ARow))], Clip(S));
  Changed();
}

long double TStringArray::AsNumber(int32_t ACol, int32_t ARow) const {
  const std::string_view text = ElemView(ACol, ARow);
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return 0;
  std::string number(text.substr(first, text.find_last_not_of(' ') - first + 1));
  std::replace(number.begin(), number.end(), ',', '.');
  long double value = 0;
  int32_t code = 0;
  Val(number, value, code);
  if (code != 0)
    throw ENUVDStructError("Class TStringArray: invalid numeric string: [" + IntToStr(ACol) + "," +
                           IntToStr(ARow) + "]: " + std::string(text));
  return value;
}

uint8_t TStringArray::RowAttrib(int32_t ARow) const {
  if (ARow < 1 || ARow > rows_) return 0;
  return rowAttr_[static_cast<std::size_t>(Physical(ARow) - 1)];
}

void TStringArray::SetRowAttrib(int32_t ARow, uint8_t Value) {
  if (ARow < 1 || ARow > rows_) return;
  rowAttr_[static_cast<std::size_t>(Physical(ARow) - 1)] = Value;
  Changed();
}

uint8_t TStringArray::ColAttrib(int32_t ACol) const {
  if (ACol < 1 || ACol > cols_) return 0;
  return colAttr_[static_cast<std::size_t>(ACol - 1)];
}

void TStringArray::SetColAttrib(int32_t ACol, uint8_t Value) {
  if (ACol < 1 || ACol > cols_) return;
  colAttr_[static_cast<std::size_t>(ACol - 1)] = Value;
  Changed();
}

int32_t TStringArray::SortOrder(int32_t Ix) const {
  if (Ix < 1 || Ix > rows_) return 0;
  return Physical(Ix);
}

uint32_t TStringArray::CellHandle(int32_t ACol, int32_t ARow) const {
  if (!ValidCell(ACol, ARow)) return 0;
  return cells_[CellIx(ACol, Physical(ARow))];
}

int32_t TStringArray::PageFillMark(int32_t Page) const {
  if (Page < 1 || Page > NrOfPages()) return 0;
  return fill_[static_cast<std::size_t>(Page - 1)];
}

// ---------------------------------------------------------------------------
// Shape

void TStringArray::SetAllocRowsBy(int32_t Value) { allocRowsBy_ = std::max(Value, 1); }

void TStringArray::ResetSortOrder() {
  for (std::size_t i = 0; i < sortOrder_.size(); ++i) sortOrder_[i] = static_cast<int32_t>(i + 1);
  inOrder_ = true;
}

bool TStringArray::Reallocate(int32_t NrCols, int32_t NrRows) {
  const int64_t by = allocRowsBy_;
  const int64_t alloc = by * ((int64_t{NrRows} + by - 1) / by);
  const int64_t cellCount = (int64_t{NrCols} + 1) * alloc;
  if (alloc > INT32_MAX || cellCount > detail::kMaxBufferBytes / int64_t{sizeof(uint32_t)})
    return false;
  try {
    std::vector<uint32_t> cells(static_cast<std::size_t>(cellCount), 0);
    std::vector<int32_t> order(static_cast<std::size_t>(alloc));
    std::vector<uint8_t> rowAttr(static_cast<std::size_t>(alloc), 0);
    std::vector<uint8_t> colAttr(static_cast<std::size_t>(NrCols), 0);
    // Only cells inside both shapes survive: a handle left outside the rows
    // would escape compaction and show foreign text once the rows grow.
    const auto keepRows = static_cast<std::size_t>(std::min(rows_, NrRows));
    const auto keepCols = static_cast<std::size_t>(std::min(cols_, NrCols)) + 1;
    for (std::size_t r = 0; r < keepRows; ++r)
      std::copy_n(
          cells_.begin() + static_cast<std::ptrdiff_t>(r * static_cast<std::size_t>(cols_ + 1)),
          keepCols,
          cells.begin() + static_cast<std::ptrdiff_t>(r * static_cast<std::size_t>(NrCols + 1)));
    std::copy_n(rowAttr_.begin(), keepRows, rowAttr.begin());
    std::copy_n(colAttr_.begin(), std::min(cols_, NrCols), colAttr.begin());
    cells_ = std::move(cells);
    sortOrder_ = std::move(order);
    rowAttr_ = std::move(rowAttr);
    colAttr_ = std::move(colAttr);
  } catch (const std::bad_alloc&) {
    return false;
  }
  allocRows_ = static_cast<int32_t>(alloc);
  return true;
}

void TStringArray::EmptyPhysicalRow(int32_t PhysRow) {
  for (int32_t c = 0; c <= cols_; ++c) cells_[CellIx(c, PhysRow)] = 0;
  rowAttr_[static_cast<std::size_t>(PhysRow - 1)] = 0;
}

bool TStringArray::Resize(int32_t NrCols, int32_t NrRows) {
  if (NrCols == cols_ && NrRows == rows_) return true;
  if (NrCols < 1 || NrRows < 1) return false;
  if (NrCols != cols_ || NrRows > allocRows_) {
    if (!Reallocate(NrCols, NrRows)) return false;
  } else {
    for (int32_t r = std::min(rows_, NrRows) + 1; r <= std::max(rows_, NrRows); ++r)
      EmptyPhysicalRow(r);
  }
  cols_ = NrCols;
  rows_ = NrRows;
  ResetSortOrder();
  Changed();
  return true;
}

int32_t TStringArray::AddRow() {
  if (rows_ < INT32_MAX) Resize(cols_, rows_ + 1);
  return rows_;
}

void TStringArray::Clear() {
  std::fill(cells_.begin(), cells_.end(), 0);
  std::fill(rowAttr_.begin(), rowAttr_.end(), 0);
  ResetSortOrder();
  pages_.resize(1);
  fill_.assign(1, 1);
  ResetRoomSearch();
  Changed();
}

void TStringArray::Fill(std::string_view S) {
  if (S.empty()) {
    Clear();
    return;
  }
  const std::string_view text = Clip(S);
  Bulk([&] {
    for (int32_t c = 0; c <= cols_; ++c)
      for (int32_t r = 1; r <= rows_; ++r) Store(cells_[CellIx(c, r)], text);
    Changed();
  });
}

bool TStringArray::ColumnEmpty(int32_t ACol) const {
  if (ACol < 0 || ACol > cols_) return false;
  for (int32_t r = 1; r <= rows_; ++r)
    if (!AllBlanks(TextOf(cells_[CellIx(ACol, r)]))) return false;
  return true;
}

bool TStringArray::RowEmpty(int32_t ARow) const {
  if (ARow < 1 || ARow > rows_) return false;
  const int32_t phys = Physical(ARow);
  for (int32_t c = 1; c <= cols_; ++c)
    if (!AllBlanks(TextOf(cells_[CellIx(c, phys)]))) return false;
  return true;
}

// ---------------------------------------------------------------------------
// Rows

void TStringArray::MoveRows(int32_t From, int32_t To, int32_t Count) {
  if (Count <= 0) return;
  const auto n = static_cast<std::size_t>(Count);
  std::memmove(&cells_[CellIx(0, To)], &cells_[CellIx(0, From)],
               n * static_cast<std::size_t>(cols_ + 1) * sizeof(uint32_t));
  std::memmove(&rowAttr_[static_cast<std::size_t>(To - 1)],
               &rowAttr_[static_cast<std::size_t>(From - 1)], n);
}

void TStringArray::RemoveRow(int32_t ARow) {
  if (ARow < 1 || ARow > rows_) return;
  if (rows_ == 1) {
    EmptyPhysicalRow(Physical(1));
    Changed();
    return;
  }
  Bulk([&] {
    CommitSorting();
    MoveRows(ARow + 1, ARow, rows_ - ARow);
    EmptyPhysicalRow(rows_);
    Resize(cols_, rows_ - 1);
  });
}

void TStringArray::InsertRow(int32_t ARow) {
  if (ARow < 1 || ARow > rows_ || rows_ == INT32_MAX) return;
  Bulk([&] {
    CommitSorting();
    if (!Resize(cols_, rows_ + 1)) return;
    MoveRows(ARow, ARow + 1, rows_ - ARow);
    EmptyPhysicalRow(ARow);
  });
}

void TStringArray::CopyRow(int32_t Src, int32_t Dst) {
  if (Src < 1 || Src > rows_ || Dst < 1 || Dst > rows_ || Src == Dst) return;
  const int32_t from = Physical(Src), to = Physical(Dst);
  // Texts are copied, never handles: two cells sharing storage would both
  // change when one of them is overwritten in place.
  char text[kMaxTextLength];
  for (int32_t c = 0; c <= cols_; ++c) {
    const std::string_view s = TextOf(cells_[CellIx(c, from)]);
    std::copy(s.begin(), s.end(), text);
    Store(cells_[CellIx(c, to)], std::string_view(text, s.size()));
  }
  rowAttr_[static_cast<std::size_t>(to - 1)] = rowAttr_[static_cast<std::size_t>(from - 1)];
  Changed();
}

// ---------------------------------------------------------------------------
// Searching

template <class Match>
bool TStringArray::FindFirst(std::string_view S, bool MatchCase, int32_t ColLow, int32_t ColHigh,
                             int32_t RowLow, int32_t RowHigh, int32_t& ACol, int32_t& ARow,
                             const Match& Found) const {
  if (ColLow == -1 || ColHigh == -1) {
    ColLow = 0;
    ColHigh = cols_;
  }
  if (RowLow == -1 && RowHigh == -1) {
    RowLow = 1;
    RowHigh = rows_;
  }
  OrderedBounds(ColLow, ColHigh, 0, cols_);
  OrderedBounds(RowLow, RowHigh, 1, rows_);
  std::string needle(S);
  if (!MatchCase) detail::LowerInto(S, needle.data());
  char lowered[kMaxTextLength];
  for (int32_t r = RowLow; r <= RowHigh; ++r) {
    const int32_t phys = Physical(r);
    for (int32_t c = ColLow; c <= ColHigh; ++c) {
      std::string_view text = TextOf(cells_[CellIx(c, phys)]);
      if (!MatchCase) text = detail::LowerInto(text, lowered);
      if (Found(text, std::string_view(needle))) {
        ACol = c;
        ARow = r;
        return true;
      }
    }
  }
  return false;
}

bool TStringArray::FindCell(std::string_view S, bool MatchCase, int32_t ColLow, int32_t ColHigh,
                            int32_t RowLow, int32_t RowHigh, int32_t& ACol, int32_t& ARow) const {
  if (S.empty()) return false;
  return FindFirst(S, MatchCase, ColLow, ColHigh, RowLow, RowHigh, ACol, ARow,
                   [](std::string_view text, std::string_view s) {
                     return text.find(s) != std::string_view::npos;
                   });
}

bool TStringArray::FindCellExact(std::string_view S, bool MatchCase, int32_t ColLow,
                                 int32_t ColHigh, int32_t RowLow, int32_t RowHigh, int32_t& ACol,
                                 int32_t& ARow) const {
  return FindFirst(S, MatchCase, ColLow, ColHigh, RowLow, RowHigh, ACol, ARow,
                   [](std::string_view text, std::string_view s) { return text == s; });
}

bool TStringArray::FindCellInSortedColumn(std::string_view S, bool MatchCase, int32_t ACol,
                                          int32_t RowLow, int32_t RowHigh, bool Ascending,
                                          int32_t& ARow) const {
  if (RowLow == -1 && RowHigh == -1) {
    RowLow = 1;
    RowHigh = rows_;
  }
  OrderedBounds(RowLow, RowHigh, 1, rows_);
  const int32_t col = std::clamp(ACol, 0, cols_);
  std::string needle(S);
  if (!MatchCase) detail::LowerInto(S, needle.data());
  char lowered[kMaxTextLength];
  const auto compareAt = [&](int32_t row) {
    std::string_view text = TextOf(cells_[CellIx(col, Physical(row))]);
    if (!MatchCase) text = detail::LowerInto(text, lowered);
    return CompareBytes(needle, text);
  };
  int32_t lo = RowLow, hi = RowHigh, hit = 0;
  while (lo < hi && hit == 0) {
    const int32_t mid = lo + (hi - lo) / 2;
    const int c = compareAt(mid);
    if (c == 0)
      hit = mid;
    else if ((c < 0) == Ascending)
      hi = mid;
    else
      lo = mid + 1;
  }
  if (hit == 0 && lo == hi && compareAt(lo) == 0) hit = lo;
  if (hit == 0) return false;
  // The run of equal texts ends at the low bound: above it lie rows the
  // caller did not ask for, or none at all.
  while (hit > RowLow && compareAt(hit - 1) == 0) --hit;
  ARow = hit;
  return true;
}

// ---------------------------------------------------------------------------
// Sorting

// What the comb sort moves: the first eight bytes of the lowered primary
// key, which decide most comparisons, and the row's entry in the table of
// full keys.
struct TStringArray::TSortItem {
  uint64_t Prefix;
  int32_t Info;
};

struct TStringArray::TSortInfo {
  std::size_t Key1, Key2;  // offsets of the lowered keys in the key text
  uint8_t Len1, Len2;
  int32_t Phys;
};

namespace {

uint64_t PrefixOf(std::string_view Key) {
  uint64_t prefix = 0;
  for (std::size_t i = 0; i < 8; ++i)
    prefix = prefix << 8 | (i < Key.size() ? static_cast<uint8_t>(Key[i]) : 0u);
  return prefix;
}

}  // namespace

void TStringArray::ReportSortProgress(int64_t Done, int64_t Estimate) {
  if (!OnPercentDone) return;
  // Done / Estimate × 100 rounded half to even, exactly; more gap-1
  // passes than the estimate foresees would pass 100.
  const int64_t scaled = Done * 100;
  int64_t percent = scaled / Estimate;
  const int64_t rest = scaled % Estimate;
  if (2 * rest > Estimate || (2 * rest == Estimate && percent % 2 == 1)) ++percent;
  OnPercentDone(this, static_cast<int32_t>(std::min<int64_t>(percent, 100)));
}

void TStringArray::SortWithKeys(int32_t ACol, int32_t ACol2, bool Ascending, int64_t Estimate) {
  const auto n = static_cast<std::size_t>(rows_);
  std::vector<TSortItem> items(n);
  std::vector<TSortInfo> infos(n);
  std::string keys;
  const auto addKey = [&](int32_t col, int32_t phys, std::size_t& at, uint8_t& len) {
    const std::string_view text = TextOf(cells_[CellIx(col, phys)]);
    at = keys.size();
    len = static_cast<uint8_t>(text.size());
    keys.resize(at + text.size());
    return detail::LowerInto(text, keys.data() + at);
  };
  for (std::size_t i = 0; i < n; ++i) {
    TSortInfo& info = infos[i];
    info.Phys = sortOrder_[i];
    const std::string_view key = addKey(ACol, info.Phys, info.Key1, info.Len1);
    items[i] = {PrefixOf(key), static_cast<int32_t>(i)};
    if (ACol2 > 0) addKey(ACol2, info.Phys, info.Key2, info.Len2);
  }
  const auto keyText = [&](std::size_t at, uint8_t len) {
    return std::string_view(keys).substr(at, len);
  };
  const auto compare = [&](const TSortItem& a, const TSortItem& b) {
    if (a.Prefix != b.Prefix) return a.Prefix < b.Prefix ? -1 : 1;
    const TSortInfo& x = infos[static_cast<std::size_t>(a.Info)];
    const TSortInfo& y = infos[static_cast<std::size_t>(b.Info)];
    const int c = CompareBytes(keyText(x.Key1, x.Len1), keyText(y.Key1, y.Len1));
    if (c != 0 || ACol2 <= 0) return c;
    return CompareBytes(keyText(x.Key2, x.Len2), keyText(y.Key2, y.Len2));
  };
  const auto writeBack = [&] {
    for (std::size_t i = 0; i < n; ++i)
      sortOrder_[i] = infos[static_cast<std::size_t>(items[i].Info)].Phys;
  };
  const uint64_t changes = changes_;
  bool intact = true;
  CombSort(
      rows_,
      [&](int32_t i, int32_t j) {
        const int c =
            compare(items[static_cast<std::size_t>(i)], items[static_cast<std::size_t>(j)]);
        return Ascending ? c > 0 : c < 0;
      },
      [&](int32_t i, int32_t j) {
        std::swap(items[static_cast<std::size_t>(i)], items[static_cast<std::size_t>(j)]);
      },
      [&](int64_t done) {
        // The progress event sees the order as it stands.
        if (OnPercentDone) writeBack();
        ReportSortProgress(done, Estimate);
        intact = changes == changes_;
        return intact;
      });
  if (intact) writeBack();
}

void TStringArray::SortWithEvent(int32_t ACol, int32_t ACol2, bool Ascending, int64_t Estimate) {
  const uint64_t changes = changes_;
  bool intact = true;
  std::string in, keys[2];
  // The key of the cell at logical position ix, lowered into keys[which];
  // false when the event changed the table, which ends the sort.
  const auto keyOf = [&](int32_t col, int32_t ix, int which) {
    in.assign(TextOf(cells_[CellIx(col, sortOrder_[static_cast<std::size_t>(ix)])]));
    std::string& key = keys[which];
    key = in;
    OnBeforeSortExchange(this, in, key);
    detail::LowerInto(key, key.data());
    intact = changes == changes_;
    return intact;
  };
  const auto compare = [&](int32_t col, int32_t i, int32_t j, int& c) {
    if (!keyOf(col, i, 0) || !keyOf(col, j, 1)) return false;
    c = CompareBytes(keys[0], keys[1]);
    return true;
  };
  CombSort(
      rows_,
      [&](int32_t i, int32_t j) {
        int c = 0;
        if (!intact || !compare(ACol, i, j, c)) return false;
        if (c == 0 && ACol2 > 0 && !compare(ACol2, i, j, c)) return false;
        return Ascending ? c > 0 : c < 0;
      },
      [&](int32_t i, int32_t j) {
        std::swap(sortOrder_[static_cast<std::size_t>(i)], sortOrder_[static_cast<std::size_t>(j)]);
      },
      [&](int64_t done) {
        if (intact) ReportSortProgress(done, Estimate);
        return intact && changes == changes_;
      });
}

void TStringArray::Sort(int32_t ACol, int32_t ACol2, bool Ascending) {
  if (ACol < 0 || ACol > cols_) return;
  if (ACol2 > cols_) ACol2 = 0;
  if (OnPercentDone) OnPercentDone(this, 0);
  if (rows_ > 1) {
    const int64_t estimate = SortEstimate(rows_);
    inOrder_ = false;
    if (OnBeforeSortExchange)
      SortWithEvent(ACol, ACol2, Ascending, estimate);
    else
      SortWithKeys(ACol, ACol2, Ascending, estimate);
    Changed();
  }
  if (OnPercentDone) OnPercentDone(this, 100);
}

void TStringArray::UnSort() {
  ResetSortOrder();
  Changed();
}

void TStringArray::CommitSorting() {
  if (inOrder_) return;
  const auto n = static_cast<std::size_t>(rows_);
  const auto width = static_cast<std::ptrdiff_t>(cols_ + 1);
  std::vector<uint32_t> cells(n * static_cast<std::size_t>(width));
  for (std::size_t i = 0; i < n; ++i)
    std::copy_n(cells_.begin() + static_cast<std::ptrdiff_t>(CellIx(0, sortOrder_[i])), width,
                cells.begin() + static_cast<std::ptrdiff_t>(i) * width);
  std::copy(cells.begin(), cells.end(), cells_.begin());
  std::vector<uint8_t> attr(n);
  for (std::size_t i = 0; i < n; ++i)
    attr[i] = rowAttr_[static_cast<std::size_t>(sortOrder_[i] - 1)];
  std::copy(attr.begin(), attr.end(), rowAttr_.begin());
  ResetSortOrder();
  ++changes_;
}

// ---------------------------------------------------------------------------
// Compaction

void TStringArray::GarbageCollection() {
  // The cells of each page in walking order (columns, then rows), found in
  // one walk instead of one per page.
  const std::size_t pages = pages_.size();
  std::vector<uint32_t> start(pages + 1, 0);
  const auto walk = [&](const auto& visit) {
    for (int32_t c = 0; c <= cols_; ++c)
      for (int32_t r = 1; r <= rows_; ++r) {
        const std::size_t ix = CellIx(c, r);
        if (cells_[ix] != 0) visit(ix, PageOf(cells_[ix]));
      }
  };
  walk([&](std::size_t, std::size_t page) { ++start[page + 1]; });
  for (std::size_t p = 0; p < pages; ++p) start[p + 1] += start[p];
  std::vector<uint32_t> cells(start[pages]);
  std::vector<uint32_t> next(start.begin(), start.end() - 1);
  walk([&](std::size_t ix, std::size_t page) { cells[next[page]++] = static_cast<uint32_t>(ix); });

  auto buffer = std::make_unique_for_overwrite<uint8_t[]>(kPageSize);
  for (std::size_t p = 0; p < pages; ++p) {
    int32_t fill = 1;
    for (uint32_t k = start[p]; k < start[p + 1]; ++k) {
      uint32_t& handle = cells_[cells[k]];
      const uint8_t* text = PlaceOf(handle);
      std::memcpy(buffer.get() + fill - 1, text, std::size_t{text[0]} + 1);
      handle = MakeHandle(p, fill);
      fill += text[0] + 1;
    }
    std::swap(pages_[p], buffer);
    fill_[p] = fill;
  }
  ResetRoomSearch();
}

void TStringArray::TakeStorage(TStringArray& From) {
  std::swap(cols_, From.cols_);
  std::swap(rows_, From.rows_);
  std::swap(allocRows_, From.allocRows_);
  cells_.swap(From.cells_);
  sortOrder_.swap(From.sortOrder_);
  std::swap(inOrder_, From.inOrder_);
  rowAttr_.swap(From.rowAttr_);
  colAttr_.swap(From.colAttr_);
  pages_.swap(From.pages_);
  fill_.swap(From.fill_);
  firstRoom_.swap(From.firstRoom_);
}

// ---------------------------------------------------------------------------
// Nearest value

namespace {

template <class T>
int32_t NearestIndex(T X, std::span<const T> Arr) {
  int32_t best = -1;
  double bestDiff = std::numeric_limits<double>::max();
  const std::size_t n = std::min<std::size_t>(Arr.size(), INT32_MAX);
  for (std::size_t i = 0; i < n; ++i) {
    double diff;
    if constexpr (std::is_integral_v<T>)
      diff = static_cast<double>(std::abs(int64_t{Arr[i]} - int64_t{X}));
    else
      diff = std::fabs(Arr[i] - X);
    if (diff < bestDiff) {
      bestDiff = diff;
      best = static_cast<int32_t>(i);
    }
  }
  return best;
}

}  // namespace

int32_t IndexOfNearestArrayValue(double X, std::span<const double> Arr) {
  return NearestIndex(X, Arr);
}

int32_t IndexOfNearestArrayValue(int32_t X, std::span<const int32_t> Arr) {
  return NearestIndex(X, Arr);
}

}  // namespace nuv
