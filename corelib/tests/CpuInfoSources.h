// Independent descriptions of the processor for the tests and the
// benchmark: /proc/cpuinfo, the raw registers of the cpuid tool and the
// kernel's time-stamp counter frequency.
#pragma once

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace nuv::testing {

// The output of a shell command, or nothing when it cannot run or fails.
inline std::optional<std::string> CommandOutput(const std::string& command) {
  FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return std::nullopt;
  std::string out;
  char buf[4096];
  while (const std::size_t n = std::fread(buf, 1, sizeof buf, pipe)) out.append(buf, n);
  if (::pclose(pipe) != 0) return std::nullopt;
  return out;
}

// The fields of the first processor in /proc/cpuinfo, values trimmed.
inline std::map<std::string, std::string> ProcCpuInfo() {
  std::map<std::string, std::string> fields;
  std::ifstream in("/proc/cpuinfo");
  const auto trim = [](const std::string& s) {
    const std::size_t a = s.find_first_not_of(" \t");
    return a == std::string::npos ? std::string() : s.substr(a, s.find_last_not_of(" \t") - a + 1);
  };
  for (std::string line; std::getline(in, line) && !line.empty();) {
    const std::size_t colon = line.find(':');
    if (colon != std::string::npos) fields[trim(line.substr(0, colon))] = trim(line.substr(colon + 1));
  }
  return fields;
}

// The processors /proc/cpuinfo lists (those online).
inline int32_t ProcCpuInfoProcessors() {
  std::ifstream in("/proc/cpuinfo");
  int32_t n = 0;
  for (std::string line; std::getline(in, line);) n += line.rfind("processor", 0) == 0;
  return n;
}

struct TRawLeaf {
  uint32_t EAX, EBX, ECX, EDX;
};

// (leaf, sub-leaf 0) -> registers, as `cpuid -1 -r` prints them; empty when
// the tool is missing.
inline std::map<uint32_t, TRawLeaf> CpuidToolLeaves() {
  std::map<uint32_t, TRawLeaf> leaves;
  const auto out = CommandOutput("cpuid -1 -r");
  if (!out) return leaves;
  std::size_t pos = 0;
  while (pos < out->size()) {
    std::size_t end = out->find('\n', pos);
    if (end == std::string::npos) end = out->size();
    unsigned leaf = 0, sub = 0, a = 0, b = 0, c = 0, d = 0;
    if (std::sscanf(out->substr(pos, end - pos).c_str(), " 0x%x 0x%x: eax=0x%x ebx=0x%x ecx=0x%x edx=0x%x",
                    &leaf, &sub, &a, &b, &c, &d) == 6 &&
        sub == 0)
      leaves.emplace(leaf, TRawLeaf{a, b, c, d});
    pos = end + 1;
  }
  return leaves;
}

// The number in MHz that follows `key` in text, or nothing.
inline std::optional<double> MHzAfter(const std::string& text, const std::string& key) {
  const std::size_t at = text.rfind(key);
  if (at == std::string::npos) return std::nullopt;
  double mhz = 0;
  if (std::sscanf(text.c_str() + at + key.size(), "%lf MHz", &mhz) != 1 || !(mhz > 0)) return std::nullopt;
  return mhz;
}

// The kernel's time-stamp counter frequency in MHz: tsc_freq_khz where the
// kernel exports it, else the calibration in its log (the refined figure
// when there is one); nothing when neither can be read.
inline std::optional<double> KernelTscMHz() {
  std::ifstream khz("/sys/devices/system/cpu/cpu0/tsc_freq_khz");
  double value = 0;
  if (khz >> value && value > 0) return value / 1000;
  const auto log = CommandOutput("dmesg");
  if (!log) return std::nullopt;
  if (auto refined = MHzAfter(*log, "tsc: Refined TSC clocksource calibration: ")) return refined;
  return MHzAfter(*log, "tsc: Detected ");
}

}  // namespace nuv::testing
