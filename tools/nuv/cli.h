// What every nuv command shares: the failure types that become exit codes,
// the choice between text and JSON output, file and column arguments, and
// the progress line with Ctrl-C handling for long jobs.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <string_view>

namespace nuv {
class TDataTable;
}

namespace nuv::tool {

using nlohmann::ordered_json;

// Exit codes: 0 success, 1 the job failed, 2 the command line was wrong.
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// The job could not be done (unreadable input, a fit that fails): one line
// naming the input and the reason, exit 1.
class TJobError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An argument is wrong in a way the parser cannot see (a column that the
// file does not have, an element range reversed): exit 2.
class TUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Set by a command's --json flag and, for commands that print numbers in
// text, its --digits option (mode.Digits holds the default).
struct TOutputMode {
  bool Json = false;
  int32_t Digits = 0;
};

// Adds --json to a command.
void AddJsonFlag(CLI::App& command, TOutputMode& mode);
// Adds --json and --digits.
void AddOutputOptions(CLI::App& command, TOutputMode& mode);
// Prints the document on stdout, indented, with a final line feed.
void PrintJson(const ordered_json& doc);

// Library text is Windows-1252; the terminal and JSON get UTF-8, and file
// names from the command line arrive as UTF-8.
std::string Utf8(std::string_view ansi);
std::string Ansi(std::string_view utf8);

// v with up to digits significant digits: fixed while they fit, else
// scientific; trailing zeros of a fixed fraction are dropped.
std::string Number(double v, int32_t digits);

// Accepts only option values that read as finite numbers (CLI11's ranges
// let NaN through).
CLI::Validator Finite();

// "WxH" of a picture size with W and H in lo..hi; TUsageError naming the
// option otherwise.
void ParseImageSize(const std::string& text, int32_t lo, int32_t hi, int32_t& w, int32_t& h);

// Reads a table from a CSV file (first line column names; delimiter
// guessed) or, by the extension .asc, an ASC table, through the data
// table's importers. TJobError naming the file and the reason.
void ReadTable(const std::string& fileName, TDataTable& table);
// Column by name (case and surrounding blanks ignored) or 1-based number;
// TUsageError when the table has no such column.
int32_t ColumnOf(const TDataTable& table, const std::string& column);

// While alive: a progress line on stderr, fed by the library's progress
// counter and shown only when stderr is a terminal, and Ctrl-C turned into
// the library's abort flag, so a long job stops cleanly. Aborted() tells
// whether Ctrl-C was pressed.
class TLongJob {
 public:
  explicit TLongJob(std::string label);
  ~TLongJob();
  TLongJob(const TLongJob&) = delete;
  TLongJob& operator=(const TLongJob&) = delete;

  static bool Aborted();
  // Shows a count of items handled when the library has no counter for the
  // job (lines read, hits found).
  void Report(int64_t count);

 private:
  struct TState;
  std::unique_ptr<TState> state_;
};

// Registration of the commands; each adds its subcommand to app.
void AddStatsCommand(CLI::App& app);
void AddFitCommand(CLI::App& app);
void AddDistCommand(CLI::App& app);
void AddGeoCommand(CLI::App& app);
void AddMapCommand(CLI::App& app);
void AddFormulaCommand(CLI::App& app);
void AddMolCommand(CLI::App& app);
void AddDemoCommand(CLI::App& app);
void AddChecksumCommand(CLI::App& app);
void AddUnitsCommand(CLI::App& app);

}  // namespace nuv::tool
