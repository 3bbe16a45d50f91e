// The data table's storage, cells, names, nominal identifiers, cell states
// and notification (Nuv_datatable).
#include "nuv/Nuv_datatable.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>

#include "Nuv_datatable_parts.h"
#include "numlib_units.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/CodePage.h"

namespace nuv {

using datatable::IsNumberState;

namespace {

std::string FreshName(char prefix, int64_t index) {
  return std::string(1, prefix) + "-" + IntToStr(index);
}

// Trimmed and upper-cased, for name searches.
std::string NameKey(std::string_view name) {
  return AnsiUpperCase(StripLTBlanks(TDTNameStr(name).View()));
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction and storage

TDataTable::TDataTable(TComponent* AOwner) : TComponent(AOwner) {
  try {
    owned_ = std::make_unique<TMatrix>(nullptr);
    states_.assign(1, 0);
    col_names_.assign(1, FreshName('C', 1));
    row_names_.assign(1, FreshName('R', 1));
    col_attribs_.assign(1, 0);
    row_attribs_.assign(1, 0);
    col_info_.assign(1, TColumnInfo{});
  } catch (const std::exception&) {
    owned_.reset();
    Raise("failed to initialize (out of memory)");
  }
  data_ = owned_.get();
  Link(*data_);
}

TDataTable::~TDataTable() {
  if (data_ != nullptr && !owned_) Unlink(*data_);
}

void TDataTable::Raise(std::string_view text) const {
  RaiseComponentError<ENUVDataTableError>(*this, text);
}

void TDataTable::Link(TMatrix& m) {
  m.OnChange = [this](TObject* sender) { DataHasChanged(sender); };
  m.OnSortExchange = [this](TObject* sender, uint8_t what, int32_t i1, int32_t i2, int32_t first,
                            int32_t last) {
    ExchangeDuringSort(sender, what, i1, i2, first, last);
  };
  if (&m != owned_.get()) FreeNotification(&m);
}

void TDataTable::Unlink(TMatrix& m) {
  m.OnChange = nullptr;
  m.OnSortExchange = nullptr;
  if (&m != owned_.get()) RemoveFreeNotification(&m);
}

void TDataTable::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove || AComponent != data_ || owned_) return;
  // The adopted matrix is going; the table keeps its shape with zeros. No
  // events: this may run while the owner of both is being torn down.
  data_ = nullptr;
  owned_ = std::make_unique<TMatrix>(nullptr);
  try {
    owned_->Resize(ncols_, nrows_);
  } catch (const ENUVError&) {
    states_.resize(1);
    col_names_.resize(1);
    row_names_.resize(1);
    col_attribs_.resize(1);
    row_attribs_.resize(1);
    col_info_.resize(1);
    ncols_ = nrows_ = 1;
  }
  data_ = owned_.get();
  Link(*data_);
}

void TDataTable::Reshape(int32_t cols, int32_t rows, bool matrix) {
  const std::size_t cells = static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows);
  // Beyond what a vector of doubles can address no allocation is tried.
  if (cells > std::vector<double>().max_size()) Raise("not enough memory on heap");
  std::vector<uint8_t> states;
  try {
    states.assign(cells, 0);
    col_names_.reserve(cols);
    col_attribs_.reserve(cols);
    col_info_.reserve(cols);
    row_names_.reserve(rows);
    row_attribs_.reserve(rows);
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  } catch (const std::length_error&) {
    Raise("not enough memory on heap");
  }
  if (matrix) {
    TPause pause(*this, 0);
    try {
      data_->Resize(cols, rows);
    } catch (const ENUVMatrixError&) {
      Raise("not enough memory on heap");
    }
  }
  // From here on nothing allocates.
  const int32_t keepCols = std::min(cols, ncols_), keepRows = std::min(rows, nrows_);
  for (int32_t c = 0; c < keepCols; ++c)
    std::copy_n(states_.data() + static_cast<std::size_t>(c) * nrows_, keepRows,
                states.data() + static_cast<std::size_t>(c) * rows);
  states_.swap(states);
  col_names_.resize(cols);
  col_attribs_.resize(cols);
  col_info_.resize(cols);
  row_names_.resize(rows);
  row_attribs_.resize(rows);
  for (int32_t c = ncols_ + 1; c <= cols; ++c) ResetColumn(c, true);
  for (int32_t r = nrows_ + 1; r <= rows; ++r) ResetRow(r, true);
  ncols_ = cols;
  nrows_ = rows;
}

void TDataTable::ResetColumn(int32_t col, bool freshName) {
  col_names_[col - 1] = freshName ? TDTNameStr(FreshName('C', col)) : TDTNameStr();
  col_attribs_[col - 1] = 0;
  col_info_[col - 1] = TColumnInfo{};
}

void TDataTable::ResetRow(int32_t row, bool freshName) {
  row_names_[row - 1] = freshName ? TDTNameStr(FreshName('R', row)) : TDTNameStr();
  row_attribs_[row - 1] = 0;
}

void TDataTable::Resize(int32_t NrCols, int32_t NrRows) {
  NrCols = std::max(NrCols, 1);
  NrRows = std::max(NrRows, 1);
  if (NrCols == ncols_ && NrRows == nrows_) return;
  const int32_t oldCols = ncols_, oldRows = nrows_;
  Reshape(NrCols, NrRows, true);
  FireResize(oldCols, oldRows);
}

void TDataTable::SyncShapeWithMatrix() {
  if (data_->NrOfColumns() == ncols_ && data_->NrOfRows() == nrows_) return;
  const int32_t oldCols = ncols_, oldRows = nrows_;
  {
    TPause pause(*this, 0);
    const int32_t cols = std::max(data_->NrOfColumns(), 1), rows = std::max(data_->NrOfRows(), 1);
    if (cols != data_->NrOfColumns() || rows != data_->NrOfRows()) data_->Resize(cols, rows);
    try {
      Reshape(cols, rows, false);
    } catch (const ENUVDataTableError&) {
      data_->Resize(ncols_, nrows_);
      throw;
    }
  }
  FireResize(oldCols, oldRows);
}

void TDataTable::AssignAnotherDataMatrix(TMatrix& M) {
  const int32_t oldCols = ncols_, oldRows = nrows_;
  {
    TPause pause(*this, evAll);
    if (&M != data_) {
      if (M.NrOfColumns() < 1 || M.NrOfRows() < 1)
        M.Resize(std::max(M.NrOfColumns(), 1), std::max(M.NrOfRows(), 1));
      Reshape(M.NrOfColumns(), M.NrOfRows(), false);
      Unlink(*data_);
      data_ = &M;
      owned_.reset();
      Link(M);
    }
    for (TColumnInfo& info : col_info_) info.ScaleType = stInterval;
  }
  FireResize(oldCols, oldRows);
  ChangedData();
  ChangedSetup();
  ChangedNames();
  ChangedAttrib();
  ChangedCellStates();
}

void TDataTable::CopyContentsFrom(const TDataTable& Source) {
  if (&Source == this) return;
  const int32_t oldCols = ncols_, oldRows = nrows_;
  {
    TPause pause(*this, evAll);
    Reshape(Source.ncols_, Source.nrows_, true);
    comment_ = Source.comment_;
    col_names_ = Source.col_names_;
    col_attribs_ = Source.col_attribs_;
    col_info_ = Source.col_info_;
    row_names_ = Source.row_names_;
    row_attribs_ = Source.row_attribs_;
    states_ = Source.states_;
    for (int32_t c = 1; c <= ncols_; ++c) {
      double* out = data_->Column(c);
      for (int32_t r = 1; r <= nrows_; ++r) out[r - 1] = Source.GetElem(c, r);
    }
  }
  ChangedData();
  ChangedCellStates();
  ChangedSetup();
  ChangedNames();
  ChangedAttrib();
  FireResize(oldCols, oldRows);
}

bool TDataTable::CopyCellStatesFrom(const TDataTable& Source) {
  if (Source.ncols_ != ncols_ || Source.nrows_ != nrows_) return false;
  if (&Source != this) states_ = Source.states_;
  ChangedCellStates();
  return true;
}

void TDataTable::Clear() {
  {
    TPause pause(*this, evAll);
    for (int32_t c = 1; c <= ncols_; ++c) ResetColumn(c, true);
    for (int32_t r = 1; r <= nrows_; ++r) ResetRow(r, true);
    std::fill(states_.begin(), states_.end(), 0);
    comment_.clear();
  }
  ChangedNames();
  ChangedAttrib();
  ChangedCellStates();
  ChangedSetup();
  data_->Fill(0);
}

void TDataTable::SetComment(std::string_view text) {
  comment_ = RemoveControlChars(text);
  ChangedSetup();
}

// ---------------------------------------------------------------------------
// Cells

bool TDataTable::IsCategorial(int32_t col) const {
  const TMScaleType t = col_info_[col - 1].ScaleType;
  return t == stNominal || t == stOrdinal;
}

bool TDataTable::IsNumColumn(int32_t col) const {
  const TMScaleType t = col_info_[col - 1].ScaleType;
  return t == stInterval || t == stRatio;
}

double TDataTable::GetElem(int32_t Col, int32_t Row) const {
  if (!ValidCell(Col, Row)) return 0;
  const double x = data_->Column(Col)[Row - 1];
  return IsCategorial(Col) ? std::nearbyint(x) : x;
}

void TDataTable::SetElem(int32_t Col, int32_t Row, double Value) {
  if (ValidCell(Col, Row)) data_->SetVal(Col, Row, Value);
}

TNominalIDStr TDataTable::GetElemNominal(int32_t Col, int32_t Row) const {
  if (!ValidCell(Col, Row) || !IsCategorial(Col)) return {};
  const double k = GetElem(Col, Row);
  if (k >= 1 && k <= MaxNominalIDs) return col_info_[Col - 1].Slots[static_cast<int32_t>(k) - 1];
  return TNominalIDStr(FormatFixed(k, 0, 0));
}

void TDataTable::SetElemNominal(int32_t Col, int32_t Row, std::string_view Id) {
  if (!ValidCell(Col, Row) || Id.empty()) return;
  const TNominalIDStr id(Id);
  int32_t slot = FindSlot(Col, id);
  if (slot == 0) {
    slot = FreeSlot(Col);
    if (slot == 0) Raise("number of available nominal values exceeded");
    col_info_[Col - 1].Slots[slot - 1] = id;
    ChangedSetup();
  }
  SetElem(Col, Row, slot);
}

uint8_t TDataTable::GetCellState(int32_t Col, int32_t Row) const {
  return ValidCell(Col, Row) ? states_[CellIndex(Col, Row)] : 0;
}

void TDataTable::SetCellState(int32_t Col, int32_t Row, uint8_t State) {
  if (!ValidCell(Col, Row)) return;
  uint8_t& s = states_[CellIndex(Col, Row)];
  if (s == State) return;
  s = State;
  ChangedCellStates();
}

bool TDataTable::GetIsEmpty(int32_t Col, int32_t Row) const {
  return (GetCellState(Col, Row) & cellEmpty) != 0;
}

bool TDataTable::GetIsNumber(int32_t Col, int32_t Row) const {
  return ValidCell(Col, Row) && IsNumberState(states_[CellIndex(Col, Row)]);
}

bool TDataTable::GetIsImputed(int32_t Col, int32_t Row) const {
  return (GetCellState(Col, Row) & cellImputed) != 0;
}

void TDataTable::SetIsEmpty(int32_t Col, int32_t Row, bool Flag) {
  if (!ValidCell(Col, Row)) return;
  const uint8_t s = states_[CellIndex(Col, Row)];
  SetCellState(Col, Row, Flag ? s | cellEmpty : s & ~cellEmpty);
  ChangedData();
}

void TDataTable::SetIsImputed(int32_t Col, int32_t Row, bool Flag) {
  if (!ValidCell(Col, Row)) return;
  const uint8_t s = states_[CellIndex(Col, Row)];
  SetCellState(Col, Row, Flag ? s | cellImputed : s & ~cellImputed);
  ChangedData();
}

// ---------------------------------------------------------------------------
// Names, attributes, scale types

TDTNameStr TDataTable::GetColName(int32_t Col) const {
  return ValidCol(Col) ? TDTNameStr(col_names_[Col - 1].View()) : TDTNameStr();
}

TDTNameStr TDataTable::GetRowName(int32_t Row) const {
  return ValidRow(Row) ? TDTNameStr(row_names_[Row - 1].View()) : TDTNameStr();
}

void TDataTable::SetColName(int32_t Col, std::string_view Name) {
  if (!ValidCol(Col)) return;
  col_names_[Col - 1] = Name;
  ChangedNames();
}

void TDataTable::SetRowName(int32_t Row, std::string_view Name) {
  if (!ValidRow(Row)) return;
  row_names_[Row - 1] = Name;
  ChangedNames();
}

uint8_t TDataTable::GetColAttrib(int32_t Col) const {
  return ValidCol(Col) ? col_attribs_[Col - 1] : 0;
}

uint8_t TDataTable::GetRowAttrib(int32_t Row) const {
  return ValidRow(Row) ? row_attribs_[Row - 1] : 0;
}

void TDataTable::SetColAttrib(int32_t Col, uint8_t Attrib) {
  if (!ValidCol(Col)) return;
  col_attribs_[Col - 1] = Attrib;
  ChangedAttrib();
}

void TDataTable::SetRowAttrib(int32_t Row, uint8_t Attrib) {
  if (!ValidRow(Row)) return;
  row_attribs_[Row - 1] = Attrib;
  ChangedAttrib();
}

TMScaleType TDataTable::GetMScaleType(int32_t Col) const {
  return ValidCol(Col) ? col_info_[Col - 1].ScaleType : stUnknown;
}

void TDataTable::SetMScaleType(int32_t Col, TMScaleType ScaleType) {
  if (!ValidCol(Col) || ScaleType > stRatio) return;
  col_info_[Col - 1].ScaleType = ScaleType;
  ChangedSetup();
}

int32_t TDataTable::FindColIndex(std::string_view Name) const {
  const std::string key = NameKey(Name);
  for (int32_t c = 1; c <= ncols_; ++c)
    if (NameKey(col_names_[c - 1]) == key) return c;
  return 0;
}

int32_t TDataTable::FindRowIndex(std::string_view Name) const {
  const std::string key = NameKey(Name);
  for (int32_t r = 1; r <= nrows_; ++r)
    if (NameKey(row_names_[r - 1]) == key) return r;
  return 0;
}

// ---------------------------------------------------------------------------
// Nominal identifiers

int32_t TDataTable::FindSlot(int32_t col, std::string_view id) const {
  const std::string key = AnsiLowerCase(TNominalIDStr(id).View());
  if (key.empty()) return 0;
  const auto& slots = col_info_[col - 1].Slots;
  for (int32_t k = 0; k < MaxNominalIDs; ++k)
    if (!slots[k].Empty() && AnsiLowerCase(slots[k].View()) == key) return k + 1;
  return 0;
}

int32_t TDataTable::FreeSlot(int32_t col) const {
  const auto& slots = col_info_[col - 1].Slots;
  for (int32_t k = 0; k < MaxNominalIDs; ++k)
    if (slots[k].Empty()) return k + 1;
  return 0;
}

int32_t TDataTable::OrdinalOfNominalID(int32_t Col, std::string_view Id, bool IgnoreCase) const {
  if (!ValidCol(Col) || Id.empty() || !IsCategorial(Col)) return 0;
  if (IgnoreCase) return FindSlot(Col, Id);
  const TNominalIDStr id(Id);
  const auto& slots = col_info_[Col - 1].Slots;
  for (int32_t k = 0; k < MaxNominalIDs; ++k)
    if (slots[k] == id) return k + 1;
  return 0;
}

int32_t TDataTable::AddNominalID(int32_t Col, std::string_view Id) {
  if (!ValidCol(Col) || Id.empty()) return 0;
  if (const int32_t slot = FindSlot(Col, Id); slot != 0) return slot;
  const int32_t slot = FreeSlot(Col);
  if (slot == 0) Raise("number of available nominal values exceeded");
  col_info_[Col - 1].Slots[slot - 1] = Id;
  col_info_[Col - 1].ScaleType = stNominal;
  ChangedSetup();
  return slot;
}

void TDataTable::SetNominalID(int32_t Col, int32_t Slot, std::string_view Id) {
  if (!ValidCol(Col) || Slot < 1 || Slot > MaxNominalIDs) return;
  if (IsCategorial(Col) || Id.empty()) col_info_[Col - 1].Slots[Slot - 1] = Id;
  ChangedSetup();
}

TNominalIDStr TDataTable::GetNominalID(int32_t Col, int32_t Slot) const {
  if (!ValidCol(Col) || Slot < 1 || Slot > MaxNominalIDs || !IsCategorial(Col)) return {};
  return col_info_[Col - 1].Slots[Slot - 1];
}

void TDataTable::ClearNominalIDs(int32_t Col) {
  if (!ValidCol(Col)) return;
  col_info_[Col - 1].Slots.fill(TNominalIDStr());
  ChangedSetup();
}

TIntArray TDataTable::ListOfCategorialVars() const {
  TIntArray list;
  for (int32_t c = 1; c <= ncols_; ++c)
    if (IsCategorial(c)) list.push_back(c);
  return list;
}

// ---------------------------------------------------------------------------
// Cell-state bulk operations

void TDataTable::SetAllCellStates(uint8_t State) {
  std::fill(states_.begin(), states_.end(), State);
  ChangedCellStates();
}

void TDataTable::UnmarkAllCells() {
  for (uint8_t& s : states_) s &= 63;
  ChangedCellStates();
}

void TDataTable::InvertCellStates(uint8_t Mask) {
  for (uint8_t& s : states_) s ^= Mask;
  ChangedCellStates();
}

void TDataTable::ExchangeMarkings() {
  for (uint8_t& s : states_)
    s = static_cast<uint8_t>((s & 63) | ((s & cellMark1) << 1) | ((s & cellMark2) >> 1));
  ChangedCellStates();
}

bool TDataTable::IfRowHasCellState(int32_t Row, uint8_t Mask) const {
  if (!ValidRow(Row)) return false;
  for (int32_t c = 1; c <= ncols_; ++c)
    if (states_[CellIndex(c, Row)] & Mask) return true;
  return false;
}

bool TDataTable::IfColHasCellState(int32_t Col, uint8_t Mask) const {
  if (!ValidCol(Col)) return false;
  const uint8_t* s = StatesOf(Col);
  return std::any_of(s, s + nrows_, [Mask](uint8_t x) { return (x & Mask) != 0; });
}

int32_t TDataTable::CountMarkedCellsInRow(int32_t Row, uint8_t Mask) const {
  if (!ValidRow(Row)) return 0;
  int32_t n = 0;
  for (int32_t c = 1; c <= ncols_; ++c) n += (states_[CellIndex(c, Row)] & Mask) != 0;
  return n;
}

int32_t TDataTable::CountMarkedCellsInColumn(int32_t Col, uint8_t Mask) const {
  if (!ValidCol(Col)) return 0;
  const uint8_t* s = StatesOf(Col);
  return static_cast<int32_t>(
      std::count_if(s, s + nrows_, [Mask](uint8_t x) { return (x & Mask) != 0; }));
}

int64_t TDataTable::FillMarkedCells(double Value, uint8_t Mask) {
  int64_t n = 0;
  for (int32_t c = 1; c <= ncols_; ++c) {
    double* values = data_->Column(c);
    const uint8_t* s = StatesOf(c);
    for (int32_t r = 0; r < nrows_; ++r)
      if (s[r] & Mask) {
        values[r] = Value;
        ++n;
      }
  }
  if (n > 0) ChangedData();
  return n;
}

// ---------------------------------------------------------------------------
// Notification

void TDataTable::ChangedData() {
  if (OnChange && !(paused_ & evData)) OnChange(this);
}

void TDataTable::ChangedSetup() {
  if (OnChangeSetup && !(paused_ & evSetup)) OnChangeSetup(this);
}

void TDataTable::ChangedNames() {
  if (OnChangeNames && !(paused_ & evNames)) OnChangeNames(this);
}

void TDataTable::ChangedAttrib() {
  if (OnChangeAttrib && !(paused_ & evAttrib)) OnChangeAttrib(this);
}

void TDataTable::ChangedCellStates() {
  if (OnChangeCellState && !(paused_ & evCellState)) OnChangeCellState(this);
}

void TDataTable::FireResize(int32_t oldCols, int32_t oldRows) {
  if (OnResize && !(paused_ & evResize)) OnResize(this, oldCols, oldRows, ncols_, nrows_);
}

void TDataTable::FireAllChanged() {
  ChangedData();
  ChangedCellStates();
  ChangedAttrib();
  ChangedNames();
  ChangedSetup();
}

void TDataTable::DataHasChanged(TObject* /*Sender*/) {
  if (link_paused_) return;
  SyncShapeWithMatrix();
  ChangedData();
}

}  // namespace nuv

namespace nuv::units {

void Nuv_datatable_Init() {}
void Nuv_datatable_Finalize() {}

}  // namespace nuv::units
