// Processor information from the CPUID instruction: vendor, signature
// fields, standard and extended feature flags with readable names, brand
// (market) name and a serial string; besides them the processor count, a
// clock-speed measurement over the time-stamp counter and the test for the
// historic floating-point division fault.
//
// Every function that reads a CPUID leaf raises ENUVCpuIdError "Cannot
// acquire CPU information (CPUID not supported)" where the processor has no
// CPUID (every build for a processor other than x86), and "CPUID:
// execution level not supported" for a leaf above the processor's highest
// standard (below 0x80000000) or extended leaf. The highest leaves are read
// once per process. All functions may be called from any thread.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "nuv/Nuv_nuvbase.h"

namespace nuv {

class ENUVCpuIdError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

// The bits of the standard feature flags (EDX of leaf 1), bit i = value i.
// The names are the classic ones; today's processors use some bits
// otherwise (bit 28 marks several logical processors per package, bit 31
// pending break enable).
enum TCPUFeatures : uint8_t {
  cpuft_fpu, cpuft_vme, cpuft_de, cpuft_pse, cpuft_tsc, cpuft_msr, cpuft_pae, cpuft_mce,
  cpuft_cx8, cpuft_apic, cpuft_sepamd, cpuft_sep, cpuft_mtrr, cpuft_pge, cpuft_mca, cpuft_cmov,
  cpuft_pat, cpuft_pse36, cpuft_serial, cpuft_clflush, cpuft_reserved1, cpuft_dts, cpuft_acpi,
  cpuft_mmx, cpuft_xsr, cpuft_simd, cpuft_simd2, cpuft_ss, cpuft_reserved2, cpuft_tm, cpuft_ia64,
  cpuft_3dnow
};

// Readable names of the feature bits, indexed by TCPUFeatures.
inline constexpr std::array<std::string_view, 32> CPUFeatureNames{
    "Floating Point Unit",
    "V86 Mode Extensions",
    "Debug Extensions - I/O breakpoints supported",
    "Page Size Extensions (4 MB pages supported)",
    "Time Stamp Counter and RDTSC instruction are available",
    "Model Specific Registers",
    "Physical Address Extensions (36-bit address, 2MB pages)",
    "Machine Check Exception supported",
    "Compare Exchange Eight Byte instruction available",
    "Local APIC present (multiprocessor operation support)",
    "Fast system calls (AMD only)",
    "Fast system calls",
    "Memory Type Range Registers",
    "Page Global Enable",
    "Machine Check Architecture",
    "Conditional MOVe instructions",
    "Page Attribute Table",
    "36 bit Page Size Extensions",
    "Processor Serial Number",
    "Cache Flush",
    "reserved",
    "Debug Trace Store",
    "ACPI support",
    "MultiMedia Extensions",
    "FXSAVE and FXRSTOR instructions",
    "SSE instructions",
    "SSE2 (WNI) instructions",
    "self snoop",
    "reserved",
    "Automatic clock control",
    "IA64 instructions",
    "3DNow! instructions available",
};

// The four registers one CPUID leaf returns.
struct TCPUIDRegisters {
  uint32_t EAX = 0, EBX = 0, ECX = 0, EDX = 0;
  friend bool operator==(const TCPUIDRegisters&, const TCPUIDRegisters&) = default;
};

// Whether the processor has the CPUID instruction (bit 21 of the flags
// register can be toggled); false on every processor other than x86.
bool CPU_IDSupport();
// Runs CPUID for Leaf (sub-leaf 0) after the range test described above.
TCPUIDRegisters CPU_ExecuteLeaf(uint32_t Leaf);
// The leaf the calling thread executed last (0 before the first).
uint32_t CPU_CurrentLeaf();
// Processors currently online (at least 1); needs no CPUID.
int32_t CPU_Count();

// EBX, EDX, ECX of leaf 0 as text; "Unknown" when shorter than 12
// characters (a NUL ends the text).
std::string CPU_VendorString();
// EAX of leaf 1.
uint32_t CPU_Signature();
// EDX of leaf 1; test bit i for feature i of TCPUFeatures.
uint32_t CPU_FeatureSet();
// EDX of leaf 0x80000001.
int32_t CPU_ExtendedFeatureSet();
// Low byte of EBX of leaf 1.
int32_t CPU_BrandID();

// Fields of the signature, each 0 when the signature is 0: type bits
// 12..13 (OverDrive is type 1), family 8..11, extended family 20..27,
// model 4..7, extended model 16..19, stepping 0..3.
int32_t CPU_Type();
bool CPU_OverDrive();
int32_t CPU_Family();
int32_t CPU_ExFamily();
int32_t CPU_Model();
int32_t CPU_ExModel();
int32_t CPU_Stepping();

// Whether 4195835 - (4195835 / 3145727) * 3145727, computed in extended
// precision, differs from 0 (the division fault of some early Pentium
// processors). Needs no CPUID.
bool CPU_FDIVBugPresent();
// 24 upper-case hexadecimal digits: EAX, EDX and ECX of leaf 1. This is
// the processor's signature and feature words, not a serial number, so
// processors of one model give the same text.
std::string CPU_SerialNumber();
// The brand string of leaves 0x80000002..0x80000004 with codes <= 32
// stripped from both ends; "unknown" when nothing is left or a code below
// 32 remains inside (as on processors without a brand string).
std::string CPU_MarketName();

// The time-stamp counter's rate in MHz, measured over Interval
// milliseconds of the tick counter from one tick edge to another; blocks
// the calling thread that long (up to 49.7 days), or a few milliseconds
// longer when the thread was interrupted at the last edge. For the interval the process
// and thread priorities are raised as far as the platform allows (never
// real-time scheduling) and then restored. Interval 0 gives +infinity.
// Raises the first ENUVCpuIdError message on processors without a
// time-stamp counter.
float CPU_Speed(uint32_t Interval);

}  // namespace nuv
