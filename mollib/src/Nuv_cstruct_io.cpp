// Readers and writers of TCTab. Every reader fills a scratch table and
// takes it over only when the record was read completely, so a refused
// record never leaves a half-read table behind.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>

#include "nuv/Nuv_cstruct.h"
#include "nuv/Nuv_streams.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/SysUtils.h"

namespace nuv {

struct TCTabAccess {
  static void Commit(TCTab& t, const TCTab& from) {
    t.CommitFrom(from);
    t.Changed();
  }
  static CTElem& At(TCTab& t, int32_t a) { return t.At(a); }
  static void SetName(TCTab& t, std::string_view s) { t.name_ = s; }
  static void AppendName(TCTab& t, std::string_view s) { t.name_ += s; }
  static void SetCas(TCTab& t, int32_t c) { t.cas_ = c; }
  static void SetCount(TCTab& t, int32_t n) { t.natoms_ = n; }
};

namespace {

using A = TCTabAccess;

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Columns From..To (1-based, inclusive) of s, shorter where s ends.
std::string_view Cols(std::string_view s, std::size_t From, std::size_t To) {
  if (s.size() < From) return {};
  return s.substr(From - 1, To - From + 1);
}

template <class T>
bool ParseNum(std::string_view s, T& v) {
  s = Trim(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return false;
  T x{};
  const auto r = std::from_chars(s.data(), s.data() + s.size(), x);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return false;
  if constexpr (std::is_floating_point_v<T>) {
    if (!std::isfinite(x)) return false;
  }
  v = x;
  return true;
}

// A blank field reads as 0.
bool ParseOptInt(std::string_view s, int32_t& v) {
  if (Trim(s).empty()) {
    v = 0;
    return true;
  }
  return ParseNum(s, v);
}

// Free-format tokens of one line.
class TTokens {
 public:
  explicit TTokens(std::string_view s) : s_(s) {}
  std::string_view Next() {
    while (pos_ < s_.size() && IsBlank(s_[pos_])) ++pos_;
    const std::size_t b = pos_;
    while (pos_ < s_.size() && !IsBlank(s_[pos_])) ++pos_;
    return s_.substr(b, pos_ - b);
  }
  template <class T>
  bool Num(T& v) {
    return ParseNum(Next(), v);
  }
  // Exactly n characters from the position.
  std::string_view Take(std::size_t n) {
    const std::string_view r = s_.substr(std::min(pos_, s_.size()), n);
    pos_ += r.size();
    return r;
  }
  bool AtEnd() {
    while (pos_ < s_.size() && IsBlank(s_[pos_])) ++pos_;
    return pos_ >= s_.size();
  }

 private:
  std::string_view s_;
  std::size_t pos_ = 0;
};

class TLineSource {
 public:
  virtual ~TLineSource() = default;
  // False at the end of the input.
  virtual bool Next(std::string& s) = 0;
};

class TFileLines final : public TLineSource {
 public:
  explicit TFileLines(TextFile& f) : f_(f) {}
  bool Next(std::string& s) override {
    if (f_.Eof()) return false;
    f_.ReadLn(s);
    return true;
  }

 private:
  TextFile& f_;
};

// Lines of a stream ending in LF, CR LF or CR.
class TStreamLines final : public TLineSource {
 public:
  explicit TStreamLines(TStream& st) : st_(st) {}
  bool Next(std::string& s) override {
    if (st_.Position() >= st_.Size()) return false;
    bool eos = false;
    s = ReadLnStream(st_, eos, 2);
    if (eos) return true;
    st_.Seek(-1, soCurrent);
    char c = 0;
    st_.Read(&c, 1);
    if (c == '\r' && st_.Read(&c, 1) == 1 && c != '\n') st_.Seek(-1, soCurrent);
    return true;
  }

 private:
  TStream& st_;
};

bool IsRecordEnd(std::string_view s) { return Trim(s) == "$$$$"; }

// Lines of one record: a "$$$$" line ends it and is consumed.
class TRecord {
 public:
  explicit TRecord(TLineSource& src) : src_(src) {}
  bool Line(std::string& s) {
    if (ended_) return false;
    if (!src_.Next(s) || IsRecordEnd(s)) {
      ended_ = true;
      return false;
    }
    return true;
  }
  // Consumes the rest of the record.
  void Skip() {
    std::string s;
    while (Line(s)) {
    }
  }
  bool Ended() const { return ended_; }

 private:
  TLineSource& src_;
  bool ended_ = false;
};

enum TReadResult { rrOk, rrQuery, rrFail };

struct TAtomFields {
  double xyz[3] = {0, 0, 0};
  std::string_view symbol;
  int32_t massdiff = 0;
  int32_t chargecode = 0;
};

bool ParseFixedAtom(std::string_view s, TAtomFields& f) {
  return ParseNum(Cols(s, 1, 10), f.xyz[0]) && ParseNum(Cols(s, 11, 20), f.xyz[1]) &&
         ParseNum(Cols(s, 21, 30), f.xyz[2]) && !(f.symbol = Trim(Cols(s, 32, 34))).empty() &&
         ParseOptInt(Cols(s, 35, 36), f.massdiff) && ParseOptInt(Cols(s, 37, 39), f.chargecode);
}

bool ParseFreeAtom(std::string_view s, TAtomFields& f) {
  TTokens t(s);
  if (!t.Num(f.xyz[0]) || !t.Num(f.xyz[1]) || !t.Num(f.xyz[2])) return false;
  f.symbol = Trim(t.Take(3));
  if (f.symbol.empty()) return false;
  for (int32_t* v : {&f.massdiff, &f.chargecode}) {
    if (t.AtEnd()) break;
    if (!t.Num(*v)) return false;
  }
  return true;
}

bool StoreAtom(TCTab& t, int32_t a, const TAtomFields& f) {
  CTElem& e = A::At(t, a);
  int32_t z = AtomicNumber(f.symbol);
  int32_t nominal = IntAtWeight(z);
  if (f.symbol == "D" || f.symbol == "T") {
    z = 1;
    nominal = f.symbol == "D" ? 2 : 3;
  }
  const int32_t weight = nominal + f.massdiff;
  const int32_t c = f.chargecode;
  const int32_t charge = c >= 1 && c <= 7 ? 4 - c : c;
  if (weight < 0 || weight > MaxIsotopeMass || charge < -127 || charge > 127) return false;
  e.AtNum = static_cast<uint8_t>(z);
  e.AtWeight = static_cast<uint16_t>(weight);
  e.Charge = static_cast<int8_t>(charge);
  for (std::size_t k = 0; k < 3; ++k) e.Coords[k] = static_cast<float>(f.xyz[k]);
  return true;
}

// Bond of atoms a, b (1..n) and type: entered in both records. False for
// bad numbers, a self-bond, a type below 1 or a full atom; query types
// (above 4) are entered as single bonds.
bool StoreBond(TCTab& t, int32_t a, int32_t b, int32_t type, bool& query) {
  if (a < 1 || a > t.NAtoms() || b < 1 || b > t.NAtoms() || a == b || type < 1) return false;
  if (type > 4) {
    type = 1;
    query = true;
  }
  return t.MakeConnection(a, b, type);
}

// Shifts every axis to a minimum of 0 and scales x and y to about 800 ×
// 600 units, all axes within 0..32767, rounded to whole units.
void NormaliseCoords(TCTab& t, const std::vector<std::array<double, 3>>& xyz) {
  const int32_t n = t.NAtoms();
  double lo[3], hi[3];
  for (int k = 0; k < 3; ++k) {
    lo[k] = hi[k] = xyz[0][static_cast<std::size_t>(k)];
    for (int32_t a = 1; a < n; ++a) {
      lo[k] = std::min(lo[k], xyz[static_cast<std::size_t>(a)][static_cast<std::size_t>(k)]);
      hi[k] = std::max(hi[k], xyz[static_cast<std::size_t>(a)][static_cast<std::size_t>(k)]);
    }
  }
  auto part = [&](int k, double span) {
    const double r = hi[k] - lo[k];
    return r > 1e-6 ? span / r : 0.0;
  };
  double factor = std::max(part(0, 800), part(1, 600));
  // A structure without x or y extent keeps its z extent.
  if (factor == 0) factor = part(2, 800);
  if (factor == 0) factor = 1;
  for (int k = 0; k < 3; ++k) {
    const double r = hi[k] - lo[k];
    if (r * factor > 32767) factor = 32767 / r;
  }
  for (int32_t a = 1; a <= n; ++a)
    for (std::size_t k = 0; k < 3; ++k) {
      const double v =
          std::min(32767.0, std::round((xyz[static_cast<std::size_t>(a - 1)][k] - lo[k]) * factor));
      A::At(t, a).Coords[k] = static_cast<float>(std::max(0.0, v));
    }
}

// "M  CHG" / "M  ISO": count, then pairs of atom number and value.
bool ApplyPropertyLine(TCTab& t, std::string_view s, bool& first_chg) {
  const bool chg = s.starts_with("M  CHG");
  if (!chg && !s.starts_with("M  ISO")) return true;
  TTokens tok(s.substr(6));
  int32_t count = 0;
  if (!tok.Num(count) || count < 1 || count > MaxCTabAtoms) return false;
  if (chg && first_chg) {
    for (int32_t a = 1; a <= t.NAtoms(); ++a) A::At(t, a).Charge = 0;
    first_chg = false;
  }
  for (int32_t i = 0; i < count; ++i) {
    int32_t a = 0, v = 0;
    if (!tok.Num(a) || !tok.Num(v) || a < 1 || a > t.NAtoms()) return false;
    CTElem& e = A::At(t, a);
    if (chg) {
      if (v < -127 || v > 127) return false;
      e.Charge = static_cast<int8_t>(v);
    } else {
      if (v < 1 || v > MaxIsotopeMass) return false;
      e.AtWeight = static_cast<uint16_t>(v);
    }
  }
  return true;
}

// Counts line to the end of the properties block. In SD mode atoms and
// bonds are read in free format and a data header (a line beginning with
// ">") ends the block; it is left in pending.
TReadResult ParseCTab(TRecord& rec, TCTab& t, bool sd, std::string& pending) {
  std::string s;
  if (!rec.Line(s) || s.find("V3000") != std::string::npos) return rrFail;
  int32_t natoms = 0, nbonds = 0;
  if (!ParseNum(Cols(s, 1, 3), natoms) || !ParseOptInt(Cols(s, 4, 6), nbonds)) return rrFail;
  if (natoms < 1 || natoms > MaxCTabAtoms || nbonds < 0 || nbonds > MaxCTabAtoms * MaxCTabConn / 2)
    return rrFail;
  A::SetCount(t, natoms);
  std::vector<std::array<double, 3>> xyz(static_cast<std::size_t>(natoms));
  for (int32_t a = 1; a <= natoms; ++a) {
    TAtomFields f;
    // Free format fails where ten-column coordinates touch ("1.0000-1234.5678");
    // the fixed columns read those.
    if (!rec.Line(s) || !((sd && ParseFreeAtom(s, f)) || ParseFixedAtom(s, f)) ||
        !StoreAtom(t, a, f))
      return rrFail;
    xyz[static_cast<std::size_t>(a - 1)] = {f.xyz[0], f.xyz[1], f.xyz[2]};
  }
  bool query = false;
  for (int32_t i = 0; i < nbonds; ++i) {
    int32_t a = 0, b = 0, type = 0;
    if (!rec.Line(s)) return rrFail;
    if (sd) {
      TTokens tok(s);
      if (!tok.Num(a) || !tok.Num(b) || !tok.Num(type)) return rrFail;
    } else if (!ParseNum(Cols(s, 1, 3), a) || !ParseNum(Cols(s, 4, 6), b) ||
               !ParseNum(Cols(s, 7, 9), type)) {
      return rrFail;
    }
    if (!StoreBond(t, a, b, type, query)) return rrFail;
  }
  bool first_chg = true;
  while (rec.Line(s)) {
    if (s.starts_with("M  END")) break;
    if (sd && Trim(s).starts_with(">")) {
      pending = s;
      break;
    }
    if (!ApplyPropertyLine(t, s, first_chg)) return rrFail;
  }
  NormaliseCoords(t, xyz);
  return query ? rrQuery : rrOk;
}

bool Finish(TCTab& target, const TCTab& scratch, TReadResult r) {
  if (r == rrFail) return false;
  A::Commit(target, scratch);
  return r == rrOk;
}

bool ReadCTab(TCTab& target, TLineSource& src) {
  TRecord rec(src);
  TCTab t(nullptr);
  std::string pending;
  return Finish(target, t, ParseCTab(rec, t, false, pending));
}

bool ReadMol(TCTab& target, TLineSource& src) {
  TRecord rec(src);
  TCTab t(nullptr);
  std::string name, skip, pending;
  if (!rec.Line(name) || !rec.Line(skip) || !rec.Line(skip)) return false;
  A::SetName(t, name);
  return Finish(target, t, ParseCTab(rec, t, false, pending));
}

// Names of the data items kept in TPropRec, in the order they are tested.
constexpr std::string_view kPropNames[] = {
    "MELTP", "BOILP", "DENSI", "REFRX", "LGKOC", "ACCOF", "WAALA", "WAALB", "WSOLU", "DHF0",
    "DFF0",  "LOGKF", "ENTR0", "LOGHY", "DIPOL", "HEATV", "MOLVL", "RETIX", "CRITT", "POLAR"};

std::string Upper(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = AnsiUpperChar(c);
  return r;
}

// The name in the first <...> of a data header line, upper case.
std::string DataItemName(std::string_view line) {
  const auto b = line.find('<');
  const auto e = b == std::string_view::npos ? b : line.find('>', b + 1);
  if (e == std::string_view::npos) return {};
  return Upper(Trim(line.substr(b + 1, e - b - 1)));
}

void ReadDataItems(TRecord& rec, TCTab& t, std::string pending, TPropRec& props) {
  std::string s;
  int32_t used = 0;
  for (;;) {
    if (pending.empty() && !rec.Line(pending)) return;
    s.swap(pending);
    pending.clear();
    const std::string_view line = Trim(s);
    if (!line.starts_with(">")) continue;
    const std::string name = DataItemName(line);
    std::string value;
    if (name.empty() || !rec.Line(value)) continue;
    if (name == "CAS_RN" || name == "CASREGNR") {
      int32_t cas = 0;
      if (ConvertStrToCASNr(Trim(value), cas)) A::SetCas(t, cas);
      continue;
    }
    if (Trim(value).starts_with(">")) {
      pending = value;  // an item without value line
      continue;
    }
    if (std::find(std::begin(kPropNames), std::end(kPropNames), name) == std::end(kPropNames) ||
        used >= MaxPropItems)
      continue;
    double v = 0;
    if (!TTokens(value).Num(v)) continue;
    props.Items[static_cast<std::size_t>(used)].Name = name;
    props.Items[static_cast<std::size_t>(used)].Value = v;
    ++used;
  }
}

// ---------------------------------------------------------------------------
// Clear-text formats

// Free-format reading over the remaining lines of a text file.
class TFreeText {
 public:
  explicit TFreeText(TextFile& f) {
    std::string s;
    while (!f.Eof()) {
      f.ReadLn(s);
      lines_.push_back(s);
    }
  }
  // Moves behind the first "/" whose following characters, up to and
  // including the next blank (at most 8), contain Keyword.
  bool FindKeyword(std::string_view Keyword) {
    for (; line_ < lines_.size(); ++line_, col_ = 0) {
      const std::string& s = lines_[line_];
      for (std::size_t p = s.find('/', col_); p != std::string::npos; p = s.find('/', p + 1)) {
        std::size_t e = p + 1;
        while (e < s.size() && e - p - 1 < 8 && s[e] != ' ') ++e;
        if (e < s.size() && e - p - 1 < 8) ++e;  // the blank belongs to it
        if (std::string_view(s).substr(p + 1, e - p - 1).find(Keyword) != std::string_view::npos) {
          col_ = e;
          return true;
        }
      }
    }
    return false;
  }
  std::string_view Token() {
    for (; line_ < lines_.size(); ++line_, col_ = 0) {
      const std::string& s = lines_[line_];
      while (col_ < s.size() && IsBlank(s[col_])) ++col_;
      if (col_ >= s.size()) continue;
      const std::size_t b = col_;
      while (col_ < s.size() && !IsBlank(s[col_])) ++col_;
      return std::string_view(s).substr(b, col_ - b);
    }
    return {};
  }
  template <class T>
  bool Num(T& v) {
    return ParseNum(Token(), v);
  }
  template <class T>
  bool Num(T& v, T lo, T hi) {
    return Num(v) && v >= lo && v <= hi;
  }
  void SkipRestOfLine() {
    if (line_ < lines_.size()) ++line_;
    col_ = 0;
  }
  bool Line(std::string& s) {
    if (line_ >= lines_.size()) return false;
    s = lines_[line_++];
    col_ = 0;
    return true;
  }

 private:
  std::vector<std::string> lines_;
  std::size_t line_ = 0;
  std::size_t col_ = 0;
};

// Enters every bond listed from one end only at its other end too; a bond
// listed from both ends with different types, or one that does not fit,
// refuses the table.
bool MirrorBonds(TCTab& t) {
  for (int32_t a = 1; a <= t.NAtoms(); ++a)
    for (int32_t s = 1; s <= t.GetNBonds(a); ++s) {
      const int32_t b = t.GetConnTo(a, s);
      const int32_t type = t.GetTypConn(a, s);
      const int32_t back = t.CheckConnect(b, a);
      if (back != 0 && back != type) return false;
      if (back == 0) {
        if (t.GetNBonds(b) >= MaxCTabConn) return false;
        t.EnterConn(b, a, type);
      }
    }
  return true;
}

bool ReadNameLines(TFreeText& in, TCTab& t, int64_t count) {
  std::string s;
  for (int64_t i = 0; i < count; ++i) {
    if (!in.Line(s)) return false;
    if (!s.empty()) A::AppendName(t, std::string_view(s).substr(1));
  }
  return true;
}

// Atomic number, weight, attribute and charge of one clear-text atom.
bool ReadAtomHead(TFreeText& in, CTElem& e) {
  int32_t z = 0, w = 0, attr = 0, charge = 0;
  if (!in.Num(z, 0, MaxChemElem) || !in.Num(w, 0, MaxIsotopeMass) || !in.Num(attr, 0, 255) ||
      !in.Num(charge, -127, 127))
    return false;
  e.AtNum = static_cast<uint8_t>(z);
  e.AtWeight = static_cast<uint16_t>(w);
  e.Attrib = static_cast<uint8_t>(attr);
  e.Charge = static_cast<int8_t>(charge);
  return true;
}

bool ReadCoords(TFreeText& in, CTElem& e, int axes) {
  for (std::size_t k = 0; k < static_cast<std::size_t>(axes); ++k) {
    double v = 0;
    if (!in.Num(v) || std::fabs(v) > 3.4e38) return false;
    e.Coords[k] = static_cast<float>(v);
  }
  return true;
}

// Neighbour numbers then bond types of n slots into e; zero neighbours
// (CTABG's unused slots) are allowed where AllowEmpty.
bool ReadNeighbours(TFreeText& in, int32_t atom, int32_t natoms, int32_t n, bool AllowEmpty,
                    CTElem& e) {
  int32_t nb[MaxCTabConn] = {}, ty[MaxCTabConn] = {};
  for (int32_t i = 0; i < n; ++i)
    if (!in.Num(nb[i], AllowEmpty ? 0 : 1, natoms) || nb[i] == atom) return false;
  std::size_t k = 0;
  for (int32_t i = 0; i < n; ++i) {
    if (!in.Num(ty[i], AllowEmpty ? 0 : 1, 4)) return false;
    if ((nb[i] == 0) != (ty[i] == 0)) return false;
    if (nb[i] == 0) continue;
    e.Conn[k] = static_cast<uint8_t>(nb[i]);
    e.BondType[k++] = static_cast<uint8_t>(ty[i]);
  }
  return true;
}

bool ReadConnTab(TFreeText& in, TCTab& target, bool ctabg) {
  TCTab t(nullptr);
  int64_t l = 0, n = 0;
  if (!in.Num(l) || !in.Num(n)) return false;
  in.SkipRestOfLine();
  if (n < 1 || n > MaxCTabAtoms) return false;
  if (!ReadNameLines(in, t, ctabg ? l - n : l - 2 * n)) return false;
  const auto natoms = static_cast<int32_t>(n);
  for (int32_t a = 1; a <= natoms; ++a) {
    CTElem e;
    int32_t running = 0, nn = 0;
    if (!ctabg && !in.Num(running)) return false;
    if (!ReadAtomHead(in, e) || !ReadCoords(in, e, ctabg ? 2 : 3)) return false;
    if (ctabg)
      nn = 8;
    else if (!in.Num(nn, 0, MaxCTabConn))
      return false;
    if (!ReadNeighbours(in, a, natoms, nn, ctabg, e)) return false;
    t.AddAtom(e);
  }
  if (!MirrorBonds(t)) return false;
  A::Commit(target, t);
  return true;
}

// ---------------------------------------------------------------------------
// Writers

std::string Fixed(double v, int32_t width, int32_t decimals) {
  return FormatFixed(v, width, decimals);
}

std::string Int(int64_t v, int32_t width) {
  std::string s = IntToStr(v);
  if (static_cast<int32_t>(s.size()) < width)
    s.insert(0, static_cast<std::size_t>(width) - s.size(), ' ');
  return s;
}

std::string MdlSymbol(int32_t z) { return z == 0 ? "*" : CElemSymb(z); }

// "M  CHG" / "M  ISO" lines of up to 8 entries each.
void PropertyLines(std::vector<std::string>& out, std::string_view tag,
                   const std::vector<std::pair<int32_t, int32_t>>& items) {
  for (std::size_t i = 0; i < items.size(); i += 8) {
    const std::size_t k = std::min<std::size_t>(8, items.size() - i);
    std::string s = "M  " + std::string(tag) + Int(static_cast<int64_t>(k), 3);
    for (std::size_t j = i; j < i + k; ++j)
      s += ' ' + Int(items[j].first, 3) + ' ' + Int(items[j].second, 3);
    out.push_back(s);
  }
}

void EmitLines(TextFile& F, const std::vector<std::string>& lines) {
  for (const auto& s : lines) F.WriteLn(s);
}

void EmitLines(TStream& S, const std::vector<std::string>& lines) {
  for (const auto& s : lines) WriteLnStream(S, s);
}

}  // namespace

// The V2000 block from the counts line to "M  END".
static std::vector<std::string> MdlCTabLines(const TCTab& t) {
  std::vector<std::string> out;
  const int32_t n = t.NAtoms();
  long double len = 0;
  int32_t ends = 0;
  for (int32_t a = 1; a <= n; ++a)
    for (int32_t s = 1; s <= t.GetNBonds(a); ++s) {
      const int32_t b = t.GetConnTo(a, s);
      long double d2 = 0;
      for (int32_t k = 1; k <= 3; ++k)
        d2 += std::pow(static_cast<long double>(t.GetCoords(a, k) - t.GetCoords(b, k)), 2);
      len += std::sqrt(d2);
      ++ends;
    }
  double scale = ends > 0 && len > 0 ? static_cast<double>(1.5L * ends / len) : 1.0;
  // Every coordinate must fit its ten columns.
  double far = 0;
  for (int32_t a = 1; a <= n; ++a)
    for (int32_t k = 1; k <= 3; ++k) far = std::max(far, std::fabs(t.GetCoords(a, k)));
  if (far * scale > 99999) scale = 99999 / far;
  int32_t nbonds = 0;
  for (int32_t a = 1; a <= n; ++a)
    for (int32_t s = 1; s <= t.GetNBonds(a); ++s) nbonds += t.GetConnTo(a, s) > a ? 1 : 0;
  out.push_back(Int(n, 3) + Int(nbonds, 3) + "  0  0  0  0  0  0  0  0999 V2000");
  std::vector<std::pair<int32_t, int32_t>> chg, iso;
  for (int32_t a = 1; a <= n; ++a) {
    const int32_t z = t.GetAtNum(a);
    const int32_t w = t.GetAtWeight(a);
    const int32_t c = t.GetCharge(a);
    const int32_t diff = z > 0 && w > 0 ? w - IntAtWeight(z) : 0;
    const int32_t code = c >= -3 && c <= 3 && c != 0 ? 4 - c : 0;
    if (c != 0) chg.emplace_back(a, c);
    if (diff != 0) iso.emplace_back(a, w);
    std::string sym = MdlSymbol(z);
    sym.resize(3, ' ');
    out.push_back(Fixed(t.GetCoords(a, 1) * scale, 10, 4) +
                  Fixed(t.GetCoords(a, 2) * scale, 10, 4) +
                  Fixed(t.GetCoords(a, 3) * scale, 10, 4) + ' ' + sym +
                  Int(diff >= -3 && diff <= 4 ? diff : 0, 2) + Int(code, 3) +
                  "  0  0  0  0  0  0  0  0  0  0");
  }
  for (int32_t a = 1; a <= n; ++a)
    for (int32_t s = 1; s <= t.GetNBonds(a); ++s) {
      const int32_t b = t.GetConnTo(a, s);
      if (b > a) out.push_back(Int(a, 3) + Int(b, 3) + Int(t.GetTypConn(a, s), 3) + "  0  0  0  0");
    }
  PropertyLines(out, "CHG", chg);
  PropertyLines(out, "ISO", iso);
  out.push_back("M  END");
  return out;
}

static std::vector<std::string> MdlMolLines(const TCTab& t, std::string_view Name,
                                            std::string_view Comment) {
  bool z3 = false;
  for (int32_t a = 1; a <= t.NAtoms(); ++a) z3 = z3 || t.GetCoords(a, 3) != 0;
  std::vector<std::string> out = {std::string(Name),
                                  std::string("  nuv     0101000000") + (z3 ? "3D" : "2D"),
                                  std::string(Comment)};
  for (auto& s : MdlCTabLines(t)) out.push_back(std::move(s));
  return out;
}

bool TCTab::ReadFromMDLCTabFile(TextFile& F) {
  TFileLines src(F);
  return ReadCTab(*this, src);
}

bool TCTab::ReadFromMDLCTabStream(TStream& Stream) {
  TStreamLines src(Stream);
  return ReadCTab(*this, src);
}

bool TCTab::ReadFromMDLMolFile(TextFile& F) {
  TFileLines src(F);
  return ReadMol(*this, src);
}

bool TCTab::ReadFromMDLMolStream(TStream& Stream) {
  TStreamLines src(Stream);
  return ReadMol(*this, src);
}

bool TCTab::ReadFromMDLSDFile(TextFile& F, TPropRec* Props) {
  TFileLines src(F);
  TRecord rec(src);
  TCTab t(nullptr);
  std::string name, skip, pending;
  if (!rec.Line(name) || !rec.Line(skip) || !rec.Line(skip)) {
    rec.Skip();
    return false;
  }
  A::SetName(t, name);
  const TReadResult r = ParseCTab(rec, t, true, pending);
  if (r == rrFail) {
    rec.Skip();
    return false;
  }
  TPropRec props;
  ReadDataItems(rec, t, std::move(pending), props);
  if (Props) *Props = props;
  return Finish(*this, t, r);
}

bool TCTab::ReadFromClearTextFile(TextFile& F) {
  TFreeText in(F);
  return in.FindKeyword("CONTAB") && ReadConnTab(in, *this, false);
}

bool TCTab::ReadFromClearTextFileCTABG(TextFile& F) {
  TFreeText in(F);
  return in.FindKeyword("CTABG") && ReadConnTab(in, *this, true);
}

bool TCTab::ReadConnTabBody(TextFile& F) {
  TFreeText in(F);
  return ReadConnTab(in, *this, false);
}

void TCTab::WriteToMDLCTabFile(TextFile& F) const { EmitLines(F, MdlCTabLines(*this)); }

void TCTab::WriteToMDLCTabStream(TStream& Stream) const { EmitLines(Stream, MdlCTabLines(*this)); }

void TCTab::WriteToMDLMolFile(TextFile& F, std::string_view Name, std::string_view Comment) const {
  EmitLines(F, MdlMolLines(*this, Name, Comment));
}

void TCTab::WriteToMDLMolStream(TStream& Stream, std::string_view Name,
                                std::string_view Comment) const {
  EmitLines(Stream, MdlMolLines(*this, Name, Comment));
}

void TCTab::WriteToMDLSDFile(TextFile& F, const TPropRec* Props) const {
  std::vector<std::string> out = MdlMolLines(*this, name_, "");
  auto item = [&](std::string_view name, const std::string& value) {
    out.push_back("> <" + std::string(name) + ">");
    out.push_back(value);
    out.push_back("");
  };
  if (cas_ != 0) item("CAS_RN", FormatCASNr(cas_));
  if (Props)
    for (const auto& p : Props->Items)
      if (!p.Name.Empty()) item(p.Name.View(), FloatToStr(p.Value));
  out.push_back("$$$$");
  EmitLines(F, out);
}

void TCTab::WriteToClearTextFile(TextFile& F) const {
  constexpr std::size_t kChunk = 70;
  const std::size_t nlines = (name_.size() + kChunk - 1) / kChunk;
  F.WriteLn("/CONTAB " + IntToStr(2 * natoms_ + static_cast<int64_t>(nlines)) + ' ' +
            IntToStr(natoms_));
  for (std::size_t i = 0; i < nlines; ++i) F.WriteLn(' ' + name_.substr(i * kChunk, kChunk));
  for (int32_t a = 1; a <= natoms_; ++a) {
    const CTElem& e = At(a);
    std::string s =
        Int(a, 3) + Int(e.AtNum, 4) + Int(e.AtWeight, 4) + Int(e.Attrib, 4) + Int(e.Charge, 4);
    for (float c : e.Coords) s += ' ' + FloatToStr(c);
    const int32_t n = GetNBonds(a);
    s += Int(n, 3);
    for (int32_t i = 0; i < n; ++i) s += Int(e.Conn[static_cast<std::size_t>(i)], 3);
    for (int32_t i = 0; i < n; ++i) s += Int(e.BondType[static_cast<std::size_t>(i)], 2);
    F.WriteLn(s);
  }
}

void TCTab::WriteToMolConnXFile(int32_t Mode, TextFile& F) const {
  F.WriteLn(name_);
  for (int32_t a = 1; a <= natoms_; ++a) {
    const CTElem& e = At(a);
    const int32_t n = GetNBonds(a);
    std::string s = Int(a, 3) + ' ' + MdlSymbol(e.AtNum) + Int(NrHAtoms(a), 3) + Int(n, 3);
    for (int32_t i = 0; i < n; ++i) s += Int(e.Conn[static_cast<std::size_t>(i)], 3);
    if (Mode == 1)
      for (int32_t i = 0; i < n; ++i) s += Int(e.BondType[static_cast<std::size_t>(i)], 2);
    F.WriteLn(s);
  }
}

}  // namespace nuv
