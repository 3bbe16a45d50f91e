// String tables and associative arrays (part of Nuv_dstruct; include
// "nuv/Nuv_dstruct.h"): TStringArray, a table of short strings with row and
// column attributes, a sort order kept apart from the physical rows and
// compact paged text storage; TAssocArray, a dictionary from string keys
// to variants; IndexOfNearestArrayValue for plain numeric arrays.
//
// TStringArray stores its texts in pages of 32768 bytes. A cell holds a
// 32-bit handle: 0 for a cell without storage (fresh or emptied), else the page
// (1-based) in the upper and the 1-based offset in the lower 16 bits of
// the place where a length byte and the characters lie. A text no longer
// than the one stored overwrites it in place; a longer one takes new room
// at the fill mark of the first page where it fits (the free room must
// exceed length + 1 bytes), or on a new page. What is left behind is
// reclaimed only by GarbageCollection. The inspection members (CellHandle,
// NrOfPages, PageFillMark, AllocatedRows) show this layout.
//
// Texts are compared without regard to case after the Windows-1252 lower
// case of the platform, byte by byte (unsigned, a prefix first).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/Nuv_nuvbase.h"
#include "nuv/platform/Streams.h"
#include "nuv/platform/TextFile.h"
#include "nuv/platform/Variant.h"

namespace nuv {

class TXMLBlockWriter;

// Lets the application replace a cell's text by its sort key; OutString
// starts equal to InString.
using TBeforeSortExchgEvent =
    std::function<void(TObject* Sender, const std::string& InString, std::string& OutString)>;

// ---------------------------------------------------------------------------
// String table

class TStringArray : public TComponent {
 public:
  static constexpr int32_t kPageSize = 32768;
  // Page numbers fill the upper 16 bits of a handle.
  static constexpr int32_t kMaxPages = 65535;
  static constexpr int32_t kMaxTextLength = 255;

  // A 1 × 1 table with 10 allocated rows and one empty page. Raises
  // ENUVDStructError "Class TStringArray: failed to initialize (out of
  // memory)" when that cannot be allocated.
  explicit TStringArray(TComponent* AOwner);
  ~TStringArray() override;

  // Valid columns are 0..NrOfColumns (column 0 for row labels), valid rows
  // 1..NrOfRows. The setters call Resize.
  int32_t NrOfColumns() const { return cols_; }
  void SetNrOfColumns(int32_t Value) { Resize(Value, rows_); }
  int32_t NrOfRows() const { return rows_; }
  void SetNrOfRows(int32_t Value) { Resize(cols_, Value); }
  // Rows are allocated in multiples of AllocRowsBy; values below 1 count
  // as 1. Takes effect at the next reallocation.
  int32_t AllocRowsBy() const { return allocRowsBy_; }
  void SetAllocRowsBy(int32_t Value);

  // The cell at logical row ARow; empty outside the table.
  std::string Elem(int32_t ACol, int32_t ARow) const;
  // The same without a copy, valid until the table is next changed.
  std::string_view ElemView(int32_t ACol, int32_t ARow) const {
    if (!ValidCell(ACol, ARow)) return {};
    return TextOf(cells_[CellIx(ACol, Physical(ARow))]);
  }
  // Texts beyond 255 characters are cut; outside the table nothing
  // happens. Raises ENUVDStructError "Class TStringArray: no room for more
  // text" when new room is needed beyond the last page number or memory.
  void SetElem(int32_t ACol, int32_t ARow, std::string_view S);
  // The cell's text without blanks at either end and with "," read as
  // ".", converted without regard to the locale: 0 when empty. Any other
  // text raises ENUVDStructError "Class TStringArray: invalid numeric
  // string: [col,row]: text".
  long double AsNumber(int32_t ACol, int32_t ARow) const;

  // Attributes of logical rows 1..NrOfRows and of columns 1..NrOfColumns;
  // 0 outside.
  uint8_t RowAttrib(int32_t ARow) const;
  void SetRowAttrib(int32_t ARow, uint8_t Value);
  uint8_t ColAttrib(int32_t ACol) const;
  void SetColAttrib(int32_t ACol, uint8_t Value);
  // The physical row shown at logical row Ix (1..NrOfRows); 0 outside.
  int32_t SortOrder(int32_t Ix) const;

  // Same dimensions: true, no event. Dimensions below 1: false. Rows
  // beyond the allocation and a new column count reallocate (a multiple of
  // AllocRowsBy rows); cells and attributes inside both shapes keep their
  // values, the others are empty. Every resize resets the sort order to
  // the physical order. A reallocation that fails (beyond 2 GiB of handles
  // or memory) gives false and leaves everything as it was.
  bool Resize(int32_t NrCols, int32_t NrRows);
  // One row more; the new NrOfRows (unchanged when Resize failed).
  int32_t AddRow();
  // Empties every cell, resets the sort order and the row attributes and
  // keeps only the first page, empty; dimensions and column attributes
  // stay.
  void Clear();
  // S into every cell (columns 0..NrOfColumns, each from row 1 down); an
  // empty S clears instead.
  void Fill(std::string_view S);
  // Every cell of rows 1..NrOfRows is empty or blanks; false for a column
  // outside 0..NrOfColumns.
  bool ColumnEmpty(int32_t ACol) const;
  // The same over columns 1..NrOfColumns of a logical row.
  bool RowEmpty(int32_t ARow) const;

  // Searches rows RowLow..RowHigh, in each the columns ColLow..ColHigh, for
  // the first cell containing S (FindCell; an empty S is found nowhere) or
  // equal to S (FindCellExact). A column bound of -1 means all columns
  // 0..NrOfColumns, both row bounds -1 all rows; bounds are clamped and
  // may come in either order. Without MatchCase both sides are lower-
  // cased. True with ACol and ARow set; false leaves them.
  bool FindCell(std::string_view S, bool MatchCase, int32_t ColLow, int32_t ColHigh, int32_t RowLow,
                int32_t RowHigh, int32_t& ACol, int32_t& ARow) const;
  bool FindCellExact(std::string_view S, bool MatchCase, int32_t ColLow, int32_t ColHigh,
                     int32_t RowLow, int32_t RowHigh, int32_t& ACol, int32_t& ARow) const;
  // Binary search of column ACol (clamped), sorted ascending or
  // descending, in rows RowLow..RowHigh (both -1: all; clamped, either
  // order). On a hit ARow is the first row of the run of equal texts
  // within the bounds. Sort ignores case, so a search with MatchCase may
  // miss in a column that Sort ordered.
  bool FindCellInSortedColumn(std::string_view S, bool MatchCase, int32_t ACol, int32_t RowLow,
                              int32_t RowHigh, bool Ascending, int32_t& ARow) const;

  // Removes logical row ARow; the others keep their order, which becomes
  // the physical one. A table of one row is emptied instead.
  void RemoveRow(int32_t ARow);
  // An empty row (attribute 0) before logical row ARow, 1..NrOfRows; the
  // order becomes the physical one.
  void InsertRow(int32_t ARow);
  // The texts and the attribute of logical row Src into row Dst.
  void CopyRow(int32_t Src, int32_t Dst);

  // Orders the sort order by column ACol (0..NrOfColumns; otherwise
  // nothing happens), ties by column ACol2 when ACol2 is 1..NrOfColumns.
  // A comb sort (shrink 1.3, until a gap-1 pass exchanges nothing) over
  // the lower-cased texts, each first passed through OnBeforeSortExchange;
  // not stable. OnPercentDone gets 0, the share of the estimated
  // comparisons after each pass (at most 100), and 100.
  void Sort(int32_t ACol, int32_t ACol2, bool Ascending);
  void UnSort();
  // Moves cells and row attributes into the logical order, which then is
  // the physical one.
  void CommitSorting();
  // Compacts each page: the live texts of physical rows 1..NrOfRows, in the
  // order of columns 0..NrOfColumns, each column from row 1 down, move to
  // the start of the page they are on. Handles change, texts do not.
  void GarbageCollection();

  // The block "strarray": "numcols" and "numrows" with the counts (and the
  // column attributes), then one "cell" element per non-empty cell with its
  // column, row and encoded text, in logical order. The readers find the
  // block with this ID (empty: the next one) and replace the table only
  // when the block is complete and consistent: both counts, every cell
  // inside them and none twice (false otherwise, the table unchanged).
  void WriteToOpenXMLFile(TextFile& F, bool CreateHeader, std::string_view ID) const;
  void WriteToOpenXMLFile(TStream& Stream, bool CreateHeader, std::string_view ID) const;
  bool ReadFromOpenXMLFile(TextFile& F, std::string_view ID);
  bool ReadFromOpenXMLFile(TStream& Stream, std::string_view ID);
  // A failed save leaves an existing file as it was.
  void SaveAsXMLFile(std::string_view FileName, std::string_view ID) const;
  bool LoadFromXMLFile(std::string_view FileName, std::string_view ID);

  // Storage layout: the cell's handle (0 outside the table), the number of
  // pages, a page's fill mark (1-based offset of its first free byte; 0
  // outside 1..NrOfPages) and the rows allocated.
  uint32_t CellHandle(int32_t ACol, int32_t ARow) const;
  int32_t NrOfPages() const { return static_cast<int32_t>(pages_.size()); }
  int32_t PageFillMark(int32_t Page) const;
  int32_t AllocatedRows() const { return allocRows_; }

  TNotifyEvent OnChange;
  TOnPercentDoneEvent OnPercentDone;
  TBeforeSortExchgEvent OnBeforeSortExchange;

 protected:
  virtual void Changed();

 private:
  struct TSortItem;
  struct TSortInfo;

  bool ValidCell(int32_t ACol, int32_t ARow) const {
    return ACol >= 0 && ACol <= cols_ && ARow >= 1 && ARow <= rows_;
  }
  // Index into cells_ of a column and a physical row.
  std::size_t CellIx(int32_t ACol, int32_t PhysRow) const {
    return static_cast<std::size_t>(PhysRow - 1) * static_cast<std::size_t>(cols_ + 1) +
           static_cast<std::size_t>(ACol);
  }
  int32_t Physical(int32_t ARow) const {
    return inOrder_ ? ARow : sortOrder_[static_cast<std::size_t>(ARow - 1)];
  }
  // Where the length byte of a text lies; Handle is not 0.
  uint8_t* PlaceOf(uint32_t Handle) const {
    return pages_[(Handle >> 16) - 1].get() + ((Handle & 0xFFFF) - 1);
  }
  std::string_view TextOf(uint32_t Handle) const {
    if (Handle == 0) return {};
    const uint8_t* at = PlaceOf(Handle);
    return {reinterpret_cast<const char*>(at + 1), at[0]};
  }
  void Store(uint32_t& Handle, std::string_view S);
  uint32_t NewRoom(std::size_t Length);
  void ResetRoomSearch();
  bool Reallocate(int32_t NrCols, int32_t NrRows);
  void ResetSortOrder();
  void MoveRows(int32_t From, int32_t To, int32_t Count);
  void EmptyPhysicalRow(int32_t PhysRow);
  template <class Match>
  bool FindFirst(std::string_view S, bool MatchCase, int32_t ColLow, int32_t ColHigh,
                 int32_t RowLow, int32_t RowHigh, int32_t& ACol, int32_t& ARow,
                 const Match& Found) const;
  void SortWithKeys(int32_t ACol, int32_t ACol2, bool Ascending, int64_t Estimate);
  void SortWithEvent(int32_t ACol, int32_t ACol2, bool Ascending, int64_t Estimate);
  void ReportSortProgress(int64_t Done, int64_t Estimate);
  // Runs Change with OnChange held back, firing it once afterwards when
  // anything changed.
  template <class F>
  void Bulk(const F& Change);
  void TakeStorage(TStringArray& From);
  void WriteBlock(TXMLBlockWriter& W, bool CreateHeader, std::string_view ID) const;
  template <class In>
  bool ReadBlock(In& Input, std::string_view ID);

  int32_t cols_ = 1;
  int32_t rows_ = 1;
  int32_t allocRows_ = 0;
  int32_t allocRowsBy_ = 10;
  std::vector<uint32_t> cells_;     // allocRows_ × (cols_ + 1), row by row
  std::vector<int32_t> sortOrder_;  // logical row - 1 → physical row
  bool inOrder_ = true;             // sortOrder_ is the identity
  std::vector<uint8_t> rowAttr_;    // by physical row - 1
  std::vector<uint8_t> colAttr_;    // columns 1..cols_
  std::vector<std::unique_ptr<uint8_t[]>> pages_;
  std::vector<int32_t> fill_;  // fill mark of each page
  // For each text length, the first page that may still take it: pages
  // before it are too full, and fill marks only grow until the pages are
  // compacted or released.
  std::vector<int32_t> firstRoom_;
  int32_t eventsHeld_ = 0;
  bool changedWhileHeld_ = false;
  // Counts changes, so that a sort notices when its events changed the
  // table under it.
  uint64_t changes_ = 0;
};

// ---------------------------------------------------------------------------
// Associative array

// Pairs of keys and values in insertion order until a removal, which moves
// the last pair into the gap. A hash index finds keys; the order and every
// result are those of a search from the first pair.
class TAssocArray : public TComponent {
 public:
  static constexpr int32_t kMaxGranularity = 1 << 20;

  explicit TAssocArray(TComponent* AOwner);
  ~TAssocArray() override;

  // The data set's name; the XML writer's id when it is given none.
  const std::string& DataID() const { return dataID_; }
  void SetDataID(std::string_view Value) { dataID_ = Value; }
  // Keys compare without regard to case (Windows-1252) and are stored
  // lower-cased while set. Keys stored before the switch keep their case.
  bool IgnoreCase() const { return ignoreCase_; }
  void SetIgnoreCase(bool Value);
  // Slots by which the arrays grow, clamped to 1..kMaxGranularity.
  int32_t Granularity() const { return granularity_; }
  void SetGranularity(int32_t Value);
  int32_t NumEntries() const { return static_cast<int32_t>(count_); }

  // Pair Ix, 1..NumEntries: the key (empty outside), the value (an empty
  // string outside). Writing outside is ignored; a written key is lower-
  // cased under IgnoreCase.
  std::string Keys(int32_t Ix) const;
  void SetKeys(int32_t Ix, std::string_view Key);
  Variant Values(int32_t Ix) const;
  void SetValues(int32_t Ix, const Variant& Value);

  // Replaces the value of an existing key, or appends the pair.
  void Add(std::string_view Key, const Variant& Value);
  // The value, or Null when the key is absent.
  Variant Resolve(std::string_view Key) const;
  // VarToStr of the value; empty when absent.
  std::string ResolveAsString(std::string_view Key) const;
  // The numeric kinds as they are; a string read as a float from its
  // start ("." or "," as separator, exponents allowed); 0 otherwise.
  long double ResolveAsNumber(std::string_view Key) const;
  // False when absent; otherwise the last pair takes the removed pair's
  // place.
  bool Remove(std::string_view Key);
  // No pairs, Granularity slots.
  void Clear();

  // The block "assocarray" with its id (empty ID: DataID). The reader takes
  // the block with this ID (empty: the next one) when it is complete and
  // consistent: its pair count, known value kinds, values in their kind's
  // range and no key twice under the stored case rule. Then the pairs,
  // IgnoreCase and DataID (the block's id) are replaced; otherwise false
  // and nothing changes.
  void WriteToXMLStream(TStream& Stream, bool CreateHeader, std::string_view ID) const;
  bool ReadFromXMLStream(TStream& Stream, std::string_view ID);
  // Adds every name=value pair of an attribute text (as the XML tag
  // readers return it) as a string value, up to a malformed pair.
  void AddXMLAttributes(std::string_view Attr);

 private:
  struct TPair {
    std::string Key;
    Variant Value;
  };
  class TIndex;

  TPair& Slot(std::size_t Ix);
  const TPair& Slot(std::size_t Ix) const;
  // Ix of the first pair with this key, or -1; Stored is the key as
  // StoredKey gives it, Hash its hash.
  int64_t Find(std::string_view Key) const;
  int64_t Find(std::string_view Stored, uint64_t Hash) const;
  std::string StoredKey(std::string_view Key) const;
  void Append(std::string Key, const Variant& Value);
  void AddChunk();
  void ResetSlots();
  // Indexes the keys when they are all stored per IgnoreCase and distinct;
  // otherwise searches scan the pairs.
  void RebuildIndex();

  std::string dataID_;
  bool ignoreCase_ = true;
  int32_t granularity_ = 1024;
  // Slots in chunks of Granularity pairs: growing adds one chunk and never
  // moves a pair.
  std::vector<std::unique_ptr<TPair[]>> chunks_;
  std::vector<std::size_t> chunkEnd_;  // slots up to the end of each chunk
  std::size_t uniformChunk_ = 0;       // the chunks' size while they are all alike, else 0
  std::size_t count_ = 0;
  bool indexed_ = true;
  std::unique_ptr<TIndex> index_;
};

// ---------------------------------------------------------------------------
// Nearest value

// The 0-based index of the first element of smallest absolute difference
// from X; -1 for an empty array. Differences are taken against a start
// value of the largest double, so an element whose difference is not
// below it (infinite or NaN) is never chosen, and -1 results when none is.
// The integer difference is exact.
int32_t IndexOfNearestArrayValue(double X, std::span<const double> Arr);
int32_t IndexOfNearestArrayValue(int32_t X, std::span<const int32_t> Arr);

}  // namespace nuv
