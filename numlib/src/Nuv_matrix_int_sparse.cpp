// The entry store of sparse integer matrices.
#include <algorithm>
#include <bit>
#include <new>

#include "Nuv_matrix_int_parts.h"

namespace nuv::matrix {

namespace {

// Recent inserts wait until they are a quarter of the sorted part (at
// least this many), so that merging costs a constant per insert.
constexpr std::size_t kMinRecent = 256;
// Sorted parts up to this size are searched directly.
constexpr std::size_t kDirectSearch = 32;
// A new store reserves room for at most this many entries, whatever the
// step asks for; the array grows geometrically beyond.
constexpr int32_t kMaxReserve = 1 << 16;

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
  recentLookups_ = 0;
  dir_.clear();
}

void TIntSparse::Restructured() const {
  sorted_ = entries_.size();
  std::fill(hash_.begin(), hash_.end(), -1);
  recentLookups_ = 0;
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

int64_t TIntSparse::SearchSorted(uint64_t key, int32_t col, int32_t row) const {
  const TIntMatEntry* base = entries_.data();
  const TIntMatEntry* end = base + sorted_;
  auto position = [base](const TIntMatEntry* e) { return e == nullptr ? -1 : e - base; };
  if (sorted_ <= kDirectSearch) return position(Bisect(base, end, key));
  try {
    BuildDirectory();
  } catch (const std::bad_alloc&) {
    return position(Bisect(base, end, key));
  }
  return FindSorted(key, col, row);
}

int64_t TIntSparse::SearchBucket(int32_t lo, int32_t hi, uint64_t key) const {
  const TIntMatEntry* found = Bisect(entries_.data() + lo, entries_.data() + hi, key);
  return found == nullptr ? -1 : found - entries_.data();
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

const int32_t* TIntSparse::FindRecentSlow(uint64_t key) const {
  // Lookups that keep reaching the recent inserts pay for merging them.
  if (++recentLookups_ >= entries_.size() / 4) {
    Merge();
    const int64_t p = FindSorted(key, static_cast<int32_t>(key >> 32), static_cast<int32_t>(key));
    return p < 0 ? nullptr : &entries_[static_cast<std::size_t>(p)].Value;
  }
  const int64_t p = FindRecent(key);
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
  recentLookups_ = 0;
  // The capacity the list would have if it grew by the step when full.
  if (Count() > capacity_)
    capacity_ = static_cast<int32_t>(std::min<int64_t>(int64_t{capacity_} + step_, kIntMax));
  box_.MinCol = std::min(box_.MinCol, col);
  box_.MaxCol = std::max(box_.MaxCol, col);
  box_.MinRow = std::min(box_.MinRow, row);
  box_.MaxRow = std::max(box_.MaxRow, row);
  if (recent >= std::max(kMinRecent, sorted_ / 4)) Merge();
  return true;
}

}  // namespace nuv::matrix
