#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <set>
#include <limits>
#include <sstream>
#include <thread>
#include <vector>

#include "CpuInfoSources.h"
#include "ExpectThrow.h"
#include "Nuv_cpuid_internal.h"
#include "nuv/Nuv_cpuid.h"
#include "nuv/platform/SysServices.h"

namespace nuv {
namespace {

using testing::CpuidToolLeaves;
using testing::ExpectThrowMessage;
using testing::ProcCpuInfo;

constexpr const char* kBadLeaf = "CPUID: execution level not supported";

std::string Hex(uint32_t v) { return IntToHex(v, 8); }

// The registers as text of four characters each, least significant first.
uint32_t Chars(const char (&s)[5]) {
  return static_cast<uint8_t>(s[0]) | static_cast<uint8_t>(s[1]) << 8 |
         static_cast<uint8_t>(s[2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(s[3])) << 24;
}

// ---------------------------------------------------------------------------
// Texts of registers

TEST(CpuIdTexts, VendorFromRegisters) {
  const struct {
    const char* what;
    TCPUIDRegisters leaf0;
    std::string want;
  } cases[] = {
      {"Intel", {0, Chars("Genu"), Chars("ntel"), Chars("ineI")}, "GenuineIntel"},
      {"AMD", {0, Chars("Auth"), Chars("cAMD"), Chars("enti")}, "AuthenticAMD"},
      {"printable bytes above 127", {0, 0xE9E9E9E9, 0x41414141, 0x80808080}, "\xE9\xE9\xE9\xE9\x80\x80\x80\x80" "AAAA"},
      {"zero registers", {}, "Unknown"},
      {"NUL in the last register", {0, Chars("Genu"), Chars("nte\0"), Chars("ineI")}, "Unknown"},
  };
  for (const auto& c : cases) EXPECT_EQ(detail::VendorFromRegisters(c.leaf0), c.want) << c.what;
}

TEST(CpuIdTexts, MarketNameFromRegisters) {
  const auto leaves = [](const std::string& text) {
    std::string s = text;
    s.resize(48, '\0');
    std::array<TCPUIDRegisters, 3> l;
    for (int i = 0; i < 3; ++i) {
      uint32_t r[4];
      for (int k = 0; k < 4; ++k) std::memcpy(&r[k], s.data() + 16 * i + 4 * k, 4);
      l[i] = {r[0], r[1], r[2], r[3]};
    }
    return l;
  };
  const struct {
    const char* what;
    std::string text, want;
  } cases[] = {
      {"padded at both ends", "   Intel(R) Core(TM) i7 CPU   ", "Intel(R) Core(TM) i7 CPU"},
      {"tail of NUL", "AMD EPYC", "AMD EPYC"},
      {"all 48 characters", std::string(48, 'x'), std::string(48, 'x')},
      {"tabs and controls at the ends", "\t\x01 ab \x1F", "ab"},
      {"no brand string", "", "unknown"},
      {"only blanks", std::string(48, ' '), "unknown"},
      {"NUL inside", std::string("ab\0cd", 5), "unknown"},
      {"control inside", "ab\x1F" "cd", "unknown"},
      {"blank inside", "a b", "a b"},
  };
  for (const auto& c : cases) EXPECT_EQ(detail::MarketNameFromRegisters(leaves(c.text)), c.want) << c.what;
}

TEST(CpuIdTexts, FeatureNamesKeepTheirClassicTexts) {
  EXPECT_EQ(CPUFeatureNames.size(), 32u);
  EXPECT_EQ(CPUFeatureNames[cpuft_fpu], "Floating Point Unit");
  EXPECT_EQ(CPUFeatureNames[cpuft_sepamd], "Fast system calls (AMD only)");
  EXPECT_EQ(CPUFeatureNames[cpuft_reserved1], "reserved");
  // Bits 28 and 31 now mean other things; the texts stay.
  EXPECT_EQ(CPUFeatureNames[cpuft_reserved2], "reserved");
  EXPECT_EQ(CPUFeatureNames[cpuft_3dnow], "3DNow! instructions available");
  EXPECT_EQ(cpuft_3dnow, 31);
  for (const auto& n : CPUFeatureNames) EXPECT_FALSE(n.empty());
}

TEST(CpuIdTexts, DivisionTestPassesOnACorrectUnit) { EXPECT_FALSE(CPU_FDIVBugPresent()); }

// ---------------------------------------------------------------------------
// Clock measurement with substituted counters

// Virtual time in microseconds: each read of the tick counter (time / 1000)
// takes PerRead, and the read numbered StallAt is interrupted for Stall
// right after it sampled the tick. The cycle counter runs at 2500 MHz.
struct TFakeClock {
  static inline uint64_t Now = 0, PerRead = 0, Stall = 0, StallAt = 0, Reads = 0;
  static uint32_t Ticks() {
    const auto t = static_cast<uint32_t>(Now / 1000);
    Now += PerRead + (++Reads == StallAt ? Stall : 0);
    return t;
  }
  static uint64_t Cycles() { return Now * 2500; }
  static float Measure(uint32_t interval, uint64_t now, uint64_t perRead, uint64_t stallAt = 0,
                       uint64_t stall = 0) {
    Now = now;
    PerRead = perRead;
    StallAt = stallAt;
    Stall = stall;
    Reads = 0;
    return detail::MeasureClock(interval, {Ticks, Cycles});
  }
};

TEST(CpuSpeedWait, SurvivesTheTickCountersWrap) {
  constexpr uint64_t kWrap = uint64_t{1} << 32;
  const struct {
    const char* what;
    uint64_t startTick, ticksPerRead;
    uint32_t interval;
    uint64_t reads;
  } cases[] = {
      {"far from the wrap", 1000, 1, 100, 102},
      {"wrap during the wait", kWrap - 16, 1, 100, 102},
      {"wrap at the tick edge", kWrap - 1, 1, 50, 52},
      {"longest interval", 0, 0x11111111u, 0xFFFFFFFFu, 17},
  };
  for (const auto& c : cases) {
    const float mhz = TFakeClock::Measure(c.interval, c.startTick * 1000, c.ticksPerRead * 1000);
    EXPECT_FLOAT_EQ(mhz, 2500.0f) << c.what;
    EXPECT_EQ(TFakeClock::Reads, c.reads) << c.what;
  }
}

TEST(CpuSpeedWait, InterruptionsAtTheEdgesDoNotCount) {
  // Ten reads per tick, the first at 50 us; over 5 ticks the reads that see
  // the edges are numbers 11 and 61. A stall there would add 20 ms to 5.
  const struct {
    const char* what;
    uint64_t stallAt, stall;
  } cases[] = {
      {"no interruption", 0, 0},
      {"at the first edge", 11, 20'000},
      {"before the first edge", 10, 20'000},
      {"at the last edge", 61, 20'000},
      {"in between", 30, 20'000},
  };
  for (const auto& c : cases) {
    const float mhz = TFakeClock::Measure(5, 50, 100, c.stallAt, c.stall);
    EXPECT_NEAR(mhz, 2500.0f, 2500.0f * 0.005f) << c.what;
  }
}

TEST(CpuSpeedWait, ZeroIntervalIsInfiniteWithoutWaiting) {
  const float mhz = TFakeClock::Measure(0, 5000, 1000);
  EXPECT_TRUE(std::isinf(mhz) && mhz > 0);
  EXPECT_EQ(TFakeClock::Reads, 0u);
  EXPECT_TRUE(std::isinf(CPU_Speed(0)));
}

// ---------------------------------------------------------------------------
// The processor itself, against independent sources

TEST(CpuId, LeavesMatchTheCpuidTool) {
  const auto tool = CpuidToolLeaves();
  if (tool.empty()) GTEST_SKIP() << "the cpuid tool (Debian package cpuid) is not installed";
  ASSERT_TRUE(CPU_IDSupport());
  const uint32_t maxStd = tool.at(0).EAX, maxExt = tool.at(0x80000000u).EAX;
  for (const uint32_t leaf : {0u, 1u, 0x80000000u, 0x80000001u, 0x80000002u, 0x80000003u, 0x80000004u}) {
    if (!tool.count(leaf) || leaf > (leaf < 0x80000000u ? maxStd : maxExt)) continue;
    const auto& want = tool.at(leaf);
    const TCPUIDRegisters got = CPU_ExecuteLeaf(leaf);
    // Leaf 1 EBX carries the APIC id of the processor that ran it.
    const uint32_t ebxMask = leaf == 1 ? 0x00FFFFFFu : 0xFFFFFFFFu;
    EXPECT_EQ(Hex(got.EAX), Hex(want.EAX)) << "leaf " << Hex(leaf);
    EXPECT_EQ(Hex(got.EBX & ebxMask), Hex(want.EBX & ebxMask)) << "leaf " << Hex(leaf);
    EXPECT_EQ(Hex(got.ECX), Hex(want.ECX)) << "leaf " << Hex(leaf);
    EXPECT_EQ(Hex(got.EDX), Hex(want.EDX)) << "leaf " << Hex(leaf);
    EXPECT_EQ(CPU_CurrentLeaf(), leaf);
  }
  const auto& l1 = tool.at(1);
  EXPECT_EQ(Hex(CPU_Signature()), Hex(l1.EAX));
  EXPECT_EQ(Hex(CPU_FeatureSet()), Hex(l1.EDX));
  EXPECT_EQ(CPU_BrandID(), static_cast<int32_t>(l1.EBX & 0xFF));
  EXPECT_EQ(CPU_SerialNumber(), Hex(l1.EAX) + Hex(l1.EDX) + Hex(l1.ECX))
      << "leaf 1 registers, the same on every processor of the model";
  if (tool.count(0x80000001u)) {
    EXPECT_EQ(Hex(static_cast<uint32_t>(CPU_ExtendedFeatureSet())), Hex(tool.at(0x80000001u).EDX));
  }
}

TEST(CpuId, LeavesBeyondEitherMaximumRaise) {
  const uint32_t maxStd = CPU_ExecuteLeaf(0).EAX;
  const uint32_t maxExt = CPU_ExecuteLeaf(0x80000000u).EAX;
  EXPECT_NO_THROW(CPU_ExecuteLeaf(maxStd));
  EXPECT_NO_THROW(CPU_ExecuteLeaf(maxExt));
  const uint32_t executed = CPU_CurrentLeaf();
  // Signed, 0x80000000 and above would pass every standard limit.
  for (const uint32_t leaf : {maxStd + 1, 0x7FFFFFFFu, maxExt + 1, 0xFFFFFFFFu, 0xC0000000u}) {
    if (leaf <= maxExt && leaf >= 0x80000000u) continue;
    ExpectThrowMessage<ENUVCpuIdError>([leaf] { CPU_ExecuteLeaf(leaf); }, kBadLeaf, "leaf " + Hex(leaf));
    EXPECT_EQ(CPU_CurrentLeaf(), executed) << "a refused leaf is not executed";
  }
}

TEST(CpuId, SignatureFieldsMatchProcCpuinfo) {
  const auto info = ProcCpuInfo();
  if (!info.count("vendor_id")) GTEST_SKIP() << "/proc/cpuinfo has no x86 fields";
  EXPECT_EQ(CPU_VendorString(), info.at("vendor_id"));
  // The kernel adds the extended family to family 15 only, and the
  // extended model from family 6 on.
  const int32_t family = CPU_Family() + (CPU_Family() == 15 ? CPU_ExFamily() : 0);
  const int32_t model = CPU_Model() + (family >= 6 ? CPU_ExModel() << 4 : 0);
  EXPECT_EQ(std::to_string(family), info.at("cpu family"));
  EXPECT_EQ(std::to_string(model), info.at("model"));
  EXPECT_EQ(std::to_string(CPU_Stepping()), info.at("stepping"));
  EXPECT_EQ(CPU_Type(), static_cast<int32_t>(CPU_Signature() >> 12 & 3));
  EXPECT_EQ(CPU_OverDrive(), CPU_Type() == 1);
  if (info.count("model name")) {
    EXPECT_EQ(CPU_MarketName(), info.at("model name"));
  }
  EXPECT_EQ(CPU_Count(), testing::ProcCpuInfoProcessors());
}

TEST(CpuId, FeatureBitsMatchTheKernelFlags) {
  const auto info = ProcCpuInfo();
  if (!info.count("flags")) GTEST_SKIP() << "/proc/cpuinfo has no flags";
  std::istringstream words(" " + info.at("flags"));
  std::set<std::string> flags{std::istream_iterator<std::string>(words), {}};
  // The kernel's names of the bits; it may hide some (pn, ht, apic), so a
  // set bit only needs its flag where the kernel never clears it.
  const struct {
    TCPUFeatures bit;
    const char* flag;
    bool alwaysShown;
  } bits[] = {
      {cpuft_fpu, "fpu", true},   {cpuft_vme, "vme", true},       {cpuft_de, "de", true},
      {cpuft_pse, "pse", true},   {cpuft_tsc, "tsc", true},       {cpuft_msr, "msr", true},
      {cpuft_pae, "pae", true},   {cpuft_mce, "mce", true},       {cpuft_cx8, "cx8", true},
      {cpuft_apic, "apic", false}, {cpuft_sep, "sep", false},     {cpuft_mtrr, "mtrr", false},
      {cpuft_pge, "pge", true},   {cpuft_mca, "mca", true},       {cpuft_cmov, "cmov", true},
      {cpuft_pat, "pat", true},   {cpuft_pse36, "pse36", true},   {cpuft_serial, "pn", false},
      {cpuft_clflush, "clflush", true}, {cpuft_dts, "dts", false}, {cpuft_acpi, "acpi", false},
      {cpuft_mmx, "mmx", true},   {cpuft_xsr, "fxsr", true},      {cpuft_simd, "sse", true},
      {cpuft_simd2, "sse2", true}, {cpuft_ss, "ss", false},       {cpuft_reserved2, "ht", false},
      {cpuft_tm, "tm", false},    {cpuft_ia64, "ia64", false},    {cpuft_3dnow, "pbe", false},
  };
  const uint32_t set = CPU_FeatureSet();
  for (const auto& b : bits) {
    const bool bit = (set >> b.bit & 1) != 0;
    if (flags.count(b.flag)) {
      EXPECT_TRUE(bit) << b.flag << " (" << CPUFeatureNames[b.bit] << ")";
    }
    if (b.alwaysShown && bit) {
      EXPECT_TRUE(flags.count(b.flag)) << b.flag;
    }
  }
}

TEST(CpuId, SharedByThreads) {
  const uint32_t signature = CPU_Signature();
  std::vector<std::thread> threads;
  std::vector<int> same(4, 0);
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i) same[t] += CPU_Signature() == signature && CPU_CurrentLeaf() <= 1;
    });
  for (auto& th : threads) th.join();
  for (int t = 0; t < 4; ++t) EXPECT_EQ(same[t], 200) << "thread " << t;
}

TEST(CpuSpeed, PlausibleAndPrioritiesRestored) {
  const uint32_t priorityClass = GetPriorityClass();
  const int32_t threadPriority = GetThreadPriority();
  const float mhz = CPU_Speed(100);
  EXPECT_EQ(GetPriorityClass(), priorityClass);
  EXPECT_EQ(GetThreadPriority(), threadPriority);
  EXPECT_GT(mhz, 100.0f);
  const auto kernel = testing::KernelTscMHz();
  if (!kernel) GTEST_SKIP() << "no kernel TSC frequency to compare with (tsc_freq_khz, dmesg)";
  EXPECT_NEAR(mhz, *kernel, *kernel * 0.05) << "kernel's TSC frequency " << *kernel << " MHz";
}

}  // namespace
}  // namespace nuv
