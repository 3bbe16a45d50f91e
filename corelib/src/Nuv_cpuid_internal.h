// Parts of the processor information unit that tests reach directly: the
// clock measurement with substitutable counters and the texts made of
// register values.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "nuv/Nuv_cpuid.h"

namespace nuv::detail {

// The millisecond tick counter and the cycle counter CPU_Speed reads.
struct TClockSources {
  uint32_t (*Ticks)();
  uint64_t (*Cycles)();
};

// Cycles per microsecond from one tick edge to the edge Interval ticks
// later; the wait survives the tick counter's wrap. Each edge is placed
// between the cycle counts around the reads that saw it; where the thread
// was interrupted there, the measurement starts or ends at one of the next
// few edges instead and divides by the ticks actually elapsed. +infinity
// for Interval 0, without waiting.
float MeasureClock(uint32_t Interval, const TClockSources& Sources);

// CPU_VendorString of leaf 0's registers.
std::string VendorFromRegisters(const TCPUIDRegisters& Leaf0);
// CPU_MarketName of the registers of leaves 0x80000002..0x80000004.
std::string MarketNameFromRegisters(const std::array<TCPUIDRegisters, 3>& Leaves);

}  // namespace nuv::detail
