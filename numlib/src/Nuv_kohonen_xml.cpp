// The XML block of TKohonen (layout in the header). The reader collects
// and checks the whole block before it changes the map.
#include <cmath>
#include <limits>
#include <span>

#include "Nuv_matrix_files_parts.h"
#include "nuv/Nuv_kohonen.h"
#include "nuv/Nuv_streams.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/SysUtils.h"

namespace nuv {

namespace {

const std::string_view kRoot = xmlKohonenTags[0];
// The child elements, indexed by TElement.
const std::string kChildren[] = {std::string(xmlKohonenTags[2]),  std::string(xmlKohonenTags[3]),
                                 std::string(xmlKohonenTags[4]),  std::string(xmlKohonenTags[5]),
                                 std::string(xmlKohonenTags[6]),  std::string(xmlKohonenTags[7]),
                                 std::string(xmlKohonenTags[8]),  std::string(xmlKohonenTags[9]),
                                 std::string(xmlKohonenTags[10]), std::string(xmlKohonenTags[11]),
                                 std::string(xmlKohonenTags[12])};
enum TElement : int32_t {
  elSizeX,
  elSizeY,
  elComment,
  elNrInSens,
  elMaxNeighb,
  elMaxSteps,
  elMaxAlpha,
  elCurrentStep,
  elCyclic,
  elCell,
  elMeanStdDev,
  elScalarCount = elCell  // the elements that must appear exactly once
};
constexpr std::string_view kTrue = "TRUE";
constexpr std::string_view kFalse = "FALSE";

// The shortest text that reads back as the same double, the sign of a
// negative zero included.
std::string FloatText(double x) {
  if (x == 0 && std::signbit(x)) return "-0.000E+0000";
  return XMLFloatStr(x);
}

bool ParseInt(const std::string& text, int64_t lo, int32_t& value) {
  int32_t v = 0;
  if (!TryStrToInt(text, v) || v < lo) return false;
  value = v;
  return true;
}

bool ParseFloat(std::string_view text, double& x) {
  return !text.empty() && matrix::ParseNumber(text, x);
}

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The blank-separated numbers of a cell's content, appended to values.
bool ParseNumbers(std::string_view text, std::vector<double>& values) {
  std::size_t i = 0;
  while (true) {
    while (i < text.size() && IsSeparator(text[i])) ++i;
    if (i == text.size()) return true;
    std::size_t j = i;
    while (j < text.size() && !IsSeparator(text[j])) ++j;
    double x = 0;
    if (!matrix::ParseNumber(text.substr(i, j - i), x)) return false;
    values.push_back(x);
    i = j;
  }
}

}  // namespace

struct TKohonen::TXMLIO {
  struct TCell {
    int32_t X, Y;
    std::size_t First, Count;  // its values in TImage::Values
  };
  struct TStat {
    int32_t Index;
    double Mean, StdDev;
  };
  // What a block holds, before it is checked as a whole.
  struct TImage {
    bool Seen[elScalarCount] = {};
    bool Bad = false;
    int32_t SizeX = 0, SizeY = 0, NrInSens = 0, MaxNeighb = 0, MaxSteps = 0, CurrentStep = 0;
    double MaxAlpha = 0;
    bool Cyclic = false;
    std::string Comment;
    std::vector<TCell> Cells;
    std::vector<double> Values;
    std::vector<TStat> Stats;
  };

  static bool TakeScalar(TImage& b, int32_t index, const std::string& content,
                         const std::string& attributes) {
    if (b.Seen[index]) return false;
    b.Seen[index] = true;
    const std::string val = ScanForXMLAttrib(attributes, "val");
    switch (index) {
      case elSizeX:
        return ParseInt(val, 1, b.SizeX);
      case elSizeY:
        return ParseInt(val, 1, b.SizeY);
      case elNrInSens:
        return ParseInt(val, 1, b.NrInSens);
      case elMaxNeighb:
        return ParseInt(val, 1, b.MaxNeighb);
      case elMaxSteps:
        return ParseInt(val, 1, b.MaxSteps);
      case elCurrentStep:
        return ParseInt(val, 0, b.CurrentStep);
      case elMaxAlpha:
        return ParseFloat(val, b.MaxAlpha) && std::isfinite(b.MaxAlpha);
      case elCyclic:
        b.Cyclic = SameText(val, kTrue);
        return b.Cyclic || SameText(val, kFalse);
      default:
        b.Comment = content;
        return true;
    }
  }

  static bool TakeCell(TImage& b, const std::string& content, const std::string& attributes) {
    TCell cell{0, 0, b.Values.size(), 0};
    if (!ParseInt(ScanForXMLAttrib(attributes, "x"), 1, cell.X) ||
        !ParseInt(ScanForXMLAttrib(attributes, "y"), 1, cell.Y) || !ParseNumbers(content, b.Values))
      return false;
    cell.Count = b.Values.size() - cell.First;
    b.Cells.push_back(cell);
    return true;
  }

  static bool TakeStat(TImage& b, const std::string& attributes) {
    TStat s{};
    const bool ok = ParseInt(ScanForXMLAttrib(attributes, "i"), 1, s.Index) &&
                    ParseFloat(ScanForXMLAttrib(attributes, "mean"), s.Mean) &&
                    ParseFloat(ScanForXMLAttrib(attributes, "stddev"), s.StdDev) &&
                    std::isfinite(s.Mean) && s.StdDev >= 0 && std::isfinite(s.StdDev);
    if (ok) b.Stats.push_back(s);
    return ok;
  }

  static void Take(TImage& b, int32_t index, const std::string& content,
                   const std::string& attributes) {
    if (b.Bad) return;
    const bool ok = index < elScalarCount ? TakeScalar(b, index, content, attributes)
                    : index == elCell     ? TakeCell(b, content, attributes)
                                          : TakeStat(b, attributes);
    b.Bad = !ok;
  }

  // Every element given once and in range, one cell of NrInSens values per
  // neuron and one statistics element per feature.
  static bool Complete(const TImage& b) {
    for (const bool seen : b.Seen)
      if (!seen) return false;
    const int64_t neurons = int64_t{b.SizeX} * b.SizeY;
    if (neurons * b.NrInSens > std::numeric_limits<int32_t>::max() ||
        static_cast<int64_t>(b.Cells.size()) != neurons ||
        static_cast<int64_t>(b.Stats.size()) != b.NrInSens)
      return false;
    std::vector<bool> seen(static_cast<std::size_t>(neurons));
    for (const TCell& c : b.Cells) {
      if (c.X > b.SizeX || c.Y > b.SizeY || static_cast<int64_t>(c.Count) != b.NrInSens)
        return false;
      const auto k = static_cast<std::size_t>((int64_t{c.X} - 1) * b.SizeY + (c.Y - 1));
      if (seen[k]) return false;
      seen[k] = true;
    }
    std::vector<bool> features(static_cast<std::size_t>(b.NrInSens));
    for (const TStat& s : b.Stats) {
      if (s.Index > b.NrInSens || features[static_cast<std::size_t>(s.Index - 1)]) return false;
      features[static_cast<std::size_t>(s.Index - 1)] = true;
    }
    return true;
  }

  static void Apply(TKohonen& k, const TImage& b) {
    std::unique_ptr<TMatrix> data;
    if (b.NrInSens != k.nr_in_sens_) {
      data = std::make_unique<TMatrix>(nullptr);
      data->Resize(b.NrInSens, k.data_->NrOfRows());
    }
    k.Reshape(b.SizeX, b.SizeY, b.NrInSens, std::move(data));
    for (const TCell& c : b.Cells)
      std::copy_n(b.Values.begin() + static_cast<std::ptrdiff_t>(c.First), c.Count,
                  k.weights_->Layers(c.X, c.Y));
    for (const TStat& s : b.Stats) {
      k.means_->SetVal(s.Index, s.Mean);
      k.stddevs_->SetVal(s.Index, s.StdDev);
    }
    k.nr_trn_steps_ = b.MaxSteps;
    k.initial_neighbors_ = b.MaxNeighb;
    k.initial_alpha_ = b.MaxAlpha;
    k.current_step_ = b.CurrentStep;
    k.cyclic_ = b.Cyclic;
    k.comment_ = b.Comment;
    k.weights_->Changed();
  }

  template <class Source>
  static bool Read(TKohonen& k, Source& in, std::string_view id) {
    std::string root;
    if (!FindXMLBlock(in, kRoot, id, root)) return false;
    TImage b;
    const bool closed = ReadXMLBlockElements(
        in, kRoot, kChildren,
        [&](int32_t index, const std::string& content, const std::string& attributes) {
          Take(b, index, content, attributes);
        });
    if (!closed || b.Bad || !Complete(b)) return false;
    Apply(k, b);
    return true;
  }

  template <class Target>
  static void Write(const TKohonen& k, Target& target, bool createHeader, std::string_view id) {
    TXMLBlockWriter w(target);
    w.BeginBlock(createHeader, "TKohonen", kRoot, id);
    auto scalar = [&](TElement e, const std::string& value) {
      w.EmptyElement(kChildren[e], "val=" + value);
    };
    scalar(elSizeX, XMLIntStr(k.size_x_));
    scalar(elSizeY, XMLIntStr(k.size_y_));
    scalar(elNrInSens, XMLIntStr(k.nr_in_sens_));
    scalar(elMaxNeighb, XMLIntStr(k.initial_neighbors_));
    scalar(elMaxSteps, XMLIntStr(k.nr_trn_steps_));
    scalar(elMaxAlpha, FloatText(k.initial_alpha_));
    scalar(elCurrentStep, XMLIntStr(k.current_step_));
    scalar(elCyclic, std::string(k.cyclic_ ? kTrue : kFalse));
    w.ContentElement(kChildren[elComment], k.comment_);
    for (int32_t i = 1; i <= k.nr_in_sens_; ++i)
      w.EmptyElement(kChildren[elMeanStdDev], "i=" + XMLIntStr(i) +
                                                  " mean=" + FloatText(k.means_->GetVal(i)) +
                                                  " stddev=" + FloatText(k.stddevs_->GetVal(i)));
    std::string values;
    for (int32_t x = 1; x <= k.size_x_; ++x)
      for (int32_t y = 1; y <= k.size_y_; ++y) {
        const double* cell = k.weights_->Layers(x, y);
        values.clear();
        for (int32_t i = 0; i < k.nr_in_sens_; ++i) (values += ' ') += FloatText(cell[i]);
        w.ContentElement(kChildren[elCell], values, "x=" + XMLIntStr(x) + " y=" + XMLIntStr(y));
      }
    w.EndBlock();
  }
};

void TKohonen::WriteToOpenXMLFile(TextFile& f, bool createHeader, std::string_view id) const {
  TXMLIO::Write(*this, f, createHeader, id);
}
void TKohonen::WriteToXMLStream(TStream& stream, bool createHeader, std::string_view id) const {
  TXMLIO::Write(*this, stream, createHeader, id);
}
void TKohonen::SaveAsXMLFile(std::string_view fileName, std::string_view id) const {
  SaveXMLFile(fileName, [&](TextFile& f) { TXMLIO::Write(*this, f, true, id); });
}
bool TKohonen::ReadFromXMLStream(TStream& stream, std::string_view id) {
  return TXMLIO::Read(*this, stream, id);
}
bool TKohonen::ReadFromOpenXMLFile(TextFile& f, std::string_view id) {
  return TXMLIO::Read(*this, f, id);
}
bool TKohonen::LoadFromXMLFile(std::string_view fileName, std::string_view id) {
  return LoadXMLFile(fileName, [&](TextFile& f) { return TXMLIO::Read(*this, f, id); });
}

}  // namespace nuv
