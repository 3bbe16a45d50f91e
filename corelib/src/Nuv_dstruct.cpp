#include "nuv/Nuv_dstruct.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <utility>

#include "Nuv_dstruct_internal.h"
#include "corelib_units.h"
#include "nuv/platform/Random.h"

namespace nuv {

namespace {

template <class F>
void CombineEach(uint8_t* Target, const uint8_t* Source, std::size_t N, F Op) {
  for (std::size_t i = 0; i < N; ++i) Target[i] = Op(Target[i], Source[i]);
}

void CombineBytes(uint8_t* Target, const uint8_t* Source, std::size_t N, TLogicOp Op) {
  using B = uint8_t;
  switch (Op) {
    case loAND: CombineEach(Target, Source, N, [](B t, B s) -> B { return t & s; }); break;
    case loOR: CombineEach(Target, Source, N, [](B t, B s) -> B { return t | s; }); break;
    case loXOR: CombineEach(Target, Source, N, [](B t, B s) -> B { return t ^ s; }); break;
    case loANDNot: CombineEach(Target, Source, N, [](B t, B s) -> B { return t & ~s; }); break;
    case loORNot: CombineEach(Target, Source, N, [](B t, B s) -> B { return t | B(~s); }); break;
    case loXORNot: CombineEach(Target, Source, N, [](B t, B s) -> B { return t ^ B(~s); }); break;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// TByteMatrix

TByteMatrix::TByteMatrix(TComponent* AOwner) : TComponent(AOwner), data_(1, 0) {}

void TByteMatrix::Changed() {
  if (OnChange) OnChange(this);
}

uint8_t* TByteMatrix::Cell(int32_t Col, int32_t Row) {
  return const_cast<uint8_t*>(std::as_const(*this).Cell(Col, Row));
}

const uint8_t* TByteMatrix::Cell(int32_t Col, int32_t Row) const {
  if (Col < 1 || Col > cols_ || Row < 1 || Row > rows_) return nullptr;
  return &data_[static_cast<std::size_t>(Col - 1) * static_cast<std::size_t>(rows_) +
                static_cast<std::size_t>(Row - 1)];
}

bool TByteMatrix::Resize(int32_t NrCols, int32_t NrRows) {
  if (NrCols < 1 || NrRows < 1 || (NrCols == cols_ && NrRows == rows_)) return false;
  std::vector<uint8_t> fresh;
  detail::CheckedAllocation(*this, int64_t{NrCols} * NrRows, detail::kNoMemory,
                            [&](std::size_t n) { fresh.assign(n, 0); });
  const auto keepRows = static_cast<std::size_t>(std::min(rows_, NrRows));
  for (int32_t c = 0; c < std::min(cols_, NrCols); ++c)
    std::memcpy(&fresh[static_cast<std::size_t>(c) * static_cast<std::size_t>(NrRows)],
                &data_[static_cast<std::size_t>(c) * static_cast<std::size_t>(rows_)], keepRows);
  data_ = std::move(fresh);
  cols_ = NrCols;
  rows_ = NrRows;
  Changed();
  return true;
}

void TByteMatrix::Fill(uint8_t B) {
  std::fill(data_.begin(), data_.end(), B);
  Changed();
}

void TByteMatrix::SetByte(int32_t Col, int32_t Row, uint8_t B) {
  if (uint8_t* cell = Cell(Col, Row)) {
    *cell = B;
    Changed();
  }
}

uint8_t TByteMatrix::GetByte(int32_t Col, int32_t Row) const {
  const uint8_t* cell = Cell(Col, Row);
  return cell ? *cell : 0;
}

void TByteMatrix::SetBit(int32_t Col, int32_t Row, int32_t Bit, bool Value) {
  uint8_t* cell = Cell(Col, Row);
  if (!cell || Bit < 0 || Bit > 7) return;
  const auto mask = static_cast<uint8_t>(1u << Bit);
  *cell = Value ? (*cell | mask) : (*cell & ~mask);
  Changed();
}

bool TByteMatrix::GetBit(int32_t Col, int32_t Row, int32_t Bit) const {
  const uint8_t* cell = Cell(Col, Row);
  return cell && Bit >= 0 && Bit <= 7 && ((*cell >> Bit) & 1) != 0;
}

void TByteMatrix::ToggleBit(int32_t Col, int32_t Row, int32_t Bit) {
  uint8_t* cell = Cell(Col, Row);
  if (!cell || Bit < 0 || Bit > 7) return;
  *cell ^= static_cast<uint8_t>(1u << Bit);
  Changed();
}

void TByteMatrix::CombineWith(const TByteMatrix& Other, TLogicOp Op) {
  if (Other.cols_ != cols_ || Other.rows_ != rows_) return;
  CombineBytes(data_.data(), Other.data_.data(), data_.size(), Op);
  Changed();
}

// ---------------------------------------------------------------------------
// TBitFld

namespace {

std::size_t BytesForBits(int64_t Bits) { return static_cast<std::size_t>((Bits + 7) / 8); }

}  // namespace

TBitFld::TBitFld(TComponent* AOwner) : TComponent(AOwner), bits_(BytesForBits(BitCount()), 0) {}

void TBitFld::ClearPadding() {
  const int32_t used = BitCount() % 8;
  if (used != 0) bits_.back() &= static_cast<uint8_t>((1u << used) - 1);
}

void TBitFld::SetSize(int32_t Value) {
  if (Value < 0 || Value > kMaxSize || Value == size_) return;
  detail::CheckedAllocation(*this, static_cast<int64_t>(BytesForBits(int64_t{Value} + 1)),
                            detail::kNoMemory, [&](std::size_t n) { bits_.resize(n, 0); });
  size_ = Value;
  ClearPadding();
}

void TBitFld::SetBit(int32_t Ix, bool Value) {
  if (Ix < 0 || Ix > size_) return;
  const auto mask = static_cast<uint8_t>(1u << (Ix % 8));
  uint8_t& byte = bits_[static_cast<std::size_t>(Ix / 8)];
  byte = Value ? (byte | mask) : (byte & ~mask);
}

bool TBitFld::GetBit(int32_t Ix) const {
  return Ix >= 0 && Ix <= size_ && ((bits_[static_cast<std::size_t>(Ix / 8)] >> (Ix % 8)) & 1) != 0;
}

void TBitFld::ToggleBit(int32_t Ix) {
  if (Ix >= 0 && Ix <= size_) bits_[static_cast<std::size_t>(Ix / 8)] ^= static_cast<uint8_t>(1u << (Ix % 8));
}

void TBitFld::Clear() { std::fill(bits_.begin(), bits_.end(), 0); }

void TBitFld::Invert() {
  for (uint8_t& b : bits_) b = static_cast<uint8_t>(~b);
  ClearPadding();
}

void TBitFld::Clone(const TBitFld& Source) {
  if (&Source == this) return;
  bits_ = Source.bits_;
  size_ = Source.size_;
}

int32_t TBitFld::CountTrueBits() const {
  int64_t count = 0;
  std::size_t i = 0;
  for (; i + 8 <= bits_.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, &bits_[i], 8);
    count += std::popcount(word);
  }
  for (; i < bits_.size(); ++i) count += std::popcount(bits_[i]);
  return static_cast<int32_t>(count);
}

int32_t TBitFld::FirstTrueBit() const {
  for (std::size_t i = 0; i < bits_.size(); ++i)
    if (bits_[i] != 0) return static_cast<int32_t>(i * 8) + std::countr_zero(bits_[i]);
  return -1;
}

void TBitFld::MakeListOfBits(TIntArray& List, bool Value) const {
  List.clear();
  for (int32_t ix = 0; ix <= size_; ++ix)
    if (GetBit(ix) == Value) List.push_back(ix);
}

void TBitFld::CombineWith(const TBitFld& Other, TLogicOp Op) {
  if (Other.size_ != size_) return;
  CombineBytes(bits_.data(), Other.bits_.data(), bits_.size(), Op);
  ClearPadding();
}

void TBitFld::RandomFill(double Percent) {
  const double p = Percent >= 0 ? std::min(Percent, 100.0) : 0.0;
  RandomFill(Round32(p / 100 * size_));
}

void TBitFld::RandomFill(int32_t Count) {
  const int32_t n = std::clamp(Count, 0, size_);
  // Draw the minority so that the rejection loop stays short.
  const bool fromFull = int64_t{n} * 2 > size_;
  std::fill(bits_.begin(), bits_.end(), fromFull ? 0xFF : 0x00);
  ClearPadding();
  int32_t toChange = fromFull ? BitCount() - n : n;
  while (toChange > 0) {
    const int32_t ix = nuv::Random(BitCount());
    if (GetBit(ix) == fromFull) {
      ToggleBit(ix);
      --toChange;
    }
  }
}

// ---------------------------------------------------------------------------
// TFifo

namespace {

constexpr std::string_view kFifoTooLarge = "FIFO structure too large";
constexpr int32_t kDefaultFifoSize = 256;

}  // namespace

TFifo::TFifo(TComponent* AOwner) : TComponent(AOwner) {
  detail::CheckedAllocation(*this, kDefaultFifoSize, kFifoTooLarge,
                            [&](std::size_t n) { buf_.assign(n, 0); });
}

void TFifo::SetSize(int32_t Value) {
  if (Value < 2 || Value == Size()) return;
  std::vector<uint8_t> fresh;
  detail::CheckedAllocation(*this, Value, kFifoTooLarge, [&](std::size_t n) { fresh.assign(n, 0); });
  const int32_t count = CountBytes();
  const int32_t keep = std::min(count, Value - 1);
  for (int32_t i = 0; i < keep; ++i) SenseByte(count - keep + i, fresh[static_cast<std::size_t>(i)]);
  buf_ = std::move(fresh);
  out_ = 0;
  in_ = static_cast<std::size_t>(keep);
}

int32_t TFifo::CountBytes() const {
  return static_cast<int32_t>(in_ >= out_ ? in_ - out_ : buf_.size() - out_ + in_);
}

bool TFifo::PutByte(uint8_t B) {
  if (Full()) return false;
  buf_[in_] = B;
  in_ = Next(in_);
  return true;
}

bool TFifo::ForceByte(uint8_t B) {
  const bool dropped = Full();
  if (dropped) out_ = Next(out_);
  PutByte(B);
  return dropped;
}

bool TFifo::GetByte(uint8_t& B) {
  if (in_ == out_) return false;
  B = buf_[out_];
  out_ = Next(out_);
  return true;
}

bool TFifo::LoadBack(uint8_t B) {
  // A full ring cannot take it: the indices would meet and read as empty.
  if (Full()) return false;
  out_ = out_ == 0 ? buf_.size() - 1 : out_ - 1;
  buf_[out_] = B;
  return true;
}

bool TFifo::SenseByte(int32_t Ix, uint8_t& B) const {
  if (Ix < 0 || Ix >= CountBytes()) return false;
  B = buf_[(out_ + static_cast<std::size_t>(Ix)) % buf_.size()];
  return true;
}

// ---------------------------------------------------------------------------
// Combinations and permutations

bool NextCombination(std::span<uint8_t> Comb, int32_t N) {
  if (Comb.empty()) return false;
  const int32_t k = Comb[0];
  if (N > 255 || N < k || Comb.size() < static_cast<std::size_t>(k) + 1) return false;
  // The rightmost element that can still grow; those after it restart
  // right behind it.
  for (int32_t i = k; i >= 1; --i) {
    if (Comb[static_cast<std::size_t>(i)] < N - k + i) {
      const int32_t start = Comb[static_cast<std::size_t>(i)] + 1;
      for (int32_t j = i; j <= k; ++j) Comb[static_cast<std::size_t>(j)] = static_cast<uint8_t>(start + j - i);
      return true;
    }
  }
  return false;
}

bool NextPermutation(std::span<uint8_t> Perm) {
  if (Perm.empty()) return false;
  const int32_t n = Perm[0];
  if (Perm.size() < static_cast<std::size_t>(n) + 1) return false;
  std::array<bool, 256> seen{};
  for (int32_t i = 1; i <= n; ++i) {
    const uint8_t v = Perm[static_cast<std::size_t>(i)];
    if (v < 1 || v > n || seen[v]) return false;
    seen[v] = true;
  }
  // seq holds the elements m..n in their current order. Element m moves one
  // place right; when it already stands last it is set aside and the rule
  // goes on with m + 1. The elements set aside return to the front in order.
  std::array<uint8_t, 256> seq{};
  std::copy_n(Perm.begin() + 1, n, seq.begin());
  int32_t len = n;
  for (int32_t m = 1; m < n; ++m, --len) {
    const int32_t pos = static_cast<int32_t>(std::find(seq.begin(), seq.begin() + len, m) - seq.begin());
    if (pos < len - 1) {
      std::swap(seq[static_cast<std::size_t>(pos)], seq[static_cast<std::size_t>(pos + 1)]);
      for (int32_t i = 1; i < m; ++i) Perm[static_cast<std::size_t>(i)] = static_cast<uint8_t>(i);
      std::copy_n(seq.begin(), len, Perm.begin() + m);
      return true;
    }
  }
  return false;
}

}  // namespace nuv

namespace nuv::units {

void Nuv_dstruct_Init() {}
void Nuv_dstruct_Finalize() {}

}  // namespace nuv::units
