// ASC and CSV text exchange of the data table (Nuv_datatable).
#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "Nuv_datatable_parts.h"
#include "numlib_textfile.h"
#include "nuv/Nuv_datatable.h"
#include "nuv/Nuv_streams.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/Clipbrd.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/TextFile.h"

namespace nuv {

using datatable::IsNumberState;
using numlib::ReadTextFile;

// A table as a text file brings it.
struct TDataTable::TAscTable {
  std::string Comment;
  int32_t Cols = 0, Rows = 0;
  std::vector<std::string> ColNames, RowNames;  // empty when the text has none
  std::vector<uint8_t> RowAttribs;              // likewise
  std::vector<double> Values;                   // column-major
  std::vector<uint8_t> States;                  // column-major, empty when all 0
};

namespace {

// ---------------------------------------------------------------------------
// Text helpers

template <class Writer>
void WriteTextFile(const std::string& fileName, Writer&& write) {
  TextFile f(fileName);
  f.Rewrite();
  write([&](std::string_view s) { f.Write(s); });
  f.Close();
}

// The value as the writers put it: Precision decimals, or the shortest
// text that reads back exactly when Precision is negative.
std::string ValueText(double x, int32_t precision) {
  if (!std::isfinite(x)) return strff(x, 1, 0);
  return precision >= 0 ? strff(x, 1, precision) : FloatToStr(x);
}

// A number as the writers write it, also "NAN" and "INF" of any case; with
// decimalComma a "," may stand for the decimal point.
bool ParseValue(std::string_view token, bool decimalComma, double& x) {
  const std::string upper = UpperCase(token);
  if (upper == "NAN") {
    x = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  if (upper == "INF" || upper == "+INF" || upper == "-INF") {
    x = upper[0] == '-' ? -HUGE_VAL : HUGE_VAL;
    return true;
  }
  std::string text(token);
  if (decimalComma) std::replace(text.begin(), text.end(), ',', '.');
  int32_t code = 0;
  Val(text, x, code);
  return code == 0 && !text.empty();
}

std::string Quoted(std::string_view s) {
  std::string q = "\"";
  for (char c : s) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + '"';
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Reads the whitespace-separated tokens and quoted names of the ASC body.
class TAscScanner {
 public:
  explicit TAscScanner(std::string_view text) : text_(text) {}

  bool Name(std::string& name) {
    name.clear();
    TQuotedStrState state = vsStart;
    while (state != vsEnd && pos_ < text_.size()) ParseQuotedName(text_[pos_++], '"', name, state);
    if (state != vsEnd) ParseQuotedName(' ', '"', name, state);
    return state == vsEnd;
  }

  bool Number(double& x) {
    while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !IsSpace(text_[pos_])) ++pos_;
    return pos_ > start && ParseValue(text_.substr(start, pos_ - start), false, x);
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

// ---------------------------------------------------------------------------
// ASC

template <class Sink>
void TDataTable::WriteASC(Sink&& put, int32_t precision) const {
  put(comment_);
  put("\r\n" + IntToStr(ncols_) + "\t;nr. of columns\r\n");
  put(IntToStr(nrows_) + "\t;nr. of rows\r\n");
  put("TRUE TRUE TRUE\t;row attributes, column names, row names\r\n");
  std::string line;
  for (int32_t c = 1; c <= ncols_; ++c) {
    if (c > 1) line += '\t';
    line += Quoted(col_names_[c - 1].View());
  }
  put(line + "\r\n");
  for (int32_t r = 1; r <= nrows_; ++r) {
    line = IntToStr(row_attribs_[r - 1]) + '\t' + Quoted(row_names_[r - 1].View());
    for (int32_t c = 1; c <= ncols_; ++c) line += '\t' + ValueText(GetElem(c, r), precision);
    put(line + "\r\n");
  }
}

void TDataTable::ExportAsASC(const std::string& FileName, int32_t Precision) const {
  WriteTextFile(FileName, [&](auto&& put) { WriteASC(put, Precision); });
}

void TDataTable::ExportAsASC(TStream& Stream, int32_t Precision) const {
  WriteASC(
      [&](std::string_view s) { Stream.WriteBuffer(s.data(), static_cast<int64_t>(s.size())); },
      Precision);
}

int32_t TDataTable::ReadASC(TStream& stream, int32_t destCol, int32_t destRow, bool grow,
                            bool replace) {
  TAscTable t;
  bool attribs = false, colNames = false, rowNames = false, fourth = false;
  const int16_t header =
      ReadHeaderOfASC(stream, t.Comment, t.Cols, t.Rows, attribs, colNames, rowNames, fourth);
  if (header != 0) return header;
  if (fourth) return ascUnknownFlag;
  if (t.Cols < 1 || t.Rows < 1) return ascTooLarge;
  const std::string body = StreamAsString(stream);
  try {
    t.Values.resize(static_cast<std::size_t>(t.Cols) * static_cast<std::size_t>(t.Rows));
    if (colNames) t.ColNames.resize(t.Cols);
    if (rowNames) t.RowNames.resize(t.Rows);
    if (attribs) t.RowAttribs.resize(t.Rows);
  } catch (const std::exception&) {
    return ascTooLarge;
  }
  TAscScanner scan(body);
  for (std::string& name : t.ColNames)
    if (!scan.Name(name)) return ascBadValue;
  for (int32_t r = 0; r < t.Rows; ++r) {
    double x = 0;
    if (attribs) {
      if (!scan.Number(x) || !(x >= 0 && x <= 255) || x != std::floor(x)) return ascBadAttribute;
      t.RowAttribs[r] = static_cast<uint8_t>(x);
    }
    if (rowNames && !scan.Name(t.RowNames[r])) return ascBadValue;
    for (int32_t c = 0; c < t.Cols; ++c) {
      if (!scan.Number(x)) return ascBadValue;
      t.Values[static_cast<std::size_t>(c) * t.Rows + r] = x;
    }
  }
  Take(t, destCol, destRow, grow, replace);
  return 0;
}

int32_t TDataTable::ImportASC(const std::string& FileName) {
  TStringStream s(ReadTextFile(FileName));
  return ImportASC(s);
}

int32_t TDataTable::ImportASC(TStream& Stream) { return ReadASC(Stream, 1, 1, true, true); }

int32_t TDataTable::ImportASC(TClipboard& Clipboard) {
  TStringStream s(Clipboard.AsText());
  return ImportASC(s);
}

int32_t TDataTable::ReadFromASC(const std::string& FileName, int32_t DestCol, int32_t DestRow,
                                bool Grow) {
  TStringStream s(ReadTextFile(FileName));
  return ReadFromASC(s, DestCol, DestRow, Grow);
}

int32_t TDataTable::ReadFromASC(TStream& Stream, int32_t DestCol, int32_t DestRow, bool Grow) {
  return ReadASC(Stream, DestCol, DestRow, Grow, false);
}

int32_t TDataTable::ReadFromASC(TClipboard& Clipboard, int32_t DestCol, int32_t DestRow,
                                bool Grow) {
  TStringStream s(Clipboard.AsText());
  return ReadFromASC(s, DestCol, DestRow, Grow);
}

// Places a read table: replacing this one, or into it from (destCol,
// destRow) on.
void TDataTable::Take(const TAscTable& t, int32_t destCol, int32_t destRow, bool grow,
                      bool replace) {
  destCol = std::max(destCol, 1);
  destRow = std::max(destRow, 1);
  const int32_t oldCols = ncols_, oldRows = nrows_;
  const int64_t lastCol = int64_t{destCol} + t.Cols - 1, lastRow = int64_t{destRow} + t.Rows - 1;
  {
    TPause pause(*this, evAll);
    if (replace) {
      Reshape(t.Cols, t.Rows, true);
      for (int32_t c = 1; c <= ncols_; ++c) ResetColumn(c, true);
      for (int32_t r = 1; r <= nrows_; ++r) ResetRow(r, true);
      comment_ = RemoveControlChars(t.Comment);
    } else if (grow && (lastCol > ncols_ || lastRow > nrows_)) {
      const int64_t cols = std::max<int64_t>(ncols_, lastCol),
                    rows = std::max<int64_t>(nrows_, lastRow);
      if (cols > std::numeric_limits<int32_t>::max() || rows > std::numeric_limits<int32_t>::max())
        Raise("not enough memory on heap");
      Reshape(static_cast<int32_t>(cols), static_cast<int32_t>(rows), true);
    }
    for (int32_t c = 0; c < t.Cols && destCol + int64_t{c} <= ncols_; ++c) {
      const int32_t col = destCol + c;
      if (!t.ColNames.empty()) col_names_[col - 1] = t.ColNames[c];
      for (int32_t r = 0; r < t.Rows && destRow + int64_t{r} <= nrows_; ++r) {
        const std::size_t from = static_cast<std::size_t>(c) * t.Rows + r;
        data_->Column(col)[destRow - 1 + r] = t.Values[from];
        states_[CellIndex(col, destRow + r)] = t.States.empty() ? 0 : t.States[from];
      }
    }
    for (int32_t r = 0; r < t.Rows && destRow + int64_t{r} <= nrows_; ++r) {
      if (!t.RowNames.empty()) row_names_[destRow - 1 + r] = t.RowNames[r];
      if (!t.RowAttribs.empty()) row_attribs_[destRow - 1 + r] = t.RowAttribs[r];
    }
  }
  if (ncols_ != oldCols || nrows_ != oldRows) FireResize(oldCols, oldRows);
  FireAllChanged();
}

// ---------------------------------------------------------------------------
// CSV

namespace {

std::string CsvField(std::string_view s, char delimiter) {
  const bool quote =
      s.find_first_of(std::string{delimiter, '"', '\r', '\n'}) != std::string_view::npos ||
      (!s.empty() && (s.front() == ' ' || s.back() == ' '));
  return quote ? Quoted(s) : std::string(s);
}

std::string JoinFields(const std::vector<std::string>& fields, char delimiter) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += delimiter;
    line += fields[i];
  }
  return line;
}

char DelimiterChar(TCSVDelimiters d) { return d < csvUnknown ? CSVDelimiters[d] : ','; }

// Splits CSV text into records of fields; a quoted field may hold the
// delimiter, line breaks and doubled quotes. Calls field(recordIndex,
// fieldIndex, text, wasQuoted) and skips empty lines. The text of a quoted
// field is its content as written, without the blanks around the quotes.
template <class Field>
void SplitCsv(std::string_view text, char delimiter, Field&& field) {
  int64_t record = 0;
  int32_t index = 0;
  std::string current;
  bool quoted = false, wasQuoted = false, lineHasText = false;
  std::size_t quotedEnd = 0;  // length of current at the closing quote
  const auto endField = [&] {
    if (wasQuoted) {
      const std::size_t last = current.find_last_not_of(' ');
      current.resize(std::max(quotedEnd, last == std::string::npos ? 0 : last + 1));
    }
    field(record, index++, std::string_view(current), wasQuoted);
    current.clear();
    wasQuoted = false;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c != '"')
        current += c;
      else if (i + 1 < text.size() && text[i + 1] == '"')
        current += text[++i];
      else {
        quoted = false;
        quotedEnd = current.size();
      }
      continue;
    }
    if (c == '\r') continue;
    if (c == '\n') {
      if (lineHasText) {
        endField();
        ++record;
      }
      index = 0;
      lineHasText = false;
      wasQuoted = false;
      current.clear();
      continue;
    }
    lineHasText = true;
    if (c == '"' && StripLTBlanks(current).empty()) {
      current.clear();
      quoted = wasQuoted = true;
    } else if (c == delimiter) {
      endField();
    } else {
      current += c;
    }
  }
  if (lineHasText) endField();
}

char GuessDelimiter(std::string_view text) {
  const std::string_view first = text.substr(0, text.find('\n'));
  for (char c : {'\t', ';', ',', ':'})
    if (first.find(c) != std::string_view::npos) return c;
  return ',';
}

}  // namespace

template <class Sink>
void TDataTable::WriteCSV(Sink&& put, int32_t precision, TCSVDelimiters delimiter, bool colNames,
                          bool rowNames, bool rowAttribs, bool emptyAsBlank) const {
  const char d = DelimiterChar(delimiter);
  if (colNames) {
    std::vector<std::string> fields;
    if (rowNames) fields.emplace_back();
    if (rowAttribs) fields.emplace_back();
    for (int32_t c = 1; c <= ncols_; ++c) fields.push_back(CsvField(col_names_[c - 1].View(), d));
    put(JoinFields(fields, d) + "\r\n");
  }
  std::vector<std::string> fields;
  for (int32_t r = 1; r <= nrows_; ++r) {
    fields.clear();
    if (rowNames) fields.push_back(CsvField(row_names_[r - 1].View(), d));
    if (rowAttribs) fields.push_back(IntToStr(row_attribs_[r - 1]));
    for (int32_t c = 1; c <= ncols_; ++c)
      fields.push_back(emptyAsBlank && !IsNumberState(states_[CellIndex(c, r)])
                           ? std::string()
                           : ValueText(GetElem(c, r), precision));
    put(JoinFields(fields, d) + "\r\n");
  }
}

void TDataTable::ExportAsCSV(const std::string& FileName, int32_t Precision,
                             TCSVDelimiters Delimiter, bool ColNames, bool RowNames) const {
  ExportAsCSV(FileName, Precision, Delimiter, ColNames, RowNames, false, false);
}

void TDataTable::ExportAsCSV(const std::string& FileName, int32_t Precision,
                             TCSVDelimiters Delimiter, bool ColNames, bool RowNames,
                             bool RowAttribs) const {
  ExportAsCSV(FileName, Precision, Delimiter, ColNames, RowNames, RowAttribs, false);
}

void TDataTable::ExportAsCSV(const std::string& FileName, int32_t Precision,
                             TCSVDelimiters Delimiter, bool ColNames, bool RowNames,
                             bool RowAttribs, bool EmptyAsBlank) const {
  WriteTextFile(FileName, [&](auto&& put) {
    WriteCSV(put, Precision, Delimiter, ColNames, RowNames, RowAttribs, EmptyAsBlank);
  });
}

int32_t TDataTable::ImportFromCSV(const std::string& FileName, TCSVDelimiters Delimiter,
                                  bool ColNames, bool RowNames) {
  const std::string text = ReadTextFile(FileName);
  const char d = Delimiter < csvUnknown ? CSVDelimiters[Delimiter] : GuessDelimiter(text);
  const bool decimalComma = d != ',';

  // Fields go into rows of values and states; the shape is known at the end.
  std::vector<std::string> colNames, rowNames;
  std::vector<std::vector<double>> values;
  std::vector<std::vector<uint8_t>> states;
  bool bad = false;
  int32_t cols = 0;
  try {
    SplitCsv(text, d, [&](int64_t record, int32_t index, std::string_view field, bool quoted) {
      if (bad) return;
      // Quoted names keep their blanks, so that what ExportAsCSV quoted
      // comes back as it was.
      const auto name = [&] { return quoted ? std::string(field) : StripLTBlanks(field); };
      if (ColNames && record == 0) {
        if (index >= (RowNames ? 1 : 0)) colNames.push_back(name());
        return;
      }
      const int64_t row = record - (ColNames ? 1 : 0);
      if (row >= static_cast<int64_t>(values.size())) {
        values.emplace_back();
        states.emplace_back();
      }
      if (RowNames && index == 0) {
        rowNames.resize(values.size());
        rowNames.back() = name();
        return;
      }
      const std::string trimmed = StripLTBlanks(field);
      double x = 0;
      uint8_t state = 0;
      if (trimmed.empty())
        state = cellEmpty;
      else if (!ParseValue(trimmed, decimalComma, x))
        bad = true;
      values.back().push_back(x);
      states.back().push_back(state);
      cols = std::max(cols, static_cast<int32_t>(values.back().size()));
    });
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  if (bad) return csvBadNumber;
  if (values.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max()))
    Raise("not enough memory on heap");
  const auto rows = static_cast<int32_t>(values.size());
  if (cols == 0 || rows == 0) return csvNoData;

  TAscTable t;
  t.Cols = cols;
  t.Rows = rows;
  try {
    t.Values.assign(static_cast<std::size_t>(cols) * rows, 0.0);
    t.States.assign(static_cast<std::size_t>(cols) * rows, cellEmpty);
  } catch (const std::exception&) {
    Raise("not enough memory on heap");
  }
  for (int32_t r = 0; r < rows; ++r)
    for (std::size_t c = 0; c < values[r].size(); ++c) {
      t.Values[c * rows + r] = values[r][c];
      t.States[c * rows + r] = states[r][c];
    }
  if (ColNames) {
    for (auto c = static_cast<int32_t>(colNames.size()); c < cols; ++c)
      colNames.push_back("C-" + IntToStr(c + 1));
    colNames.resize(cols);
    t.ColNames = std::move(colNames);
  }
  if (RowNames) {
    rowNames.resize(rows);
    t.RowNames = std::move(rowNames);
  }
  Take(t, 1, 1, true, true);
  return 0;
}

}  // namespace nuv
