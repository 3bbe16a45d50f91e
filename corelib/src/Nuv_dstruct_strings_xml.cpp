// The XML blocks of TStringArray and the text encoding that both arrays'
// blocks use.
//
// A string table is written as
//
//   <strarray sig="Nuvkit" vers="1.0" id="ID">
//     <numcols val=3 attrib="0 7 0" />     column attributes, when any is set
//     <numrows val=2 />
//     <cell c=0 r=1 ra=5>Label &amp; more</cell>
//     <cell c=2 r=1>x</cell>
//   </strarray>
//
// with one cell element per non-empty cell in logical order, rows first.
// The first cell of a row carries the row's attribute (ra) when it is not
// 0; a row with an attribute and no text gets an empty cell of column 0.
#include <algorithm>
#include <tuple>

#include "Nuv_dstruct_internal.h"
#include "nuv/Nuv_dstruct.h"
#include "nuv/Nuv_streams.h"
#include "nuv/Nuv_stringl.h"

namespace nuv {

namespace detail {

namespace {

constexpr std::string_view EntityOf(char C) {
  switch (C) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '"':
      return "&quot;";
    default:
      return {};
  }
}

// The byte of the entity at S[0] ("&...;") and its length; 0 when S does
// not start with one.
std::size_t ReadEntity(std::string_view S, char& Byte) {
  for (const char c : {'&', '<', '>', '"'}) {
    const std::string_view entity = EntityOf(c);
    if (S.starts_with(entity)) {
      Byte = c;
      return entity.size();
    }
  }
  if (!S.starts_with("&#")) return 0;
  int32_t code = 0;
  TNumScan scan;
  if (S.size() < 3 || !IsDigit(S[2]) || !ScanInt32At(S, 2, code, scan)) return 0;
  if (scan.End >= S.size() || S[scan.End] != ';' || code > 255) return 0;
  Byte = static_cast<char>(code);
  return scan.End + 1;
}

}  // namespace

std::string EncodeXMLText(std::string_view S) {
  std::string out;
  out.reserve(S.size());
  for (const char c : S) {
    const auto b = static_cast<uint8_t>(c);
    if (const std::string_view entity = EntityOf(c); !entity.empty()) {
      out += entity;
    } else if (b < 32 || b == 127) {
      out += "&#" + std::to_string(b) + ";";
    } else {
      out += c;
    }
  }
  return out;
}

std::string DecodeXMLText(std::string_view S) {
  std::string out;
  out.reserve(S.size());
  for (std::size_t i = 0; i < S.size(); ++i) {
    char byte = S[i];
    if (byte == '&') {
      if (const std::size_t n = ReadEntity(S.substr(i), byte); n > 0) i += n - 1;
    }
    out += byte;
  }
  return out;
}

}  // namespace detail

namespace {

constexpr std::string_view kRoot = "strarray";
enum TChild : int32_t { chNumCols, chNumRows, chCell };
const std::vector<std::string> kChildren{"numcols", "numrows", "cell"};

// A whole decimal integer in Lo..Hi; false for anything else, an absent
// attribute included.
bool ScanIndex(const std::string& Attributes, std::string_view Name, int32_t Lo, int32_t Hi,
               int32_t& Value) {
  const std::string text = ScanForXMLAttrib(Attributes, Name);
  TNumScan scan;
  return !text.empty() && ScanInt32At(text, 0, Value, scan) && scan.End == text.size() &&
         !scan.Overflow && Value >= Lo && Value <= Hi;
}

// Blank-separated bytes, exactly Count of them.
bool ScanByteList(std::string_view Text, int32_t Count, std::vector<uint8_t>& Bytes) {
  Bytes.clear();
  std::size_t at = 0;
  int32_t value = 0;
  TNumScan scan;
  while (SkipBlanksAt(Text, at) < Text.size()) {
    if (!ScanInt32At(Text, at, value, scan) || value < 0 || value > 255) return false;
    if (scan.End < Text.size() && !IsBlankChar(Text[scan.End])) return false;
    Bytes.push_back(static_cast<uint8_t>(value));
    at = scan.End;
  }
  return static_cast<int32_t>(Bytes.size()) == Count;
}

struct TReadCell {
  int32_t Col, Row;
  std::string Text;
  int32_t RowAttrib;  // -1 when not given
};

// What a block holds, checked before anything of the table changes.
struct TReadTable {
  int32_t Cols = 0, Rows = 0;
  std::string ColAttribText;
  bool Valid = true;
  std::vector<TReadCell> Cells;

  void Take(int32_t Index, const std::string& Content, const std::string& Attributes) {
    int32_t* count = Index == chNumCols ? &Cols : (Index == chNumRows ? &Rows : nullptr);
    if (count != nullptr) {
      // A count given twice has no meaning to choose from.
      Valid = Valid && *count == 0 && ScanIndex(Attributes, "val", 1, INT32_MAX, *count);
      if (Index == chNumCols) ColAttribText = ScanForXMLAttrib(Attributes, "attrib");
      return;
    }
    if (Index != chCell) return;
    TReadCell cell{0, 0, detail::DecodeXMLText(Content), -1};
    Valid = Valid && ScanIndex(Attributes, "c", 0, INT32_MAX, cell.Col) &&
            ScanIndex(Attributes, "r", 1, INT32_MAX, cell.Row);
    if (!ScanForXMLAttrib(Attributes, "ra").empty())
      Valid = Valid && ScanIndex(Attributes, "ra", 0, 255, cell.RowAttrib);
    if (Valid) Cells.push_back(std::move(cell));
  }

  // Both counts, every cell inside them and none twice.
  bool Consistent(std::vector<uint8_t>& ColAttribs) {
    if (!Valid || Cols < 1 || Rows < 1) return false;
    if (ColAttribText.empty())
      ColAttribs.assign(static_cast<std::size_t>(Cols), 0);
    else if (!ScanByteList(ColAttribText, Cols, ColAttribs))
      return false;
    std::vector<std::pair<int32_t, int32_t>> places;
    places.reserve(Cells.size());
    for (const TReadCell& c : Cells) {
      if (c.Col > Cols || c.Row > Rows) return false;
      places.emplace_back(c.Row, c.Col);
    }
    std::sort(places.begin(), places.end());
    return std::adjacent_find(places.begin(), places.end()) == places.end();
  }
};

}  // namespace

void TStringArray::WriteBlock(TXMLBlockWriter& W, bool CreateHeader, std::string_view ID) const {
  W.BeginBlock(CreateHeader, "TStringArray", kRoot, ID);
  TXMLAttributes cols;
  cols.AddInt("val", cols_);
  if (std::any_of(colAttr_.begin(), colAttr_.end(), [](uint8_t a) { return a != 0; })) {
    std::string list;
    for (const uint8_t a : colAttr_) list += (list.empty() ? "" : " ") + std::to_string(a);
    cols.AddText("attrib", list);
  }
  W.EmptyElement("numcols", cols);
  W.EmptyElement("numrows", TXMLAttributes().AddInt("val", rows_));
  for (int32_t r = 1; r <= rows_; ++r) {
    int32_t attrib = RowAttrib(r);
    const auto cell = [&](int32_t c, std::string_view text) {
      TXMLAttributes a;
      a.AddInt("c", c).AddInt("r", r);
      if (attrib != 0) a.AddInt("ra", attrib);
      W.ContentElement("cell", detail::EncodeXMLText(text), a.Text());
      attrib = 0;
    };
    for (int32_t c = 0; c <= cols_; ++c)
      if (const std::string_view text = ElemView(c, r); !text.empty()) cell(c, text);
    if (attrib != 0) cell(0, {});
  }
  W.EndBlock();
}

template <class In>
bool TStringArray::ReadBlock(In& Input, std::string_view ID) {
  std::string rootAttributes;
  if (!FindXMLBlock(Input, kRoot, ID, rootAttributes)) return false;
  TReadTable read;
  if (!ReadXMLBlockElements(
          Input, kRoot, kChildren,
          [&](int32_t index, const std::string& content, const std::string& attributes) {
            read.Take(index, content, attributes);
          }))
    return false;
  std::vector<uint8_t> colAttribs;
  if (!read.Consistent(colAttribs)) return false;
  TStringArray table(nullptr);
  table.SetAllocRowsBy(allocRowsBy_);
  if (!table.Resize(read.Cols, read.Rows)) return false;
  try {
    for (const TReadCell& c : read.Cells) {
      table.SetElem(c.Col, c.Row, c.Text);
      if (c.RowAttrib >= 0) table.SetRowAttrib(c.Row, static_cast<uint8_t>(c.RowAttrib));
    }
  } catch (const ENUVDStructError&) {
    return false;
  }
  table.colAttr_ = std::move(colAttribs);
  TakeStorage(table);
  Changed();
  return true;
}

void TStringArray::WriteToOpenXMLFile(TextFile& F, bool CreateHeader, std::string_view ID) const {
  TXMLBlockWriter w(F);
  WriteBlock(w, CreateHeader, ID);
}

void TStringArray::WriteToOpenXMLFile(TStream& Stream, bool CreateHeader,
                                      std::string_view ID) const {
  TXMLBlockWriter w(Stream);
  WriteBlock(w, CreateHeader, ID);
}

bool TStringArray::ReadFromOpenXMLFile(TextFile& F, std::string_view ID) {
  return ReadBlock(F, ID);
}

bool TStringArray::ReadFromOpenXMLFile(TStream& Stream, std::string_view ID) {
  return ReadBlock(Stream, ID);
}

void TStringArray::SaveAsXMLFile(std::string_view FileName, std::string_view ID) const {
  SaveXMLFile(FileName, [&](TextFile& F) { WriteToOpenXMLFile(F, true, ID); });
}

bool TStringArray::LoadFromXMLFile(std::string_view FileName, std::string_view ID) {
  return LoadXMLFile(FileName, [&](TextFile& F) { return ReadBlock(F, ID); });
}

}  // namespace nuv
