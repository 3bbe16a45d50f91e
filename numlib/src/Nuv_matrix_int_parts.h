// Shared by the source parts of TIntMatrix (not installed): the sparse
// entry store, the window walk and the integer product kernels.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <span>
#include <stdexcept>
#include <vector>

#include "nuv/Nuv_matrix.h"

namespace nuv::matrix {

// Runs f, turning an allocation failure into the component's error.
template <class F>
auto WithHeap(const TComponent& m, F&& f) {
  try {
    return f();
  } catch (const std::bad_alloc&) {
    RaiseComponentError<ENUVMatrixError>(m, "not enough memory on heap");
  } catch (const std::length_error&) {
    RaiseComponentError<ENUVMatrixError>(m, "not enough memory on heap");
  }
}

inline constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();
inline constexpr TIntMatBox kEmptyBox{kIntMax, 1, kIntMax, 1};

// Column first, then row: the order of the entries.
inline uint64_t KeyOf(int32_t col, int32_t row) {
  return (uint64_t{static_cast<uint32_t>(col)} << 32) | static_cast<uint32_t>(row);
}
inline uint64_t KeyOf(const TIntMatEntry& e) { return KeyOf(e.Col, e.Row); }
// An object rather than a function, so that sorting inlines it.
inline constexpr auto KeyLess = [](const TIntMatEntry& a, const TIntMatEntry& b) {
  return KeyOf(a) < KeyOf(b);
};

// Arithmetic modulo 2^32.
inline int32_t WrapAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t WrapMul(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

// The entries of a sparse TIntMatrix: one contiguous array of triples, its
// first part sorted by (column, row), then the entries inserted since the
// last merge in arrival order, found through a hash table; keys are never
// duplicated. The sorted part is searched through a directory of buckets
// over its bounding box, rebuilt when the part has changed. Allocation
// failures propagate as std::bad_alloc or std::length_error.
class TIntSparse {
 public:
  explicit TIntSparse(int32_t allocStep);

  int32_t AllocStep() const { return step_; }
  int32_t Capacity() const { return capacity_; }
  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
  // Sorted; merges the recent inserts first.
  std::span<const TIntMatEntry> Entries() const;
  // Sorted; the values may be changed, the positions not.
  std::span<TIntMatEntry> Values();
  TIntMatBox& Box() { return box_; }
  const TIntMatBox& Box() const { return box_; }
  bool InBox(int32_t col, int32_t row) const {
    return col >= box_.MinCol && col <= box_.MaxCol && row >= box_.MinRow && row <= box_.MaxRow;
  }

  // The stored value or nullptr.
  const int32_t* Find(int32_t col, int32_t row) const {
    const uint64_t key = KeyOf(col, row);
    if (const int64_t p = FindSorted(key, col, row); p >= 0) return &entries_[p].Value;
    return sorted_ == entries_.size() ? nullptr : FindRecentSlow(key);
  }
  // Overwrites (false) or inserts (true; col, row >= 1), widening the box.
  bool Set(int32_t col, int32_t row, int32_t v);
  // Removes every entry; capacity back to the step, box reset.
  void Clear();
  // Removes the entries for which drop(entry) holds, keeping the order.
  template <class Drop>
  void RemoveIf(Drop&& drop) {
    Merge();
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(), drop), entries_.end());
    Restructured();
  }
  // Applies move(entry) to every entry (a one-to-one change of positions)
  // and sorts again; the box is the caller's to set.
  template <class Move>
  void MoveAll(Move&& move) {
    Merge();
    for (TIntMatEntry& e : entries_) move(e);
    std::sort(entries_.begin(), entries_.end(), KeyLess);
    Restructured();
  }
  // Replaces the entries by sorted ones without duplicates; the box
  // becomes theirs.
  void Assign(std::vector<TIntMatEntry> sorted);
  // The box of the stored entries (the empty box when there are none).
  TIntMatBox ExactBox() const;

 private:
  // Sorts the recent inserts into the sorted part.
  void Merge() const;
  void Restructured() const;
  // Index of the entry at (col, row) in the array, -1 when none.
  int64_t Position(int32_t col, int32_t row) const {
    const uint64_t key = KeyOf(col, row);
    const int64_t p = FindSorted(key, col, row);
    return p >= 0 ? p : FindRecent(key);
  }
  // The sorted part through the directory (built when stale).
  int64_t FindSorted(uint64_t key, int32_t col, int32_t row) const {
    if (sorted_ == 0) return -1;
    if (dir_.empty()) return SearchSorted(key, col, row);
    if (col < dirBox_.MinCol || col > dirBox_.MaxCol || row < dirBox_.MinRow ||
        row > dirBox_.MaxRow)
      return -1;
    const uint64_t bucket = (static_cast<uint64_t>(col - dirBox_.MinCol) * dirHeight_ +
                             static_cast<uint64_t>(row - dirBox_.MinRow)) >>
                            dirShift_;
    const int32_t lo = dir_[bucket], hi = dir_[bucket + 1];
    // Small buckets are scanned, large ones bisected.
    if (hi - lo > 8) return SearchBucket(lo, hi, key);
    for (int32_t i = lo; i < hi; ++i)
      if (entries_[i].Col == col && entries_[i].Row == row) return i;
    return -1;
  }
  int64_t SearchSorted(uint64_t key, int32_t col, int32_t row) const;
  int64_t SearchBucket(int32_t lo, int32_t hi, uint64_t key) const;
  static std::size_t SlotOf(uint64_t key, std::size_t mask) {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & mask;
  }
  int64_t FindRecent(uint64_t key) const {
    if (sorted_ == entries_.size()) return -1;
    const std::size_t mask = hash_.size() - 1;
    for (std::size_t s = SlotOf(key, mask);; s = (s + 1) & mask) {
      const int32_t p = hash_[s];
      if (p < 0) return -1;
      if (KeyOf(entries_[static_cast<std::size_t>(p)]) == key) return p;
    }
  }
  const int32_t* FindRecentSlow(uint64_t key) const;
  void AddToHash(int64_t position) const;
  void Rehash(std::size_t slots) const;
  void BuildDirectory() const;

  mutable std::vector<TIntMatEntry> entries_;
  mutable std::size_t sorted_ = 0;
  // Positions of the recent inserts by key, -1 for a free slot.
  mutable std::vector<int32_t> hash_;
  // Lookups that reached the recent inserts since the last insert.
  mutable std::size_t recentLookups_ = 0;
  int32_t step_;
  int32_t capacity_;
  TIntMatBox box_ = kEmptyBox;
  // Directory of the sorted part: bucket b holds the entries
  // [dir_[b], dir_[b + 1]), b being the entry's offset in the part's box
  // (column-major) shifted right by dirShift_. Empty when stale.
  mutable std::vector<int32_t> dir_;
  mutable TIntMatBox dirBox_ = kEmptyBox;
  mutable int64_t dirHeight_ = 0;
  mutable int dirShift_ = 0;
};

// ---- products (Nuv_matrix_int_kernels.cpp), all modulo 2^32

// C += A·B for the m × n block C (column-major, column distance ldc) with
// A(i, p) = a[i·ars + p·acs] and B(p, j) = b[p + j·ldb] for p < k.
void IntGemmAcc(int64_t m, int64_t n, int64_t k, const int32_t* a, int64_t ars, int64_t acs,
                const int32_t* b, int64_t ldb, int32_t* c, int64_t ldc);

// For tests: true makes the kernels use the portable code even where AVX2
// is available; false returns to the best available.
void UsePortableIntKernels(bool portable);

// ---- the zero-run step of the fingerprint (Nuv_matrix_int_stats.cpp)

// The CRC-32 register (reflected, polynomial EDB88320) after n zero bytes,
// in O(log n).
uint32_t CRC32AfterZeros(uint32_t crc, uint64_t n);

// Calls f(entry) for the entries of sorted inside columns c0..c1 and rows
// r0..r1, in order; columns whose rows lie outside are skipped by
// bisection, so the cost follows the entries of the column range.
template <class T, class F>
void ForEachEntryIn(std::span<T> sorted, int32_t c0, int32_t r0, int32_t c1, int32_t r1, F&& f) {
  auto from = [&](auto first, int64_t col, int32_t row) {
    return std::lower_bound(first, sorted.end(), KeyOf(static_cast<int32_t>(col), row),
                            [](const TIntMatEntry& e, uint64_t k) { return KeyOf(e) < k; });
  };
  if (c0 > c1 || r0 > r1) return;
  for (auto it = from(sorted.begin(), c0, r0); it != sorted.end() && it->Col <= c1;) {
    if (it->Row < r0) {
      it = from(it, it->Col, r0);
    } else if (it->Row > r1) {
      if (it->Col == c1) return;
      it = from(it, int64_t{it->Col} + 1, r0);
    } else {
      f(*it);
      ++it;
    }
  }
}

}  // namespace nuv::matrix

namespace nuv {

template <class F>
void TIntMatrix::ForEachStored(const TWindow& w, F&& f) const {
  if (w.Cells == 0) return;
  if (sparse_) {
    matrix::ForEachEntryIn(sparse_->Entries(), w.C0, w.R0, w.C1, w.R1,
                           [&](const TIntMatEntry& e) { f(e.Col, e.Row, e.Value); });
    return;
  }
  for (int32_t c = w.C0; c <= w.C1; ++c) {
    const int32_t* col = At(c, 1);
    for (int32_t r = w.R0; r <= w.R1; ++r) f(c, r, col[r - 1]);
  }
}

}  // namespace nuv
