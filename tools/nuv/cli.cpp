#include "cli.h"

#include <unistd.h>

#include <atomic>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <utility>

#include "nuv/Nuv_datatable.h"
#include "nuv/Nuv_nuvbase.h"
#include "nuv/Nuv_streams.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/SysUtils.h"

namespace nuv::tool {

void AddJsonFlag(CLI::App& command, TOutputMode& mode) {
  command.add_flag("--json", mode.Json, "print the result as one JSON document");
}

void AddOutputOptions(CLI::App& command, TOutputMode& mode) {
  AddJsonFlag(command, mode);
  command.add_option("--digits", mode.Digits, "significant digits of the text output")
      ->check(CLI::Range(1, 17))
      ->capture_default_str();
}

void PrintJson(const ordered_json& doc) { std::cout << doc.dump(2) << '\n'; }

std::string Utf8(std::string_view ansi) { return AnsiToUtf8(ansi); }
std::string Ansi(std::string_view utf8) { return Utf8ToAnsi(utf8); }

std::string Number(double v, int32_t digits) {
  std::string s = SigDigStr(v, digits + 8, digits, true);
  if (s.find('.') != std::string::npos && s.find('E') == std::string::npos) {
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
  }
  return s;
}

CLI::Validator Finite() {
  return CLI::Validator(
      [](std::string& text) {
        double value = 0;
        int32_t code = 0;
        Val(text, value, code);
        return code == 0 && std::isfinite(value) ? std::string()
                                                 : "'" + text + "' is not a finite number";
      },
      "FINITE");
}

void ParseImageSize(const std::string& text, int32_t lo, int32_t hi, int32_t& w, int32_t& h) {
  const std::size_t x = text.find('x');
  const char* end = text.data() + text.size();
  bool ok = x != std::string::npos;
  if (ok) {
    const auto a = std::from_chars(text.data(), text.data() + x, w);
    const auto b = std::from_chars(text.data() + x + 1, end, h);
    ok = a.ptr == text.data() + x && a.ec == std::errc() && b.ptr == end && b.ec == std::errc();
  }
  if (!(ok && w >= lo && w <= hi && h >= lo && h <= hi))
    throw TUsageError("--size: '" + text + "' is not WxH with W and H in " + std::to_string(lo) +
                      ".." + std::to_string(hi));
}

namespace {

std::string AscReason(int32_t code) {
  switch (code) {
    case ascBadColumnCount:
      return "line 2 holds no column count";
    case ascBadRowCount:
      return "line 3 holds no row count";
    case ascBadFlags:
      return "line 4 holds no TRUE/FALSE flags";
    case ascHeaderCut:
      return "the header is cut short";
    case ascBadAttribute:
      return "a row attribute is not a number from 0 to 255";
    case ascBadValue:
      return "a value is missing or not a number";
    case ascUnknownFlag:
      return "the fourth header flag is set";
    case ascTooLarge:
      return "the column or row count is below 1 or too large";
  }
  return "result code " + std::to_string(code);
}

bool HasExtension(const std::string& fileName, std::string_view ext) {
  const std::string e = std::filesystem::path(fileName).extension().string();
  return SameText(e, ext);
}

}  // namespace

void ReadTable(const std::string& fileName, TDataTable& table) {
  std::error_code ec;
  const auto status = std::filesystem::status(fileName, ec);
  if (ec || !std::filesystem::exists(status)) throw TJobError(fileName + ": no such file");
  if (std::filesystem::is_directory(status)) throw TJobError(fileName + ": is a directory");
  if (access(fileName.c_str(), R_OK) != 0) throw TJobError(fileName + ": cannot be read");
  int32_t code = 0;
  try {
    if (HasExtension(fileName, ".asc")) {
      code = table.ImportASC(Ansi(fileName));
      if (code != 0) throw TJobError(fileName + ": not an ASC table: " + AscReason(code));
      return;
    }
    code = table.ImportFromCSV(Ansi(fileName), csvUnknown, true, false);
  } catch (const Exception& e) {
    throw TJobError(fileName + ": " + Utf8(e.Message()));
  }
  if (code == csvNoData) throw TJobError(fileName + ": no data");
  if (code == csvBadNumber)
    throw TJobError(fileName + ": a field is not a number (every column but the header line " +
                    "must hold numbers)");
  if (code != 0)
    throw TJobError(fileName + ": cannot be read (result code " + std::to_string(code) + ")");
}

int32_t ColumnOf(const TDataTable& table, const std::string& column) {
  if (const int32_t byName = table.FindColIndex(Ansi(column)); byName > 0) return byName;
  int32_t code = 0, number = 0;
  Val(column, number, code);
  if (code == 0 && number >= 1 && number <= table.NrOfColumns()) return number;
  throw TUsageError("no column '" + column + "' (the table has " +
                    std::to_string(table.NrOfColumns()) + " columns)");
}

// ---------------------------------------------------------------------------
// Long jobs

namespace {

std::atomic<bool> gInterrupted{false};

extern "C" void OnInterrupt(int) {
  gInterrupted = true;
  AbortMathProc = true;
}

}  // namespace

struct TLongJob::TState {
  std::string Label;
  bool Show = isatty(STDERR_FILENO) != 0;
  std::chrono::steady_clock::time_point Last{};
  bool Shown = false;
  TMathFeedBackProc Previous;
  struct sigaction OldAction {};

  void Line(const std::string& text) {
    const auto now = std::chrono::steady_clock::now();
    if (!Show || now - Last < std::chrono::milliseconds(200)) return;
    Last = now;
    Shown = true;
    std::fprintf(stderr, "\r%s: %s   ", Label.c_str(), text.c_str());
    std::fflush(stderr);
  }
};

TLongJob::TLongJob(std::string label) : state_(std::make_unique<TState>()) {
  state_->Label = std::move(label);
  state_->Last = std::chrono::steady_clock::now();
  gInterrupted = false;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &state_->OldAction);
  state_->Previous = MathFeedBackProc;
  TState* s = state_.get();
  const int32_t start = ProcStat;
  MathFeedBackProc = [s, start](int32_t stat) { s->Line(std::to_string(stat - start) + " steps"); };
}

TLongJob::~TLongJob() {
  MathFeedBackProc = state_->Previous;
  sigaction(SIGINT, &state_->OldAction, nullptr);
  if (state_->Shown) std::fprintf(stderr, "\r\033[K");
}

bool TLongJob::Aborted() { return gInterrupted; }

void TLongJob::Report(int64_t count) { state_->Line(std::to_string(count)); }

}  // namespace nuv::tool
