// What the source parts of Nuv_datatable share (not installed).
#pragma once

#include <cstdint>

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
