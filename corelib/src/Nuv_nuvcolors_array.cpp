// TColorArray: the palette, its interpolation, nearest-colour lookup and
// palette files.
#include <algorithm>
#include <cmath>
#include <new>
#include <optional>

#include "Nuv_nuvcolors_parts.h"
#include "nuv/Nuv_nuvcolors.h"
#include "nuv/Nuv_streams_xml.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/SysUtils.h"
#include "nuv/platform/TextFile.h"

namespace nuv {

using colors::Channel;
using colors::RoundRatio;
using colors::SquaredDistance;

namespace {

constexpr int32_t kFarthest = 195075;  // 3·255², distance 1
// A palette file resizes an array to at most one element per 24-bit colour.
constexpr int64_t kMaxLoadedSize = 1 << 24;

// The grid pays off after this many lookups, for arrays of this size.
constexpr int32_t kLookupsBeforeGrid = 1024;
constexpr int32_t kMinGridSize = 64;
constexpr int32_t kMaxGridSize = 1 << 16;

// floor(a / b) for b > 0.
int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// round(a / b), halves to even, for a >= 0 and b > 0.
int64_t RoundDiv(int64_t a, int64_t b) {
  return static_cast<int64_t>(RoundRatio(static_cast<unsigned __int128>(a), b));
}

// The colour of one hex line: leading blanks, one optional "$", hex
// digits up to the first other character, at most 32 bits.
std::optional<TColor> ParsePaletteLine(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  if (i < line.size() && line[i] == '$') ++i;
  uint64_t value = 0;
  std::size_t digits = 0;
  for (; i < line.size() && IsHexChar(line[i]); ++i, ++digits) {
    const char c = line[i];
    value = value * 16 + static_cast<uint64_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
    if (value > 0xFFFFFFFFu) return std::nullopt;
  }
  if (digits == 0) return std::nullopt;
  return static_cast<TColor>(static_cast<uint32_t>(value));
}

}  // namespace

// Candidate lists over a 16 × 16 × 16 grid of the colour cube: a cell
// lists (in index order) every element that can be nearest to some colour
// in it, which are those whose least squared distance to the cell is at
// most the smallest largest distance of any element to it.
struct TColorArray::TNearest {
  struct TCandidate {
    TColor color;
    int32_t index;  // from 1
  };
  std::vector<int32_t> first;  // cell c lists [first[c], first[c + 1])
  std::vector<TCandidate> candidates;

  static int32_t CellOf(TColor c) {
    return (Channel(c, 0) >> 4) << 8 | (Channel(c, 1) >> 4) << 4 | Channel(c, 2) >> 4;
  }

  explicit TNearest(const std::vector<TColor>& colors) {
    const std::size_t n = colors.size();
    // Per channel and band of 16 levels, each element's least and largest
    // squared distance along that channel.
    std::vector<int32_t> least[3], largest[3];
    for (int k = 0; k < 3; ++k) {
      least[k].resize(16 * n);
      largest[k].resize(16 * n);
      for (int32_t band = 0; band < 16; ++band) {
        const int32_t lo = 16 * band, hi = lo + 15;
        for (std::size_t e = 0; e < n; ++e) {
          const int32_t v = Channel(colors[e], k);
          const int32_t below = v < lo ? lo - v : v > hi ? v - hi : 0;
          const int32_t above = std::max(v - lo, hi - v);
          least[k][band * n + e] = below * below;
          largest[k][band * n + e] = above * above;
        }
      }
    }
    first.reserve(4097);
    std::vector<int32_t> leastRG(n), largestRG(n);
    for (int32_t br = 0; br < 16; ++br)
      for (int32_t bg = 0; bg < 16; ++bg) {
        for (std::size_t e = 0; e < n; ++e) {
          leastRG[e] = least[0][br * n + e] + least[1][bg * n + e];
          largestRG[e] = largest[0][br * n + e] + largest[1][bg * n + e];
        }
        for (int32_t bb = 0; bb < 16; ++bb) {
          const int32_t* leastB = least[2].data() + bb * n;
          const int32_t* largestB = largest[2].data() + bb * n;
          int32_t bound = kFarthest;
          for (std::size_t e = 0; e < n; ++e) bound = std::min(bound, largestRG[e] + largestB[e]);
          first.push_back(static_cast<int32_t>(candidates.size()));
          for (std::size_t e = 0; e < n; ++e)
            if (leastRG[e] + leastB[e] <= bound)
              candidates.push_back({colors[e], static_cast<int32_t>(e + 1)});
        }
      }
    first.push_back(static_cast<int32_t>(candidates.size()));
  }

  int32_t Find(TColor col, int32_t& best) const {
    const int32_t cell = CellOf(col);
    int32_t index = 1;
    for (int32_t i = first[cell]; i < first[cell + 1]; ++i) {
      const int32_t d = SquaredDistance(col, candidates[i].color);
      if (d < best) {
        best = d;
        index = candidates[i].index;
      }
    }
    return index;
  }
};

TColorArray::TColorArray(TComponent* AOwner) : TComponent(AOwner) {
  try {
    colors_.assign(1000, 0);
  } catch (const std::bad_alloc&) {
    RaiseComponentError<ENUVColArrayError>(*this, "not enough memory on heap");
  }
  FillByInterpolation(0, DefaultPalette);
}

TColorArray::~TColorArray() = default;

void TColorArray::Changed() {
  nearest_.reset();
  lookups_ = 0;
  if (OnChange) OnChange(this);
}

void TColorArray::SetSize(int32_t NewSize) {
  if (NewSize >= 1 && NewSize != Size()) Resize(NewSize);
}

TColor TColorArray::ColorElem(int32_t Ix) const {
  return colors_[static_cast<std::size_t>(std::clamp(Ix, 1, Size()) - 1)];
}

void TColorArray::SetColorElem(int32_t Ix, TColor Col) {
  if (Ix < 1 || Ix > Size()) return;
  colors_[static_cast<std::size_t>(Ix - 1)] = Col;
  Changed();
}

bool TColorArray::ResizeColors(int32_t NewSize) {
  if (NewSize < 1) return false;
  try {
    colors_.resize(static_cast<std::size_t>(NewSize), 0);
  } catch (const std::bad_alloc&) {
    RaiseComponentError<ENUVColArrayError>(*this, "not enough memory");
  } catch (const std::length_error&) {
    RaiseComponentError<ENUVColArrayError>(*this, "not enough memory");
  }
  return true;
}

bool TColorArray::Resize(int32_t NewSize) {
  if (NewSize == Size()) return true;
  if (!ResizeColors(NewSize)) return false;
  Changed();
  return true;
}

void TColorArray::FillByInterpolation(int32_t NrSteps, std::span<const TColor> Colors) {
  if (Colors.empty()) return;
  const int64_t n = static_cast<int64_t>(Colors.size()) - 1, size = Size();
  for (int64_t i = 1; i <= size; ++i) {
    // c = round(round(i/S·NrSteps)·S/NrSteps), exactly; then the element
    // lies at n·c/S on the scale of the colours.
    const int64_t c = NrSteps <= 0 ? i : RoundDiv(RoundDiv(i * NrSteps, size) * size, NrSteps);
    const int64_t k = n == 0 ? 0 : std::clamp<int64_t>(n * (c - 1) / size, 0, n - 1);
    const TColor c1 = Colors[static_cast<std::size_t>(k)];
    const TColor c2 = Colors[static_cast<std::size_t>(std::min(k + 1, n))];
    // The fraction n·c/S - k, clamped into 0..1, as numerator over S.
    const int64_t num = std::clamp<int64_t>(n * c - k * size, 0, size);
    int32_t rgb[3];
    for (int ch = 0; ch < 3; ++ch) {
      const int64_t from = Channel(c1, ch);
      rgb[ch] = static_cast<int32_t>(from + FloorDiv((Channel(c2, ch) - from) * num, size));
    }
    colors_[static_cast<std::size_t>(i - 1)] = RGB(
        static_cast<uint8_t>(rgb[0]), static_cast<uint8_t>(rgb[1]), static_cast<uint8_t>(rgb[2]));
  }
  Changed();
}

int32_t TColorArray::ColorToIndex(TColor Col, double& Dist) const {
  int32_t best = kFarthest, index = 1;
  if (!nearest_ && Size() >= kMinGridSize && Size() <= kMaxGridSize &&
      ++lookups_ >= kLookupsBeforeGrid) {
    try {
      nearest_ = std::make_unique<TNearest>(colors_);
    } catch (const std::bad_alloc&) {
      lookups_ = 0;  // try again later; the plain search needs no memory
    }
  }
  if (nearest_) {
    index = nearest_->Find(Col, best);
  } else {
    for (int32_t i = 0; i < Size(); ++i) {
      const int32_t d = SquaredDistance(Col, colors_[static_cast<std::size_t>(i)]);
      if (d < best) {
        best = d;
        index = i + 1;
      }
    }
  }
  Dist = std::sqrt(best / static_cast<double>(kFarthest));
  return index;
}

void TColorArray::CopyFrom(const TColorArray& Source, int32_t First, int32_t Dest, int32_t Last) {
  First = std::clamp(First, 1, Source.Size());
  Last = std::clamp(Last, 1, Source.Size());
  if (First > Last) std::swap(First, Last);
  // From a copy: Source may be this array, the ranges overlapping.
  const std::vector<TColor> part(Source.colors_.begin() + (First - 1),
                                 Source.colors_.begin() + Last);
  for (int64_t i = 0; i < static_cast<int64_t>(part.size()); ++i) {
    const int64_t d = int64_t{Dest} + i;
    if (d >= 1 && d <= Size()) colors_[static_cast<std::size_t>(d - 1)] = part[i];
  }
  Changed();
}

bool TColorArray::IsEqual(const TColorArray& Other) const { return colors_ == Other.colors_; }

void TColorArray::Assign(const TPersistent& Source) {
  const auto* other = dynamic_cast<const TColorArray*>(&Source);
  if (other == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  if (other == this) return;
  try {
    colors_ = other->colors_;
  } catch (const std::bad_alloc&) {
    RaiseComponentError<ENUVColArrayError>(*this, "not enough memory");
  }
  Changed();
}

bool TColorArray::StoreOnFile(int32_t First, int32_t Last, const std::string& FileName) const {
  if (First > Last) std::swap(First, Last);
  First = std::clamp(First, 1, Size());
  Last = std::clamp(Last, 1, Size());
  try {
    SaveXMLFile(FileName, [&](TextFile& F) {
      F.WriteLn(IntToStr(First) + " " + IntToStr(Last));
      for (int32_t i = First; i <= Last; ++i)
        F.WriteLn(IntToHex(static_cast<uint32_t>(colors_[static_cast<std::size_t>(i - 1)]), 8));
    });
  } catch (const EInOutError&) {
    return false;
  }
  return true;
}

bool TColorArray::LoadFromFile(const std::string& FileName, bool AdjustSize) {
  int64_t first = 0, last = 0;
  // The colours of lines First.., an empty entry for a line without one.
  std::vector<std::optional<TColor>> lines;
  try {
    TextFile F(FileName);
    F.Reset();
    F.Read(first);
    F.Read(last);
    F.ReadLn();
    if (!(first >= 1 && first <= last && last <= (AdjustSize ? kMaxLoadedSize : Size())))
      return false;
    std::string line;
    while (static_cast<int64_t>(lines.size()) < last - first + 1 && !F.Eof()) {
      F.ReadLn(line);
      lines.push_back(ParsePaletteLine(line));
    }
    F.Close();
  } catch (const EInOutError&) {
    return false;
  }
  if (static_cast<int64_t>(lines.size()) < last - first + 1) return false;
  if (AdjustSize) ResizeColors(static_cast<int32_t>(last));
  for (std::size_t k = 0; k < lines.size(); ++k)
    if (lines[k]) colors_[static_cast<std::size_t>(first - 1) + k] = *lines[k];
  Changed();
  return true;
}

}  // namespace nuv
