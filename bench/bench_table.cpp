// Reads the JSON files the benchmark programs write (--benchmark_out) and
// prints every pair as one Markdown table: our time, the peer's time and
// their ratio, then the memory rows.
//
// Benchmarks are named "<case>/<implementation>". The implementation "nuv"
// is ours and "nuv <variant>" a variant of ours (its row is labelled with
// the variant); any other implementation is the peer of the case. Of
// repeated runs the median is used. Our benchmark may carry the counter
// "target", the largest acceptable ratio. Memory benchmarks carry the
// counters "peak_bytes" (resident), "heap_bytes" and "raw_bytes" instead of
// a peer.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

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
  std::optional<double> Target, Peak, Heap, Raw;
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

void PrintTimes(const std::vector<TCase>& cases) {
  std::cout << "| Case | nuv | Peer | Peer time | Ratio | Target |\n"
               "|---|---:|---|---:|---:|---|\n";
  for (const TCase& c : cases) {
    const TResult* peer = nullptr;
    std::string peerName = "–";
    for (const auto& [impl, r] : c.Impls)
      if (!IsOurs(impl) && peer == nullptr) {
        peer = &r;
        peerName = impl;
      }
    for (const auto& [impl, r] : c.Impls) {
      if (!IsOurs(impl) || r.Raw) continue;
      const std::string label = impl == "nuv" ? c.Name : c.Name + " (" + impl.substr(4) + ")";
      const double ratio = peer != nullptr ? r.Ns / peer->Ns : NAN;
      std::cout << "| " << label << " | " << Duration(r.Ns) << " | " << peerName << " | "
                << (peer != nullptr ? Duration(peer->Ns) : "–") << " | "
                << (peer != nullptr ? Fmt(ratio < 0.095 ? "%.2g" : "%.2f", ratio) : "–") << " | "
                << (peer != nullptr ? Verdict(ratio, r.Target) : "") << " |\n";
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
  PrintTimes(cases);
  PrintMemory(cases);
  return 0;
}
