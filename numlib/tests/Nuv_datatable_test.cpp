#include "Nuv_datatable_test.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "Nuv_matrix_test.h"
#include "nuv/Nuv_datatable.h"

namespace nuv {
namespace {

using testing::ExpectThrowMessage;
using testing::FillTagged;
using testing::Picture;
using testing::TEventLog;

constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();

// ---------------------------------------------------------------------------
// Storage

TEST(TDataTable, NewTableAndResize) {
  TDataTable t(nullptr);
  EXPECT_EQ(Picture(t), (std::vector<std::string>{"C-1/0/Interval", "R-1/0: 0/0"}));
  t.SetColName(1, "first");
  t.Resize(3, 2);
  EXPECT_EQ(Picture(t), (std::vector<std::string>{"first/0/Interval C-2/0/Interval C-3/0/Interval",
                                                  "R-1/0: 0/0 0/0 0/0", "R-2/0: 0/0 0/0 0/0"}));
  EXPECT_EQ(t.DataMatrix().NrOfColumns(), 3);
  EXPECT_EQ(t.DataMatrix().NrOfRows(), 2);

  // Counts below 1 count as 1; shrinking keeps what survives.
  t.SetElem(1, 1, 7);
  t.SetNrRows(-4);
  t.SetNrCols(0);
  EXPECT_EQ(Picture(t), (std::vector<std::string>{"first/0/Interval", "R-1/0: 7/0"}));
}

TEST(TDataTable, ResizeBeyondMemoryLeavesTheTable) {
  TDataTable t(nullptr);
  t.SetName("T");
  FillTagged(t, 2, 2);
  const auto before = Picture(t);
  TEventLog log(t);
  ExpectThrowMessage<ENUVDataTableError>([&] { t.Resize(kIntMax, kIntMax); },
                                         "Component \"T\": not enough memory on heap");
  EXPECT_EQ(Picture(t), before);
  EXPECT_EQ(log.Take(), "");
}

TEST(TDataTable, AdoptedMatrixStaysTheCallers) {
  testing::TTestMatrix m({{1, 2, 3}, {4, 5, 6}});
  {
    TDataTable t(nullptr);
    t.SetColName(1, "kept");
    t.SetMScaleType(1, stNominal);
    t.AssignAnotherDataMatrix(m.m);
    EXPECT_FALSE(t.OwnsDataMatrix());
    EXPECT_EQ(Picture(t), (std::vector<std::string>{"kept/0/Interval C-2/0/Interval C-3/0/Interval",
                                                    "R-1/0: 1/0 2/0 3/0", "R-2/0: 4/0 5/0 6/0"}));
    TEventLog log(t);
    m.m.SetVal(2, 2, 50);
    EXPECT_EQ(log.Take(), "Change") << "matrix changes reach the table";
    EXPECT_EQ(t.GetElem(2, 2), 50);
    // A matrix resized behind the table's back resizes the table.
    m.m.Resize(2, 3);
    EXPECT_EQ(log.Take(), "Resize(3x2>2x3) Change");
    EXPECT_EQ(t.GetRowName(3), "R-3");
    t.SetCellState(2, 3, cellEmpty);
    EXPECT_EQ(t.CountEmptyCells(0, 0, 0, 0), 1);
  }
  EXPECT_FALSE(m.m.OnChange) << "unlinked when the table goes";
  EXPECT_EQ(m.m.GetVal(2, 2), 50) << "and left alive";
}

TEST(TDataTable, AdoptingAMatrixWithoutCellsGivesItOne) {
  TDataTable t(nullptr);
  TMatrix m(nullptr);
  m.Resize(0, 4);
  t.AssignAnotherDataMatrix(m);
  EXPECT_EQ(t.NrOfColumns(), 1);
  EXPECT_EQ(t.NrOfRows(), 4);
  EXPECT_EQ(m.NrOfColumns(), 1);
  t.AssignAnotherDataMatrix(t.DataMatrix());  // itself: nothing to adopt
  EXPECT_EQ(&t.DataMatrix(), &m);
}

TEST(TDataTable, DeletedAdoptedMatrixIsReplaced) {
  TDataTable t(nullptr);
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(2, 3);
  m->Fill(4);
  t.AssignAnotherDataMatrix(*m);
  t.SetRowName(3, "last");
  m.reset();
  EXPECT_TRUE(t.OwnsDataMatrix());
  EXPECT_EQ(t.NrOfColumns(), 2);
  EXPECT_EQ(t.NrOfRows(), 3);
  EXPECT_EQ(t.GetRowName(3), "last");
  EXPECT_EQ(t.GetElem(2, 3), 0);
  t.SetElem(2, 3, 1);
  EXPECT_EQ(t.GetElem(2, 3), 1);
}

TEST(TDataTable, CopyClearAndCellStates) {
  TDataTable a(nullptr), b(nullptr);
  FillTagged(a, 2, 3);
  a.SetComment("run\t7\n");
  a.SetMScaleType(2, stOrdinal);
  a.SetElem(2, 1, 2.6);
  a.SetNominalID(2, 3, "high");
  b.CopyContentsFrom(a);
  EXPECT_EQ(Picture(b), Picture(a));
  EXPECT_EQ(b.Comment(), "run7");
  EXPECT_EQ(b.DataMatrix().GetVal(2, 1), 3) << "values arrive as GetElem reads them";
  EXPECT_EQ(b.GetElemNominal(2, 1), "high");
  EXPECT_EQ(b.CRCofNamesAndAttributes(), a.CRCofNamesAndAttributes());
  EXPECT_EQ(b.CRCofCellStates(), a.CRCofCellStates());

  TDataTable other(nullptr);
  other.Resize(3, 2);
  EXPECT_FALSE(other.CopyCellStatesFrom(a));
  EXPECT_EQ(other.CountMarkedCellsInColumn(1, 255), 0);
  b.SetAllCellStates(0);
  EXPECT_TRUE(b.CopyCellStatesFrom(a));
  EXPECT_EQ(b.CRCofCellStates(), a.CRCofCellStates());

  b.Clear();
  EXPECT_EQ(Picture(b), (std::vector<std::string>{"C-1/0/Interval C-2/0/Interval", "R-1/0: 0/0 0/0",
                                                  "R-2/0: 0/0 0/0", "R-3/0: 0/0 0/0"}));
  EXPECT_EQ(b.Comment(), "");
  EXPECT_NE(b.CRCofNamesAndAttributes(), a.CRCofNamesAndAttributes());
}

// ---------------------------------------------------------------------------
// Events

TEST(TDataTable, EventsFireOnceEach) {
  struct TCase {
    const char* what;
    std::function<void(TDataTable&)> op;
    const char* events;
  };
  TMatrix adopted(nullptr);
  adopted.Resize(2, 2);
  TDataTable source(nullptr);
  source.Resize(2, 5);
  const TCase cases[] = {
      {"SetElem", [](TDataTable& t) { t.SetElem(1, 1, 5); }, "Change"},
      {"SetElem outside", [](TDataTable& t) { t.SetElem(4, 1, 5); }, ""},
      {"SetCellState", [](TDataTable& t) { t.SetCellState(1, 1, 1); }, "CellState"},
      {"SetCellState unchanged", [](TDataTable& t) { t.SetCellState(1, 1, 8); }, ""},
      {"SetIsEmpty", [](TDataTable& t) { t.SetIsEmpty(1, 1, true); }, "CellState Change"},
      {"SetIsImputed cleared", [](TDataTable& t) { t.SetIsImputed(1, 1, false); }, "Change"},
      {"SetColName", [](TDataTable& t) { t.SetColName(2, "x"); }, "Names"},
      {"SetRowAttrib", [](TDataTable& t) { t.SetRowAttrib(2, 9); }, "Attrib"},
      {"SetMScaleType", [](TDataTable& t) { t.SetMScaleType(2, stRatio); }, "Setup"},
      {"SetComment", [](TDataTable& t) { t.SetComment("c"); }, "Setup"},
      {"SetElemNominal new", [](TDataTable& t) { t.SetElemNominal(1, 1, "a"); }, "Setup Change"},
      {"AddNominalID", [](TDataTable& t) { t.AddNominalID(1, "a"); }, "Setup"},
      {"Resize", [](TDataTable& t) { t.Resize(3, 2); }, "Resize(3x3>3x2)"},
      {"Resize unchanged", [](TDataTable& t) { t.Resize(3, 3); }, ""},
      {"AssignAnotherDataMatrix", [&](TDataTable& t) { t.AssignAnotherDataMatrix(adopted); },
       "Resize(3x3>2x2) Change Setup Names Attrib CellState"},
      {"CopyContentsFrom", [&](TDataTable& t) { t.CopyContentsFrom(source); },
       "Change CellState Setup Names Attrib Resize(3x3>2x5)"},
      {"Clear", [](TDataTable& t) { t.Clear(); }, "Names Attrib CellState Setup Change"},
      {"InsertRow", [](TDataTable& t) { t.InsertRow(2); },
       "Resize(3x3>3x4) Change CellState Attrib Names Setup"},
      {"RemoveColumn", [](TDataTable& t) { t.RemoveColumn(1); },
       "Resize(3x3>2x3) Change CellState Attrib Names Setup"},
      {"ExchangeColumns", [](TDataTable& t) { t.ExchangeColumns(1, 3); },
       "Change CellState Attrib Names Setup"},
      {"ExchangeRows invalid", [](TDataTable& t) { t.ExchangeRows(1, 4); }, ""},
      {"MirrorRows", [](TDataTable& t) { t.MirrorRows(); }, "Change CellState Attrib Names Setup"},
      {"Serialize", [](TDataTable& t) { t.Serialize(false); },
       "Resize(3x3>1x9) Change CellState Attrib Names Setup"},
      {"SetAllCellStates", [](TDataTable& t) { t.SetAllCellStates(64); }, "CellState"},
      {"FillMarkedCells none", [](TDataTable& t) { t.FillMarkedCells(1, 128); }, ""},
      {"FillMarkedCells", [](TDataTable& t) { t.FillMarkedCells(1, 4); }, "Change"},
      {"StandardizeNumCellColumns",
       [](TDataTable& t) { t.StandardizeNumCellColumns(nullptr, nullptr); }, "Change"},
      {"SortRows moving names", [](TDataTable& t) { t.SortRows(1, false, 0, 0, 0, 0, true); },
       "Change CellState Names Attrib"},
      {"SortColNames", [](TDataTable& t) { t.SortColNames(false, 0, 0, 0, 0); },
       "Change CellState Attrib Names Setup"},
      {"matrix written directly", [](TDataTable& t) { t.DataMatrix().SetVal(1, 1, 3); }, "Change"},
  };
  for (const TCase& c : cases) {
    TDataTable t(nullptr);
    FillTagged(t, 3, 3);
    TEventLog log(t);
    c.op(t);
    EXPECT_EQ(log.Take(), c.events) << c.what;
  }
}

TEST(TDataTable, SortExchangesAreReported) {
  TDataTable t(nullptr);
  t.Resize(2, 3);
  for (int32_t r = 1; r <= 3; ++r) t.SetElem(1, r, 4 - r);
  std::vector<std::string> seen;
  t.OnSortExchange = [&](TObject* sender, uint8_t what, int32_t i, int32_t j, int32_t first,
                         int32_t last) {
    seen.push_back(std::string(sender == &t ? "table " : "matrix ") + std::to_string(what) + " " +
                   std::to_string(i) + "-" + std::to_string(j) + " " + std::to_string(first) +
                   ".." + std::to_string(last));
  };
  t.SortRows(1, true, 0, 0, 0, 0, false);
  EXPECT_EQ(seen, (std::vector<std::string>{"matrix 2 1-3 1..2"}));
  seen.clear();
  t.SortRowAttributes(true, 0, 0, 0, 0);
  EXPECT_TRUE(seen.empty()) << "attributes already in order";
  t.SetRowAttrib(1, 9);
  t.SortRowAttributes(true, 2, 0, 2, 0);
  EXPECT_EQ(seen, (std::vector<std::string>{"table 2 1-2 2..2", "table 2 2-3 2..2"}));
}

// ---------------------------------------------------------------------------
// Cells, names, identifiers

TEST(TDataTable, ElementsByScaleType) {
  struct TCase {
    TMScaleType type;
    double stored, elem;
    const char* nominal;
  };
  const TCase cases[] = {
      {stInterval, 2.6, 2.6, ""},
      {stRatio, 2.5, 2.5, ""},
      {stUnknown, 2.5, 2.5, ""},
      {stNominal, 2.6, 3, "b"},
      {stOrdinal, 1.4, 1, "a-long-ide"},
      {stNominal, 2.5, 2, ""},
      {stOrdinal, 0.5, 0, "0"},
      {stNominal, -7, -7, "-7"},
      {stNominal, 1e12, 1e12, "1000000000"},
  };
  for (const TCase& c : cases) {
    TDataTable t(nullptr);
    t.SetMScaleType(1, stNominal);
    t.SetNominalID(1, 1, "a-long-identifier");
    t.SetNominalID(1, 3, "b");
    t.SetMScaleType(1, c.type);
    t.SetElem(1, 1, c.stored);
    EXPECT_EQ(t.GetElem(1, 1), c.elem) << MScaleTypeNames[c.type] << " " << c.stored;
    EXPECT_EQ(t.GetElemNominal(1, 1), c.nominal) << MScaleTypeNames[c.type] << " " << c.stored;
  }
}

TEST(TDataTable, OutOfRangeIndicesAreHarmless) {
  TDataTable t(nullptr);
  FillTagged(t, 2, 2);
  const auto before = Picture(t);
  const std::string crc = t.CRCofNamesAndAttributes() + t.CRCofCellStates();
  for (int32_t i : {0, -1, 3, kIntMax, std::numeric_limits<int32_t>::min()}) {
    t.SetElem(i, 1, 9);
    t.SetElem(1, i, 9);
    t.SetCellState(i, i, 9);
    t.SetIsEmpty(i, 1, true);
    t.SetColName(i, "x");
    t.SetRowName(i, "x");
    t.SetColAttrib(i, 9);
    t.SetRowAttrib(i, 9);
    t.SetMScaleType(i, stNominal);
    t.SetElemNominal(i, 1, "x");
    t.SetNominalID(i, 1, "x");
    t.SetNominalID(1, i, "x");
    t.ClearNominalIDs(i);
    t.InsertRow(i == 3 ? 4 : i);
    t.InsertColumn(i == 3 ? 4 : i);
    t.RemoveRow(i);
    t.RemoveColumn(i);
    t.ExchangeRows(1, i);
    t.ExchangeColumns(i, 1);
    t.ExchangeDuringSort(&t, 1, i, 1, i, i);
    EXPECT_EQ(t.GetElem(i, 1), 0) << i;
    EXPECT_EQ(t.GetCellState(1, i), 0) << i;
    EXPECT_FALSE(t.GetIsNumber(i, 1)) << i;
    EXPECT_EQ(t.GetColName(i), "") << i;
    EXPECT_EQ(t.GetMScaleType(i), stUnknown) << i;
    EXPECT_EQ(t.GetNominalID(1, i), "") << i;
    EXPECT_EQ(t.OrdinalOfNominalID(i, "x", true), 0) << i;
    EXPECT_EQ(t.AddNominalID(i, "x"), 0) << i;
    EXPECT_FALSE(t.IfRowHasCellState(i, 255)) << i;
    EXPECT_EQ(t.CountMarkedCellsInColumn(i, 255), 0) << i;
    double v1 = 0, v2 = 0;
    EXPECT_FALSE(t.CheckDichotomousColumn(i, v1, v2)) << i;
  }
  EXPECT_EQ(Picture(t), before);
  EXPECT_EQ(t.CRCofNamesAndAttributes() + t.CRCofCellStates(), crc);
}

TEST(TDataTable, CellStateBits) {
  struct TCase {
    uint8_t state;
    bool number, empty, imputed;
  };
  const TCase cases[] = {{0, true, false, false},  {1, false, false, false},
                         {2, false, true, false},  {32, true, false, true},
                         {252, true, false, true}, {35, false, true, true}};
  TDataTable t(nullptr);
  for (const TCase& c : cases) {
    t.SetCellState(1, 1, c.state);
    EXPECT_EQ(t.GetIsNumber(1, 1), c.number) << int(c.state);
    EXPECT_EQ(t.GetIsEmpty(1, 1), c.empty) << int(c.state);
    EXPECT_EQ(t.GetIsImputed(1, 1), c.imputed) << int(c.state);
  }
  t.SetCellState(1, 1, 1 + 16);
  t.SetIsEmpty(1, 1, true);
  t.SetIsImputed(1, 1, true);
  EXPECT_EQ(t.GetCellState(1, 1), 1 + 2 + 16 + 32);
  t.SetIsEmpty(1, 1, false);
  EXPECT_EQ(t.GetCellState(1, 1), 1 + 16 + 32);

  t.Resize(2, 2);
  t.SetCellState(1, 1, 64 + 4);
  t.SetCellState(2, 1, 128 + 1);
  t.SetCellState(1, 2, 64 + 128);
  t.ExchangeMarkings();
  EXPECT_EQ(t.GetCellState(1, 1), 128 + 4);
  EXPECT_EQ(t.GetCellState(2, 1), 64 + 1);
  EXPECT_EQ(t.GetCellState(1, 2), 64 + 128);
  EXPECT_TRUE(t.IfRowHasCellState(1, 4));
  EXPECT_FALSE(t.IfRowHasCellState(2, 63));
  EXPECT_EQ(t.CountMarkedCellsInRow(1, 128 + 64), 2);
  EXPECT_EQ(t.CountMarkedCellsInColumn(1, 128), 2);
  EXPECT_EQ(t.FillMarkedCells(-1, 64), 2);
  EXPECT_EQ(t.GetElem(2, 1), -1);
  EXPECT_EQ(t.GetElem(1, 1), 0);
  t.InvertCellStates(1);
  EXPECT_EQ(t.GetCellState(2, 2), 1);
  EXPECT_EQ(t.GetCellState(2, 1), 64);
  t.UnmarkAllCells();
  EXPECT_EQ(t.GetCellState(1, 1), 4 + 1);
  EXPECT_EQ(t.GetCellState(1, 2), 1);
}

TEST(TDataTable, NamesAreCutAndFound) {
  TDataTable t(nullptr);
  t.Resize(3, 2);
  t.SetColName(3, std::string(60, 'n'));
  EXPECT_EQ(t.GetColName(3).Length(), 50u);
  t.SetColName(1,
               "Gr\xFC\xDF"
               "e");  // Windows-1252 "Grüße"
  struct TCase {
    std::string name;
    int32_t col;
  };
  const TCase cases[] = {{" c-2  ", 2},
                         {"C-2", 2},
                         {"c-3", 0},
                         {"GR\xDC\xDF"
                          "E",
                          1},
                         {"", 0},
                         {std::string(50, 'N') + "tail", 3}};
  for (const TCase& c : cases) EXPECT_EQ(t.FindColIndex(c.name), c.col) << "'" << c.name << "'";
  EXPECT_EQ(t.FindRowIndex("r-2"), 2);
  EXPECT_EQ(t.FindRowIndex("R-3"), 0);
}

TEST(TDataTable, NamesOfEveryLengthFollowTheirLines) {
  // Short names are kept in place and long ones apart; both must travel
  // with their rows and columns through every edit, copy and conversion.
  const std::vector<std::string> names{"",
                                       "a",
                                       "twelve chars",
                                       "thirteen char",
                                       std::string(49, 'x'),
                                       std::string(50, 'y'),
                                       std::string(60, 'z')};
  const auto n = static_cast<int32_t>(names.size());
  auto cut = [](const std::string& s) { return s.substr(0, 50); };
  auto filled = [&] {
    auto t = std::make_unique<TDataTable>(nullptr);
    t->Resize(n, n);
    for (int32_t i = 1; i <= n; ++i) {
      t->SetRowName(i, names[i - 1]);
      t->SetColName(i, names[n - i]);
      t->SetElem(1, i, i);
    }
    return t;
  };
  // Row names expected after the edit, by the original row each line came
  // from (0 for a new, unnamed line).
  struct TCase {
    const char* edit;
    std::function<void(TDataTable&)> apply;
    std::vector<int32_t> origin;
  };
  const TCase cases[] = {
      {"ExchangeRows", [](TDataTable& t) { t.ExchangeRows(2, 6); }, {1, 6, 3, 4, 5, 2, 7}},
      {"MirrorRows", [](TDataTable& t) { t.MirrorRows(); }, {7, 6, 5, 4, 3, 2, 1}},
      {"InsertRow", [](TDataTable& t) { t.InsertRow(3); }, {1, 2, 0, 3, 4, 5, 6, 7}},
      {"RemoveRow", [](TDataTable& t) { t.RemoveRow(4); }, {1, 2, 3, 5, 6, 7}},
      {"SortRows with names",
       [](TDataTable& t) { t.SortRows(1, false, 1, 1, 1, 7, true); },
       {7, 6, 5, 4, 3, 2, 1}},
      {"CopyContentsFrom",
       [&](TDataTable& t) {
         auto other = filled();
         other->MirrorRows();
         t.CopyContentsFrom(*other);
       },
       {7, 6, 5, 4, 3, 2, 1}},
  };
  for (const TCase& c : cases) {
    auto t = filled();
    c.apply(*t);
    ASSERT_EQ(t->NrOfRows(), static_cast<int32_t>(c.origin.size())) << c.edit;
    for (std::size_t r = 0; r < c.origin.size(); ++r) {
      const std::string expected = c.origin[r] == 0 ? "" : cut(names[c.origin[r] - 1]);
      EXPECT_EQ(t->GetRowName(static_cast<int32_t>(r) + 1).Str(), expected)
          << c.edit << " row " << r + 1;
    }
    for (int32_t col = 1; col <= n; ++col)
      EXPECT_EQ(t->GetColName(col).Str(), cut(names[n - col])) << c.edit << " column " << col;
  }
  // The long format repeats every row's name once per column.
  auto t = filled();
  t->Serialize(false);
  ASSERT_EQ(t->NrOfRows(), n * n);
  for (int32_t r = 1; r <= n * n; ++r)
    EXPECT_EQ(t->GetRowName(r).Str(), cut(names[(r - 1) % n])) << "long format row " << r;
}

TEST(TDataTable, NominalIdentifiers) {
  TDataTable t(nullptr);
  t.SetName("T");
  t.Resize(2, 3);
  EXPECT_EQ(t.AddNominalID(1, "abc"), 1);
  EXPECT_EQ(t.GetMScaleType(1), stNominal);
  t.SetElemNominal(1, 1, "abc");
  t.SetElemNominal(1, 2, "ABC");
  t.SetElemNominal(1, 3, "an identifier longer than ten");
  EXPECT_EQ(t.GetElem(1, 1), 1);
  EXPECT_EQ(t.GetElem(1, 2), 1);
  EXPECT_EQ(t.GetElemNominal(1, 3), "an identif");
  EXPECT_EQ(t.OrdinalOfNominalID(1, "ABC", true), 1);
  EXPECT_EQ(t.OrdinalOfNominalID(1, "ABC", false), 0);
  EXPECT_EQ(t.OrdinalOfNominalID(1, "an identifier!", false), 2);
  EXPECT_EQ(t.OrdinalOfNominalID(1, "", true), 0);
  t.SetElemNominal(1, 1, "");
  EXPECT_EQ(t.GetElem(1, 1), 1) << "an empty identifier changes nothing";
  EXPECT_EQ(t.ListOfCategorialVars(), (TIntArray{1}));
  t.SetMScaleType(2, stOrdinal);
  EXPECT_EQ(t.ListOfCategorialVars(), (TIntArray{1, 2}));

  // A full table refuses a new identifier and leaves the cell alone.
  for (int32_t k = 3; k <= MaxNominalIDs; ++k) t.SetNominalID(1, k, "id" + std::to_string(k));
  ExpectThrowMessage<ENUVDataTableError>(
      [&] { t.SetElemNominal(1, 2, "new"); },
      "Component \"T\": number of available nominal values exceeded");
  EXPECT_EQ(t.GetElem(1, 2), 1);
  ExpectThrowMessage<ENUVDataTableError>(
      [&] { t.AddNominalID(1, "new"); },
      "Component \"T\": number of available nominal values exceeded");
  EXPECT_EQ(t.AddNominalID(1, "ID25"), 25) << "present identifiers are still found";

  // Slots of other columns are only written to clear them.
  t.SetMScaleType(1, stInterval);
  t.SetNominalID(1, 3, "other");
  t.SetMScaleType(1, stNominal);
  EXPECT_EQ(t.GetNominalID(1, 3), "id3");
  t.SetMScaleType(1, stInterval);
  t.SetNominalID(1, 3, "");
  EXPECT_EQ(t.OrdinalOfNominalID(1, "id4", true), 0) << "not nominal";
  t.SetMScaleType(1, stNominal);
  EXPECT_EQ(t.GetNominalID(1, 3), "");
  t.ClearNominalIDs(1);
  EXPECT_EQ(t.GetNominalID(1, 1), "");
}

TEST(TDataTable, SetElemNominalOnAnIntervalColumnReusesTheSlot) {
  TDataTable t(nullptr);
  t.Resize(1, 30);
  for (int32_t r = 1; r <= 30; ++r) t.SetElemNominal(1, r, r % 2 ? "odd" : "even");
  EXPECT_EQ(t.GetMScaleType(1), stInterval) << "the scale type stays";
  EXPECT_EQ(t.GetElem(1, 1), 1);
  EXPECT_EQ(t.GetElem(1, 30), 2);
  t.SetMScaleType(1, stNominal);
  EXPECT_EQ(t.GetNominalID(1, 2), "even");
  EXPECT_EQ(t.GetNominalID(1, 3), "") << "no identifier twice";
  EXPECT_EQ(t.AddNominalID(1, "ODD"), 1);
}

// ---------------------------------------------------------------------------
// Structure

TEST(TDataTable, StructureEditsKeepCellsAligned) {
  struct TCase {
    const char* what;
    std::function<void(TDataTable&)> op;
    std::vector<std::string> picture;
  };
  const TCase cases[] = {
      {"InsertRow(2)",
       [](TDataTable& t) { t.InsertRow(2); },
       {"C-1/1/Interval C-2/2/Nominal", "R-1/101: 11/8 21/12", "/0: 0/0 0/0",
        "R-2/102: 12/12 22/16", "R-3/103: 13/16 23/20"}},
      {"InsertRow(4) appends",
       [](TDataTable& t) { t.InsertRow(4); },
       {"C-1/1/Interval C-2/2/Nominal", "R-1/101: 11/8 21/12", "R-2/102: 12/12 22/16",
        "R-3/103: 13/16 23/20", "/0: 0/0 0/0"}},
      {"RemoveRow(1)",
       [](TDataTable& t) { t.RemoveRow(1); },
       {"C-1/1/Interval C-2/2/Nominal", "R-2/102: 12/12 22/16", "R-3/103: 13/16 23/20"}},
      {"InsertColumn(1)",
       [](TDataTable& t) { t.InsertColumn(1); },
       {"/0/Interval C-1/1/Interval C-2/2/Nominal", "R-1/101: 0/0 11/8 21/12",
        "R-2/102: 0/0 12/12 22/16", "R-3/103: 0/0 13/16 23/20"}},
      {"RemoveColumn(1)",
       [](TDataTable& t) { t.RemoveColumn(1); },
       {"C-2/2/Nominal", "R-1/101: 21/12", "R-2/102: 22/16", "R-3/103: 23/20"}},
      {"ExchangeRows(1, 3)",
       [](TDataTable& t) { t.ExchangeRows(1, 3); },
       {"C-1/1/Interval C-2/2/Nominal", "R-3/103: 13/16 23/20", "R-2/102: 12/12 22/16",
        "R-1/101: 11/8 21/12"}},
      {"MirrorColumns",
       [](TDataTable& t) { t.MirrorColumns(); },
       {"C-2/2/Nominal C-1/1/Interval", "R-1/101: 21/12 11/8", "R-2/102: 22/16 12/12",
        "R-3/103: 23/20 13/16"}},
      {"MirrorRows",
       [](TDataTable& t) { t.MirrorRows(); },
       {"C-1/1/Interval C-2/2/Nominal", "R-3/103: 13/16 23/20", "R-2/102: 12/12 22/16",
        "R-1/101: 11/8 21/12"}},
  };
  for (const TCase& c : cases) {
    TDataTable t(nullptr);
    FillTagged(t, 2, 3);
    t.SetMScaleType(2, stNominal);
    t.SetNominalID(2, 1, "two");
    c.op(t);
    EXPECT_EQ(Picture(t), c.picture) << c.what;
    const int32_t col = t.FindColIndex("C-2");
    EXPECT_EQ(t.GetNominalID(col, 1), "two") << c.what << ": identifiers move with their column";
  }
}

TEST(TDataTable, LastRowAndColumnStay) {
  TDataTable t(nullptr);
  t.SetElem(1, 1, 5);
  t.RemoveRow(1);
  t.RemoveColumn(1);
  EXPECT_EQ(t.NrOfRows(), 1);
  EXPECT_EQ(t.NrOfColumns(), 1);
  EXPECT_EQ(t.GetElem(1, 1), 5);
}

TEST(TDataTable, RemovedColumnTakesItsIdentifiers) {
  // An interval column that once held identifiers must not leave them to
  // the column that moves into its place.
  TDataTable t(nullptr);
  t.Resize(3, 1);
  t.SetElemNominal(1, 1, "stale");
  t.AddNominalID(2, "gone");
  t.SetMScaleType(3, stInterval);
  t.RemoveColumn(2);
  t.SetMScaleType(2, stNominal);
  EXPECT_EQ(t.GetNominalID(2, 1), "");
  t.SetMScaleType(1, stNominal);
  EXPECT_EQ(t.GetNominalID(1, 1), "stale");
}

TEST(TDataTable, SerializeToLongFormat) {
  TDataTable t(nullptr);
  FillTagged(t, 3, 4);
  t.SetRowName(2, "second");
  t.Serialize(true);
  ASSERT_EQ(t.NrOfColumns(), 2);
  ASSERT_EQ(t.NrOfRows(), 12);
  EXPECT_EQ(t.GetColName(1), "(column)");
  EXPECT_EQ(t.GetColName(2), "(data)");
  EXPECT_EQ(t.GetMScaleType(1), stNominal);
  EXPECT_EQ(t.GetMScaleType(2), stInterval);
  for (int32_t i = 1; i <= 12; ++i) {
    const int32_t s = (i - 1) / 4 + 1, a = (i - 1) % 4 + 1;
    EXPECT_EQ(t.GetElem(1, i), s) << "row " << i;
    EXPECT_EQ(t.GetElem(2, i), 10 * s + a) << "row " << i;
    EXPECT_EQ(t.GetCellState(2, i), 4 * (s + a)) << "row " << i;
    EXPECT_EQ(t.GetCellState(1, i), 0) << "row " << i;
    EXPECT_EQ(t.GetRowAttrib(i), 100 + a) << "row " << i;
    EXPECT_EQ(t.GetRowName(i), a == 2 ? "second" : "R-" + std::to_string(a)) << "row " << i;
  }
  EXPECT_EQ(t.GetElemNominal(1, 5), "2:C-2");
  EXPECT_EQ(t.GetColAttrib(1), 0);

  TDataTable plain(nullptr);
  FillTagged(plain, 2, 2);
  plain.Serialize(false);
  EXPECT_EQ(Picture(plain),
            (std::vector<std::string>{"(data)/0/Interval", "R-1/101: 11/8", "R-2/102: 12/12",
                                      "R-1/101: 21/12", "R-2/102: 22/16"}));
}

TEST(TDataTable, SerializeRecodesNominalColumnsIntoOneTable) {
  // Two nominal columns with their own codes: the long format keeps each
  // cell's identifier.
  TDataTable t(nullptr);
  t.Resize(3, 2);
  t.SetMScaleType(1, stNominal);
  t.SetMScaleType(2, stNominal);
  t.SetMScaleType(3, stUnknown);
  t.SetElemNominal(1, 1, "red");
  t.SetElemNominal(1, 2, "blue");
  t.SetElemNominal(2, 1, "BLUE");
  t.SetElemNominal(2, 2, "green");
  t.SetElem(3, 1, 30);
  t.Serialize(false);
  EXPECT_EQ(t.GetMScaleType(1), stNominal);
  const char* want[] = {"red", "blue", "blue", "green", "30", "0"};
  for (int32_t i = 1; i <= 6; ++i) EXPECT_EQ(t.GetElemNominal(1, i), want[i - 1]) << "row " << i;

  // More than 25 distinct identifiers cannot share one table.
  TDataTable wide(nullptr);
  wide.SetName("W");
  wide.Resize(2, 13);
  for (int32_t c = 1; c <= 2; ++c) {
    wide.SetMScaleType(c, stNominal);
    for (int32_t r = 1; r <= 13; ++r) wide.SetElemNominal(c, r, "v" + std::to_string(c * 100 + r));
  }
  const auto before = Picture(wide);
  ExpectThrowMessage<ENUVDataTableError>(
      [&] { wide.Serialize(true); },
      "Component \"W\": number of available nominal values exceeded");
  EXPECT_EQ(Picture(wide), before);
}

TEST(TDataTable, SerializeManyColumnsNamesTheFirst25) {
  TDataTable t(nullptr);
  t.Resize(30, 1);
  t.SetColName(25, "twentyfive");
  t.Serialize(true);
  EXPECT_EQ(t.GetElemNominal(1, 25), "25:twentyf");
  EXPECT_EQ(t.GetElemNominal(1, 30), "30");
}

// ---------------------------------------------------------------------------
// Sorting

TEST(TDataTable, SortRowsMovesStatesAndOptionallyNames) {
  for (bool moveNames : {false, true}) {
    TDataTable t(nullptr);
    FillTagged(t, 3, 3);
    t.SetElem(2, 1, 30);
    t.SetElem(2, 3, 10);
    // Key column 2, window columns 1..1: the key moves as well.
    t.SortRows(2, true, 1, 0, 1, 0, moveNames);
    const std::vector<std::string> moved = {
        "C-1/1/Interval C-2/2/Interval C-3/3/Interval", "R-3/103: 13/16 10/20 31/16",
        "R-2/102: 12/12 22/16 32/20", "R-1/101: 11/8 30/12 33/24"};
    const std::vector<std::string> kept = {
        "C-1/1/Interval C-2/2/Interval C-3/3/Interval", "R-1/101: 13/16 10/20 31/16",
        "R-2/102: 12/12 22/16 32/20", "R-3/103: 11/8 30/12 33/24"};
    EXPECT_EQ(Picture(t), moveNames ? moved : kept) << "moveNames " << moveNames;
  }
}

TEST(TDataTable, SortColsMovesScaleTypesWithNames) {
  TDataTable t(nullptr);
  FillTagged(t, 3, 2);
  t.SetElem(1, 1, 99);
  t.SetMScaleType(1, stRatio);
  t.SortCols(1, false, 0, 0, 0, 0, true);
  EXPECT_EQ(Picture(t),
            (std::vector<std::string>{"C-1/1/Ratio C-3/3/Interval C-2/2/Interval",
                                      "R-1/101: 99/8 31/16 21/12", "R-2/102: 12/12 32/20 22/16"}));
}

TEST(TDataTable, SortByNamesAndAttributes) {
  struct TCase {
    const char* what;
    std::function<void(TDataTable&)> op;
    std::vector<std::string> picture;
  };
  const TCase cases[] = {
      {"rows by name",
       [](TDataTable& t) { t.SortRowNames(true, 0, 0, 0, 0); },
       {"C-1/1/Interval C-2/2/Interval", "B/102: 12/12 22/16", "a/101: 11/8 21/12",
        "c/103: 13/16 23/20"}},
      {"rows by name, case ignored",
       [](TDataTable& t) { t.SortRowNames(true, true, 0, 0, 0, 0); },
       {"C-1/1/Interval C-2/2/Interval", "a/101: 11/8 21/12", "B/102: 12/12 22/16",
        "c/103: 13/16 23/20"}},
      {"rows by name, values of column 2 only",
       [](TDataTable& t) { t.SortRowNames(true, 2, 0, 2, 0); },
       {"C-1/1/Interval C-2/2/Interval", "B/102: 11/8 22/16", "a/101: 12/12 21/12",
        "c/103: 13/16 23/20"}},
      {"rows by attribute, descending",
       [](TDataTable& t) { t.SortRowAttributes(false, 0, 0, 0, 0); },
       {"C-1/1/Interval C-2/2/Interval", "c/103: 13/16 23/20", "B/102: 12/12 22/16",
        "a/101: 11/8 21/12"}},
      {"columns by attribute, rows 2..3",
       [](TDataTable& t) { t.SortColAttributes(false, 0, 2, 0, 3); },
       {"C-2/2/Interval C-1/1/Interval", "a/101: 11/8 21/12", "B/102: 22/16 12/12",
        "c/103: 23/20 13/16"}},
      {"columns by name descending",
       [](TDataTable& t) { t.SortColNames(false, true, 0, 0, 0, 0); },
       {"C-2/2/Interval C-1/1/Interval", "a/101: 21/12 11/8", "B/102: 22/16 12/12",
        "c/103: 23/20 13/16"}},
  };
  for (const TCase& c : cases) {
    TDataTable t(nullptr);
    FillTagged(t, 2, 3);
    t.SetRowName(1, "a");
    t.SetRowName(2, "B");
    t.SetRowName(3, "c");
    c.op(t);
    EXPECT_EQ(Picture(t), c.picture) << c.what;
  }
}

TEST(TDataTable, SortingByANominalColumnSortsByCode) {
  TDataTable t(nullptr);
  t.Resize(2, 3);
  t.SetMScaleType(1, stNominal);
  for (const char* id : {"z", "a", "m"}) t.AddNominalID(1, id);
  t.SetElemNominal(1, 1, "m");
  t.SetElemNominal(1, 2, "z");
  t.SetElemNominal(1, 3, "a");
  t.SortRows(1, true, 0, 0, 0, 0, true);
  EXPECT_EQ(t.GetElemNominal(1, 1), "z");
  EXPECT_EQ(t.GetElemNominal(1, 2), "a");
  EXPECT_EQ(t.GetElemNominal(1, 3), "m");
  EXPECT_EQ(t.GetRowName(1), "R-2");
}

TEST(TDataTable, AttributeLevelsAndMeasurementLevels) {
  TDataTable t(nullptr);
  t.Resize(4, 5);
  t.SetRowAttrib(2, 255);
  t.SetRowAttrib(4, 255);
  t.SetRowAttrib(5, 3);
  t.SetColAttrib(1, 7);
  EXPECT_EQ(t.RowAttribLevels(), 3);
  EXPECT_EQ(t.ColAttribLevels(), 2);
  t.SetMScaleType(2, stNominal);
  t.SetMScaleType(3, stRatio);
  t.SetMScaleType(4, stUnknown);
  struct TCase {
    int32_t lo, hi;
    TMScaleType highest, lowest;
  };
  const TCase cases[] = {{0, 0, stRatio, stUnknown},
                         {1, 2, stInterval, stNominal},
                         {3, 3, stRatio, stRatio},
                         {9, -9, stRatio, stUnknown},
                         {2, 0, stInterval, stNominal}};
  for (const TCase& c : cases) {
    EXPECT_EQ(t.FindHighestMLevel(c.lo, c.hi), c.highest) << c.lo << ".." << c.hi;
    EXPECT_EQ(t.FindLowestMLevel(c.lo, c.hi), c.lowest) << c.lo << ".." << c.hi;
  }
}

TEST(TDataTable, FingerprintsFollowTheirParts) {
  TDataTable t(nullptr);
  FillTagged(t, 2, 2);
  const std::string names = t.CRCofNamesAndAttributes(), states = t.CRCofCellStates();
  ASSERT_EQ(names.size(), 64u);
  EXPECT_EQ(names.find_first_not_of("0123456789ABCDEF"), std::string::npos);
  t.SetElem(1, 1, 1e6);
  EXPECT_EQ(t.CRCofNamesAndAttributes(), names) << "values take no part";
  EXPECT_EQ(t.CRCofCellStates(), states);
  const std::function<void(TDataTable&)> changes[] = {
      [](TDataTable& x) { x.SetComment("c"); }, [](TDataTable& x) { x.SetColName(2, "n"); },
      [](TDataTable& x) { x.SetRowAttrib(1, 0); },
      [](TDataTable& x) { x.SetMScaleType(1, stRatio); },
      [](TDataTable& x) { x.SetElemNominal(2, 1, "i"); }};
  for (std::size_t k = 0; k < std::size(changes); ++k) {
    TDataTable u(nullptr);
    u.CopyContentsFrom(t);
    changes[k](u);
    EXPECT_NE(u.CRCofNamesAndAttributes(), names) << "change " << k;
  }
  t.SetCellState(2, 2, 0);
  EXPECT_NE(t.CRCofCellStates(), states);

  // One register per row position: a single state byte 0 feeds register 1
  // only.
  TDataTable fresh(nullptr);
  EXPECT_EQ(fresh.CRCofCellStates().substr(8, 8), "D202EF8D") << "register 1: one zero byte";
  EXPECT_EQ(fresh.CRCofCellStates().substr(0, 8), "00000000") << "register 0: nothing";
}

TEST(TDataTable, DichotomousColumns) {
  struct TCase {
    std::vector<double> values;
    bool result;
    double v1, v2;
  };
  const TCase cases[] = {{{1, 0, 0, 1}, true, 1, 0},
                         {{2, 2, 5}, true, 2, 5},
                         {{3, 3, 3}, false, 3, 0},
                         {{1, 2, 3}, false, 1, 2},
                         {{7}, false, 0, 0}};
  for (const TCase& c : cases) {
    TDataTable t(nullptr);
    t.Resize(1, static_cast<int32_t>(c.values.size()));
    for (std::size_t i = 0; i < c.values.size(); ++i)
      t.SetElem(1, static_cast<int32_t>(i + 1), c.values[i]);
    double v1 = 0, v2 = 0;
    EXPECT_EQ(t.CheckDichotomousColumn(1, v1, v2), c.result) << ::testing::PrintToString(c.values);
    if (c.result) {
      EXPECT_EQ(v1, c.v1);
      EXPECT_EQ(v2, c.v2);
    }
  }
}

}  // namespace
}  // namespace nuv
