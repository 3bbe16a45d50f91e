#include "nuv/Nuv_geodb.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

#include "Nuv_geodb_records.h"
#include "maplib_units.h"
#include "nuv/Nuv_filesys.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/FileUtils.h"

namespace nuv {

using geodb::BoxEdge;

namespace {

constexpr int32_t kBlock = 16384;
// Points are read in larger pieces: fewer calls, still well inside the cache.
constexpr int32_t kReadChunk = 65536;
constexpr int32_t kSummaryFile = 5;
constexpr int32_t kDataFile = 6;
// 32-bit payload positions reach this far.
constexpr int64_t kMaxDataFileSize = INT32_MAX;

// Keys in index order: NaN (only from foreign files) after every number,
// so that the order stays strict and searches stay defined.
inline bool KeyLess(double a, double b) { return !std::isnan(a) && (std::isnan(b) || a < b); }
inline bool KeyLess(int32_t a, int32_t b) { return a < b; }

inline double KeyOf(const TIxLLRec& r) { return r.Value; }
inline int32_t KeyOf(const TIxItemIDRec& r) { return r.ItemID; }

// Where a binary search for v over the first n records stops (0-based),
// one further when v is greater than the key there.
template <class Rec, class Key>
int32_t SearchStop(const Rec* a, int32_t n, Key v) {
  int32_t lo = 0, hi = n - 1;
  while (lo <= hi) {
    const int32_t mid = lo + (hi - lo) / 2;
    const auto k = KeyOf(a[mid]);
    if (KeyLess(k, v))
      lo = mid + 1;
    else if (KeyLess(v, k))
      hi = mid - 1;
    else
      return mid;
  }
  return lo;
}

// The same for a number v, which needs no NaN test on its side: a NaN key
// is neither below v nor at most v.
inline int32_t SearchStop(const TIxLLRec* a, int32_t n, double v) {
  if (std::isnan(v)) return SearchStop<TIxLLRec, double>(a, n, v);
  int32_t lo = 0, hi = n - 1;
  while (lo <= hi) {
    const int32_t mid = lo + (hi - lo) / 2;
    const double k = a[mid].Value;
    if (k == v) return mid;
    // Without a branch: the direction is unpredictable.
    const bool below = k < v;
    lo = below ? mid + 1 : lo;
    hi = below ? hi : mid - 1;
  }
  return lo;
}

template <class Rec>
void InsertSorted(std::vector<Rec>& ix, const Rec& rec) {
  if (ix.empty()) return;
  const int32_t n = static_cast<int32_t>(ix.size()) - 1;
  const int32_t p = SearchStop(ix.data(), n, KeyOf(rec));
  std::move_backward(ix.begin() + p, ix.begin() + n, ix.end());
  ix[p] = rec;
}

template <class Rec>
void RemoveEntry(std::vector<Rec>& ix, int32_t entry0) {
  const auto it =
      std::find_if(ix.begin(), ix.end(), [&](const Rec& r) { return r.Entry == entry0; });
  if (it != ix.end()) std::move(it + 1, ix.end(), it);
}

template <class Rec>
Rec IndexAt(const std::vector<Rec>& ix, int32_t i) {
  if (ix.empty()) return {};
  Rec r =
      ix[static_cast<std::size_t>(std::clamp<int64_t>(i, 1, static_cast<int64_t>(ix.size())) - 1)];
  ++r.Entry;
  return r;
}

template <class Rec>
int32_t ClosestIx(const std::vector<Rec>& ix, decltype(KeyOf(Rec{})) v) {
  return SearchStop(ix.data(), static_cast<int32_t>(ix.size()), v) + 1;
}

// Bytes of the payload a record describes; -1 for an impossible size.
int64_t PayloadBytes(const TgdbData& d) {
  if (d.Size < 0) return -1;
  if (d.Kind == gitBLOB) return GdbMetaInfoSize + static_cast<int64_t>(d.Size);
  if (IsPolygonKind(d.Kind)) return int64_t{GdbIndexRecSize} * d.Size;
  return 0;
}

bool IsNumber(float v) { return !std::isnan(v); }

void EncodePoints(const TSCoords* p, std::size_t n, uint8_t* out) {
  ByteWriter w(out, n * 8);
  for (std::size_t i = 0; i < n; ++i) {
    w.WriteF32(p[i].Lat);
    w.WriteF32(p[i].Long);
  }
}

// Field by field as well, without a bounds check per value: the caller
// hands exactly n points.
void DecodePoints(const uint8_t* in, int32_t n, TSCoords* out) {
  for (int32_t k = 0; k < n; ++k, in += 8) {
    std::memcpy(&out[k].Lat, in, 4);
    std::memcpy(&out[k].Long, in + 4, 4);
  }
}

bool EndsWithSeparator(std::string_view s) {
  return !s.empty() && (s.back() == '\\' || s.back() == '/');
}

}  // namespace

// ---------------------------------------------------------------------------
// Lifecycle

TGeoDB::TGeoDB(TComponent* AOwner) : TComponent(AOwner) {}

TGeoDB::~TGeoDB() {
  try {
    if (lazy_write_) SaveAllIndexes();
  } catch (const Exception&) {
    // A destructor cannot report it; the indexes are rebuilt on the next
    // opening because they then disagree with the summary file.
  }
}

void TGeoDB::SetDBName(std::string_view Path) {
  Close();
  if (!Path.empty()) Open(geodb::BaseOf(Path));
}

std::string TGeoDB::FileOf(int32_t Index) const {
  if (Index == kSummaryFile) return geodb::SummaryFileName(base_);
  if (Index == kDataFile) return geodb::DataFileName(base_);
  return geodb::IndexFileName(base_, Index);
}

void TGeoDB::Open(const std::string& Base) {
  try {
    Load(Base);
  } catch (...) {
    // Whatever was read goes: the component stays closed.
    base_.clear();
    Close();
    throw;
  }
}

void TGeoDB::Load(const std::string& Base) {
  const auto refuse = [&](std::string_view why) {
    RaiseComponentError<ENUVGeoDBError>(*this, std::string("SetDBName: ") + std::string(why));
  };
  const std::string dataName = geodb::DataFileName(Base);
  const std::string sumName = geodb::SummaryFileName(Base);

  // Everything is read and checked before anything is written.
  const bool haveData = FileExists(dataName);
  if (haveData) {
    BinaryFile f(dataName, 1);
    f.SetFileMode(fmOpenRead);
    f.Reset();
    if (f.FileSize() < GdbHeaderSize) refuse("data file is truncated.");
    uint8_t bytes[GdbHeaderSize];
    f.BlockRead(bytes, GdbHeaderSize);
    header_ = geodb::DecodeHeader(bytes);
    if (header_.DBVersion != GdbVersion) refuse("unsupported database version.");
  }
  // Read in pieces and decoded at once; the keys are gathered on the way
  // for the index checks.
  std::array<std::vector<uint32_t>, 5> keyBits;
  const int64_t sumSize = FileSizeOf(sumName);
  if (sumSize > 0 && sumSize % GdbDataSize != 0) refuse("summary file is truncated.");
  if (sumSize > 0) {
    sum_.reserve(static_cast<std::size_t>(sumSize / GdbDataSize));
    for (auto& k : keyBits) k.reserve(sum_.capacity());
  }
  const bool haveSummary =
      geodb::ReadRecords(sumName, GdbDataSize, [&](const uint8_t* rec, std::size_t count) {
        for (std::size_t r = 0; r < count; ++r, rec += GdbDataSize) {
          TgdbData& d = sum_.emplace_back();
          geodb::DecodeData(rec, d);
          keyBits[0].push_back(static_cast<uint32_t>(d.ItemID));
          for (int32_t k = 0; k < 4; ++k)
            keyBits[k + 1].push_back(std::bit_cast<uint32_t>(BoxEdge(d, k)));
          // Identifiers already given out are never given again.
          header_.LastItemID = std::max(header_.LastItemID, d.ItemID);
        }
      });
  std::array<bool, 5> rebuild{};
  for (int32_t i = 0; i < 5; ++i) {
    geodb::TRecordBytes ixBytes;
    const bool have = geodb::ReadWholeFile(geodb::IndexFileName(Base, i), ixBytes);
    if (i == 0)
      ix_id_ = geodb::DecodeItemIDIndex(ixBytes);
    else
      ix_ll_[i - 1] = geodb::DecodeLLIndex(ixBytes);
    rebuild[i] = !have || ixBytes.size() % GdbIndexRecSize != 0 || !IndexMatches(i, keyBits[i]);
  }

  base_ = Base;
  if (!haveData) {
    uint8_t h[GdbHeaderSize];
    geodb::EncodeHeader(header_, h);
    geodb::WriteFileReplacing(dataName, h, GdbHeaderSize);
  }
  if (!haveSummary) geodb::WriteFileReplacing(sumName, nullptr, 0);
  for (int32_t i = 0; i < 5; ++i)
    if (rebuild[i]) {
      RebuildIndex(i);
      SaveIndex(i);
    }
}

void TGeoDB::Close() {
  if (!base_.empty() && lazy_write_) SaveAllIndexes();
  lazy_write_ = false;
  header_ = TgdbHeader{};
  base_.clear();
  sum_.clear();
  ix_id_.clear();
  for (auto& ix : ix_ll_) ix.clear();
}

void TGeoDB::SetLazyWrite(bool Value) {
  if (Value == lazy_write_) return;
  lazy_write_ = Value;
  if (!Value) SaveAllIndexes();
}

// ---------------------------------------------------------------------------
// Indexes

bool TGeoDB::IndexMatches(int32_t Index, const std::vector<uint32_t>& keyBits) const {
  const std::size_t n = sum_.size();
  std::vector<uint8_t> seen(n);
  const auto check = [&](const auto& ix, auto bitsOf) {
    if (ix.size() != n) return false;
    for (std::size_t k = 0; k < n; ++k) {
      const int32_t e = ix[k].Entry;
      if (!(e >= 0 && static_cast<std::size_t>(e) < n) || seen[e] || bitsOf(ix[k]) != keyBits[e])
        return false;
      seen[e] = 1;
      if (k > 0 && KeyLess(KeyOf(ix[k]), KeyOf(ix[k - 1]))) return false;
    }
    return true;
  };
  if (Index == 0)
    return check(ix_id_, [](const TIxItemIDRec& r) { return static_cast<uint32_t>(r.ItemID); });
  return check(ix_ll_[Index - 1],
               [](const TIxLLRec& r) { return std::bit_cast<uint32_t>(r.Value); });
}

void TGeoDB::RebuildIndex(int32_t Index) {
  const int32_t n = NumEntries();
  const auto build = [n](auto& ix, auto key) {
    ix.resize(static_cast<std::size_t>(n));
    for (int32_t e = 0; e < n; ++e) ix[e] = {key(e), e};
    std::stable_sort(ix.begin(), ix.end(),
                     [](const auto& a, const auto& b) { return KeyLess(KeyOf(a), KeyOf(b)); });
  };
  if (Index == 0)
    build(ix_id_, [this](int32_t e) { return sum_[e].ItemID; });
  else
    build(ix_ll_[Index - 1], [this, Index](int32_t e) { return BoxEdge(sum_[e], Index - 1); });
}

void TGeoDB::RecalcIndexes() {
  if (base_.empty()) return;
  for (int32_t i = 0; i < 5; ++i) RebuildIndex(i);
  SaveIndexesUnlessLazy();
}

void TGeoDB::SaveIndex(int32_t Index) {
  if (base_.empty() || !(Index >= 0 && Index <= 4)) return;
  const geodb::TRecordBytes bytes =
      Index == 0 ? geodb::EncodeIndex(ix_id_) : geodb::EncodeIndex(ix_ll_[Index - 1]);
  geodb::WriteFileReplacing(FileOf(Index), bytes.data(), bytes.size());
}

void TGeoDB::SaveAllIndexes() {
  for (int32_t i = 0; i < 5; ++i) SaveIndex(i);
}

void TGeoDB::SaveIndexesUnlessLazy() {
  if (!lazy_write_) SaveAllIndexes();
}

void TGeoDB::SortIxInto(TIxLLRecArray& Index, const TIxLLRec& Rec) { InsertSorted(Index, Rec); }
void TGeoDB::SortIxItemIDInto(TIxItemIDRecArray& Index, const TIxItemIDRec& Rec) {
  InsertSorted(Index, Rec);
}

void TGeoDB::InsertIntoIndex(int32_t Entry, const TgdbData& Data) {
  if (!Entry1Valid(Entry) || ix_id_.size() != sum_.size()) return;
  SortIxItemIDInto(ix_id_, {Data.ItemID, Entry - 1});
  for (int32_t k = 0; k < 4; ++k)
    if (ix_ll_[k].size() == sum_.size()) SortIxInto(ix_ll_[k], {BoxEdge(Data, k), Entry - 1});
}

void TGeoDB::RemoveIndexEntries(int32_t Entry) {
  if (!Entry1Valid(Entry)) return;
  RemoveEntry(ix_id_, Entry - 1);
  for (auto& ix : ix_ll_) RemoveEntry(ix, Entry - 1);
}

TIxItemIDRec TGeoDB::GetIxItemID(int32_t i) const { return IndexAt(ix_id_, i); }
TIxLLRec TGeoDB::GetIxLatLow(int32_t i) const { return IndexAt(ix_ll_[0], i); }
TIxLLRec TGeoDB::GetIxLatHigh(int32_t i) const { return IndexAt(ix_ll_[1], i); }
TIxLLRec TGeoDB::GetIxLongLow(int32_t i) const { return IndexAt(ix_ll_[2], i); }
TIxLLRec TGeoDB::GetIxLongHigh(int32_t i) const { return IndexAt(ix_ll_[3], i); }

int32_t TGeoDB::GetClosestLatLowIx(double Value) const { return ClosestIx(ix_ll_[0], Value); }
int32_t TGeoDB::GetClosestLatHighIx(double Value) const { return ClosestIx(ix_ll_[1], Value); }
int32_t TGeoDB::GetClosestLongLowIx(double Value) const { return ClosestIx(ix_ll_[2], Value); }
int32_t TGeoDB::GetClosestLongHighIx(double Value) const { return ClosestIx(ix_ll_[3], Value); }
int32_t TGeoDB::GetClosestItemIDIx(int32_t ItemID) const { return ClosestIx(ix_id_, ItemID); }

int32_t TGeoDB::SearchForItemID(int32_t ItemID) const {
  const int32_t p = SearchStop(ix_id_.data(), static_cast<int32_t>(ix_id_.size()), ItemID);
  if (p < static_cast<int32_t>(ix_id_.size()) && ix_id_[p].ItemID == ItemID)
    return ix_id_[p].Entry + 1;
  return 0;
}

// ---------------------------------------------------------------------------
// Files

void TGeoDB::Progress(int32_t Percent) {
  if (OnPercentDone) OnPercentDone(this, Percent);
}

void TGeoDB::ProgressOf(int64_t Done, int64_t Total) {
  if (OnPercentDone && Total > 0)
    OnPercentDone(this, Round32(static_cast<long double>(Done) * 100 / Total));
}

void TGeoDB::OpenDataFile(std::string_view Method, BinaryFile& F, bool Writable) const {
  F.Assign(FileOf(kDataFile));
  F.SetFileMode(Writable ? fmOpenReadWrite : fmOpenRead);
  try {
    F.Reset(1);
  } catch (const EInOutError&) {
    RaiseComponentError<ENUVGeoDBError>(*this, std::string(Method) + ": cannot open database.");
  }
}

void TGeoDB::WriteHeader(std::string_view Method, const TgdbHeader& Header) {
  BinaryFile f;
  OpenDataFile(Method, f, true);
  uint8_t h[GdbHeaderSize];
  geodb::EncodeHeader(Header, h);
  f.BlockWrite(h, GdbHeaderSize);
  header_ = Header;
}

void TGeoDB::WriteSummary(int32_t Entry0, const TgdbData& Data) {
  uint8_t rec[GdbDataSize];
  geodb::EncodeData(Data, rec);
  BinaryFile f(FileOf(kSummaryFile), GdbDataSize);
  f.Reset();
  f.Seek(Entry0);
  f.Write(rec);
}

bool TGeoDB::OpenPayload(int32_t Entry0, BinaryFile& F, TgdbData& Data) const {
  Data = sum_[Entry0];
  const int64_t bytes = PayloadBytes(Data);
  if (bytes < 0 || Data.DataPos < GdbHeaderSize) return false;
  F.Assign(FileOf(kDataFile));
  F.SetFileMode(fmOpenRead);
  F.Reset(1);
  if (Data.DataPos + bytes > F.FileSize()) return false;
  F.Seek(Data.DataPos);
  return true;
}

// ---------------------------------------------------------------------------
// Adding and replacing

TgdbData TGeoDB::BuildRecord(std::string_view Method, const TItemArgs& Args, BinaryFile& DataFile) {
  TgdbData d;
  d.Name = Args.Name;
  d.FloatAttr = Args.FloatAttr;
  d.ByteAttr = Args.ByteAttr;
  d.IntAttrB = Args.IntAttrB;
  d.Date = Args.Date;
  d.IntAttrA = Args.IntAttrA;
  d.Kind = Args.Kind;
  d.LatLow = Args.Box[0];
  d.LatHigh = Args.Box[1];
  d.LongLow = Args.Box[2];
  d.LongHigh = Args.Box[3];
  const auto invalid = [&](std::string_view why) {
    RaiseComponentError<ENUVGeoDBError>(*this, std::string(Method) + ": " + std::string(why));
  };
  if (IsPolygonKind(d.Kind)) {
    d.Closed = Args.Closed;
    d.LatLow = 90, d.LatHigh = -90, d.LongLow = 180, d.LongHigh = -180;
    for (const TSCoords& p : *Args.Polygon) {
      if (!IsNumber(p.Lat) || !IsNumber(p.Long)) invalid("invalid coordinates.");
      d.LatLow = std::min(d.LatLow, p.Lat);
      d.LatHigh = std::max(d.LatHigh, p.Lat);
      d.LongLow = std::min(d.LongLow, p.Long);
      d.LongHigh = std::max(d.LongHigh, p.Long);
    }
  } else if (!std::all_of(Args.Box.begin(), Args.Box.end(), IsNumber)) {
    invalid("invalid coordinates.");
  }
  if (d.Kind == gitBLOB && !Args.FromFile &&
      (Args.DataSize < 0 || (Args.Data == nullptr && Args.DataSize > 0)))
    invalid("invalid BLOB data.");
  // The source of a file BLOB must be readable before anything is written.
  BinaryFile source;
  int64_t payload = 0;
  if (d.Kind == gitBLOB) {
    int64_t size = Args.DataSize;
    if (Args.FromFile) {
      source.Assign(Args.SourceFile);
      source.SetFileMode(fmOpenRead);
      source.Reset(1);
      size = source.FileSize();
      if (!FileAge(Args.SourceFile, d.Date)) d.Date = Args.Date;
    }
    payload = GdbMetaInfoSize + size;
    if (size > INT32_MAX) invalid("database file is full.");
    d.Size = static_cast<int32_t>(size);
  } else if (IsPolygonKind(d.Kind)) {
    payload = int64_t{8} * static_cast<int64_t>(Args.Polygon->size());
    if (Args.Polygon->size() > static_cast<std::size_t>(INT32_MAX))
      invalid("database file is full.");
    d.Size = static_cast<int32_t>(Args.Polygon->size());
  }
  OpenDataFile(Method, DataFile, true);
  if (d.Kind != gitBLOB && !IsPolygonKind(d.Kind)) return d;
  const int64_t end = DataFile.FileSize();
  if (end + payload > kMaxDataFileSize) invalid("database file is full.");
  d.DataPos = static_cast<int32_t>(end);
  DataFile.Seek(end);
  try {
    std::vector<uint8_t> block(kBlock);
    if (d.Kind == gitBLOB) {
      geodb::EncodeMetaInfo(*Args.MetaInfo, block.data());
      DataFile.BlockWrite(block.data(), GdbMetaInfoSize);
      const auto* bytes = static_cast<const uint8_t*>(Args.Data);
      for (int64_t done = 0; done < d.Size;) {
        const int32_t n = static_cast<int32_t>(std::min<int64_t>(kBlock, d.Size - done));
        if (Args.FromFile)
          source.BlockRead(block.data(), n);
        else
          std::copy_n(bytes + done, n, block.data());
        DataFile.BlockWrite(block.data(), n);
        done += n;
        // From memory a final partial block gets no progress call.
        if (Args.FromFile || n == kBlock) ProgressOf(done, d.Size);
      }
    } else {
      const TgdbPolygon& poly = *Args.Polygon;
      const std::size_t perBlock = kBlock / 8;
      for (std::size_t i = 0; i < poly.size(); i += perBlock) {
        const std::size_t n = std::min(perBlock, poly.size() - i);
        EncodePoints(poly.data() + i, n, block.data());
        DataFile.BlockWrite(block.data(), static_cast<int32_t>(n * 8));
        if (OnPercentDone)
          for (std::size_t k = i; k < i + n; ++k) ProgressOf(static_cast<int64_t>(k), d.Size);
      }
    }
  } catch (...) {
    DataFile.Seek(end);
    DataFile.Truncate();
    throw;
  }
  return d;
}

int32_t TGeoDB::AddItem(const TItemArgs& Args) {
  if (base_.empty()) return -1;
  Progress(0);
  if (header_.LastItemID == INT32_MAX)
    RaiseComponentError<ENUVGeoDBError>(*this, "AddData: no item identifiers left.");
  BinaryFile data;
  TgdbData d = BuildRecord("AddData", Args, data);
  TgdbHeader h = header_;
  d.ItemID = ++h.LastItemID;
  uint8_t hb[GdbHeaderSize];
  geodb::EncodeHeader(h, hb);
  data.Seek(0);
  data.BlockWrite(hb, GdbHeaderSize);
  data.Close();
  header_ = h;
  WriteSummary(NumEntries(), d);
  sum_.push_back(d);
  ix_id_.emplace_back();
  for (auto& ix : ix_ll_) ix.emplace_back();
  InsertIntoIndex(NumEntries(), d);
  SaveIndexesUnlessLazy();
  Progress(100);
  return NumEntries();
}

void TGeoDB::ReplaceItem(int32_t Entry, const TItemArgs& Args) {
  if (base_.empty() || !Entry1Valid(Entry)) return;
  Progress(0);
  BinaryFile data;
  TgdbData d = BuildRecord("ReplaceData", Args, data);
  data.Close();
  d.ItemID = sum_[Entry - 1].ItemID;
  WriteSummary(Entry - 1, d);
  sum_[Entry - 1] = d;
  RemoveIndexEntries(Entry);
  InsertIntoIndex(Entry, d);
  SaveIndexesUnlessLazy();
  Progress(100);
}

int32_t TGeoDB::AddData(const TgdbName& Name, const TgdbPolygon& Polygon, bool Closed,
                        TgdbItem Kind, uint8_t ByteAttr, TDateTime Date, int32_t IntAttrA,
                        float LatLow, float LatHigh, float LongLow, float LongHigh, float FloatAttr,
                        int32_t IntAttrB, const TMetaInfo& MetaInfo, const void* Data,
                        int32_t DataSize, bool FromFile) {
  return AddItem({Name,
                  &Polygon,
                  Closed,
                  Kind,
                  ByteAttr,
                  Date,
                  IntAttrA,
                  {LatLow, LatHigh, LongLow, LongHigh},
                  FloatAttr,
                  IntAttrB,
                  &MetaInfo,
                  Data,
                  DataSize,
                  FromFile,
                  MetaInfo.FilePath.Str()});
}

void TGeoDB::ReplaceData(int32_t Entry, const TgdbName& Name, const TgdbPolygon& Polygon,
                         bool Closed, TgdbItem Kind, uint8_t ByteAttr, TDateTime Date,
                         int32_t IntAttrA, float LatLow, float LatHigh, float LongLow,
                         float LongHigh, float FloatAttr, int32_t IntAttrB,
                         const TMetaInfo& MetaInfo, const void* Data, int32_t DataSize,
                         bool FromFile) {
  ReplaceItem(Entry, {Name,
                      &Polygon,
                      Closed,
                      Kind,
                      ByteAttr,
                      Date,
                      IntAttrA,
                      {LatLow, LatHigh, LongLow, LongHigh},
                      FloatAttr,
                      IntAttrB,
                      &MetaInfo,
                      Data,
                      DataSize,
                      FromFile,
                      MetaInfo.FilePath.Str()});
}

namespace {

const TMetaInfo kNoMeta{};
const TgdbPolygon kNoPoints{};

}  // namespace

// ---------------------------------------------------------------------------
// The typed forms

int32_t TGeoDB::AddBorder(const TgdbName& Name, const TgdbPolygon& Polygon, bool Closed,
                          TDateTime Date, int32_t IntAttrA, float LatLow, float LatHigh,
                          float LongLow, float LongHigh, float FloatAttr, uint8_t ByteAttr,
                          int32_t IntAttrB) {
  return AddData(Name, Polygon, Closed, gitBorder, ByteAttr, Date, IntAttrA, LatLow, LatHigh,
                 LongLow, LongHigh, FloatAttr, IntAttrB, kNoMeta, nullptr, 0, false);
}

int32_t TGeoDB::AddCity(const TgdbName& Name, const TgdbPolygon& Polygon, bool Closed,
                        TDateTime Date, int32_t IntAttrA, float LatLow, float LatHigh,
                        float LongLow, float LongHigh, float FloatAttr, uint8_t ByteAttr,
                        int32_t IntAttrB) {
  return AddData(Name, Polygon, Closed, gitCity, ByteAttr, Date, IntAttrA, LatLow, LatHigh, LongLow,
                 LongHigh, FloatAttr, IntAttrB, kNoMeta, nullptr, 0, false);
}

int32_t TGeoDB::AddLake(const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date,
                        int32_t IntAttrA, float LatLow, float LatHigh, float LongLow,
                        float LongHigh, float FloatAttr, uint8_t ByteAttr, int32_t IntAttrB) {
  return AddData(Name, Polygon, true, gitLake, ByteAttr, Date, IntAttrA, LatLow, LatHigh, LongLow,
                 LongHigh, FloatAttr, IntAttrB, kNoMeta, nullptr, 0, false);
}

int32_t TGeoDB::AddRiver(const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date,
                         int32_t IntAttrA, float LatLow, float LatHigh, float LongLow,
                         float LongHigh, float FloatAttr, uint8_t ByteAttr, int32_t IntAttrB) {
  return AddData(Name, Polygon, false, gitRiver, ByteAttr, Date, IntAttrA, LatLow, LatHigh, LongLow,
                 LongHigh, FloatAttr, IntAttrB, kNoMeta, nullptr, 0, false);
}

int32_t TGeoDB::AddRoad(const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date,
                        int32_t IntAttrA, float LatLow, float LatHigh, float LongLow,
                        float LongHigh, float FloatAttr, uint8_t ByteAttr, int32_t IntAttrB) {
  return AddData(Name, Polygon, false, gitRoad, ByteAttr, Date, IntAttrA, LatLow, LatHigh, LongLow,
                 LongHigh, FloatAttr, IntAttrB, kNoMeta, nullptr, 0, false);
}

int32_t TGeoDB::AddRoute(const TgdbName& Name, const TgdbPolygon& Polygon, TDateTime Date,
                         int32_t IntAttrA, float LatLow, float LatHigh, float LongLow,
                         float LongHigh, float FloatAttr, uint8_t ByteAttr, int32_t IntAttrB) {
  return AddData(Name, Polygon, false, gitRoute, ByteAttr, Date, IntAttrA, LatLow, LatHigh, LongLow,
                 LongHigh, FloatAttr, IntAttrB, kNoMeta, nullptr, 0, false);
}

int32_t TGeoDB::AddTown(const TgdbName& Name, TDateTime Date, int32_t IntAttrA,
                        const TSCoords& Location, float FloatAttr, uint8_t ByteAttr,
                        int32_t IntAttrB) {
  return AddData(Name, kNoPoints, false, gitTown, ByteAttr, Date, IntAttrA, Location.Lat,
                 Location.Lat, Location.Long, Location.Long, FloatAttr, IntAttrB, kNoMeta, nullptr,
                 0, false);
}

TGeoDB::TItemArgs TGeoDB::BLOBArgs(const std::string& FileName, std::string_view ItemName,
                                   TDateTime Date, int32_t IntAttrA,
                                   const std::array<float, 4>& Box, float FloatAttr,
                                   uint8_t ByteAttr, int32_t IntAttrB, TMetaInfo& Meta) {
  Meta.FilePath = FileName;
  return {StripPath(ItemName), &kNoPoints, false, gitBLOB, ByteAttr, Date, IntAttrA, Box,
          FloatAttr,           IntAttrB,   &Meta, nullptr, 0,        true, FileName};
}

TGeoDB::TItemArgs TGeoDB::MemoryArgs(const TgdbName& Name, TDateTime Date, int32_t IntAttrA,
                                     const std::array<float, 4>& Box, float FloatAttr,
                                     uint8_t ByteAttr, int32_t IntAttrB, const TMetaInfo& Meta,
                                     const void* Data, int64_t DataSize) {
  return {Name,      &kNoPoints, false, gitBLOB, ByteAttr, Date,  IntAttrA, Box,
          FloatAttr, IntAttrB,   &Meta, Data,    DataSize, false, {}};
}

int32_t TGeoDB::AddBLOB(const std::string& FileName, TDateTime Date, int32_t IntAttrA, float LatLow,
                        float LatHigh, float LongLow, float LongHigh, float FloatAttr,
                        uint8_t ByteAttr, int32_t IntAttrB, const TMetaInfo& MetaInfo) {
  return AddBLOB(FileName, FileName, Date, IntAttrA, LatLow, LatHigh, LongLow, LongHigh, FloatAttr,
                 ByteAttr, IntAttrB, MetaInfo);
}

int32_t TGeoDB::AddBLOB(const std::string& FileName, const std::string& ItemName, TDateTime Date,
                        int32_t IntAttrA, float LatLow, float LatHigh, float LongLow,
                        float LongHigh, float FloatAttr, uint8_t ByteAttr, int32_t IntAttrB,
                        const TMetaInfo& MetaInfo) {
  TMetaInfo meta = MetaInfo;
  return AddItem(BLOBArgs(FileName, ItemName, Date, IntAttrA, {LatLow, LatHigh, LongLow, LongHigh},
                          FloatAttr, ByteAttr, IntAttrB, meta));
}

int32_t TGeoDB::AddBLOB(const std::string& FileName, const std::string& ItemName,
                        const std::string& Text, TDateTime Date, int32_t IntAttrA, float LatLow,
                        float LatHigh, float LongLow, float LongHigh, float FloatAttr,
                        uint8_t ByteAttr, int32_t IntAttrB, const TMetaInfo& MetaInfo) {
  const int32_t entry = AddBLOB(FileName, ItemName, Date, IntAttrA, LatLow, LatHigh, LongLow,
                                LongHigh, FloatAttr, ByteAttr, IntAttrB, MetaInfo);
  TMetaInfo meta;
  if (GetMetaInfo(entry, meta)) {
    meta.Comment = Text;
    UpdateMetaInfo(entry, meta);
  }
  return entry;
}

int32_t TGeoDB::AddBLOB(const TgdbName& Name, TDateTime Date, int32_t IntAttrA, float LatLow,
                        float LatHigh, float LongLow, float LongHigh, float FloatAttr,
                        uint8_t ByteAttr, int32_t IntAttrB, const TMetaInfo& MetaInfo,
                        const void* Data, int32_t DataSize) {
  return AddItem(MemoryArgs(Name, Date, IntAttrA, {LatLow, LatHigh, LongLow, LongHigh}, FloatAttr,
                            ByteAttr, IntAttrB, MetaInfo, Data, DataSize));
}

int32_t TGeoDB::AddBLOB(const TgdbName& Name, TDateTime Date, int32_t IntAttrA, float LatLow,
                        float LatHigh, float LongLow, float LongHigh, float FloatAttr,
                        uint8_t ByteAttr, int32_t IntAttrB, const TMetaInfo& MetaInfo,
                        const TMemoryStream& Stream) {
  return AddItem(MemoryArgs(Name, Date, IntAttrA, {LatLow, LatHigh, LongLow, LongHigh}, FloatAttr,
                            ByteAttr, IntAttrB, MetaInfo, Stream.Memory(), Stream.Size()));
}

void TGeoDB::ReplaceBorder(int32_t Entry, const TgdbName& Name, const TgdbPolygon& Polygon,
                           bool Closed, TDateTime Date, int32_t IntAttrA, float LatLow,
                           float LatHigh, float LongLow, float LongHigh, float FloatAttr,
                           uint8_t ByteAttr, int32_t IntAttrB) {
  ReplaceData(Entry, Name, Polygon, Closed, gitBorder, ByteAttr, Date, IntAttrA, LatLow, LatHigh,
              LongLow, LongHigh, FloatAttr, IntAttrB, kNoMeta, nullptr, 0, false);
}

void TGeoDB::ReplaceCity(int32_t Entry, const TgdbName& Name, const TgdbPolygon& Polygon,
                         bool Closed, TDateTime Date, int32_t IntAttrA, float LatLow, float LatHigh,
                         float LongLow, float LongHigh, float FloatAttr, uint8_t ByteAttr,
                         int32_t IntAttrB) {
  ReplaceData(Entry, Name, Polygon, Closed, gitCity, ByteAttr, Date, IntAttrA, LatLow, LatHigh,
              LongLow, LongHigh, FloatAttr, IntAttrB, kNoMeta, nullptr, 0, false);
}

void TGeoDB::ReplaceLake(int32_t Entry, const TgdbName& Name, const TgdbPolygon& Polygon,
                         TDateTime Date, int32_t IntAttrA, float LatLow, float LatHigh,
                         float LongLow, float LongHigh, float FloatAttr, uint8_t ByteAttr,
                         int32_t IntAttrB) {
  ReplaceData(Entry, Name, Polygon, true, gitLake, ByteAttr, Date, IntAttrA, LatLow, LatHigh,
              LongLow, LongHigh, FloatAttr, IntAttrB, kNoMeta, nullptr, 0, false);
}

void TGeoDB::ReplaceRiver(int32_t Entry, const TgdbName& Name, const TgdbPolygon& Polygon,
                          TDateTime Date, int32_t IntAttrA, float LatLow, float LatHigh,
                          float LongLow, float LongHigh, float FloatAttr, uint8_t ByteAttr,
                          int32_t IntAttrB) {
  ReplaceData(Entry, Name, Polygon, false, gitRiver, ByteAttr, Date, IntAttrA, LatLow, LatHigh,
              LongLow, LongHigh, FloatAttr, IntAttrB, kNoMeta, nullptr, 0, false);
}

void TGeoDB::ReplaceRoad(int32_t Entry, const TgdbName& Name, const TgdbPolygon& Polygon,
                         TDateTime Date, int32_t IntAttrA, float LatLow, float LatHigh,
                         float LongLow, float LongHigh, float FloatAttr, uint8_t ByteAttr,
                         int32_t IntAttrB) {
  ReplaceData(Entry, Name, Polygon, false, gitRoad, ByteAttr, Date, IntAttrA, LatLow, LatHigh,
              LongLow, LongHigh, FloatAttr, IntAttrB, kNoMeta, nullptr, 0, false);
}

void TGeoDB::ReplaceRoute(int32_t Entry, const TgdbName& Name, const TgdbPolygon& Polygon,
                          TDateTime Date, int32_t IntAttrA, float LatLow, float LatHigh,
                          float LongLow, float LongHigh, float FloatAttr, uint8_t ByteAttr,
                          int32_t IntAttrB) {
  ReplaceData(Entry, Name, Polygon, false, gitRoute, ByteAttr, Date, IntAttrA, LatLow, LatHigh,
              LongLow, LongHigh, FloatAttr, IntAttrB, kNoMeta, nullptr, 0, false);
}

void TGeoDB::ReplaceTown(int32_t Entry, const TgdbName& Name, TDateTime Date, int32_t IntAttrA,
                         const TSCoords& Location, float FloatAttr, uint8_t ByteAttr,
                         int32_t IntAttrB) {
  ReplaceData(Entry, Name, kNoPoints, false, gitTown, ByteAttr, Date, IntAttrA, Location.Lat,
              Location.Lat, Location.Long, Location.Long, FloatAttr, IntAttrB, kNoMeta, nullptr, 0,
              false);
}

void TGeoDB::ReplaceBLOB(int32_t Entry, const std::string& FileName, TDateTime Date,
                         int32_t IntAttrA, float LatLow, float LatHigh, float LongLow,
                         float LongHigh, float FloatAttr, uint8_t ByteAttr, int32_t IntAttrB,
                         const TMetaInfo& MetaInfo) {
  TMetaInfo meta = MetaInfo;
  ReplaceItem(Entry,
              BLOBArgs(FileName, FileName, Date, IntAttrA, {LatLow, LatHigh, LongLow, LongHigh},
                       FloatAttr, ByteAttr, IntAttrB, meta));
}

void TGeoDB::ReplaceBLOB(int32_t Entry, const TgdbName& Name, TDateTime Date, int32_t IntAttrA,
                         float LatLow, float LatHigh, float LongLow, float LongHigh,
                         float FloatAttr, uint8_t ByteAttr, int32_t IntAttrB,
                         const TMetaInfo& MetaInfo, const void* Data, int32_t DataSize) {
  ReplaceItem(Entry, MemoryArgs(Name, Date, IntAttrA, {LatLow, LatHigh, LongLow, LongHigh},
                                FloatAttr, ByteAttr, IntAttrB, MetaInfo, Data, DataSize));
}

void TGeoDB::ReplaceBLOB(int32_t Entry, const TgdbName& Name, TDateTime Date, int32_t IntAttrA,
                         float LatLow, float LatHigh, float LongLow, float LongHigh,
                         float FloatAttr, uint8_t ByteAttr, int32_t IntAttrB,
                         const TMetaInfo& MetaInfo, const TMemoryStream& Stream) {
  ReplaceItem(Entry,
              MemoryArgs(Name, Date, IntAttrA, {LatLow, LatHigh, LongLow, LongHigh}, FloatAttr,
                         ByteAttr, IntAttrB, MetaInfo, Stream.Memory(), Stream.Size()));
}

// ---------------------------------------------------------------------------
// Deleting

void TGeoDB::DeleteData(int32_t Entry) {
  if (base_.empty() || !Entry1Valid(Entry)) return;
  const int32_t e = Entry - 1;
  const int32_t last = NumEntries() - 1;
  {
    BinaryFile f(FileOf(kSummaryFile), GdbDataSize);
    f.Reset();
    if (e != last) {
      uint8_t rec[GdbDataSize];
      geodb::EncodeData(sum_[last], rec);
      f.Seek(e);
      f.Write(rec);
    }
    f.Seek(last);
    f.Truncate();
  }
  sum_[e] = sum_[last];
  RemoveIndexEntries(Entry);
  const auto repoint = [&](auto& ix) {
    ix.pop_back();
    for (auto& r : ix)
      if (r.Entry == last) r.Entry = e;
  };
  repoint(ix_id_);
  for (auto& ix : ix_ll_) repoint(ix);
  sum_.pop_back();
  SaveIndexesUnlessLazy();
}

// ---------------------------------------------------------------------------
// Reading

TgdbData TGeoDB::GetSumdata(int32_t Entry) const {
  if (sum_.empty()) return {};
  return sum_[static_cast<std::size_t>(std::clamp(Entry, 1, NumEntries()) - 1)];
}

bool TGeoDB::RetrievePolygon(int32_t Entry, TgdbPolygon& Polygon) {
  Polygon.clear();
  if (base_.empty()) return false;
  Progress(0);
  const int32_t e = std::max(Entry, 1) - 1;
  BinaryFile f;
  TgdbData d;
  const bool ok = e < NumEntries() && IsPolygonKind(sum_[e].Kind) && OpenPayload(e, f, d);
  if (ok) {
    Polygon.resize(static_cast<std::size_t>(d.Size));
    const int32_t step = d.Size / 100 + 1;
    std::vector<uint8_t> block(kReadChunk);
    const int32_t perBlock = kReadChunk / 8;
    for (int32_t i = 0; i < d.Size; i += perBlock) {
      const int32_t n = std::min(perBlock, d.Size - i);
      f.BlockRead(block.data(), n * 8);
      DecodePoints(block.data(), n, Polygon.data() + i);
      if (OnPercentDone)
        for (int32_t k = (i + step - 1) / step * step; k < i + n; k += step) ProgressOf(k, d.Size);
    }
  }
  Progress(100);
  return ok;
}

bool TGeoDB::ReadBLOB(int32_t Entry, TMetaInfo& MetaInfo,
                      const std::function<void(int32_t Size)>& Start,
                      const std::function<void(const uint8_t* Bytes, int32_t Count)>& Sink) {
  BinaryFile f;
  TgdbData d;
  if (base_.empty() || !Entry1Valid(Entry) || sum_[Entry - 1].Kind != gitBLOB ||
      !OpenPayload(Entry - 1, f, d))
    return false;
  std::vector<uint8_t> block(std::max(kBlock, GdbMetaInfoSize));
  f.BlockRead(block.data(), GdbMetaInfoSize);
  MetaInfo = geodb::DecodeMetaInfo(block.data());
  Start(d.Size);
  for (int32_t done = 0; done < d.Size;) {
    const int32_t n = std::min(kBlock, d.Size - done);
    f.BlockRead(block.data(), n);
    Sink(block.data(), n);
    done += n;
    ProgressOf(done, d.Size);
  }
  Progress(100);
  return true;
}

bool TGeoDB::RetrieveBLOB(int32_t Entry, const std::string& FileName, TMetaInfo& MetaInfo) {
  if (base_.empty() || !Entry1Valid(Entry) || sum_[Entry - 1].Kind != gitBLOB) return false;
  std::string target = FileName;
  if (target.empty() || EndsWithSeparator(target))
    target += ReduceStringToFN83CompliantChars(sum_[Entry - 1].Name);
  if (target.empty() || EndsWithSeparator(target))
    RaiseComponentError<ENUVGeoDBError>(*this, "RetrieveBLOB: invalid filename.");
  const std::string temp = target + ".tmp";
  BinaryFile out(temp, 1);
  bool ok = false;
  try {
    ok = ReadBLOB(
        Entry, MetaInfo, [&](int32_t) { out.Rewrite(); },
        [&](const uint8_t* bytes, int32_t n) { out.BlockWrite(bytes, n); });
    out.Close();
  } catch (...) {
    out.Close();
    DeleteFile(temp);
    throw;
  }
  if (ok) geodb::ReplaceFile(temp, target);
  return ok;
}

bool TGeoDB::RetrieveBLOB(int32_t Entry, TMetaInfo& MetaInfo, void* Buffer, int32_t BufSize) {
  auto* out = static_cast<uint8_t*>(Buffer);
  return ReadBLOB(
      Entry, MetaInfo,
      [&](int32_t size) {
        if (BufSize < size || (Buffer == nullptr && size > 0))
          RaiseComponentError<ENUVGeoDBError>(
              *this, "RetrieveBLOB: BLOB to be retrieved is larger than SizeOfBlobData.");
      },
      [&](const uint8_t* bytes, int32_t n) { out = std::copy_n(bytes, n, out); });
}

bool TGeoDB::RetrieveBLOB(int32_t Entry, TMetaInfo& MetaInfo, TMemoryStream& Stream) {
  return ReadBLOB(
      Entry, MetaInfo,
      [&](int32_t size) {
        Stream.SetSize(size);
        Stream.Seek(0, soBeginning);
      },
      [&](const uint8_t* bytes, int32_t n) { Stream.WriteBuffer(bytes, n); });
}

bool TGeoDB::GetMetaInfo(int32_t Entry, TMetaInfo& MetaInfo) {
  BinaryFile f;
  TgdbData d;
  if (base_.empty() || !Entry1Valid(Entry) || sum_[Entry - 1].Kind != gitBLOB ||
      !OpenPayload(Entry - 1, f, d))
    return false;
  uint8_t bytes[GdbMetaInfoSize];
  f.BlockRead(bytes, GdbMetaInfoSize);
  MetaInfo = geodb::DecodeMetaInfo(bytes);
  return true;
}

// ---------------------------------------------------------------------------
// Header, searches, updates

void TGeoDB::SetDescription(std::string_view Text) {
  if (base_.empty()) return;
  TgdbHeader h = header_;
  h.Description = Text.substr(0, 60);
  WriteHeader("SetDescription", h);
}

void TGeoDB::SetRevision(int32_t Value) {
  if (base_.empty()) return;
  TgdbHeader h = header_;
  h.Revision = Value;
  WriteHeader("SetRevision", h);
}

int32_t TGeoDB::SearchData(const TgdbName& Name, TgdbItem Kind, int32_t Start,
                           uint8_t ByteAttr) const {
  for (int32_t e = std::max(Start, 1); e <= NumEntries(); ++e) {
    const TgdbData& d = sum_[e - 1];
    if (d.Kind == Kind && d.ByteAttr == ByteAttr && (Name.Empty() || AnsiSameText(d.Name, Name)))
      return e;
  }
  return 0;
}

int32_t TGeoDB::SearchData(const TgdbName& Name) const {
  for (int32_t e = 1; e <= NumEntries(); ++e)
    if (AnsiSameText(sum_[e - 1].Name, Name)) return e;
  return 0;
}

bool TGeoDB::UpdateBasicData(int32_t Entry, const TgdbData& Data) {
  if (base_.empty() || !Entry1Valid(Entry)) return false;
  TgdbData d = sum_[Entry - 1];
  d.Name = Data.Name;
  d.FloatAttr = Data.FloatAttr;
  d.ByteAttr = Data.ByteAttr;
  d.IntAttrB = Data.IntAttrB;
  d.Date = Data.Date;
  d.IntAttrA = Data.IntAttrA;
  if (!IsPolygonKind(d.Kind)) {
    const std::array<float, 4> box{Data.LatLow, Data.LatHigh, Data.LongLow, Data.LongHigh};
    if (!std::all_of(box.begin(), box.end(), IsNumber))
      RaiseComponentError<ENUVGeoDBError>(*this, "UpdateBasicData: invalid coordinates.");
    d.LatLow = box[0], d.LatHigh = box[1], d.LongLow = box[2], d.LongHigh = box[3];
  }
  WriteSummary(Entry - 1, d);
  sum_[Entry - 1] = d;
  RemoveIndexEntries(Entry);
  InsertIntoIndex(Entry, d);
  SaveIndexesUnlessLazy();
  return true;
}

bool TGeoDB::UpdateMetaInfo(int32_t Entry, const TMetaInfo& MetaInfo) {
  BinaryFile probe;
  TgdbData d;
  if (base_.empty() || !Entry1Valid(Entry) || sum_[Entry - 1].Kind != gitBLOB ||
      !OpenPayload(Entry - 1, probe, d))
    return false;
  probe.Close();
  BinaryFile f;
  OpenDataFile("UpdateMetaInfo", f, true);
  uint8_t bytes[GdbMetaInfoSize];
  geodb::EncodeMetaInfo(MetaInfo, bytes);
  f.Seek(d.DataPos);
  f.BlockWrite(bytes, GdbMetaInfoSize);
  return true;
}

// ---------------------------------------------------------------------------
// Maintenance

int64_t TGeoDB::GarbageCollection() {
  if (base_.empty()) return -1;
  Progress(0);
  BinaryFile in;
  OpenDataFile("GarbageCollection", in, false);
  const int64_t oldSize = in.FileSize();
  const std::string dataTemp = FileOf(kDataFile) + ".tmp";
  const std::string sumTemp = FileOf(kSummaryFile) + ".tmp";
  std::vector<TgdbData> sum = sum_;
  int64_t newSize = GdbHeaderSize;
  try {
    BinaryFile out(dataTemp, 1);
    out.Rewrite();
    uint8_t h[GdbHeaderSize];
    geodb::EncodeHeader(header_, h);
    out.BlockWrite(h, GdbHeaderSize);
    std::vector<uint8_t> block(kBlock);
    for (std::size_t e = 0; e < sum.size(); ++e) {
      TgdbData& d = sum[e];
      const int64_t bytes = PayloadBytes(d);
      const bool hasPayload = IsPolygonKind(d.Kind) || d.Kind == gitBLOB;
      const bool inside =
          hasPayload && bytes >= 0 && d.DataPos >= GdbHeaderSize && d.DataPos + bytes <= oldSize;
      if (!inside) {
        // A payload that cannot be read does not survive, and the record says so.
        if (d.DataPos >= 0) {
          d.DataPos = -1;
          d.Size = 0;
        }
        continue;
      }
      in.Seek(d.DataPos);
      d.DataPos = static_cast<int32_t>(newSize);
      for (int64_t done = 0; done < bytes;) {
        const int32_t n = static_cast<int32_t>(std::min<int64_t>(kBlock, bytes - done));
        in.BlockRead(block.data(), n);
        out.BlockWrite(block.data(), n);
        done += n;
      }
      newSize += bytes;
      ProgressOf(static_cast<int64_t>(e + 1), static_cast<int64_t>(sum.size()));
    }
    out.Close();
    std::vector<uint8_t> records(sum.size() * GdbDataSize);
    for (std::size_t e = 0; e < sum.size(); ++e)
      geodb::EncodeData(sum[e], records.data() + e * GdbDataSize);
    BinaryFile s(sumTemp, 1);
    s.Rewrite();
    s.BlockWrite(records.data(), static_cast<int32_t>(records.size()));
  } catch (...) {
    DeleteFile(dataTemp);
    DeleteFile(sumTemp);
    throw;
  }
  in.Close();
  geodb::ReplaceFile(dataTemp, FileOf(kDataFile));
  geodb::ReplaceFile(sumTemp, FileOf(kSummaryFile));
  sum_ = std::move(sum);
  Progress(100);
  return oldSize - newSize;
}

namespace {

std::string Num(double v) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string KindName(TgdbItem k) {
  return k <= gitUndefined ? std::string(GDB_ITEMNAMES[k]) : "kind " + std::to_string(k);
}

}  // namespace

void TGeoDB::ExportDataDebug(const std::string& FileName) const {
  std::string out;
  const auto line = [&](const std::string& s) { out += s + "\r\n"; };
  line("Database: " + base_);
  line("Version: " + std::to_string(header_.DBVersion) + "  LastItemID: " +
       std::to_string(header_.LastItemID) + "  Revision: " + std::to_string(header_.Revision));
  line("Description: " + header_.Description.Str());
  line("Entries: " + std::to_string(NumEntries()));
  line(
      "Entry; ItemID; Name; Kind; DataPos; Size; Closed; LatLow; LatHigh; LongLow; LongHigh; Date; "
      "IntAttrA; "
      "IntAttrB; FloatAttr; ByteAttr");
  for (int32_t e = 0; e < NumEntries(); ++e) {
    const TgdbData& d = sum_[e];
    line(std::to_string(e + 1) + "; " + std::to_string(d.ItemID) + "; " + d.Name.Str() + "; " +
         KindName(d.Kind) + "; " + std::to_string(d.DataPos) + "; " + std::to_string(d.Size) +
         "; " + (d.Closed ? "1" : "0") + "; " + Num(d.LatLow) + "; " + Num(d.LatHigh) + "; " +
         Num(d.LongLow) + "; " + Num(d.LongHigh) + "; " + Num(d.Date) + "; " +
         std::to_string(d.IntAttrA) + "; " + std::to_string(d.IntAttrB) + "; " + Num(d.FloatAttr) +
         "; " + std::to_string(d.ByteAttr));
  }
  static constexpr std::array<std::string_view, 5> kIndexNames{"ItemID", "LatLow", "LatHigh",
                                                               "LongLow", "LongHigh"};
  for (int32_t i = 0; i < 5; ++i) {
    line("Index " + std::string(kIndexNames[i]) + " (key; entry):");
    for (int32_t k = 0; k < NumEntries(); ++k)
      line(i == 0
               ? std::to_string(ix_id_[k].ItemID) + "; " + std::to_string(ix_id_[k].Entry + 1)
               : Num(ix_ll_[i - 1][k].Value) + "; " + std::to_string(ix_ll_[i - 1][k].Entry + 1));
  }
  geodb::WriteFileReplacing(FileName, reinterpret_cast<const uint8_t*>(out.data()), out.size());
}

}  // namespace nuv

namespace nuv::units {

void Nuv_geodb_Init() {}
void Nuv_geodb_Finalize() {}

}  // namespace nuv::units
