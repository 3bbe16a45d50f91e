// The entry store of sparse integer matrices.
#include <algorithm>
#include <bit>
#include <new>

#include "Nuv_matrix_int_parts.h"

namespace nuv::matrix {

namespace {

// Recent inserts wait until they are an eighth of the sorted part (at
// least this many), so that merging costs a constant per insert.
constexpr std::size_t kMinRecent = 256;
// Sorted parts up to this size are searched directly.
constexpr std::size_t kDirectSearch = 32;
// Buckets holding up to this many entries are scanned, larger ones
// searched by bisection.
constexpr int32_t kScan = 8;
// A new store reserves room for at most this many entries, whatever the
// step asks for; the array grows geometrically beyond.
constexpr int32_t kMaxReserve = 1 << 16;

std::size_t SlotOf(uint64_t key, std::size_t mask) {
  return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & mask;
}

const TIntMatEntry* Bisect(const TIntMatEntry* first, const TIntMatEntry* last, uint64_t key) {
  const TIntMatEntry* it = std::lower_bound(
      first, last, key, [](const TIntMatEntry& e, uint64_t k) { return KeyOf(e) < k; });
  return it != last && KeyOf(*it) == key ? it : nullptr;
}

}  // namespace

TIntSparse::TIntSparse(int32_t allocStep) : step_(std::max(allocStep, 1)), capacity_(step_) {
  entries_.reserve(static_cast<std::size_t>(std::min(step_, kMaxReserve)));
}

std::span<const TIntMatEntry> TIntSparse::Entries() const {
  Merge();
  return entries_;
}

std::span<TIntMatEntry> TIntSparse::Values() {
  Merge();
  return entries_;
}

void TIntSparse::Merge() const {
  if (sorted_ == entries_.size()) return;
  const auto middle = entries_.begin() + static_cast<std::ptrdiff_t>(sorted_);
  std::sort(middle, entries_.end(), KeyLess);
  std::inplace_merge(entries_.begin(), middle, entries_.end(), KeyLess);
  sorted_ = entries_.size();
  std::fill(hash_.begin(), hash_.end(), -1);
  dir_.clear();
}

void TIntSparse::Restructured() const {
  sorted_ = entries_.size();
  std::fill(hash_.begin(), hash_.end(), -1);
  dir_.clear();
}

void TIntSparse::Assign(std::vector<TIntMatEntry> sorted) {
  entries_ = std::move(sorted);
  Restructured();
  box_ = ExactBox();
  const int64_t steps = (static_cast<int64_t>(entries_.size()) + step_ - 1) / step_;
  capacity_ = static_cast<int32_t>(std::clamp<int64_t>(steps * step_, step_, kIntMax));
}

TIntMatBox TIntSparse::ExactBox() const {
  if (entries_.empty()) return kEmptyBox;
  TIntMatBox box{kIntMax, 1, kIntMax, 1};
  for (const TIntMatEntry& e : entries_) {
    box.MinCol = std::min(box.MinCol, e.Col);
    box.MaxCol = std::max(box.MaxCol, e.Col);
    box.MinRow = std::min(box.MinRow, e.Row);
    box.MaxRow = std::max(box.MaxRow, e.Row);
  }
  return box;
}

void TIntSparse::Clear() {
  std::vector<TIntMatEntry> fresh;
  fresh.reserve(static_cast<std::size_t>(std::min(step_, kMaxReserve)));
  entries_.swap(fresh);
  hash_.clear();
  Restructured();
  capacity_ = step_;
  box_ = kEmptyBox;
}

void TIntSparse::BuildDirectory() const {
  const auto m = static_cast<int64_t>(sorted_);
  int32_t minRow = kIntMax, maxRow = 1;
  for (std::size_t i = 0; i < sorted_; ++i) {
    minRow = std::min(minRow, entries_[i].Row);
    maxRow = std::max(maxRow, entries_[i].Row);
  }
  dirBox_ = {entries_.front().Col, entries_[sorted_ - 1].Col, minRow, maxRow};
  dirHeight_ = int64_t{maxRow} - minRow + 1;
  // About four entries a bucket; offsets in the box stay below 2^62.
  const auto buckets = std::bit_ceil(static_cast<uint64_t>(std::max<int64_t>(m / 4, 1)));
  const auto extent = static_cast<uint64_t>(int64_t{dirBox_.MaxCol} - dirBox_.MinCol + 1) *
                      static_cast<uint64_t>(dirHeight_);
  dirShift_ = std::max(0, static_cast<int>(std::bit_width(extent - 1)) - std::countr_zero(buckets));
  dir_.assign(buckets + 1, static_cast<int32_t>(m));
  uint64_t next = 0;
  for (int64_t i = 0; i < m; ++i) {
    const TIntMatEntry& e = entries_[i];
    const uint64_t bucket = (static_cast<uint64_t>(e.Col - dirBox_.MinCol) * dirHeight_ +
                             static_cast<uint64_t>(e.Row - dirBox_.MinRow)) >>
                            dirShift_;
    while (next <= bucket) dir_[next++] = static_cast<int32_t>(i);
  }
}

int64_t TIntSparse::FindSorted(uint64_t key, int32_t col, int32_t row) const {
  if (sorted_ == 0) return -1;
  const TIntMatEntry* base = entries_.data();
  const TIntMatEntry* end = base + sorted_;
  auto position = [base](const TIntMatEntry* e) { return e == nullptr ? -1 : e - base; };
  if (sorted_ <= kDirectSearch) return position(Bisect(base, end, key));
  if (dir_.empty()) {
    try {
      BuildDirectory();
    } catch (const std::bad_alloc&) {
      return position(Bisect(base, end, key));
    }
  }
  if (col < dirBox_.MinCol || col > dirBox_.MaxCol || row < dirBox_.MinRow || row > dirBox_.MaxRow)
    return -1;
  const uint64_t bucket = (static_cast<uint64_t>(col - dirBox_.MinCol) * dirHeight_ +
                           static_cast<uint64_t>(row - dirBox_.MinRow)) >>
                          dirShift_;
  const int32_t lo = dir_[bucket], hi = dir_[bucket + 1];
  if (hi - lo > kScan) return position(Bisect(base + lo, base + hi, key));
  for (int32_t i = lo; i < hi; ++i)
    if (base[i].Col == col && base[i].Row == row) return i;
  return -1;
}

int64_t TIntSparse::FindRecent(uint64_t key) const {
  if (sorted_ == entries_.size()) return -1;
  const std::size_t mask = hash_.size() - 1;
  for (std::size_t s = SlotOf(key, mask);; s = (s + 1) & mask) {
    const int32_t p = hash_[s];
    if (p < 0) return -1;
    if (KeyOf(entries_[static_cast<std::size_t>(p)]) == key) return p;
  }
}

void TIntSparse::AddToHash(int64_t position) const {
  const std::size_t mask = hash_.size() - 1;
  std::size_t s = SlotOf(KeyOf(entries_[static_cast<std::size_t>(position)]), mask);
  while (hash_[s] >= 0) s = (s + 1) & mask;
  hash_[s] = static_cast<int32_t>(position);
}

void TIntSparse::Rehash(std::size_t slots) const {
  hash_.assign(slots, -1);
  for (std::size_t p = sorted_; p < entries_.size(); ++p) AddToHash(static_cast<int64_t>(p));
}

int64_t TIntSparse::Position(int32_t col, int32_t row) const {
  const uint64_t key = KeyOf(col, row);
  const int64_t p = FindSorted(key, col, row);
  return p >= 0 ? p : FindRecent(key);
}

const int32_t* TIntSparse::Find(int32_t col, int32_t row) const {
  const int64_t p = Position(col, row);
  return p < 0 ? nullptr : &entries_[static_cast<std::size_t>(p)].Value;
}

bool TIntSparse::Set(int32_t col, int32_t row, int32_t v) {
  if (const int64_t p = Position(col, row); p >= 0) {
    entries_[static_cast<std::size_t>(p)].Value = v;
    return false;
  }
  if (entries_.size() >= static_cast<std::size_t>(kIntMax)) throw std::bad_alloc();
  const std::size_t recent = entries_.size() + 1 - sorted_;
  if (2 * recent > hash_.size()) Rehash(std::bit_ceil(std::max<std::size_t>(4 * recent, 64)));
  entries_.push_back({col, row, v});
  AddToHash(static_cast<int64_t>(entries_.size() - 1));
  // The capacity the list would have if it grew by the step when full.
  if (Count() > capacity_)
    capacity_ = static_cast<int32_t>(std::min<int64_t>(int64_t{capacity_} + step_, kIntMax));
  box_.MinCol = std::min(box_.MinCol, col);
  box_.MaxCol = std::max(box_.MaxCol, col);
  box_.MinRow = std::min(box_.MinRow, row);
  box_.MaxRow = std::max(box_.MaxRow, row);
  if (recent >= std::max(kMinRecent, sorted_ / 8)) Merge();
  return true;
}

}  // namespace nuv::matrix
