#include "nuv/Nuv_cpuid.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>

#include "Nuv_cpuid_internal.h"
#include "corelib_units.h"
#include "nuv/platform/SysServices.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define NUV_HAVE_CPUID 1
#endif

namespace nuv {

namespace {

constexpr const char* kNoCpuid = "Cannot acquire CPU information (CPUID not supported)";
constexpr const char* kBadLeaf = "CPUID: execution level not supported";
constexpr uint32_t kExtendedBase = 0x80000000u;

std::atomic<uint32_t> g_currentLeaf{0};

TCPUIDRegisters RawLeaf([[maybe_unused]] uint32_t leaf) {
  TCPUIDRegisters r;
#ifdef NUV_HAVE_CPUID
  __cpuid_count(leaf, 0, r.EAX, r.EBX, r.ECX, r.EDX);
#endif
  return r;
}

bool IdFlagToggles() {
#ifdef NUV_HAVE_CPUID
  constexpr auto kIdFlag = decltype(__readeflags()){1} << 21;
  const auto flags = __readeflags();
  __writeeflags(flags ^ kIdFlag);
  const auto toggled = __readeflags();
  __writeeflags(flags);
  return ((flags ^ toggled) & kIdFlag) != 0;
#else
  return false;
#endif
}

struct TMaxLeaves {
  uint32_t Standard, Extended;
};

// The highest leaves cannot change while the process runs, and reading
// them costs a CPUID each (a trap to the hypervisor in a virtual machine).
const TMaxLeaves& MaxLeaves() {
  static const TMaxLeaves max{RawLeaf(0).EAX, RawLeaf(kExtendedBase).EAX};
  return max;
}

// Four characters, least significant byte first.
void AppendRegister(std::string& s, uint32_t r) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>(r >> (8 * i));
}

int32_t SignatureBits(int first, int count) {
  return static_cast<int32_t>((CPU_Signature() >> first) & ((1u << count) - 1));
}

// Raises the priorities as far as the platform allows and restores those
// it changed.
class TPriorityBoost {
 public:
  TPriorityBoost()
      : class_(GetPriorityClass()),
        thread_(GetThreadPriority()),
        classSet_(SetPriorityClass(REALTIME_PRIORITY_CLASS)),
        threadSet_(SetThreadPriority(THREAD_PRIORITY_TIME_CRITICAL)) {}
  ~TPriorityBoost() {
    if (threadSet_) SetThreadPriority(thread_);
    if (classSet_) SetPriorityClass(class_);
  }
  TPriorityBoost(const TPriorityBoost&) = delete;
  TPriorityBoost& operator=(const TPriorityBoost&) = delete;

 private:
  uint32_t class_;
  int32_t thread_;
  bool classSet_, threadSet_;
};

}  // namespace

namespace detail {

namespace {

// An edge of the tick counter: the ticks it moved on by and the cycle
// count at that moment, known to within the cycles of one read.
struct TTickEdge {
  uint32_t Step;
  uint64_t Cycles;
  bool Sharp;
};

// Reads the tick counter between two cycle counts, so that an edge is
// placed between the last read that saw the old tick and the first that
// saw the new one. When the thread was interrupted there, the window is
// wide and the edge is not sharp.
class TTickWatch {
 public:
  explicit TTickWatch(const TClockSources& sources) : sources_(sources) { Read(); }

  TTickEdge NextEdge() {
    for (;;) {
      const uint32_t lastTick = tick_;
      const uint64_t lastBefore = before_;
      Read();
      const uint64_t window = after_ - lastBefore;
      if (tick_ != lastTick)
        return {static_cast<uint32_t>(tick_ - lastTick), lastBefore + window / 2,
                window / kSharpFactor <= narrowest_};
      narrowest_ = std::min(narrowest_, window);
    }
  }

 private:
  // A window this many times the narrowest seen holds an interruption.
  static constexpr uint64_t kSharpFactor = 4;

  void Read() {
    before_ = sources_.Cycles();
    tick_ = sources_.Ticks();
    after_ = sources_.Cycles();
  }

  const TClockSources& sources_;
  uint32_t tick_ = 0;
  uint64_t before_ = 0, after_ = 0;
  uint64_t narrowest_ = std::numeric_limits<uint64_t>::max();
};

// Edges tried before an unsharp one is taken as it is.
constexpr int kEdgeTries = 8;

}  // namespace

float MeasureClock(uint32_t Interval, const TClockSources& Sources) {
  if (Interval == 0) return std::numeric_limits<float>::infinity();
  TTickWatch watch(Sources);
  TTickEdge start = watch.NextEdge();
  for (int i = 1; i < kEdgeTries && !start.Sharp; ++i) start = watch.NextEdge();
  // Counting the steps keeps the wait right across the counter's wrap.
  uint64_t elapsed = 0;
  TTickEdge end{};
  while (elapsed < Interval) {
    end = watch.NextEdge();
    elapsed += end.Step;
  }
  for (int i = 1; i < kEdgeTries && !end.Sharp; ++i) {
    end = watch.NextEdge();
    elapsed += end.Step;
  }
  return static_cast<float>(static_cast<double>(end.Cycles - start.Cycles) /
                            (1000.0 * static_cast<double>(elapsed)));
}

std::string VendorFromRegisters(const TCPUIDRegisters& Leaf0) {
  std::string s;
  for (const uint32_t r : {Leaf0.EBX, Leaf0.EDX, Leaf0.ECX}) AppendRegister(s, r);
  s.resize(::strnlen(s.data(), s.size()));
  return s.size() < 12 ? "Unknown" : s;
}

std::string MarketNameFromRegisters(const std::array<TCPUIDRegisters, 3>& Leaves) {
  std::string s;
  for (const TCPUIDRegisters& l : Leaves)
    for (const uint32_t r : {l.EAX, l.EBX, l.ECX, l.EDX}) AppendRegister(s, r);
  const auto low = [](char c, uint8_t limit) { return static_cast<uint8_t>(c) <= limit; };
  std::size_t first = 0, last = s.size();
  while (first < last && low(s[first], 32)) ++first;
  while (last > first && low(s[last - 1], 32)) --last;
  s = s.substr(first, last - first);
  if (s.empty() || std::any_of(s.begin(), s.end(), [&](char c) { return low(c, 31); })) return "unknown";
  return s;
}

}  // namespace detail

bool CPU_IDSupport() {
  static const bool supported = IdFlagToggles();
  return supported;
}

TCPUIDRegisters CPU_ExecuteLeaf(uint32_t Leaf) {
  if (!CPU_IDSupport()) throw ENUVCpuIdError(kNoCpuid);
  const TMaxLeaves& max = MaxLeaves();
  if (Leaf > (Leaf < kExtendedBase ? max.Standard : max.Extended)) throw ENUVCpuIdError(kBadLeaf);
  g_currentLeaf.store(Leaf, std::memory_order_relaxed);
  return RawLeaf(Leaf);
}

uint32_t CPU_CurrentLeaf() { return g_currentLeaf.load(std::memory_order_relaxed); }

int32_t CPU_Count() { return ProcessorCount(); }

std::string CPU_VendorString() { return detail::VendorFromRegisters(CPU_ExecuteLeaf(0)); }

uint32_t CPU_Signature() { return CPU_ExecuteLeaf(1).EAX; }

uint32_t CPU_FeatureSet() { return CPU_ExecuteLeaf(1).EDX; }

int32_t CPU_ExtendedFeatureSet() {
  return static_cast<int32_t>(CPU_ExecuteLeaf(kExtendedBase + 1).EDX);
}

int32_t CPU_BrandID() { return static_cast<int32_t>(CPU_ExecuteLeaf(1).EBX & 0xFF); }

int32_t CPU_Type() { return SignatureBits(12, 2); }
bool CPU_OverDrive() { return CPU_Type() == 1; }
int32_t CPU_Family() { return SignatureBits(8, 4); }
int32_t CPU_ExFamily() { return SignatureBits(20, 8); }
int32_t CPU_Model() { return SignatureBits(4, 4); }
int32_t CPU_ExModel() { return SignatureBits(16, 4); }
int32_t CPU_Stepping() { return SignatureBits(0, 4); }

bool CPU_FDIVBugPresent() {
  // volatile keeps the compiler from folding the test away.
  volatile long double x = 4195835.0L;
  volatile long double y = 3145727.0L;
  const long double r = x - (x / y) * y;
  return r != 0;
}

std::string CPU_SerialNumber() {
  const TCPUIDRegisters leaf1 = CPU_ExecuteLeaf(1);
  return IntToHex(leaf1.EAX, 8) + IntToHex(leaf1.EDX, 8) + IntToHex(leaf1.ECX, 8);
}

std::string CPU_MarketName() {
  return detail::MarketNameFromRegisters({CPU_ExecuteLeaf(kExtendedBase + 2),
                                          CPU_ExecuteLeaf(kExtendedBase + 3),
                                          CPU_ExecuteLeaf(kExtendedBase + 4)});
}

float CPU_Speed(uint32_t Interval) {
#ifdef NUV_HAVE_CPUID
  const TPriorityBoost boost;
  return detail::MeasureClock(Interval, {GetTickCount, [] { return static_cast<uint64_t>(__rdtsc()); }});
#else
  throw ENUVCpuIdError(kNoCpuid);
#endif
}

namespace units {

void Nuv_cpuid_Init() {}
void Nuv_cpuid_Finalize() {}

}  // namespace units

}  // namespace nuv
