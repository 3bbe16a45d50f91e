// Tables of measurements as descriptive statistics sees them: columns are
// variables, rows are objects. TDataTable keeps the numbers in a TMatrix
// (its own, or one the caller hands in) and adds, per column, a scale type
// and a table of up to 25 nominal identifiers, per cell a state byte, and
// per row and column a name and an 8-bit attribute. On top of that it
// offers range statistics that respect scale types and cell states,
// covariance and correlation matrices, standardisation, structure editing,
// sorting, conversion to long format and ASC and CSV text exchange.
//
// Indices are 1-based, column first. Out-of-range indices are never errors:
// getters return 0, an empty string or stUnknown, setters and editors do
// nothing. A table has at least one column and one row; a cell costs its
// double in the matrix plus one state byte (column-major, like the matrix).
//
// Six events let a grid or chart refresh only what changed: OnChange (cell
// values), OnChangeSetup (comment, scale types, nominal identifiers,
// structure), OnChangeNames, OnChangeAttrib, OnChangeCellState and
// OnResize. Bulk operations suspend them and fire each affected event once
// at the end. Misuse raises ENUVDataTableError (or ENUVMatrixError where
// the statistics of matrices do) with the component's name in the message;
// numerical failure and an abort through AbortMathProc are a false result.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/Nuv_matrix.h"
#include "nuv/Nuv_nuvbase.h"
#include "nuv/Nuv_vector.h"

namespace nuv {

class ENUVDataTableError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

class TClipboard;

// Measurement levels, compared numerically (nominal lowest, ratio highest).
enum TMScaleType : uint8_t { stUnknown, stNominal, stOrdinal, stInterval, stRatio };
inline constexpr std::array<std::string_view, 5> MScaleTypeNames{"Unknown", "Nominal", "Ordinal",
                                                                 "Interval", "Ratio"};

using TNominalIDStr = ShortString<10>;
using TDTNameStr = ShortString<50>;

enum TCSVDelimiters : uint8_t { csvComma, csvColon, csvSemicolon, csvTab, csvUnknown };
inline constexpr std::array<char, 5> CSVDelimiters{',', ':', ';', '\t', '\0'};

// Bits of the cell-state byte. A cell holds a number when neither
// cellNotANumber nor cellEmpty is set; the bits 4, 8 and 16 have no
// meaning of their own.
inline constexpr uint8_t cellNotANumber = 1;
inline constexpr uint8_t cellEmpty = 2;
inline constexpr uint8_t cellImputed = 32;
inline constexpr uint8_t cellMark1 = 64;
inline constexpr uint8_t cellMark2 = 128;

// Number of nominal identifiers a column can hold; slot k stands for code k.
inline constexpr int32_t MaxNominalIDs = 25;

using TDataTableResizeEvent = std::function<void(
    TObject* Sender, int32_t OldColumns, int32_t OldRows, int32_t NewColumns, int32_t NewRows)>;

class TDataTable : public TComponent {
 public:
  // One column (C-1, stInterval) and one row holding 0, in a matrix
  // of its own. Raises "failed to initialize (out of memory)".
  explicit TDataTable(TComponent* AOwner);
  // Frees the owned matrix; an adopted one stays alive, unlinked.
  ~TDataTable() override;

  // ---- properties and events
  const std::string& Comment() const { return comment_; }
  // Control characters are removed; fires OnChangeSetup.
  void SetComment(std::string_view text);
  int32_t NrOfColumns() const { return ncols_; }
  int32_t NrOfRows() const { return nrows_; }
  void SetNrCols(int32_t n) { Resize(n, nrows_); }
  void SetNrRows(int32_t n) { Resize(ncols_, n); }

  TNotifyEvent OnChange;
  TNotifyEvent OnChangeSetup;
  TNotifyEvent OnChangeNames;
  TNotifyEvent OnChangeAttrib;
  TNotifyEvent OnChangeCellState;
  TDataTableResizeEvent OnResize;
  // Every exchange of SortRows/SortCols and of the name and attribute
  // sorts: ExchgWhat 1 columns, 2 rows; first and last span the other
  // dimension that moved.
  TSortExchgEvent OnSortExchange;

  // The matrix holding the values. Writing through it fires OnChange;
  // resizing it resizes the table (OnResize).
  TMatrix& DataMatrix() { return *data_; }
  const TMatrix& DataMatrix() const { return *data_; }
  bool OwnsDataMatrix() const { return owned_ != nullptr; }

  // ---- storage
  // Counts below 1 count as 1. Nothing happens for the present size;
  // otherwise new columns and rows get fresh names (C-k, R-k), attribute 0,
  // stInterval, no identifiers, values and states 0, and OnResize fires
  // (no OnChange). Raises "not enough memory on heap" with the table
  // unchanged.
  void Resize(int32_t NrCols, int32_t NrRows);
  // Adopts M (it stays the caller's): the table takes M's shape (a matrix
  // without columns or rows is given one), keeps names, attributes and
  // states where the shape allows, sets every column to stInterval and
  // fires OnResize, then OnChange, OnChangeSetup, OnChangeNames,
  // OnChangeAttrib and OnChangeCellState. A previously owned matrix is
  // freed. Should M be deleted while adopted, the table goes on with a
  // zero-filled matrix of its own.
  void AssignAnotherDataMatrix(TMatrix& M);
  // Size, comment, names, attributes, scale types, identifiers, states and
  // values (read as GetElem reads them) of Source; fires OnChange,
  // OnChangeCellState, OnChangeSetup, OnChangeNames, OnChangeAttrib, then
  // OnResize.
  void CopyContentsFrom(const TDataTable& Source);
  // False (nothing copied) unless Source has the same shape; else copies
  // every state byte and fires OnChangeCellState.
  bool CopyCellStatesFrom(const TDataTable& Source);
  // Keeps the size and resets names, attributes, states, scale types,
  // identifiers, the comment and the values.
  void Clear();

  // ---- cells
  // The stored value; nominal and ordinal columns give it rounded to the
  // nearest whole number (halves to even).
  double GetElem(int32_t Col, int32_t Row) const;
  // Stores the value unchanged (the state is not touched); fires OnChange.
  void SetElem(int32_t Col, int32_t Row, double Value);
  // Of a nominal or ordinal column: the identifier in slot k for the
  // cell's code k in 1..25, any other code as decimal text (at most 10
  // characters). Empty for other columns.
  TNominalIDStr GetElemNominal(int32_t Col, int32_t Row) const;
  // The cell gets the code of Id (first 10 characters, case ignored),
  // which enters the column's first empty slot when it is new (firing
  // OnChangeSetup); the scale type stays. Raises "number of available
  // nominal values exceeded" (cell unchanged) when all slots are taken. An
  // empty Id changes nothing.
  void SetElemNominal(int32_t Col, int32_t Row, std::string_view Id);

  uint8_t GetCellState(int32_t Col, int32_t Row) const;
  // Fires OnChangeCellState when the byte changes.
  void SetCellState(int32_t Col, int32_t Row, uint8_t State);
  bool GetIsEmpty(int32_t Col, int32_t Row) const;
  bool GetIsNumber(int32_t Col, int32_t Row) const;
  bool GetIsImputed(int32_t Col, int32_t Row) const;
  // Set or clear the bit through SetCellState, then fire OnChange.
  void SetIsEmpty(int32_t Col, int32_t Row, bool Flag);
  void SetIsImputed(int32_t Col, int32_t Row, bool Flag);

  TDTNameStr GetColName(int32_t Col) const;
  TDTNameStr GetRowName(int32_t Row) const;
  // Cut to 50 characters; fire OnChangeNames.
  void SetColName(int32_t Col, std::string_view Name);
  void SetRowName(int32_t Row, std::string_view Name);
  uint8_t GetColAttrib(int32_t Col) const;
  uint8_t GetRowAttrib(int32_t Row) const;
  // Fire OnChangeAttrib.
  void SetColAttrib(int32_t Col, uint8_t Attrib);
  void SetRowAttrib(int32_t Row, uint8_t Attrib);
  TMScaleType GetMScaleType(int32_t Col) const;
  // Fires OnChangeSetup.
  void SetMScaleType(int32_t Col, TMScaleType ScaleType);
  // First column (row) whose name equals Name (cut to 50 characters) when
  // both are trimmed and upper-cased; 0 when none does.
  int32_t FindColIndex(std::string_view Name) const;
  int32_t FindRowIndex(std::string_view Name) const;

  // ---- nominal identifiers
  // Slot (1..25) of the first identifier equal to Id (first 10
  // characters), compared lower-cased with IgnoreCase; 0 for an invalid
  // column, an empty Id, a column neither nominal nor ordinal, or no match.
  int32_t OrdinalOfNominalID(int32_t Col, std::string_view Id, bool IgnoreCase) const;
  // Slot of Id (case ignored) when the column has it; otherwise Id enters
  // the first empty slot, the column becomes stNominal, OnChangeSetup
  // fires and the slot is returned. 0 for an invalid column or an empty
  // Id; raises "number of available nominal values exceeded" when all
  // slots are taken.
  int32_t AddNominalID(int32_t Col, std::string_view Id);
  // Slot 1..25 gets Id when the column is nominal or ordinal; an empty Id
  // clears the slot of any column. Fires OnChangeSetup for every valid
  // column and slot.
  void SetNominalID(int32_t Col, int32_t Slot, std::string_view Id);
  // Empty unless the column is nominal or ordinal and Slot is 1..25.
  TNominalIDStr GetNominalID(int32_t Col, int32_t Slot) const;
  // Empties all slots; fires OnChangeSetup.
  void ClearNominalIDs(int32_t Col);
  // The nominal and ordinal columns, ascending.
  TIntArray ListOfCategorialVars() const;

  // ---- structure
  // Row 1..NrOfRows + 1 is inserted (empty name, attribute 0, values and
  // states 0), the rows from there on move down. Structure edits fire
  // OnResize, then OnChange, OnChangeCellState, OnChangeNames,
  // OnChangeAttrib and OnChangeSetup, once each.
  void InsertRow(int32_t Row);
  // Only while at least two rows remain.
  void RemoveRow(int32_t Row);
  // As InsertRow; the new column is stInterval without identifiers.
  void InsertColumn(int32_t Col);
  void RemoveColumn(int32_t Col);
  // Exchange values, states, names and attributes (columns also scale
  // types and identifiers); then fire OnChange, OnChangeCellState,
  // OnChangeAttrib, OnChangeNames and OnChangeSetup. Nothing happens
  // unless both indices are valid.
  void ExchangeColumns(int32_t Col1, int32_t Col2);
  void ExchangeRows(int32_t Row1, int32_t Row2);
  // Reverse the order of the columns (rows); the same five events.
  void MirrorColumns();
  void MirrorRows();
  // Long format: one row per cell, old column by old column. The last
  // column, "(data)", holds the values (as GetElem reads them) with their
  // states and gets the highest measurement level of the table; each row
  // keeps the name and attribute of its old row. WithColumnInfo adds
  // column 1, "(column)", holding the old column index, nominal with the
  // identifiers "<index>:<name>" (10 characters) of the first 25 columns.
  // When the data column is nominal or ordinal, the codes of all columns
  // are recoded into one common identifier table; raises "number of
  // available nominal values exceeded" when they need more than 25 slots,
  // and "too many cells for the long format" beyond 2^31 - 1 rows (the
  // table unchanged in both cases). Fires the events of a structure edit.
  void Serialize(bool WithColumnInfo);

  // ---- cell-state bulk operations (each fires OnChangeCellState once)
  void SetAllCellStates(uint8_t State);
  // Clears the two marks (bits 64 and 128).
  void UnmarkAllCells();
  void InvertCellStates(uint8_t Mask);
  // Swaps the two marks of every cell.
  void ExchangeMarkings();
  // Whether any state of the row (column) has a bit of Mask; false for an
  // invalid index.
  bool IfRowHasCellState(int32_t Row, uint8_t Mask) const;
  bool IfColHasCellState(int32_t Col, uint8_t Mask) const;
  // Cells whose state has a bit of Mask.
  int32_t CountMarkedCellsInRow(int32_t Row, uint8_t Mask) const;
  int32_t CountMarkedCellsInColumn(int32_t Col, uint8_t Mask) const;
  // Those cells get Value; returns their count and fires OnChange when it
  // is positive.
  int64_t FillMarkedCells(double Value, uint8_t Mask);

  // ---- range statistics
  // Ranges are LowCol, LowRow, HighCol, HighRow: LowCol = HighCol = 0 (and
  // LowRow = HighRow = 0) take every column (row); otherwise bounds are
  // clamped into the table and ordered. Num cells are the number cells of
  // stInterval and stRatio columns, Valid cells the number cells of any
  // column, Marked cells the Num cells whose state has a bit of
  // Mask AND 252 (the marks and bits 4..32).
  int64_t CountNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow) const;
  int64_t CountValidCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow) const;
  // Cells of any column with the empty (imputed) bit.
  int64_t CountEmptyCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow) const;
  int64_t CountImputedCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow) const;
  double SumOfNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                       int64_t& Count) const;
  double SumOfMarkedCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                          uint8_t Mask, int64_t& Count) const;
  // Return the count; without cells Min stays uc_MaxReal and Max -uc_MaxReal.
  // Valid cells of nominal and ordinal columns count as GetElem reads them.
  int64_t MinMaxOfNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                           double& Min, double& Max) const;
  int64_t MinMaxOfValidCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                             double& Min, double& Max) const;
  int64_t MinMaxOfMarkedCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                              uint8_t Mask, double& Min, double& Max) const;
  // Mean (0 without cells) and sample variance, which is 1 for fewer than
  // three cells; return the count.
  int64_t MeanVarOfNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                            double& Mean, double& Variance) const;
  int64_t MeanVarOfMarkedCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                               uint8_t Mask, double& Mean, double& Variance) const;
  // exp(mean of ln x) over the positive cells (Count); 0 when a cell is 0
  // or none is positive. A negative cell raises ENUVMatrixError "negative
  // argument passed to GeometricMean".
  double GeometricMeanOfNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                                 int64_t& Count) const;
  // n / sum(1/x); 0 without cells. A cell <= 0 raises ENUVMatrixError
  // "negative or zero argument passed to HarmonicMean".
  double HarmonicMeanOfNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                                int64_t& Count) const;
  // Quantiles at (n + 1)·q of the sorted cells, interpolated; positions
  // before the first (beyond the last) cell give the first (last). All 0
  // without cells. Always true.
  bool QuartilesOfNumCells(int32_t LowCol, int32_t LowRow, int32_t HighCol, int32_t HighRow,
                           double& Q1, double& Median, double& Q3, int64_t& Count) const;
  // Percentile in percent, clamped to [0, 100] (NaN as 0), by the same rule.
  double PercentileOfNumCells(double Percentile, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                              int32_t HighRow, int64_t& Count) const;
  double PercentileOfMarkedCells(double Percentile, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                                 int32_t HighRow, uint8_t Mask, int64_t& Count) const;

  // ---- analysis
  // The m × m matrix of the columns LowCol..HighCol over the rows
  // LowRow..HighRow (ranges as for the statistics) into the first m
  // columns and rows of CovarMat; entry (i, j) uses the n rows where both
  // columns hold Num cells:
  //   0  Σ xi·xj / (n - 1)
  //   1  Σ (xi - mean i)(xj - mean j) / (n - 1), the means over all Num
  //      cells of each column (covariance)
  //   2  Pearson correlation; 0 for n <= 2 or a column without spread
  //   3  its square
  //   4  Σ (xi - xj)² / (n - 1)
  // Entries over fewer than two rows are 0; the diagonal of modes 2 and 3
  // is 1. Clears AbortMathProc, then checks it before each row of the
  // result (advancing ProcStat after each). False, with CovarMat
  // untouched, when CovarMat is smaller than m × m, Mode is not 0..4 or
  // the computation was aborted.
  bool CalcCovar(TMatrix& CovarMat, int32_t LowCol, int32_t HighCol, int32_t LowRow,
                 int32_t HighRow, int32_t Mode);
  // Per stInterval/stRatio column: mean and variance of its Num cells; the
  // column's number cells become (x - mean)/√variance (only when the
  // variance is positive) resp. x - mean. Means and StdDevs, when given,
  // are resized to the number of columns and receive the values at the
  // column's index (other entries keep theirs). Standardising fires
  // OnChange when some column had a positive variance, centring always.
  void StandardizeNumCellColumns(TVector* Means, TVector* StdDevs);
  void MeanCenterNumCellColumns(TVector* Means);
  // Per row, over its Num cells; the transformation reaches the number
  // cells of every column. Means and StdDevs are resized to the number of
  // rows. Raises ENUVDataTableError (without the component's name) when a
  // column is nominal or ordinal.
  void StandardizeNumCellRows(TVector* Means, TVector* StdDevs);
  void MeanCenterNumCellRows(TVector* Means);
  // True when the raw values of the column take exactly two values, Val1
  // (row 1) and Val2; false for fewer than two rows.
  bool CheckDichotomousColumn(int32_t Col, double& Val1, double& Val2) const;
  // Number of distinct attribute values among the rows (columns).
  int32_t RowAttribLevels() const;
  int32_t ColAttribLevels() const;
  // Highest (lowest) scale type among the columns (range as above).
  TMScaleType FindHighestMLevel(int32_t LowCol, int32_t HighCol) const;
  TMScaleType FindLowestMLevel(int32_t LowCol, int32_t HighCol) const;
  // 64 hexadecimal digits from eight CRC-32 registers, over the comment,
  // names, attributes, scale types and identifiers (resp. the states), so
  // that a caller can tell cheaply whether they changed.
  std::string CRCofNamesAndAttributes() const;
  std::string CRCofCellStates() const;

  // ---- sorting
  // The matrix's sorts (arguments as there); states move with the values,
  // and with MoveNames the names and attributes (columns also scale types
  // and identifiers) move along, after which OnChangeNames and
  // OnChangeAttrib fire.
  void SortCols(int32_t KeyRow, bool Ascending, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                int32_t HighRow, bool MoveNames);
  void SortRows(int32_t KeyCol, bool Ascending, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                int32_t HighRow, bool MoveNames);
  // Comb sort of the rows LowRow..HighRow by name (byte order, or
  // lower-cased with IgnoreCase): names and attributes move, values and
  // states of the columns LowCol..HighCol only.
  void SortRowNames(bool Ascending, bool IgnoreCase, int32_t LowCol, int32_t LowRow,
                    int32_t HighCol, int32_t HighRow);
  void SortRowNames(bool Ascending, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                    int32_t HighRow);
  // Columns by name; values and states of the rows LowRow..HighRow move.
  void SortColNames(bool Ascending, bool IgnoreCase, int32_t LowCol, int32_t LowRow,
                    int32_t HighCol, int32_t HighRow);
  void SortColNames(bool Ascending, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                    int32_t HighRow);
  // By attribute (unsigned).
  void SortRowAttributes(bool Ascending, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                         int32_t HighRow);
  void SortColAttributes(bool Ascending, int32_t LowCol, int32_t LowRow, int32_t HighCol,
                         int32_t HighRow);
  // The matrix's exchange callback during its sorts: ExchgWhat 1 columns
  // Index1 and Index2, other values rows; the states of First..Last of the
  // other dimension move, and the names and attributes when the running
  // sort moves them. Forwards to OnSortExchange.
  void ExchangeDuringSort(TObject* Sender, uint8_t ExchgWhat, int32_t Index1, int32_t Index2,
                          int32_t First, int32_t Last);

  // ---- notification
  void ChangedData();
  void ChangedSetup();
  void ChangedNames();
  void ChangedAttrib();
  void ChangedCellStates();
  // The handler on the matrix's OnChange.
  void DataHasChanged(TObject* Sender);

  // ---- text exchange
  // ASC table: the comment, the column count, the row count and the flags
  // "TRUE TRUE TRUE" (row attributes, column names, row names), each on a
  // line of its own with a remark after a tab; then the quoted column
  // names separated by tabs, and per row its attribute, quoted name and
  // values separated by tabs: strff with Precision decimals, or with a
  // negative Precision the shortest text that reads back exactly; NAN and
  // INF for values that are not finite. Lines end with CR LF. File errors
  // raise EInOutError.
  void ExportAsASC(const std::string& FileName, int32_t Precision) const;
  void ExportAsASC(TStream& Stream, int32_t Precision) const;
  // Replaces the table by an ASC table (any flags; column names, row names
  // and row attributes the file lacks get their defaults, scale types
  // become stInterval, states 0). The stream is read from its position.
  // Returns 0, a negative code of ReadHeaderOfASC or one of the codes
  // ascBadAttribute ... ascTooLarge below; the table is unchanged unless
  // the result is 0.
  int32_t ImportASC(const std::string& FileName);
  int32_t ImportASC(TStream& Stream);
  int32_t ImportASC(TClipboard& Clipboard);
  // Reads an ASC table into this one with its first value at (DestCol,
  // DestRow); with Grow the table grows to take it all, otherwise what
  // falls outside is dropped. Names come along when the source has them,
  // row attributes likewise. Fires OnResize when the table grew, then the
  // five change events.
  int32_t ReadFromASC(const std::string& FileName, int32_t DestCol, int32_t DestRow, bool Grow);
  int32_t ReadFromASC(TStream& Stream, int32_t DestCol, int32_t DestRow, bool Grow);
  int32_t ReadFromASC(TClipboard& Clipboard, int32_t DestCol, int32_t DestRow, bool Grow);

  // CSV: fields separated by the delimiter (csvUnknown writes commas),
  // fields holding the delimiter, a quote or a leading or trailing blank
  // are quoted with doubled quotes inside. ColNames writes a first line of
  // column names, RowNames a first field of row names, RowAttribs a field
  // of row attributes after it, and EmptyAsBlank writes cells that hold
  // no number as empty fields. Values as ExportAsASC writes them.
  void ExportAsCSV(const std::string& FileName, int32_t Precision, TCSVDelimiters Delimiter,
                   bool ColNames, bool RowNames) const;
  void ExportAsCSV(const std::string& FileName, int32_t Precision, TCSVDelimiters Delimiter,
                   bool ColNames, bool RowNames, bool RowAttribs) const;
  void ExportAsCSV(const std::string& FileName, int32_t Precision, TCSVDelimiters Delimiter,
                   bool ColNames, bool RowNames, bool RowAttribs, bool EmptyAsBlank) const;
  // Replaces the table by the CSV file: ColNames and RowNames say whether
  // the first line and the first field hold names. csvUnknown takes the
  // first of tab, semicolon, comma and colon that occurs in the first line.
  // Empty fields become empty cells (value 0); with a delimiter other than
  // the comma a decimal comma is accepted. Rows shorter than the longest
  // are filled with empty cells. Returns 0, csvNoData for a file without
  // values or csvBadNumber for a field that is not a number (the table
  // unchanged then).
  int32_t ImportFromCSV(const std::string& FileName, TCSVDelimiters Delimiter, bool ColNames,
                        bool RowNames);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  struct TColumnInfo {
    TMScaleType ScaleType = stInterval;
    std::array<TNominalIDStr, MaxNominalIDs> Slots{};
  };
  // Events currently suspended, as bits.
  enum : uint8_t {
    evData = 1,
    evSetup = 2,
    evNames = 4,
    evAttrib = 8,
    evCellState = 16,
    evResize = 32,
    evAll = 63
  };
  class TPause;
  struct TRange {
    int32_t LoCol, LoRow, HiCol, HiRow;
  };
  struct TAscTable;
  struct TGram;
  class TLineName;

  bool ValidCol(int32_t col) const { return col >= 1 && col <= ncols_; }
  bool ValidRow(int32_t row) const { return row >= 1 && row <= nrows_; }
  bool ValidCell(int32_t col, int32_t row) const { return ValidCol(col) && ValidRow(row); }
  std::size_t CellIndex(int32_t col, int32_t row) const {
    return static_cast<std::size_t>(col - 1) * static_cast<std::size_t>(nrows_) +
           static_cast<std::size_t>(row - 1);
  }
  const uint8_t* StatesOf(int32_t col) const { return states_.data() + CellIndex(col, 1); }
  uint8_t* StatesOf(int32_t col) { return states_.data() + CellIndex(col, 1); }
  bool IsNumColumn(int32_t col) const;
  bool IsCategorial(int32_t col) const;
  TRange ValidRange(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow) const;
  [[noreturn]] void Raise(std::string_view text) const;

  // ---- storage and events
  void Link(TMatrix& m);
  void Unlink(TMatrix& m);
  // Follows a matrix that changed its shape on its own.
  void SyncShapeWithMatrix();
  // Storage of cols × rows keeping what survives, new lines fresh; with
  // matrix the matrix is resized too. Everything that can fail comes
  // first, so that a failure leaves the table as it was.
  void Reshape(int32_t cols, int32_t rows, bool matrix);
  void ResetColumn(int32_t col, bool freshName);
  void ResetRow(int32_t row, bool freshName);
  void FireResize(int32_t oldCols, int32_t oldRows);
  // OnChange, OnChangeCellState, OnChangeAttrib, OnChangeNames,
  // OnChangeSetup.
  void FireAllChanged();
  void FireStructureChanged(int32_t oldCols, int32_t oldRows);

  // ---- identifiers and lines
  // Slot of Id (case ignored) whatever the scale type, 0 when absent.
  int32_t FindSlot(int32_t col, std::string_view id) const;
  int32_t FreeSlot(int32_t col) const;
  void MoveRow(int32_t from, int32_t to);
  void MoveColumn(int32_t from, int32_t to);
  void ExchangeColumnRecords(int32_t c1, int32_t c2);
  void ExchangeRowRecords(int32_t r1, int32_t r2);
  // States (and values) of two columns over the rows first..last, or of
  // two rows over the columns first..last (clamped and ordered).
  void ExchangeCells(bool columns, bool values, int32_t i1, int32_t i2, int32_t first,
                     int32_t last);
  void SortByMatrix(int32_t keyOutside, bool moveNames, const std::function<void()>& sort);
  std::vector<std::string> LineKeys(bool columns, bool attributes, bool ignoreCase,
                                    const TRange& r) const;
  void SortLines(bool columns, bool ascending, const TRange& r, std::vector<std::string> keys);

  // ---- statistics
  template <class Filter, class Visit>
  void ForEachCell(const TRange& r, Filter&& pass, Visit&& visit) const;
  // The number of cells of the range (made valid) that pass the filter.
  template <class Filter>
  int64_t CountCells(int32_t loCol, int32_t loRow, int32_t hiCol, int32_t hiRow,
                     Filter&& pass) const;
  std::vector<double> NumCellValues(const TRange& r, uint8_t mask, bool marked) const;
  // NumCellValues, raising "not enough memory on heap" when it cannot.
  std::vector<double> CollectNum(const TRange& r, uint8_t mask, bool marked) const;
  double SumOfMarked(const TRange& r, uint8_t mask, bool marked, int64_t& count) const;
  double PercentileOf(double p, const TRange& r, uint8_t mask, bool marked, int64_t& count) const;
  // A stInterval/stRatio column whose rows loRow..hiRow all hold numbers.
  bool ColumnIsDense(int32_t col, int32_t loRow, int32_t hiRow) const;
  void GramOfColumns(const TRange& r, const std::vector<double>& shift, bool masked, bool sums,
                     TGram& g) const;
  void TransformColumns(bool standardize, TVector* means, TVector* stddevs);
  void TransformRows(bool standardize, TVector* means, TVector* stddevs);

  // ---- text
  template <class Sink>
  void WriteASC(Sink&& put, int32_t precision) const;
  int32_t ReadASC(TStream& stream, int32_t destCol, int32_t destRow, bool grow, bool replace);
  void Take(const TAscTable& t, int32_t destCol, int32_t destRow, bool grow, bool replace);
  template <class Sink>
  void WriteCSV(Sink&& put, int32_t precision, TCSVDelimiters delimiter, bool colNames,
                bool rowNames, bool rowAttribs, bool emptyAsBlank) const;

  std::unique_ptr<TMatrix> owned_;
  TMatrix* data_ = nullptr;
  int32_t ncols_ = 1;
  int32_t nrows_ = 1;
  std::vector<uint8_t> states_;
  std::vector<TLineName> col_names_;
  std::vector<TLineName> row_names_;
  std::vector<uint8_t> col_attribs_;
  std::vector<uint8_t> row_attribs_;
  std::vector<TColumnInfo> col_info_;
  std::string comment_;
  bool sort_moves_names_ = false;
  // Key of the running SortRows/SortCols when it lies outside the sorted
  // window (its values move too, so its states must follow); 0 otherwise.
  int32_t sort_key_outside_ = 0;
  uint8_t paused_ = 0;
  bool link_paused_ = false;
};

// Result codes of the ASC and CSV readers beyond those of ReadHeaderOfASC.
inline constexpr int32_t ascBadAttribute = -5;  // a row attribute is not a number 0..255
inline constexpr int32_t ascBadValue = -6;      // a value is missing or not a number
inline constexpr int32_t ascUnknownFlag = -7;   // the fourth flag is set
inline constexpr int32_t ascTooLarge = -8;      // a count below 1, or beyond memory
inline constexpr int32_t csvNoData = -1;
inline constexpr int32_t csvBadNumber = -2;

}  // namespace nuv
