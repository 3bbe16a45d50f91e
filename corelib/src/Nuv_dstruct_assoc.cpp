// TAssocArray: pairs in chunked slots with a hash index beside them, and
// its XML block
//
//   <assocarray sig="Nuvkit" vers="1.0" id="ID" ignorecase=1>
//     <numentries val=2 />
//     <assoc key="width" type=varDouble> 1.250E+0000</assoc>
//     <assoc key="name" type=varString>A &amp; B</assoc>
//   </assocarray>
//
// Keys are encoded as cell texts are; values are written by kind: integers
// and currency (its count of 1/10000) in decimal, floats and dates as XML
// floats, Booleans as 1 or 0, strings encoded, Empty and Null as nothing.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <functional>
#include <limits>
#include <utility>

#include "Nuv_dstruct_internal.h"
#include "Nuv_stringl_tags.h"
#include "nuv/Nuv_dstruct.h"
#include "nuv/Nuv_streams.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/CodePage.h"

namespace nuv {

// ---------------------------------------------------------------------------
// Hash index: open addressing with linear probing over entries that hold
// the upper 32 bits of a key's hash (which also give its home slot) and
// the pair's index + 1; 0 marks a free slot.

class TAssocArray::TIndex {
 public:
  static uint64_t Hash(std::string_view Key) { return std::hash<std::string_view>{}(Key); }

  TIndex() { Clear(); }

  void Clear() {
    slots_.assign(kMinSlots, 0);
    used_ = 0;
  }

  template <class KeyOf>
  int64_t Find(std::string_view Key, uint64_t H, const KeyOf& keyOf) const {
    for (std::size_t pos = Home(H);; pos = Next(pos)) {
      const uint64_t e = slots_[pos];
      if (e == 0) return -1;
      if ((e >> 32) == (H >> 32) && keyOf(IndexOf(e)) == Key)
        return static_cast<int64_t>(IndexOf(e));
    }
  }

  void Insert(uint64_t H, std::size_t Ix) {
    if ((used_ + 1) * 2 > slots_.size()) Grow();
    Place(Entry(H, Ix));
    ++used_;
  }

  void Erase(uint64_t H, std::size_t Ix) {
    std::size_t hole = SlotOf(Entry(H, Ix));
    // Backward shift: entries after the hole whose home lies at or before
    // it close the gap, so that probing never stops early.
    for (std::size_t j = Next(hole); slots_[j] != 0; j = Next(j)) {
      const std::size_t home = Home(slots_[j]);
      if (((j - home) & Mask()) >= ((j - hole) & Mask())) {
        slots_[hole] = slots_[j];
        hole = j;
      }
    }
    slots_[hole] = 0;
    --used_;
  }

  void Renumber(uint64_t H, std::size_t From, std::size_t To) {
    slots_[SlotOf(Entry(H, From))] = Entry(H, To);
  }

 private:
  static constexpr std::size_t kMinSlots = 16;

  static uint64_t Entry(uint64_t H, std::size_t Ix) { return (H & 0xFFFFFFFF00000000u) | (Ix + 1); }
  static std::size_t IndexOf(uint64_t E) { return static_cast<std::size_t>(E & 0xFFFFFFFFu) - 1; }
  std::size_t Mask() const { return slots_.size() - 1; }
  std::size_t Home(uint64_t HashOrEntry) const {
    return static_cast<std::size_t>(HashOrEntry >> 32) & Mask();
  }
  std::size_t Next(std::size_t Pos) const { return (Pos + 1) & Mask(); }

  std::size_t SlotOf(uint64_t E) const {
    std::size_t pos = Home(E);
    while (slots_[pos] != E) pos = Next(pos);
    return pos;
  }
  void Place(uint64_t E) {
    std::size_t pos = Home(E);
    while (slots_[pos] != 0) pos = Next(pos);
    slots_[pos] = E;
  }
  void Grow() {
    std::vector<uint64_t> old(slots_.size() * 2, 0);
    old.swap(slots_);
    for (const uint64_t e : old)
      if (e != 0) Place(e);
  }

  std::vector<uint64_t> slots_;
  std::size_t used_ = 0;
};

namespace {

constexpr std::string_view kRoot = "assocarray";
enum TChild : int32_t { chNumEntries, chAssoc };
const std::vector<std::string> kChildren{"numentries", "assoc"};

bool IsLowered(std::string_view Key) {
  const auto& lower = detail::LowerCaseTable();
  return std::all_of(Key.begin(), Key.end(),
                     [&](char c) { return lower[static_cast<uint8_t>(c)] == c; });
}

// ---- values in the XML block

std::string ValueText(const Variant& V) {
  switch (V.VarType()) {
    case varEmpty:
    case varNull:
      return {};
    case varSingle:
    case varDouble:
    case varDate:
      return XMLFloatStr(V.FloatValue());
    case varCurrency:
      return XMLIntStr(V.CurrencyValue().Scaled);
    case varBoolean:
      return XMLBoolStr(V.BoolValue());
    case varString:
      return detail::EncodeXMLText(V.StrValue());
    default:
      return XMLIntStr(V.IntValue());
  }
}

// X as a T, when it lies in T's range.
template <class T>
bool SetIfInRange(int64_t X, Variant& V) {
  if (X < int64_t{std::numeric_limits<T>::min()} || X > int64_t{std::numeric_limits<T>::max()})
    return false;
  V = Variant(static_cast<T>(X));
  return true;
}

// An integer of the kind's range.
bool IntegerValue(TVarType Type, std::string_view Text, Variant& V) {
  int64_t x = 0;
  int32_t code = 0;
  Val(Text, x, code);
  if (code != 0 || Text.empty()) return false;
  switch (Type) {
    case varShortInt:
      return SetIfInRange<int8_t>(x, V);
    case varByte:
      return SetIfInRange<uint8_t>(x, V);
    case varSmallint:
      return SetIfInRange<int16_t>(x, V);
    case varWord:
      return SetIfInRange<uint16_t>(x, V);
    case varInteger:
      return SetIfInRange<int32_t>(x, V);
    case varLongWord:
      return SetIfInRange<uint32_t>(x, V);
    case varCurrency:
      V = Variant(Currency{x});
      return true;
    default:
      V = Variant(x);
      return true;
  }
}

bool ParseValue(TVarType Type, const std::string& Text, Variant& V) {
  switch (Type) {
    case varEmpty:
      V = Variant();
      return true;
    case varNull:
      V = Variant::Null();
      return true;
    case varDouble:
      V = Variant(ScanXMLFloat(Text));
      return true;
    case varDate:
      V = Variant::FromDate(ScanXMLFloat(Text));
      return true;
    case varBoolean:
      V = Variant(ScanXMLBool(Text));
      return true;
    case varString:
      V = Variant(detail::DecodeXMLText(Text));
      return true;
    case varSingle: {
      const double x = ScanXMLFloat(Text);
      if (std::isfinite(x) && std::fabs(x) > FLT_MAX) return false;
      V = Variant(static_cast<float>(x));
      return true;
    }
    default:
      return IntegerValue(Type, Text, V);
  }
}

struct TReadPair {
  std::string Key;
  Variant Value;
};

}  // namespace

// ---------------------------------------------------------------------------
// Construction and slots

TAssocArray::TAssocArray(TComponent* AOwner)
    : TComponent(AOwner), index_(std::make_unique<TIndex>()) {
  ResetSlots();
}

TAssocArray::~TAssocArray() = default;

void TAssocArray::ResetSlots() {
  chunks_.clear();
  chunkEnd_.clear();
  uniformChunk_ = 0;
  count_ = 0;
  AddChunk();
  index_->Clear();
  indexed_ = true;
}

void TAssocArray::AddChunk() {
  const auto n = static_cast<std::size_t>(granularity_);
  detail::CheckedAllocation(*this, static_cast<int64_t>(n * sizeof(TPair)), detail::kNoMemory,
                            [&](std::size_t) {
                              chunks_.reserve(chunks_.size() + 1);
                              chunkEnd_.reserve(chunkEnd_.size() + 1);
                              chunks_.push_back(std::make_unique<TPair[]>(n));
                            });
  chunkEnd_.push_back((chunkEnd_.empty() ? 0 : chunkEnd_.back()) + n);
  if (chunks_.size() == 1)
    uniformChunk_ = n;
  else if (n != uniformChunk_)
    uniformChunk_ = 0;
}

TAssocArray::TPair& TAssocArray::Slot(std::size_t Ix) {
  return const_cast<TPair&>(std::as_const(*this).Slot(Ix));
}

const TAssocArray::TPair& TAssocArray::Slot(std::size_t Ix) const {
  if (uniformChunk_ != 0) return chunks_[Ix / uniformChunk_][Ix % uniformChunk_];
  const auto chunk = static_cast<std::size_t>(
      std::upper_bound(chunkEnd_.begin(), chunkEnd_.end(), Ix) - chunkEnd_.begin());
  return chunks_[chunk][Ix - (chunk == 0 ? 0 : chunkEnd_[chunk - 1])];
}

void TAssocArray::Append(std::string Key, const Variant& Value) {
  if (count_ == chunkEnd_.back()) AddChunk();
  TPair& pair = Slot(count_);
  pair.Key = std::move(Key);
  pair.Value = Value;
  ++count_;
}

// ---------------------------------------------------------------------------
// Keys

std::string TAssocArray::StoredKey(std::string_view Key) const {
  return ignoreCase_ ? AnsiLowerCase(Key) : std::string(Key);
}

int64_t TAssocArray::Find(std::string_view Stored, uint64_t Hash) const {
  if (indexed_)
    return index_->Find(Stored, Hash,
                        [this](std::size_t ix) -> std::string_view { return Slot(ix).Key; });
  // Keys of mixed case or repeated keys: the first match from the start.
  const auto& lower = detail::LowerCaseTable();
  for (std::size_t i = 0; i < count_; ++i) {
    const std::string& key = Slot(i).Key;
    if (key.size() != Stored.size()) continue;
    const bool same =
        ignoreCase_
            ? std::equal(key.begin(), key.end(), Stored.begin(),
                         [&](char a, char b) { return lower[static_cast<uint8_t>(a)] == b; })
            : key == Stored;
    if (same) return static_cast<int64_t>(i);
  }
  return -1;
}

int64_t TAssocArray::Find(std::string_view Key) const {
  const std::string stored = StoredKey(Key);
  return Find(stored, TIndex::Hash(stored));
}

void TAssocArray::RebuildIndex() {
  index_->Clear();
  indexed_ = false;
  const auto keyOf = [this](std::size_t ix) -> std::string_view { return Slot(ix).Key; };
  for (std::size_t i = 0; i < count_; ++i) {
    const std::string& key = Slot(i).Key;
    const uint64_t h = TIndex::Hash(key);
    if ((ignoreCase_ && !IsLowered(key)) || index_->Find(key, h, keyOf) >= 0) return;
    index_->Insert(h, i);
  }
  indexed_ = true;
}

void TAssocArray::SetIgnoreCase(bool Value) {
  if (Value == ignoreCase_) return;
  ignoreCase_ = Value;
  RebuildIndex();
}

void TAssocArray::SetGranularity(int32_t Value) {
  granularity_ = std::clamp(Value, 1, kMaxGranularity);
}

std::string TAssocArray::Keys(int32_t Ix) const {
  if (Ix < 1 || static_cast<std::size_t>(Ix) > count_) return {};
  return Slot(static_cast<std::size_t>(Ix - 1)).Key;
}

void TAssocArray::SetKeys(int32_t Ix, std::string_view Key) {
  if (Ix < 1 || static_cast<std::size_t>(Ix) > count_) return;
  const auto ix = static_cast<std::size_t>(Ix - 1);
  std::string stored = StoredKey(Key);
  const uint64_t h = TIndex::Hash(stored);
  if (!indexed_) {
    Slot(ix).Key = std::move(stored);
    RebuildIndex();
    return;
  }
  const int64_t other = Find(stored, h);
  if (other == static_cast<int64_t>(ix)) return;
  if (other >= 0) {
    // Two pairs with one key: searches go back to the first match.
    Slot(ix).Key = std::move(stored);
    indexed_ = false;
    return;
  }
  index_->Erase(TIndex::Hash(Slot(ix).Key), ix);
  Slot(ix).Key = std::move(stored);
  index_->Insert(h, ix);
}

Variant TAssocArray::Values(int32_t Ix) const {
  if (Ix < 1 || static_cast<std::size_t>(Ix) > count_) return Variant(std::string());
  return Slot(static_cast<std::size_t>(Ix - 1)).Value;
}

void TAssocArray::SetValues(int32_t Ix, const Variant& Value) {
  if (Ix < 1 || static_cast<std::size_t>(Ix) > count_) return;
  Slot(static_cast<std::size_t>(Ix - 1)).Value = Value;
}

// ---------------------------------------------------------------------------
// Dictionary operations

void TAssocArray::Add(std::string_view Key, const Variant& Value) {
  std::string stored = StoredKey(Key);
  const uint64_t h = TIndex::Hash(stored);
  if (const int64_t ix = Find(stored, h); ix >= 0) {
    Slot(static_cast<std::size_t>(ix)).Value = Value;
    return;
  }
  Append(std::move(stored), Value);
  if (indexed_) index_->Insert(h, count_ - 1);
}

Variant TAssocArray::Resolve(std::string_view Key) const {
  const int64_t ix = Find(Key);
  return ix >= 0 ? Slot(static_cast<std::size_t>(ix)).Value : Variant::Null();
}

std::string TAssocArray::ResolveAsString(std::string_view Key) const {
  const int64_t ix = Find(Key);
  return ix >= 0 ? VarToStr(Slot(static_cast<std::size_t>(ix)).Value) : std::string();
}

long double TAssocArray::ResolveAsNumber(std::string_view Key) const {
  const int64_t ix = Find(Key);
  if (ix < 0) return 0;
  const Variant& v = Slot(static_cast<std::size_t>(ix)).Value;
  long double number = 0;
  if (v.NumericValue(number)) return number;
  if (v.VarType() != varString) return 0;
  double x = 0;
  TNumScan scan;
  const TFloatSyntax syntax{{true, true}, true, true};
  return ScanDoubleAt(v.StrValue(), 0, syntax, x, scan) ? x : 0;
}

bool TAssocArray::Remove(std::string_view Key) {
  const std::string stored = StoredKey(Key);
  const uint64_t h = TIndex::Hash(stored);
  const int64_t found = Find(stored, h);
  if (found < 0) return false;
  const auto ix = static_cast<std::size_t>(found);
  const std::size_t last = count_ - 1;
  if (indexed_) {
    index_->Erase(TIndex::Hash(Slot(ix).Key), ix);
    if (ix != last) index_->Renumber(TIndex::Hash(Slot(last).Key), last, ix);
  }
  if (ix != last) Slot(ix) = std::move(Slot(last));
  Slot(last) = TPair{};
  --count_;
  // The removal may have ended a repetition of keys.
  if (!indexed_) RebuildIndex();
  return true;
}

void TAssocArray::Clear() { ResetSlots(); }

// ---------------------------------------------------------------------------
// Persistence

void TAssocArray::WriteToXMLStream(TStream& Stream, bool CreateHeader, std::string_view ID) const {
  TXMLBlockWriter w(Stream);
  w.BeginBlock(CreateHeader, "TAssocArray", kRoot, ID.empty() ? std::string_view(dataID_) : ID,
               TXMLAttributes().AddBool("ignorecase", ignoreCase_).Text());
  w.EmptyElement("numentries", TXMLAttributes().AddInt("val", static_cast<int64_t>(count_)));
  for (std::size_t i = 0; i < count_; ++i) {
    const TPair& p = Slot(i);
    w.ContentElement("assoc", ValueText(p.Value),
                     TXMLAttributes()
                         .AddText("key", detail::EncodeXMLText(p.Key))
                         .AddEnum("type", p.Value.VarType(), VarTypeNames)
                         .Text());
  }
  w.EndBlock();
}

bool TAssocArray::ReadFromXMLStream(TStream& Stream, std::string_view ID) {
  std::string rootAttributes;
  if (!FindXMLBlock(Stream, kRoot, ID, rootAttributes)) return false;
  const std::string caseText = ScanForXMLAttrib(rootAttributes, "ignorecase");
  const bool ignoreCase = caseText.empty() ? ignoreCase_ : ScanXMLBool(caseText);
  int64_t declared = -1;
  bool valid = true;
  std::vector<TReadPair> pairs;
  const bool complete = ReadXMLBlockElements(
      Stream, kRoot, kChildren,
      [&](int32_t index, const std::string& content, const std::string& attributes) {
        if (index == chNumEntries) {
          const std::string text = ScanForXMLAttrib(attributes, "val");
          int32_t n = 0;
          TNumScan scan;
          valid = valid && declared < 0 && ScanInt32At(text, 0, n, scan) &&
                  scan.End == text.size() && n >= 0;
          declared = n;
        } else if (index == chAssoc) {
          TVarType type = varEmpty;
          TReadPair pair;
          pair.Key = detail::DecodeXMLText(ScanForXMLAttrib(attributes, "key"));
          if (ignoreCase) pair.Key = AnsiLowerCase(pair.Key);
          valid = valid && ScanXMLEnum(ScanForXMLAttrib(attributes, "type"), VarTypeNames, type) &&
                  ParseValue(type, content, pair.Value);
          if (valid) pairs.push_back(std::move(pair));
        }
      });
  if (!complete || !valid || declared != static_cast<int64_t>(pairs.size())) return false;
  std::vector<std::string_view> keys;
  keys.reserve(pairs.size());
  for (const TReadPair& p : pairs) keys.push_back(p.Key);
  std::sort(keys.begin(), keys.end());
  if (std::adjacent_find(keys.begin(), keys.end()) != keys.end()) return false;

  ignoreCase_ = ignoreCase;
  dataID_ = std::string(detail::TrimTagSpace(ScanForXMLAttrib(rootAttributes, "id")));
  ResetSlots();
  for (TReadPair& p : pairs) Append(std::move(p.Key), p.Value);
  RebuildIndex();
  return true;
}

void TAssocArray::AddXMLAttributes(std::string_view Attr) {
  TXMLAttribReader pairs(Attr);
  std::string_view name, value;
  while (pairs.Next(name, value))
    if (!name.empty()) Add(name, Variant(value));
}

}  // namespace nuv
