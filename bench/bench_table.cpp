// Reads the JSON files the benchmark programs write (--benchmark_out) and
// prints every pair as one Markdown table: our time, the peer's time and
// their ratio, the achieved rates beside the machine's single-core limit,
// then the memory rows.
//
// Benchmarks are named "<case>/<implementation>". The implementation "nuv"
// is ours and "nuv <variant>" a variant of ours (its row is labelled with
// the variant); any other implementation is a peer of the case. Our main
// row gets one line per peer, a variant one line with the first peer. Of
// repeated runs the median is used. Our benchmark may carry the counter
// "target", the largest acceptable ratio to the first peer, and
// "target <peer>" for another peer. A benchmark with the counter "flops"
// (operations of one call) or a bytes_per_second rate shows its rate.
// Memory benchmarks carry the counters "peak_bytes" (resident),
// "heap_bytes" and "raw_bytes" instead of a peer.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "nuv/Nuv_cpuid.h"

namespace {

// ---------------------------------------------------------------------------
// The subset of JSON the benchmark library writes.

struct TJson {
  enum TKind { Null, Bool, Number, String, Array, Object } Kind = Null;
  double Num = 0;
  std::string Str;
  std::vector<TJson> Items;
  std::vector<std::pair<std::string, TJson>> Members;

  const TJson* Find(const std::string& key) const {
    for (const auto& [k, v] : Members)
      if (k == key) return &v;
    return nullptr;
  }
  std::string Text(const std::string& key) const {
    const TJson* v = Find(key);
    return v != nullptr && v->Kind == String ? v->Str : std::string();
  }
  std::optional<double> Value(const std::string& key) const {
    const TJson* v = Find(key);
    if (v == nullptr || v->Kind != Number) return std::nullopt;
    return v->Num;
  }
};

class TParser {
 public:
  explicit TParser(std::string text) : s_(std::move(text)) {}

  TJson Parse() {
    TJson v = ParseValue();
    SkipBlanks();
    if (pos_ != s_.size()) Fail("text after the value");
    return v;
  }

 private:
  [[noreturn]] void Fail(const char* what) const {
    throw std::runtime_error(std::string(what) + " at byte " + std::to_string(pos_));
  }
  void SkipBlanks() {
    while (pos_ < s_.size() &&
           (s_[pos_] == ' ' || s_[pos_] == '\n' || s_[pos_] == '\r' || s_[pos_] == '\t'))
      ++pos_;
  }
  bool Take(char c) {
    SkipBlanks();
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  void Expect(char c) {
    if (!Take(c)) Fail("unexpected character");
  }
  bool TakeWord(const char* w) {
    const std::string word(w);
    if (s_.compare(pos_, word.size(), word) != 0) return false;
    pos_ += word.size();
    return true;
  }

  TJson ParseValue() {
    SkipBlanks();
    if (pos_ >= s_.size()) Fail("unexpected end");
    TJson v;
    const char c = s_[pos_];
    if (c == '{') {
      ++pos_;
      v.Kind = TJson::Object;
      if (Take('}')) return v;
      do {
        SkipBlanks();
        std::string key = ParseString();
        Expect(':');
        v.Members.emplace_back(std::move(key), ParseValue());
      } while (Take(','));
      Expect('}');
    } else if (c == '[') {
      ++pos_;
      v.Kind = TJson::Array;
      if (Take(']')) return v;
      do v.Items.push_back(ParseValue());
      while (Take(','));
      Expect(']');
    } else if (c == '"') {
      v.Kind = TJson::String;
      v.Str = ParseString();
    } else if (TakeWord("true") || TakeWord("false")) {
      v.Kind = TJson::Bool;
    } else if (TakeWord("null")) {
      v.Kind = TJson::Null;
    } else {
      // Numbers, and the non-finite values the library may print.
      const char* begin = s_.c_str() + pos_;
      char* end = nullptr;
      v.Num = std::strtod(begin, &end);
      if (end == begin) Fail("not a value");
      v.Kind = TJson::Number;
      pos_ += static_cast<std::size_t>(end - begin);
    }
    return v;
  }

  // Escapes other than \" and \\ do not occur in benchmark names; they are
  // kept as written.
  std::string ParseString() {
    if (pos_ >= s_.size() || s_[pos_] != '"') Fail("string expected");
    std::string out;
    for (++pos_; pos_ < s_.size() && s_[pos_] != '"'; ++pos_) {
      if (s_[pos_] == '\\' && pos_ + 1 < s_.size()) {
        const char e = s_[++pos_];
        if (e != '"' && e != '\\') out += '\\';
        out += e;
      } else {
        out += s_[pos_];
      }
    }
    if (pos_ >= s_.size()) Fail("unterminated string");
    ++pos_;
    return out;
  }

  std::string s_;
  std::size_t pos_ = 0;
};

// ---------------------------------------------------------------------------
// Results

struct TResult {
  double Ns = 0;  // CPU time of one iteration
  std::optional<double> Target, Peak, Heap, Raw, Flops, BytesPerSecond;
  std::vector<std::pair<std::string, double>> PeerTargets;  // "target <peer>"

  std::optional<double> TargetFor(const std::string& peer, bool firstPeer) const {
    for (const auto& [name, ratio] : PeerTargets)
      if (name == peer) return ratio;
    return firstPeer ? Target : std::nullopt;
  }
};

struct TCase {
  std::string Name;
  std::vector<std::pair<std::string, TResult>> Impls;  // in the order run
};

double ToNs(double t, const std::string& unit) {
  if (unit == "us") return t * 1e3;
  if (unit == "ms") return t * 1e6;
  if (unit == "s") return t * 1e9;
  return t;
}

// A run, unless it is one repetition of several (their median stands for
// them) or an aggregate other than the median.
bool Representative(const TJson& b) {
  if (b.Text("run_type") == "aggregate") return b.Text("aggregate_name") == "median";
  const auto reps = b.Value("repetitions");
  return !reps || *reps <= 1;
}

// Removes the settings the benchmark library appends to a name
// ("/iterations:1", "/real_time").
void StripSettings(std::string& name) {
  static const char* const kSettings[] = {"iterations:", "repeats:",    "min_time:",   "threads:",
                                          "real_time",   "manual_time", "process_time"};
  for (;;) {
    const std::size_t slash = name.rfind('/');
    if (slash == std::string::npos) return;
    bool setting = false;
    for (const char* s : kSettings) setting |= name.compare(slash + 1, std::strlen(s), s) == 0;
    if (!setting) return;
    name.erase(slash);
  }
}

void Collect(const TJson& doc, std::vector<TCase>& cases) {
  const TJson* list = doc.Find("benchmarks");
  if (list == nullptr) throw std::runtime_error("no \"benchmarks\" array");
  for (const TJson& b : list->Items) {
    if (!Representative(b)) continue;
    std::string name = b.Text("run_name");
    if (name.empty()) name = b.Text("name");
    // Cases that wait for child processes or the disk are timed by the clock.
    const bool wallClock = name.find("/real_time") != std::string::npos;
    StripSettings(name);
    const std::size_t slash = name.rfind('/');
    if (slash == std::string::npos) continue;
    TResult r;
    r.Ns = ToNs(b.Value(wallClock ? "real_time" : "cpu_time").value_or(NAN), b.Text("time_unit"));
    r.Target = b.Value("target");
    r.Peak = b.Value("peak_bytes");
    r.Heap = b.Value("heap_bytes");
    r.Raw = b.Value("raw_bytes");
    r.Flops = b.Value("flops");
    r.BytesPerSecond = b.Value("bytes_per_second");
    static const std::string kTarget = "target ";
    for (const auto& [key, value] : b.Members)
      if (key.rfind(kTarget, 0) == 0 && value.Kind == TJson::Number)
        r.PeerTargets.emplace_back(key.substr(kTarget.size()), value.Num);
    const std::string caseName = name.substr(0, slash);
    auto it = cases.begin();
    while (it != cases.end() && it->Name != caseName) ++it;
    if (it == cases.end()) it = cases.insert(cases.end(), TCase{caseName, {}});
    it->Impls.emplace_back(name.substr(slash + 1), r);
  }
}

std::string Fmt(const char* format, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, v);
  return buf;
}

// Three significant digits in a unit that keeps the number below 1000.
std::string Duration(double ns) {
  if (!std::isfinite(ns)) return "–";
  const char* unit = "ns";
  for (const char* u : {"µs", "ms", "s"}) {
    if (ns < 999.5) break;
    ns /= 1000;
    unit = u;
  }
  const char* format = ns < 9.995 ? "%.2f %s" : ns < 99.95 ? "%.1f %s" : "%.0f %s";
  char buf[64];
  std::snprintf(buf, sizeof buf, format, ns, unit);
  return buf;
}

std::string Bytes(double b) { return Fmt("%.2f MB", b / 1e6); }

bool IsOurs(const std::string& impl) { return impl == "nuv" || impl.rfind("nuv ", 0) == 0; }

std::string Verdict(double ratio, std::optional<double> target) {
  if (!target) return "";
  return Fmt("≤ %g ", *target) + (ratio <= *target ? "met" : "MISSED");
}

std::string ProcessorModel() {
  std::ifstream in("/proc/cpuinfo");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("model name", 0) == 0) {
      const std::size_t colon = line.find(':');
      if (colon != std::string::npos) return line.substr(line.find_first_not_of(' ', colon + 1));
    }
  return "unknown processor";
}

// ---------------------------------------------------------------------------
// The single-core limit, from what the processor reports: the widest
// vectors its instruction set has (CPUID leaves 1 and 7), narrowed to the
// width of the floating-point datapath where the processor reports it
// (AMD's leaf 0x8000001A: 512-bit instructions run as two 256-bit halves
// there), two fused multiply-add units (CPUID does not count them; every
// x86-64 core with FMA since 2013 has two), and the clock.

struct TLimits {
  double TscGHz = 0, CoreGHz = 0;
  int IsaBits = 128, DatapathBits = 0;
  bool Fma = false;

  double GHz() const { return std::max(TscGHz, CoreGHz); }
  int VectorBits() const { return DatapathBits > 0 ? std::min(IsaBits, DatapathBits) : IsaBits; }
  // Two FMA units of two operations per lane, or one multiply and one add.
  double Gflops() const { return GHz() * VectorBits() / 64 * (Fma ? 4 : 2); }
  // Two vector loads a cycle: no checksum reading each byte once is faster.
  double GBs() const { return GHz() * 2 * VectorBits() / 8; }
};

bool Bit(uint32_t word, int bit) { return (word >> bit & 1) != 0; }

// The core's own clock, which may run above the time-stamp counter's
// rate: a chain of dependent additions retires one a cycle. Timed in the
// thread's CPU time, so that being descheduled on a busy machine does not
// count; the fastest of several trials stands.
double CoreGHz() {
#if defined(__x86_64__)
  constexpr uint64_t kLoops = 10000000, kAddsPerLoop = 16;
  double best = 0;
  for (int trial = 0; trial < 5; ++trial) {
    uint64_t acc = 0, loops = kLoops;
    timespec start{}, stop{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
    asm volatile(
        "1:\n"
        ".rept 16\n"
        "add $1, %0\n"
        ".endr\n"
        "dec %1\n"
        "jnz 1b\n"
        : "+r"(acc), "+r"(loops));
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &stop);
    const double ns = 1e9 * static_cast<double>(stop.tv_sec - start.tv_sec) +
                      static_cast<double>(stop.tv_nsec - start.tv_nsec);
    best = std::max(best, static_cast<double>(kLoops * kAddsPerLoop) / ns);
  }
  return best;
#else
  return 0;
#endif
}

TLimits ReadLimits() {
  TLimits l;
  try {
    const nuv::TCPUIDRegisters leaf1 = nuv::CPU_ExecuteLeaf(1);
    l.Fma = Bit(leaf1.ECX, 12);
    if (Bit(leaf1.ECX, 28)) l.IsaBits = 256;
    try {
      const nuv::TCPUIDRegisters leaf7 = nuv::CPU_ExecuteLeaf(7);
      if (Bit(leaf7.EBX, 16)) l.IsaBits = 512;
    } catch (const nuv::ENUVCpuIdError&) {
    }
    try {
      const nuv::TCPUIDRegisters perf = nuv::CPU_ExecuteLeaf(0x8000001A);
      l.DatapathBits = Bit(perf.EAX, 2) ? 256 : Bit(perf.EAX, 0) ? 128 : 0;
    } catch (const nuv::ENUVCpuIdError&) {
    }
    l.TscGHz = nuv::CPU_Speed(200) / 1000.0;
  } catch (const nuv::ENUVCpuIdError&) {
  }
  l.CoreGHz = CoreGHz();
  return l;
}

void PrintLimits(const TLimits& l) {
  std::cout << "Single-core limit: " << Fmt("%.1f", l.Gflops()) << " GFLOP/s in double precision ("
            << Fmt("%.2f", l.GHz()) << " GHz; time-stamp counter " << Fmt("%.2f", l.TscGHz)
            << " GHz, core clock measured " << Fmt("%.2f", l.CoreGHz) << " GHz; " << l.IsaBits
            << "-bit instructions";
  if (l.DatapathBits > 0) std::cout << " on a " << l.DatapathBits << "-bit datapath";
  std::cout << ", " << l.VectorBits() / 64 << " doubles a vector, "
            << (l.Fma ? "2 FMA units" : "one multiply and one add a cycle") << ") and "
            << Fmt("%.0f", l.GBs()) << " GB/s of loads (two " << l.VectorBits() / 8
            << "-byte loads a cycle). The rate columns give the share of that limit.\n\n";
}

// The achieved rate with its share of the limit, or "–".
std::string Rate(const TResult& r, const TLimits& l) {
  if (r.Flops && std::isfinite(r.Ns) && r.Ns > 0) {
    const double gflops = *r.Flops / r.Ns;
    return Fmt("%.1f GFLOP/s", gflops) + Fmt(" (%.0f %%)", 100 * gflops / l.Gflops());
  }
  if (r.BytesPerSecond) {
    const double gbs = *r.BytesPerSecond / 1e9;
    return Fmt("%.1f GB/s", gbs) + Fmt(" (%.0f %%)", 100 * gbs / l.GBs());
  }
  return "–";
}

void PrintTimes(const std::vector<TCase>& cases, const TLimits& limits) {
  std::cout << "| Case | nuv | nuv rate | Peer | Peer time | Peer rate | Ratio | Target |\n"
               "|---|---:|---:|---|---:|---:|---:|---|\n";
  for (const TCase& c : cases) {
    std::vector<const std::pair<std::string, TResult>*> peers;
    for (const auto& impl : c.Impls)
      if (!IsOurs(impl.first)) peers.push_back(&impl);
    for (const auto& [impl, r] : c.Impls) {
      if (!IsOurs(impl) || r.Raw) continue;
      const std::string label = impl == "nuv" ? c.Name : c.Name + " (" + impl.substr(4) + ")";
      const std::string ours =
          "| " + label + " | " + Duration(r.Ns) + " | " + Rate(r, limits) + " | ";
      if (peers.empty()) {
        std::cout << ours << "– | – | – | – |  |\n";
        continue;
      }
      // A variant is compared with the first peer only.
      const std::size_t shown = impl == "nuv" ? peers.size() : 1;
      for (std::size_t i = 0; i < shown; ++i) {
        const auto& [peerName, peer] = *peers[i];
        const double ratio = r.Ns / peer.Ns;
        const auto target = r.TargetFor(peerName, i == 0);
        std::cout << ours << peerName << " | " << Duration(peer.Ns) << " | " << Rate(peer, limits)
                  << " | " << Fmt(ratio < 0.095 ? "%.2g" : "%.2f", ratio) << " | "
                  << (target ? Verdict(ratio, target) : "") << " |\n";
      }
    }
  }
}

// The ratio takes the larger of the resident and the heap peak.
void PrintMemory(const std::vector<TCase>& cases) {
  bool header = false;
  for (const TCase& c : cases)
    for (const auto& [impl, r] : c.Impls) {
      if (!r.Raw || !r.Peak) continue;
      if (!header) {
        std::cout << "\n| Memory | Peak resident | Peak heap | Raw data | Ratio | Target |\n"
                     "|---|---:|---:|---:|---:|---|\n";
        header = true;
      }
      const double heap = r.Heap.value_or(0);
      const double ratio = std::max(*r.Peak, heap) / *r.Raw;
      std::cout << "| " << c.Name << " | " << Bytes(*r.Peak) << " | "
                << (r.Heap ? Bytes(heap) : "–") << " | " << Bytes(*r.Raw) << " | "
                << Fmt("%.3f", ratio) << " | " << Verdict(ratio, r.Target) << " |\n";
    }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: bench_table RESULT.json...\n";
    return 2;
  }
  std::vector<TCase> cases;
  for (int i = 1; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    if (!in) {
      std::cerr << "bench_table: cannot read " << argv[i] << "\n";
      return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    try {
      Collect(TParser(text.str()).Parse(), cases);
    } catch (const std::exception& e) {
      std::cerr << "bench_table: " << argv[i] << ": " << e.what() << "\n";
      return 1;
    }
  }
  std::cout << "\nProcessor: " << ProcessorModel() << ", " << std::thread::hardware_concurrency()
            << " logical cores. Times are CPU time of one call (wall-clock time where a case waits "
               "for child processes or the disk; median of the repetitions); "
               "ratio = nuv / peer, below 1 is faster.\n\n";
  const TLimits limits = ReadLimits();
  PrintLimits(limits);
  PrintTimes(cases, limits);
  PrintMemory(cases);
  return 0;
}
