// What the source parts of Nuv_datatable share (not installed).
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "nuv/Nuv_datatable.h"

namespace nuv {

// Suspends the given events (and the matrix's change link) for its
// lifetime; nested pauses restore what was suspended before them.
class TDataTable::TPause {
 public:
  TPause(TDataTable& table, uint8_t events)
      : table_(table), events_(table.paused_), link_(table.link_paused_) {
    table.paused_ |= events;
    table.link_paused_ = true;
  }
  ~TPause() {
    table_.paused_ = events_;
    table_.link_paused_ = link_;
  }
  TPause(const TPause&) = delete;
  TPause& operator=(const TPause&) = delete;

 private:
  TDataTable& table_;
  uint8_t events_;
  bool link_;
};

// The name of a row or column in 13 bytes: up to 12 characters (every
// fresh name "R-k" or "C-k" among them) in place, longer ones (at most the
// 50 of TDTNameStr) in a block of their own. A table of many rows so spends
// little beyond its cells on the names, and fresh names never allocate.
class TDataTable::TLineName {
 public:
  TLineName() = default;
  // Implicit, as TDTNameStr's are, so that a name is assigned as before;
  // longer texts are cut as TDTNameStr cuts them.
  TLineName(std::string_view s) { Take(TDTNameStr(s).View()); }        // NOLINT
  TLineName(const std::string& s) : TLineName(std::string_view(s)) {}  // NOLINT
  TLineName(const char* s) : TLineName(std::string_view(s)) {}         // NOLINT
  TLineName(const TDTNameStr& s) { Take(s.View()); }                   // NOLINT
  TLineName(const TLineName& other) { Take(other.View()); }
  TLineName(TLineName&& other) noexcept { Steal(other); }
  TLineName& operator=(const TLineName& other) {
    if (this != &other) *this = TLineName(other);
    return *this;
  }
  TLineName& operator=(TLineName&& other) noexcept {
    if (this != &other) {
      Release();
      Steal(other);
    }
    return *this;
  }
  ~TLineName() { Release(); }

  std::string_view View() const {
    return {OnHeap() ? HeapBlock() : reinterpret_cast<const char*>(bytes_ + 1), bytes_[0]};
  }
  operator std::string_view() const { return View(); }  // NOLINT

 private:
  static constexpr std::size_t kInPlace = 12;

  bool OnHeap() const { return bytes_[0] > kInPlace; }
  char* HeapBlock() const {
    char* p;
    std::memcpy(&p, bytes_ + 1, sizeof p);
    return p;
  }
  // Into an empty name.
  void Take(std::string_view s) {
    char* dest = reinterpret_cast<char*>(bytes_ + 1);
    if (s.size() > kInPlace) {
      dest = new char[s.size()];
      std::memcpy(bytes_ + 1, &dest, sizeof dest);
    }
    std::memcpy(dest, s.data(), s.size());
    bytes_[0] = static_cast<uint8_t>(s.size());
  }
  void Steal(TLineName& other) {
    std::memcpy(bytes_, other.bytes_, sizeof bytes_);
    other.bytes_[0] = 0;
  }
  void Release() {
    if (OnHeap()) delete[] HeapBlock();
    bytes_[0] = 0;
  }

  uint8_t bytes_[1 + kInPlace] = {};  // length, then the characters or the block's address
};

namespace datatable {

inline bool IsNumberState(uint8_t state) { return (state & (cellNotANumber | cellEmpty)) == 0; }

// Mask bits that select marked cells: the marks and bits 4..32.
inline constexpr uint8_t kMarkBits = 252;

}  // namespace datatable

template <class Filter, class Visit>
void TDataTable::ForEachCell(const TRange& r, Filter&& pass, Visit&& visit) const {
  for (int32_t c = r.LoCol; c <= r.HiCol; ++c) {
    const double* values = data_->Column(c);
    const uint8_t* states = StatesOf(c);
    for (int32_t row = r.LoRow - 1; row < r.HiRow; ++row)
      if (pass(c, states[row])) visit(c, values[row], states[row]);
  }
}

}  // namespace nuv
