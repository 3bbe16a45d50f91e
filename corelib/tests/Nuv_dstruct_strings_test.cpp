// TStringArray: the paged storage, shape, rows, searches and sorting,
// against hand-worked layouts, a plain vector-of-strings model and the
// Python references of tools/ref/stringarray_ref.py.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <vector>

#include "ExpectThrow.h"
#include "Nuv_dstruct_internal.h"
#include "nuv/Nuv_dstruct.h"
#include "nuv/platform/CodePage.h"

namespace nuv {
namespace {

constexpr uint32_t H(uint32_t Page, uint32_t Offset) { return Page << 16 | Offset; }

// Every cell of the table, column 0 included, row by row.
std::vector<std::string> AllCells(const TStringArray& a) {
  std::vector<std::string> cells;
  for (int32_t r = 1; r <= a.NrOfRows(); ++r)
    for (int32_t c = 0; c <= a.NrOfColumns(); ++c) cells.push_back(a.Elem(c, r));
  return cells;
}

// A table of Cols × Rows whose cell (c, r) holds "c,r".
void Label(TStringArray& a, int32_t Cols, int32_t Rows) {
  ASSERT_TRUE(a.Resize(Cols, Rows));
  for (int32_t r = 1; r <= Rows; ++r)
    for (int32_t c = 0; c <= Cols; ++c)
      a.SetElem(c, r, std::to_string(c) + "," + std::to_string(r));
}

// Handles are unique, lie inside the used part of their page, and the
// length byte there fits before the fill mark.
void ExpectSoundStorage(const TStringArray& a, const std::string& where) {
  std::set<uint32_t> seen;
  for (int32_t r = 1; r <= a.NrOfRows(); ++r)
    for (int32_t c = 0; c <= a.NrOfColumns(); ++c) {
      const uint32_t h = a.CellHandle(c, r);
      if (h == 0) continue;
      EXPECT_TRUE(seen.insert(h).second) << where << ": shared handle at " << c << "," << r;
      const int32_t page = static_cast<int32_t>(h >> 16), offset = static_cast<int32_t>(h & 0xFFFF);
      ASSERT_GE(page, 1) << where;
      ASSERT_LE(page, a.NrOfPages()) << where;
      EXPECT_LE(offset + static_cast<int32_t>(a.Elem(c, r).size()) + 1, a.PageFillMark(page))
          << where << ": cell " << c << "," << r;
    }
}

// Rows First..Last read empty in every column, and the storage is sound.
void ExpectEmptyRows(const TStringArray& a, int32_t First, int32_t Last, const std::string& where) {
  for (int32_t r = First; r <= Last; ++r)
    for (int32_t c = 0; c <= a.NrOfColumns(); ++c)
      EXPECT_EQ(a.Elem(c, r), "") << where << ": " << c << "," << r;
  ExpectSoundStorage(a, where);
}

// ---------------------------------------------------------------------------
// Storage

TEST(StringArrayStorage, FreshTableHasOneEmptyPageAndTenRows) {
  TStringArray a(nullptr);
  EXPECT_EQ(a.NrOfColumns(), 1);
  EXPECT_EQ(a.NrOfRows(), 1);
  EXPECT_EQ(a.AllocRowsBy(), 10);
  EXPECT_EQ(a.AllocatedRows(), 10);
  EXPECT_EQ(a.NrOfPages(), 1);
  EXPECT_EQ(a.PageFillMark(1), 1);
  EXPECT_EQ(a.CellHandle(0, 1), 0u);
  EXPECT_EQ(a.Elem(1, 1), "");
}

TEST(StringArrayStorage, OverwriteInPlaceThenNewRoomAtTheFillMark) {
  TStringArray a(nullptr);
  ASSERT_TRUE(a.Resize(2, 2));
  const struct {
    int32_t col, row;
    const char* text;
    uint32_t handle;
    int32_t fill;
  } steps[] = {
      {1, 1, "abc", H(1, 1), 5},  // length byte and three characters
      {1, 1, "ab", H(1, 1), 5},   // shorter: in place, the slack is lost
      {1, 1, "abc", H(1, 5), 9},  // longer than the stored "ab"
      {0, 2, "label", H(1, 9), 15}, {0, 2, "", H(1, 9), 15},  // empty text in place
      {2, 1, "", H(1, 15), 16},                               // an empty cell takes a length byte
      {0, 2, "x", H(1, 16), 18},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.text);
    a.SetElem(s.col, s.row, s.text);
    EXPECT_EQ(a.CellHandle(s.col, s.row), s.handle);
    EXPECT_EQ(a.PageFillMark(1), s.fill);
    EXPECT_EQ(a.Elem(s.col, s.row), s.text);
  }
  EXPECT_EQ(AllCells(a), (std::vector<std::string>{"", "abc", "", "x", "", ""}));
}

TEST(StringArrayStorage, FirstPageWithRoomLargerThanTheTextTakesIt) {
  TStringArray a(nullptr);
  ASSERT_TRUE(a.Resize(1, 200));
  // 127 texts of 256 bytes fill page 1 to 32513: a room of 256 bytes.
  for (int32_t r = 1; r <= 127; ++r) a.SetElem(1, r, std::string(255, 'x'));
  ASSERT_EQ(a.PageFillMark(1), 32513);
  ASSERT_EQ(a.NrOfPages(), 1);
  const struct {
    const char* what;
    std::size_t length;
    uint32_t handle;
    int32_t fill1, fill2;
  } steps[] = {
      {"room 256 is not above 256", 255, H(2, 1), 32513, 257},
      {"room 256 is above 254", 253, H(1, 32513), 32767, 257},
      {"room 2 is not above 2", 1, H(2, 257), 32767, 259},
      {"room 2 is above 1", 0, H(1, 32767), 32768, 259},
      {"room 1 is not above 1", 0, H(2, 259), 32768, 260},
  };
  int32_t row = 128;
  for (const auto& s : steps) {
    SCOPED_TRACE(s.what);
    const std::string text(s.length, static_cast<char>('a' + row % 26));
    a.SetElem(1, row, text);
    EXPECT_EQ(a.CellHandle(1, row), s.handle);
    EXPECT_EQ(a.PageFillMark(1), s.fill1);
    EXPECT_EQ(a.PageFillMark(2), s.fill2);
    EXPECT_EQ(a.Elem(1, row), text);
    ++row;
  }
  EXPECT_EQ(a.Elem(1, 127), std::string(255, 'x'));
  ExpectSoundStorage(a, "first fit");
}

TEST(StringArrayStorage, TextsBeyond255CharactersAreCut) {
  TStringArray a(nullptr);
  a.SetElem(1, 1, std::string(300, 'z'));
  EXPECT_EQ(a.Elem(1, 1), std::string(255, 'z'));
  a.Fill(std::string(256, 'y'));
  EXPECT_EQ(a.Elem(0, 1), std::string(255, 'y'));
}

TEST(StringArrayStorage, GarbageCollectionCompactsEachPageInWalkingOrder) {
  TStringArray a(nullptr);
  ASSERT_TRUE(a.Resize(2, 3));
  a.SetElem(2, 1, "first");   // (1, 1), fill 7
  a.SetElem(0, 1, "zero");    // (1, 7), fill 12
  a.SetElem(1, 3, "abc");     // (1, 12), fill 16
  a.SetElem(1, 3, "abcdef");  // (1, 16), fill 23; "abc" is garbage
  a.SetElem(0, 1, "0");       // in place, slack of 3
  a.SetElem(1, 2, "mid");     // (1, 23), fill 27
  const std::vector<std::string> before = AllCells(a);
  ASSERT_EQ(a.PageFillMark(1), 27);
  a.GarbageCollection();
  // Columns first, each from row 1 down: (0,1) "0", (1,2) "mid",
  // (1,3) "abcdef", (2,1) "first".
  EXPECT_EQ(a.CellHandle(0, 1), H(1, 1));
  EXPECT_EQ(a.CellHandle(1, 2), H(1, 3));
  EXPECT_EQ(a.CellHandle(1, 3), H(1, 7));
  EXPECT_EQ(a.CellHandle(2, 1), H(1, 14));
  EXPECT_EQ(a.PageFillMark(1), 20);
  EXPECT_EQ(AllCells(a), before);
  // New room follows the compacted texts.
  a.SetElem(2, 3, "new");
  EXPECT_EQ(a.CellHandle(2, 3), H(1, 20));
}

TEST(StringArrayStorage, GarbageCollectionKeepsTextsOnTheirPages) {
  TStringArray a(nullptr);
  ASSERT_TRUE(a.Resize(3, 300));
  std::mt19937 rng(7);
  for (int round = 0; round < 3; ++round)
    for (int32_t r = 1; r <= 300; ++r)
      for (int32_t c = 0; c <= 3; ++c)
        a.SetElem(c, r, std::string(rng() % 120, static_cast<char>('a' + (r + c + round) % 26)));
  ASSERT_GT(a.NrOfPages(), 3);
  const std::vector<std::string> before = AllCells(a);
  std::map<std::pair<int32_t, int32_t>, uint32_t> pageOf;
  for (int32_t r = 1; r <= 300; ++r)
    for (int32_t c = 0; c <= 3; ++c) pageOf[{c, r}] = a.CellHandle(c, r) >> 16;
  const int32_t pages = a.NrOfPages();
  a.GarbageCollection();
  EXPECT_EQ(a.NrOfPages(), pages);
  EXPECT_EQ(AllCells(a), before);
  int64_t live = 0, filled = 0;
  for (int32_t r = 1; r <= 300; ++r)
    for (int32_t c = 0; c <= 3; ++c) {
      EXPECT_EQ(a.CellHandle(c, r) >> 16, (pageOf[{c, r}])) << c << "," << r;
      live += static_cast<int64_t>(a.Elem(c, r).size()) + 1;
    }
  for (int32_t p = 1; p <= pages; ++p) filled += a.PageFillMark(p) - 1;
  EXPECT_EQ(filled, live) << "only live texts remain";
  ExpectSoundStorage(a, "after collection");
}

TEST(StringArrayStorage, ThePageNumberNeverWrapsPastItsLimit) {
  const int32_t old = detail::SetStringArrayPageLimit(2);
  TStringArray a(nullptr);
  ASSERT_TRUE(a.Resize(1, 300));
  const std::string t255(255, 'p');
  int32_t r = 1;
  for (; r <= 254; ++r) a.SetElem(1, r, t255);  // 127 texts a page
  ASSERT_EQ(a.NrOfPages(), 2);
  testing::ExpectThrowMessage<ENUVDStructError>([&] { a.SetElem(1, 255, t255); },
                                                "Class TStringArray: no room for more text");
  EXPECT_EQ(a.CellHandle(1, 255), 0u) << "the cell stays as it was";
  EXPECT_EQ(a.Elem(1, 1), t255);
  EXPECT_EQ(a.Elem(1, 254), t255);
  a.SetElem(1, 255, "ab");  // still fits on page 1
  EXPECT_EQ(a.Elem(1, 255), "ab");
  detail::SetStringArrayPageLimit(old);
}

// ---------------------------------------------------------------------------
// Shape

TEST(StringArrayShape, ResizeKeepsCellsInsideBothShapes) {
  TStringArray a(nullptr);
  int events = 0;
  a.OnChange = [&](TObject*) { ++events; };
  Label(a, 2, 3);
  events = 0;
  EXPECT_TRUE(a.Resize(2, 3)) << "same dimensions";
  EXPECT_EQ(events, 0);
  EXPECT_FALSE(a.Resize(0, 3));
  EXPECT_FALSE(a.Resize(2, -1));
  EXPECT_EQ(events, 0);
  a.SetAllocRowsBy(4);
  ASSERT_TRUE(a.Resize(3, 11));  // columns change: reallocation
  EXPECT_EQ(events, 1);
  EXPECT_EQ(a.AllocatedRows(), 12);
  EXPECT_EQ(a.Elem(2, 3), "2,3");
  EXPECT_EQ(a.Elem(0, 1), "0,1");
  EXPECT_EQ(a.Elem(3, 1), "");
  EXPECT_EQ(a.Elem(1, 11), "");
  ASSERT_TRUE(a.Resize(3, 2));  // within the allocation
  EXPECT_EQ(a.AllocatedRows(), 12);
  ASSERT_TRUE(a.Resize(3, 3));
  EXPECT_EQ(a.Elem(2, 3), "") << "a dropped row comes back empty";
}

TEST(StringArrayShape, RowsDroppedByAReallocationNeverComeBack) {
  TStringArray a(nullptr);
  Label(a, 2, 25);
  ASSERT_TRUE(a.Resize(3, 5));  // new columns; 10 rows stay allocated
  a.GarbageCollection();
  a.Fill("over");  // reuses the room the dropped rows held
  a.Fill("x");
  ASSERT_TRUE(a.Resize(4, 10));
  ExpectEmptyRows(a, 6, 10, "regrown");
}

TEST(StringArrayShape, AFailedReallocationKeepsTheTable) {
  TStringArray a(nullptr);
  Label(a, 2, 3);
  int events = 0;
  a.OnChange = [&](TObject*) { ++events; };
  const std::vector<std::string> before = AllCells(a);
  EXPECT_FALSE(a.Resize(INT32_MAX, 3)) << "beyond the handle table's limit";
  EXPECT_FALSE(a.Resize(2, INT32_MAX));
  EXPECT_FALSE(a.Resize(300000, 2000));
  a.SetNrOfRows(INT32_MAX);
  EXPECT_EQ(a.NrOfColumns(), 2);
  EXPECT_EQ(a.NrOfRows(), 3);
  EXPECT_EQ(a.AllocatedRows(), 10);
  EXPECT_EQ(AllCells(a), before);
  EXPECT_EQ(events, 0);
  a.SetElem(2, 3, "still writable");
  EXPECT_EQ(a.Elem(2, 3), "still writable");
}

TEST(StringArrayShape, AllocRowsByBelowOneCountsAsOne) {
  TStringArray a(nullptr);
  for (const int32_t by : {0, -5, INT32_MIN}) {
    a.SetAllocRowsBy(by);
    EXPECT_EQ(a.AllocRowsBy(), 1) << by;
  }
  ASSERT_TRUE(a.Resize(2, 13));
  EXPECT_EQ(a.AllocatedRows(), 13);
  EXPECT_EQ(a.AddRow(), 14);
  EXPECT_EQ(a.AllocatedRows(), 14);
  a.SetAllocRowsBy(7);
  ASSERT_TRUE(a.Resize(3, 15));
  EXPECT_EQ(a.AllocatedRows(), 21);
}

TEST(StringArrayShape, AttributesFollowTheirRowsAndIgnoreBadIndices) {
  TStringArray a(nullptr);
  Label(a, 3, 4);
  a.SetColAttrib(3, 9);
  a.SetColAttrib(0, 1);  // column 0 has no attribute
  a.SetColAttrib(4, 1);
  EXPECT_EQ(a.ColAttrib(3), 9);
  EXPECT_EQ(a.ColAttrib(0), 0);
  EXPECT_EQ(a.ColAttrib(4), 0);
  for (int32_t r = 1; r <= 4; ++r) a.SetRowAttrib(r, static_cast<uint8_t>(10 * r));
  a.SetRowAttrib(5, 1);
  EXPECT_EQ(a.RowAttrib(5), 0);
  a.Sort(0, 0, false);  // rows 4, 3, 2, 1
  EXPECT_EQ(a.RowAttrib(1), 40);
  EXPECT_EQ(a.SortOrder(1), 4);
  a.CommitSorting();
  EXPECT_EQ(a.RowAttrib(1), 40);
  EXPECT_EQ(a.SortOrder(1), 1);
  EXPECT_EQ(a.Elem(1, 1), "1,4");
  EXPECT_EQ(a.SortOrder(0), 0);
  EXPECT_EQ(a.SortOrder(5), 0);
  a.Clear();
  EXPECT_EQ(a.RowAttrib(1), 0);
  EXPECT_EQ(a.ColAttrib(3), 9) << "Clear keeps column attributes";
}

TEST(StringArrayShape, ClearFillAndEmptiness) {
  TStringArray a(nullptr);
  ASSERT_TRUE(a.Resize(2, 400));
  a.Fill(std::string(100, 'q'));
  ASSERT_GT(a.NrOfPages(), 1);
  a.Clear();
  EXPECT_EQ(a.NrOfPages(), 1);
  EXPECT_EQ(a.PageFillMark(1), 1);
  EXPECT_EQ(a.NrOfRows(), 400);
  EXPECT_TRUE(a.ColumnEmpty(0));
  a.Fill("ab");
  EXPECT_EQ(a.CellHandle(0, 1), H(1, 1));
  EXPECT_EQ(a.CellHandle(0, 2), H(1, 4)) << "column 0 first, row by row";
  EXPECT_EQ(a.Elem(2, 400), "ab");
  int events = 0;
  a.OnChange = [&](TObject*) { ++events; };
  a.Fill("c");
  EXPECT_EQ(events, 1) << "one event for the whole fill";
  EXPECT_EQ(a.CellHandle(0, 1), H(1, 1)) << "in place";
  a.Fill("");
  EXPECT_EQ(a.CellHandle(0, 1), 0u) << "an empty text clears";
  a.SetElem(1, 5, "   ");
  a.SetElem(0, 6, "label");
  const struct {
    const char* what;
    bool got, want;
  } cases[] = {
      {"blank column", a.ColumnEmpty(1), true},
      {"label column", a.ColumnEmpty(0), false},
      {"column beyond", a.ColumnEmpty(3), false},
      {"column below", a.ColumnEmpty(-1), false},
      {"blank row", a.RowEmpty(5), true},
      {"row with a label only", a.RowEmpty(6), true},
      {"row 0", a.RowEmpty(0), false},
      {"row beyond", a.RowEmpty(401), false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.what;
  a.SetElem(2, 6, "\t");
  EXPECT_FALSE(a.RowEmpty(6)) << "only the blank counts as blank";
}

TEST(StringArrayShape, OutOfRangeCellsReadEmptyAndIgnoreWrites) {
  TStringArray a(nullptr);
  Label(a, 2, 2);
  int events = 0;
  a.OnChange = [&](TObject*) { ++events; };
  for (const auto& [c, r] : std::vector<std::pair<int32_t, int32_t>>{
           {-1, 1}, {3, 1}, {0, 0}, {0, 3}, {INT32_MIN, INT32_MAX}}) {
    a.SetElem(c, r, "x");
    EXPECT_EQ(a.Elem(c, r), "") << c << "," << r;
    EXPECT_EQ(a.CellHandle(c, r), 0u);
    EXPECT_EQ(a.AsNumber(c, r), 0);
  }
  EXPECT_EQ(events, 0);
  EXPECT_EQ(a.PageFillMark(0), 0);
  EXPECT_EQ(a.PageFillMark(2), 0);
}

TEST(StringArrayShape, AsNumberReadsTrimmedTextWithDotOrComma) {
  TStringArray a(nullptr);
  ASSERT_TRUE(a.Resize(3, 1));
  const struct {
    const char* text;
    long double want;
  } cases[] = {
      {"", 0},   {"    ", 0},   {" 1,5 ", 1.5L},       {"-2.25", -2.25L},       {"1e3", 1000},
      {"+7", 7}, {"0.1", 0.1L}, {"1E-4000", 1e-4000L}, {"1.5e4000", 1.5e4000L},
  };
  for (const auto& c : cases) {
    a.SetElem(2, 1, c.text);
    EXPECT_EQ(a.AsNumber(2, 1), c.want) << '"' << c.text << '"';
  }
  for (const char* bad : {"abc", "1.2.3", "1,5,", "12 3", "1e", "inf", "nan", "0x10", "1\t"}) {
    a.SetElem(3, 1, bad);
    testing::ExpectThrowMessage<ENUVDStructError>(
        [&] { a.AsNumber(3, 1); },
        std::string("Class TStringArray: invalid numeric string: [3,1]: ") + bad, bad);
  }
}

// ---------------------------------------------------------------------------
// Rows

TEST(StringArrayRows, RemoveAndInsertKeepTheLogicalOrder) {
  TStringArray a(nullptr);
  Label(a, 1, 5);
  for (int32_t r = 1; r <= 5; ++r) a.SetRowAttrib(r, static_cast<uint8_t>(r));
  a.Sort(1, 0, false);  // logical: 5 4 3 2 1
  a.RemoveRow(2);       // drops "1,4"
  EXPECT_EQ(a.NrOfRows(), 4);
  std::vector<std::string> col;
  for (int32_t r = 1; r <= 4; ++r) col.push_back(a.Elem(1, r));
  EXPECT_EQ(col, (std::vector<std::string>{"1,5", "1,3", "1,2", "1,1"}));
  EXPECT_EQ(a.RowAttrib(2), 3);
  EXPECT_EQ(a.SortOrder(1), 1) << "the order became the physical one";
  a.InsertRow(4);
  EXPECT_EQ(a.NrOfRows(), 5);
  EXPECT_EQ(a.Elem(1, 4), "");
  EXPECT_EQ(a.Elem(0, 4), "");
  EXPECT_EQ(a.RowAttrib(4), 0);
  EXPECT_EQ(a.Elem(1, 5), "1,1");
  EXPECT_EQ(a.RowAttrib(5), 1);
  a.InsertRow(1);
  EXPECT_EQ(a.Elem(1, 2), "1,5");
  for (const int32_t bad : {0, 7, -1}) {
    a.InsertRow(bad);
    a.RemoveRow(bad);
  }
  EXPECT_EQ(a.NrOfRows(), 6);
  ExpectSoundStorage(a, "rows");
}

TEST(StringArrayRows, RemovingTheOnlyRowEmptiesIt) {
  TStringArray a(nullptr);
  a.SetElem(0, 1, "label");
  a.SetElem(1, 1, "value");
  a.SetRowAttrib(1, 3);
  a.RemoveRow(1);
  EXPECT_EQ(a.NrOfRows(), 1);
  EXPECT_EQ(a.Elem(0, 1), "");
  EXPECT_EQ(a.Elem(1, 1), "");
  EXPECT_EQ(a.RowAttrib(1), 0);
}

TEST(StringArrayRows, RowOperationsLeaveNoLiveTextOutsideTheRows) {
  TStringArray a(nullptr);
  Label(a, 2, 12);
  for (int k = 0; k < 5; ++k) a.RemoveRow(3);
  a.InsertRow(2);
  a.GarbageCollection();
  a.Fill("##");  // writes over all rows; stale handles would overlap these
  ASSERT_TRUE(a.Resize(2, 12));
  ExpectEmptyRows(a, 9, 12, "after row operations");
}

TEST(StringArrayRows, CopyRowCopiesTextsNotStorage) {
  TStringArray a(nullptr);
  Label(a, 2, 3);
  a.SetRowAttrib(1, 7);
  a.CopyRow(1, 3);
  EXPECT_EQ(a.Elem(0, 3), "0,1");
  EXPECT_EQ(a.Elem(2, 3), "2,1");
  EXPECT_EQ(a.RowAttrib(3), 7);
  EXPECT_NE(a.CellHandle(2, 3), a.CellHandle(2, 1));
  a.SetElem(2, 3, "z");  // in place in row 3's own storage
  EXPECT_EQ(a.Elem(2, 1), "2,1");
  int events = 0;
  a.OnChange = [&](TObject*) { ++events; };
  a.CopyRow(0, 1);
  a.CopyRow(1, 4);
  EXPECT_EQ(events, 0);
  a.CopyRow(2, 1);
  EXPECT_EQ(events, 1);
  ExpectSoundStorage(a, "copied");
}

// ---------------------------------------------------------------------------
// Searches

struct TFound {
  bool ok;
  int32_t col, row;
  bool operator==(const TFound&) const = default;
};

std::ostream& operator<<(std::ostream& o, const TFound& f) {
  return o << (f.ok ? "found " : "not found ") << f.col << "," << f.row;
}

TEST(StringArraySearch, FindCellVisitsRowsThenColumnsWithinClampedBounds) {
  TStringArray a(nullptr);
  ASSERT_TRUE(a.Resize(3, 4));
  a.SetElem(3, 1, "alpha Beta");
  a.SetElem(1, 2, "beta");
  a.SetElem(0, 3, "BETA label");
  a.SetElem(2, 4, "gamma");
  const auto find = [&](bool exact, std::string_view s, bool mc, int32_t cl, int32_t ch, int32_t rl,
                        int32_t rh) {
    TFound f{false, -7, -7};
    f.ok = exact ? a.FindCellExact(s, mc, cl, ch, rl, rh, f.col, f.row)
                 : a.FindCell(s, mc, cl, ch, rl, rh, f.col, f.row);
    return f;
  };
  const struct {
    const char* what;
    TFound got, want;
  } cases[] = {
      {"all, ignoring case", find(false, "beta", false, -1, -1, -1, -1), {true, 3, 1}},
      {"case", find(false, "beta", true, -1, -1, -1, -1), {true, 1, 2}},
      {"upper case", find(false, "BETA", true, -1, 5, -1, -1), {true, 0, 3}},
      {"rows from 2", find(false, "beta", false, -1, -1, 2, 9), {true, 1, 2}},
      {"bounds reversed", find(false, "beta", false, 3, 2, 4, 1), {true, 3, 1}},
      {"column -1 overrides", find(false, "label", false, 2, -1, -1, -1), {true, 0, 3}},
      {"one row bound -1 is clamped", find(false, "gamma", false, 0, 3, -1, 9), {true, 2, 4}},
      {"outside the columns", find(false, "gamma", false, 3, 3, -1, -1), {false, -7, -7}},
      {"empty text", find(false, "", false, -1, -1, -1, -1), {false, -7, -7}},
      {"exact", find(true, "beta", false, -1, -1, -1, -1), {true, 1, 2}},
      {"exact case", find(true, "Beta", true, -1, -1, -1, -1), {false, -7, -7}},
      {"exact empty text", find(true, "", true, 1, 1, 1, 4), {true, 1, 1}},
      {"exact beyond", find(true, "gamma", false, 1, 1, -1, -1), {false, -7, -7}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.what;
}

TEST(StringArraySearch, SortedSearchFindsTheFirstOfEqualRowsWithinTheBounds) {
  TStringArray a(nullptr);
  const std::vector<std::string> column{"", "", "apple", "b", "b", "b", "cherry", "date"};
  ASSERT_TRUE(a.Resize(1, static_cast<int32_t>(column.size())));
  for (std::size_t i = 0; i < column.size(); ++i)
    a.SetElem(1, static_cast<int32_t>(i + 1), column[i]);
  const auto find = [&](std::string_view s, int32_t lo, int32_t hi) {
    int32_t row = -7;
    const bool ok = a.FindCellInSortedColumn(s, false, 1, lo, hi, true, row);
    return ok ? row : 0;
  };
  const struct {
    const char* what;
    int32_t got, want;
  } cases[] = {
      {"last row", find("date", -1, -1), 8},
      {"first of a run", find("b", -1, -1), 4},
      {"run cut by the low bound", find("b", 5, 8), 5},
      {"bounds reversed", find("b", 8, 5), 5},
      {"empty text ends at row 1", find("", -1, -1), 1},
      {"empty text within bounds", find("", 2, 2), 2},
      {"absent", find("banana", -1, -1), 0},
      {"ignoring case", find("CHERRY", 0, 100), 7},
      {"beyond the bounds", find("date", 1, 7), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.what;
  int32_t row = 0;
  EXPECT_FALSE(a.FindCellInSortedColumn("b", true, -3, -1, -1, true, row)) << "column clamped to 0";
  EXPECT_TRUE(a.FindCellInSortedColumn("", true, -3, 3, 6, true, row));
  EXPECT_EQ(row, 3);
}

TEST(StringArraySearch, ASearchWithMatchCaseCanMissAfterTheCaselessSort) {
  TStringArray a(nullptr);
  ASSERT_TRUE(a.Resize(1, 2));
  a.SetElem(1, 1, "B");
  a.SetElem(1, 2, "a");
  a.Sort(1, 0, true);  // "a", "B": ascending without case, descending in bytes
  ASSERT_EQ(a.Elem(1, 1), "a");
  int32_t row = 0;
  EXPECT_FALSE(a.FindCellInSortedColumn("B", true, 1, -1, -1, true, row));
  EXPECT_TRUE(a.FindCellInSortedColumn("B", false, 1, -1, -1, true, row));
  EXPECT_EQ(row, 2);
  EXPECT_TRUE(a.FindCellInSortedColumn("a", true, 1, -1, -1, true, row));
  EXPECT_EQ(row, 1);
}

// ---------------------------------------------------------------------------
// The Python references

std::string Unhex(const std::string& s) {
  if (s == "-") return {};
  std::string out;
  for (std::size_t i = 0; i + 1 < s.size(); i += 2)
    out += static_cast<char>(std::stoi(s.substr(i, 2), nullptr, 16));
  return out;
}

struct TSortCase {
  std::string name;
  bool ascending = true, secondary = false;
  std::vector<std::pair<std::string, std::string>> rows, keys;
  std::vector<int32_t> progress;
};

struct TBisectCase {
  std::string name;
  std::vector<std::string> column;
  struct TQuery {
    std::string text;
    int32_t lo, hi, first;
  };
  std::vector<TQuery> queries;
};

struct TNearestCase {
  std::string name;
  bool integer = false;
  double x = 0;
  std::vector<double> values;
  int32_t want = -2;
};

struct TReference {
  std::vector<TSortCase> sorts;
  std::vector<TBisectCase> bisects;
  std::vector<TNearestCase> nearest;
};

const TReference& Reference() {
  static const TReference ref = [] {
    TReference r;
    std::ifstream in(std::string(NUV_CORELIB_TEST_DATA) + "/stringarray_ref.txt");
    for (std::string line; std::getline(in, line);) {
      std::istringstream f(line);
      std::string tag;
      f >> tag;
      if (tag == "sort") {
        TSortCase c;
        int asc = 0, sec = 0;
        f >> c.name >> asc >> sec;
        c.ascending = asc != 0;
        c.secondary = sec != 0;
        r.sorts.push_back(c);
      } else if (tag == "t" && !r.sorts.empty() && r.bisects.empty()) {
        std::string a, b;
        f >> a >> b;
        r.sorts.back().rows.emplace_back(Unhex(a), Unhex(b));
      } else if (tag == "k") {
        std::string a, b;
        f >> a >> b;
        r.sorts.back().keys.emplace_back(Unhex(a), Unhex(b));
      } else if (tag == "p") {
        for (int32_t p; f >> p;) r.sorts.back().progress.push_back(p);
      } else if (tag == "bisect") {
        r.bisects.push_back({});
        f >> r.bisects.back().name;
      } else if (tag == "t") {
        std::string a;
        f >> a;
        r.bisects.back().column.push_back(Unhex(a));
      } else if (tag == "q") {
        TBisectCase::TQuery q;
        std::string t;
        f >> t >> q.lo >> q.hi >> q.first;
        q.text = Unhex(t);
        r.bisects.back().queries.push_back(q);
      } else if (tag == "nearest") {
        TNearestCase c;
        std::string kind;
        std::size_t n = 0;
        f >> c.name >> kind >> c.x >> n;
        c.integer = kind == "i";
        c.values.resize(n);
        for (double& v : c.values) f >> v;
        r.nearest.push_back(c);
      } else if (tag == "=") {
        f >> r.nearest.back().want;
      }
    }
    return r;
  }();
  return ref;
}

TEST(StringArrayReference, TheDataFileIsThere) {
  EXPECT_EQ(Reference().sorts.size(), 10u);
  EXPECT_EQ(Reference().bisects.size(), 4u);
  EXPECT_GE(Reference().nearest.size(), 20u);
}

TEST(StringArrayReference, SortAgreesWithPythonSortedOnLoweredKeys) {
  for (const TSortCase& c : Reference().sorts) {
    SCOPED_TRACE(c.name);
    TStringArray a(nullptr);
    const auto n = static_cast<int32_t>(c.rows.size());
    ASSERT_TRUE(a.Resize(3, n));
    for (int32_t r = 1; r <= n; ++r) {
      a.SetElem(1, r, c.rows[static_cast<std::size_t>(r - 1)].first);
      a.SetElem(2, r, c.rows[static_cast<std::size_t>(r - 1)].second);
      a.SetElem(0, r, std::to_string(r));
    }
    std::vector<int32_t> progress;
    a.OnPercentDone = [&](TObject*, int32_t p) { progress.push_back(p); };
    a.Sort(1, c.secondary ? 2 : 0, c.ascending);
    std::vector<std::pair<std::string, std::string>> keys;
    std::set<int32_t> physical;
    for (int32_t r = 1; r <= n; ++r) {
      keys.emplace_back(AnsiLowerCase(a.Elem(1, r)),
                        c.secondary ? AnsiLowerCase(a.Elem(2, r)) : "");
      physical.insert(a.SortOrder(r));
      // Each logical row still shows its own cells.
      const auto& row = c.rows[static_cast<std::size_t>(std::stoi(a.Elem(0, r)) - 1)];
      ASSERT_EQ(a.Elem(1, r), row.first);
    }
    EXPECT_EQ(keys, c.keys);
    EXPECT_EQ(physical.size(), c.rows.size()) << "the sort order is a permutation";
    std::vector<int32_t> want{0};
    for (const int32_t p : c.progress) want.push_back(std::min(p, 100));
    want.push_back(100);
    EXPECT_EQ(progress, want);
  }
}

TEST(StringArrayReference, SortProgressNeverPassesOneHundred) {
  int above = 0;
  for (const TSortCase& c : Reference().sorts)
    above += *std::max_element(c.progress.begin(), c.progress.end()) > 100;
  EXPECT_GT(above, 0) << "the reference has sorts whose raw share passes 100";
}

TEST(StringArrayReference, SortedSearchAgreesWithBisect) {
  for (const TBisectCase& c : Reference().bisects) {
    SCOPED_TRACE(c.name);
    TStringArray a(nullptr);
    ASSERT_TRUE(a.Resize(1, static_cast<int32_t>(c.column.size())));
    for (std::size_t i = 0; i < c.column.size(); ++i)
      a.SetElem(1, static_cast<int32_t>(i + 1), c.column[i]);
    for (const auto& q : c.queries)
      for (const bool matchCase : {false, true}) {
        int32_t row = -7;
        const bool ok = a.FindCellInSortedColumn(q.text, matchCase, 1, q.lo, q.hi, true, row);
        EXPECT_EQ(ok ? row : 0, q.first) << "\"" << q.text << "\" in " << q.lo << ".." << q.hi;
      }
  }
}

TEST(StringArraySort, SecondaryColumnOnlyBreaksTies) {
  TStringArray a(nullptr);
  ASSERT_TRUE(a.Resize(2, 4));
  const char* rows[][2] = {{"b", "2"}, {"A", "9"}, {"a", "1"}, {"b", "1"}};
  for (int32_t r = 1; r <= 4; ++r) {
    a.SetElem(1, r, rows[r - 1][0]);
    a.SetElem(2, r, rows[r - 1][1]);
  }
  a.Sort(1, 2, true);
  std::vector<std::string> got;
  for (int32_t r = 1; r <= 4; ++r) got.push_back(a.Elem(1, r) + a.Elem(2, r));
  EXPECT_EQ(got, (std::vector<std::string>{"a1", "A9", "b1", "b2"}));
  a.Sort(2, 0, false);
  EXPECT_EQ(a.Elem(2, 1), "9");
  a.Sort(2, 7, true);  // a secondary column beyond the table is ignored
  EXPECT_EQ(a.Elem(2, 4), "9");
}

TEST(StringArraySort, TheEventSuppliesTheKeys) {
  TStringArray a(nullptr);
  ASSERT_TRUE(a.Resize(1, 5));
  const char* texts[] = {"10 kg", "9 kg", "100 kg", "1 kg", "25 kg"};
  for (int32_t r = 1; r <= 5; ++r) a.SetElem(1, r, texts[r - 1]);
  int64_t calls = 0;
  a.OnBeforeSortExchange = [&](TObject* sender, const std::string& in, std::string& out) {
    EXPECT_EQ(sender, &a);
    EXPECT_EQ(in, out) << "starts as the cell's text";
    ++calls;
    const std::string digits = in.substr(0, in.find(' '));
    out = std::string(300 - digits.size(), '0') + digits;  // longer than a cell
  };
  a.Sort(1, 0, true);
  std::vector<std::string> got;
  for (int32_t r = 1; r <= 5; ++r) got.push_back(a.Elem(1, r));
  EXPECT_EQ(got, (std::vector<std::string>{"1 kg", "9 kg", "10 kg", "25 kg", "100 kg"}));
  EXPECT_EQ(calls % 2, 0);
  EXPECT_GE(calls, 2 * 4);
}

TEST(StringArraySort, AnEventThatChangesTheTableEndsTheSort) {
  TStringArray a(nullptr);
  Label(a, 1, 50);
  int calls = 0;
  a.OnBeforeSortExchange = [&](TObject*, const std::string&, std::string& out) {
    out = "k";
    if (++calls == 3) a.Resize(1, 2);
  };
  a.Sort(1, 0, false);
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(a.NrOfRows(), 2);
  EXPECT_EQ(a.Elem(1, 2), "1,2");
  a.OnBeforeSortExchange = nullptr;
  Label(a, 1, 50);
  a.OnPercentDone = [&](TObject*, int32_t p) {
    if (p > 0 && p < 100) a.SetNrOfRows(3);
  };
  a.Sort(1, 0, false);
  EXPECT_EQ(a.NrOfRows(), 3);
  EXPECT_EQ(a.SortOrder(3), 3);
}

TEST(StringArraySort, SmallTablesAndBadColumns) {
  TStringArray a(nullptr);
  std::vector<int32_t> progress;
  int events = 0;
  a.OnPercentDone = [&](TObject*, int32_t p) { progress.push_back(p); };
  a.OnChange = [&](TObject*) { ++events; };
  a.Sort(1, 0, true);
  EXPECT_EQ(progress, (std::vector<int32_t>{0, 100}));
  EXPECT_EQ(events, 0) << "one row: nothing to sort";
  progress.clear();
  a.Sort(2, 0, true);
  a.Sort(-1, 0, true);
  EXPECT_TRUE(progress.empty()) << "a column outside the table";
}

TEST(StringArraySort, AnyResizeDiscardsAnUncommittedSort) {
  TStringArray a(nullptr);
  Label(a, 1, 4);
  a.Sort(1, 0, false);
  ASSERT_EQ(a.Elem(1, 1), "1,4");
  EXPECT_EQ(a.AddRow(), 5);
  EXPECT_EQ(a.Elem(1, 1), "1,1") << "back to the physical order";
  a.Sort(1, 0, false);
  a.UnSort();
  EXPECT_EQ(a.Elem(1, 1), "1,1");
  a.Sort(1, 0, false);
  a.SetNrOfRows(3);  // drops physical rows 4 and 5
  EXPECT_EQ(a.Elem(1, 1), "1,1");
  EXPECT_EQ(a.Elem(1, 3), "1,3");
}

// ---------------------------------------------------------------------------
// Random operation sequences against a plain model

class TModel {
 public:
  int32_t cols = 1, rows = 1;
  std::vector<std::vector<std::string>> cells{std::vector<std::string>(2)};  // [row - 1][col]
  std::vector<uint8_t> attr{0};

  void Resize(int32_t c, int32_t r) {
    for (auto& row : cells) row.resize(static_cast<std::size_t>(c + 1));
    cells.resize(static_cast<std::size_t>(r),
                 std::vector<std::string>(static_cast<std::size_t>(c + 1)));
    attr.resize(static_cast<std::size_t>(r), 0);
    cols = c;
    rows = r;
  }
};

TEST(StringArrayRandom, OperationSequencesMatchAVectorOfStrings) {
  std::mt19937 rng(20240517);
  const auto pick = [&](int32_t lo, int32_t hi) {
    return std::uniform_int_distribution<int32_t>(lo, hi)(rng);
  };
  const auto text = [&] {
    std::string s(static_cast<std::size_t>(pick(0, pick(0, 1) ? 12 : 255)), ' ');
    for (char& ch : s) ch = static_cast<char>(pick(0, 3) == 0 ? pick(0, 255) : pick('a', 'e'));
    return s;
  };
  for (int sequence = 0; sequence < 12; ++sequence) {
    TStringArray a(nullptr);
    a.SetAllocRowsBy(pick(1, 6));
    TModel m;
    for (int step = 0; step < 400; ++step) {
      const int op = pick(0, 99);
      std::string what;
      if (op < 50) {
        const int32_t c = pick(-1, m.cols + 1), r = pick(0, m.rows + 1);
        const std::string s = text();
        a.SetElem(c, r, s);
        if (c >= 0 && c <= m.cols && r >= 1 && r <= m.rows)
          m.cells[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c)] = s.substr(0, 255);
        what = "set";
      } else if (op < 58) {
        const int32_t c = pick(1, 5), r = pick(1, 30);
        // A resize drops an uncommitted sort: the rows show in their
        // physical order again.
        std::vector<std::vector<std::string>> cells(m.cells.size());
        std::vector<uint8_t> attr(m.attr.size());
        for (int32_t k = 1; k <= m.rows; ++k) {
          cells[static_cast<std::size_t>(a.SortOrder(k) - 1)] =
              m.cells[static_cast<std::size_t>(k - 1)];
          attr[static_cast<std::size_t>(a.SortOrder(k) - 1)] =
              m.attr[static_cast<std::size_t>(k - 1)];
        }
        const bool same = c == m.cols && r == m.rows;
        if (!same) {
          m.cells = cells;
          m.attr = attr;
        }
        ASSERT_TRUE(a.Resize(c, r));
        m.Resize(c, r);
        what = "resize";
      } else if (op < 66) {
        const int32_t r = pick(0, m.rows + 1);
        a.InsertRow(r);
        if (r >= 1 && r <= m.rows) {
          m.cells.insert(m.cells.begin() + (r - 1),
                         std::vector<std::string>(static_cast<std::size_t>(m.cols + 1)));
          m.attr.insert(m.attr.begin() + (r - 1), 0);
          ++m.rows;
        }
        what = "insert";
      } else if (op < 74) {
        const int32_t r = pick(0, m.rows + 1);
        a.RemoveRow(r);
        if (r >= 1 && r <= m.rows) {
          if (m.rows == 1) {
            m.cells[0].assign(m.cells[0].size(), "");
            m.attr[0] = 0;
          } else {
            m.cells.erase(m.cells.begin() + (r - 1));
            m.attr.erase(m.attr.begin() + (r - 1));
            --m.rows;
          }
        }
        what = "remove";
      } else if (op < 80) {
        const int32_t s = pick(1, m.rows), d = pick(1, m.rows);
        a.CopyRow(s, d);
        m.cells[static_cast<std::size_t>(d - 1)] = m.cells[static_cast<std::size_t>(s - 1)];
        m.attr[static_cast<std::size_t>(d - 1)] = m.attr[static_cast<std::size_t>(s - 1)];
        what = "copy";
      } else if (op < 85) {
        const int32_t r = pick(1, m.rows);
        const auto v = static_cast<uint8_t>(pick(0, 255));
        a.SetRowAttrib(r, v);
        m.attr[static_cast<std::size_t>(r - 1)] = v;
        what = "attrib";
      } else if (op < 91) {
        const int32_t c = pick(0, m.cols);
        const bool asc = pick(0, 1) == 1;
        // Model row r is physical row before[r - 1] until the sort; the
        // order of ties is the sort's own, which the model takes over.
        std::map<int32_t, std::size_t> modelRowOf;
        for (int32_t r = 1; r <= m.rows; ++r)
          modelRowOf[a.SortOrder(r)] = static_cast<std::size_t>(r - 1);
        a.Sort(c, pick(0, m.cols), asc);
        std::vector<std::vector<std::string>> cells;
        std::vector<uint8_t> attr;
        for (int32_t r = 1; r <= m.rows; ++r) {
          const std::size_t from = modelRowOf.at(a.SortOrder(r));
          cells.push_back(m.cells[from]);
          attr.push_back(m.attr[from]);
        }
        for (int32_t r = 2; r <= m.rows; ++r) {
          const std::string x =
              AnsiLowerCase(cells[static_cast<std::size_t>(r - 2)][static_cast<std::size_t>(c)]);
          const std::string y =
              AnsiLowerCase(cells[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c)]);
          ASSERT_TRUE(asc ? x <= y : x >= y) << "sorted at row " << r;
        }
        m.cells = cells;
        m.attr = attr;
        if (pick(0, 1)) a.CommitSorting();
        what = "sort";
      } else if (op < 96) {
        a.GarbageCollection();
        what = "collect";
      } else if (op < 98) {
        a.Clear();
        for (auto& row : m.cells) row.assign(row.size(), "");
        m.attr.assign(m.attr.size(), 0);
        what = "clear";
      } else {
        const std::string s = text();
        a.Fill(s);
        for (auto& row : m.cells) row.assign(row.size(), s.substr(0, 255));
        if (s.empty()) m.attr.assign(m.attr.size(), 0);
        what = "fill";
      }
      SCOPED_TRACE(::testing::Message()
                   << "sequence " << sequence << " step " << step << " " << what);
      ASSERT_EQ(a.NrOfColumns(), m.cols);
      ASSERT_EQ(a.NrOfRows(), m.rows);
      for (int32_t r = 1; r <= m.rows; ++r) {
        ASSERT_EQ(a.RowAttrib(r), m.attr[static_cast<std::size_t>(r - 1)]) << "row " << r;
        for (int32_t c = 0; c <= m.cols; ++c)
          ASSERT_EQ(a.Elem(c, r),
                    m.cells[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c)])
              << c << "," << r;
      }
      ExpectSoundStorage(a, what);
    }
  }
}

// ---------------------------------------------------------------------------
// Nearest value

TEST(NearestArrayValue, AgreesWithNumpyArgmin) {
  for (const TNearestCase& c : Reference().nearest) {
    if (c.integer) {
      std::vector<int32_t> values;
      for (const double v : c.values) values.push_back(static_cast<int32_t>(v));
      EXPECT_EQ(IndexOfNearestArrayValue(static_cast<int32_t>(c.x), values), c.want) << c.name;
    } else {
      EXPECT_EQ(IndexOfNearestArrayValue(c.x, c.values), c.want) << c.name;
    }
  }
}

TEST(NearestArrayValue, TheLargestDoubleBoundsTheDifference) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double big = std::numeric_limits<double>::max();
  const struct {
    const char* what;
    double x;
    std::vector<double> values;
    int32_t want;
  } cases[] = {
      {"empty", 1, {}, -1},
      {"first of two equally near", 2.5, {1, 2, 3}, 1},
      {"infinite element", 0, {inf, 5}, 1},
      {"only infinite elements", 0, {inf, -inf}, -1},
      {"difference overflows", -big, {big}, -1},
      {"NaN element skipped", 1, {nan, 3}, 1},
      {"NaN X", nan, {1, 2}, -1},
      {"infinite X", inf, {1, inf}, -1},
  };
  for (const auto& c : cases) EXPECT_EQ(IndexOfNearestArrayValue(c.x, c.values), c.want) << c.what;
  EXPECT_EQ(IndexOfNearestArrayValue(int32_t{5}, std::vector<int32_t>{}), -1);
  EXPECT_EQ(IndexOfNearestArrayValue(INT32_MIN, std::vector<int32_t>{INT32_MAX, 0}), 1)
      << "a 32-bit difference would overflow";
}

}  // namespace
}  // namespace nuv
