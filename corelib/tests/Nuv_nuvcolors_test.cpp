#include "nuv/Nuv_nuvcolors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "ExpectThrow.h"
#include "FileFixtures.h"
#include "TempDir.h"
#include "nuv/Nuv_dstruct.h"
#include "nuv/platform/Random.h"
#include "nuv/platform/SysUtils.h"

namespace nuv {
namespace {

#include "data/colors_ref.inc"

using testing::ReadRawFile;
using testing::TempDir;
using testing::WriteRawFile;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::vector<TColor> Elements(const TColorArray& a) {
  std::vector<TColor> v;
  for (int32_t i = 1; i <= a.Size(); ++i) v.push_back(a.ColorElem(i));
  return v;
}

struct TCountedArray {
  TColorArray a{nullptr};
  int changes = 0;
  TCountedArray() {
    a.SetName("P");
    a.OnChange = [this](TObject*) { ++changes; };
  }
};

// ---------------------------------------------------------------------------
// Colour functions

TEST(Colors, InterpolationTruncatesAndClampsTheFraction) {
  for (const TInterpolateRef& k : kInterpolate)
    EXPECT_EQ(InterpolateColor(k.C1, k.C2, k.Frac), k.Want)
        << std::hex << k.C1 << " " << k.C2 << " " << k.Frac;
  EXPECT_EQ(InterpolateColor(0x000000, 0x0000FF, 0.5), 0x00007F);
  const struct {
    double frac;
    TColor want;
  } clamped[] = {{-1, 0x102030}, {kNaN, 0x102030}, {2, 0x405060}, {kInf, 0x405060}};
  for (const auto& k : clamped)
    EXPECT_EQ(InterpolateColor(0x102030, 0x405060, k.frac), k.want) << k.frac;
  EXPECT_EQ(InterpolateColor(static_cast<TColor>(0xFF102030), 0x7F405060, 0), 0x102030)
      << "the top byte takes no part";

  const TColor a = 0x000000, b = 0x0000FF, c = 0xFF0000;
  const struct {
    double frac;
    TColor want;
  } three[] = {{-3, a},          {0, a}, {0.25, 0x00007F}, {0.5, b},
               {0.75, 0x7F007F}, {1, c}, {kNaN, a},        {9, c}};
  for (const auto& k : three) EXPECT_EQ(Interpolate3Colors(a, b, c, k.frac), k.want) << k.frac;
  EXPECT_EQ(MeanColor(0xFF0000, 0x000000), 0x7F0000);
  EXPECT_EQ(MeanColor(0x000000, 0xFF0000), 0x7F0000);
}

TEST(Colors, ReversingAndInverting) {
  EXPECT_EQ(ReverseRGBColor(0x123456), 0x563412);
  EXPECT_EQ(ReverseRGBColor(static_cast<TColor>(0x80123456)), 0x563412);
  // The plain complement of each channel.
  EXPECT_EQ(InvertColor(0x000000), 0xFFFFFF);
  EXPECT_EQ(InvertColor(0x123456), 0xEDCBA9);
  EXPECT_EQ(InvertColor(0x0000FF), 0xFFFF00) << "red stays the red channel";
  EXPECT_EQ(InvertColor(static_cast<TColor>(0xFF000000)), 0xFFFFFF);
}

TEST(Colors, GreyIsExactInIntegers) {
  for (const TGreyRef& k : kGrey) {
    EXPECT_EQ(RGBtoGray(k.R, k.G, k.B), k.Grey) << k.R << "," << k.G << "," << k.B;
    EXPECT_EQ(RGBtoGrayColor(k.R, k.G, k.B), RGB(k.Grey, k.Grey, k.Grey));
    EXPECT_EQ(ColorToGrayColor(RGB(k.R, k.G, k.B)), RGB(k.Grey, k.Grey, k.Grey));
  }
  EXPECT_EQ(RGBtoGray(5, 0, 0), 2) << "1.5 rounds to even";
  EXPECT_EQ(RGBtoGray(300, -9, 1000), RGBtoGray(255, 0, 255)) << "channels are clamped";
}

TEST(Colors, Distance) {
  EXPECT_EQ(RGBColorDistance(0x000000, 0xFFFFFF), 1);
  EXPECT_EQ(RGBColorDistance(0x123456, 0x123456), 0);
  EXPECT_EQ(RGBColorDistance(0x000000, 0x0000FF), std::sqrt(1.0 / 3));
  EXPECT_EQ(RGBColorDistance(0x102030, 0x302010), RGBColorDistance(0x302010, 0x102030));
  EXPECT_EQ(RGBColorDistance(static_cast<TColor>(0xFF000000), 0), 0);
}

TEST(Colors, RGBtoHSIAgainstColorsys) {
  for (const THsiRef& k : kRgbToHsi) {
    double h = 0, s = 0, i = 0;
    RGBtoHSI(k.R, k.G, k.B, h, s, i);
    EXPECT_NEAR(h, k.H, 1e-12 * 360) << k.R << "," << k.G << "," << k.B;
    EXPECT_NEAR(s, k.S, 1e-15) << k.R << "," << k.G << "," << k.B;
    EXPECT_EQ(i, k.I) << k.R << "," << k.G << "," << k.B;
  }
  double h = 9, s = 9, i = 9;
  RGBtoHSI(0, 0, 0, h, s, i);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(s, 0);
  EXPECT_EQ(i, 0);
  RGBtoHSI(128, 128, 128, h, s, i);
  EXPECT_EQ(h, -1);
  EXPECT_EQ(s, 0);
  // Ties: red before green, blue only when above both.
  RGBtoHSI(200, 200, 0, h, s, i);
  EXPECT_EQ(h, 60);
  RGBtoHSI(0, 200, 200, h, s, i);
  EXPECT_EQ(h, 180);
  RGBtoHSI(300, -20, 0, h, s, i);
  EXPECT_EQ(h, 0) << "clamped to pure red";
  EXPECT_EQ(i, 1);
}

TEST(Colors, HSItoRGBAgainstColorsysAndExactTies) {
  auto check = [](const TRgbRef& k) {
    int32_t r = -1, g = -1, b = -1;
    HSItoRGB(k.H, k.S, k.I, r, g, b);
    EXPECT_EQ(RGB(r, g, b), RGB(k.R, k.G, k.B)) << k.H << " " << k.S << " " << k.I;
  };
  for (const TRgbRef& k : kHsiToRgb) check(k);
  for (const TRgbRef& k : kHsiToRgbTies) check(k);

  int32_t r = 0, g = 0, b = 0;
  HSItoRGB(120, 1, 1, r, g, b);
  EXPECT_EQ(RGB(r, g, b), RGB(0, 255, 0));
  // Hues outside (0, 360) count as 0; saturation and intensity are clamped.
  const struct {
    double h, s, i;
    TColor want;
  } bad[] = {{kNaN, 1, 1, RGB(255, 0, 0)},     {360, 1, 1, RGB(255, 0, 0)},
             {-5, 1, 1, RGB(255, 0, 0)},       {720, 1, 1, RGB(255, 0, 0)},
             {-1, 0, 0.5, RGB(128, 128, 128)}, {240, kNaN, 1, RGB(255, 255, 255)},
             {240, 7, 1, RGB(0, 0, 255)},      {240, 1, kNaN, RGB(0, 0, 0)},
             {240, 1, 3, RGB(0, 0, 255)},      {240, -1, -1, RGB(0, 0, 0)}};
  for (const auto& k : bad) {
    HSItoRGB(k.h, k.s, k.i, r, g, b);
    EXPECT_EQ(RGB(r, g, b), k.want) << k.h << " " << k.s << " " << k.i;
  }
  // Just below 360 the sector stays 5.
  HSItoRGB(std::nextafter(360.0, 0.0), 1, 1, r, g, b);
  EXPECT_EQ(RGB(r, g, b), RGB(255, 0, 0));

  // Every colour of a grid comes back from its hue.
  for (int32_t rr = 0; rr < 256; rr += 15)
    for (int32_t gg = 0; gg < 256; gg += 15)
      for (int32_t bb = 0; bb < 256; bb += 15) {
        double h = 0, s = 0, i = 0;
        RGBtoHSI(rr, gg, bb, h, s, i);
        HSItoRGB(h, s, i, r, g, b);
        ASSERT_EQ(RGB(r, g, b), RGB(rr, gg, bb)) << rr << "," << gg << "," << bb;
      }
}

TEST(Colors, CMYAndCMYK) {
  for (int32_t v = 0; v < 256; ++v) {
    double c = 0, m = 0, y = 0;
    RGBtoCMY(v, 255 - v, 0, c, m, y);
    int32_t r = 0, g = 0, b = 0;
    CMYtoRGB(c, m, y, r, g, b);
    ASSERT_EQ(RGB(r, g, b), RGB(v, 255 - v, 0)) << v;
  }
  int32_t r = 0, g = 0, b = 0;
  CMYtoRGB(0.5, kNaN, 7, r, g, b);
  EXPECT_EQ(RGB(r, g, b), RGB(128, 255, 0)) << "127.5 rounds to even; NaN counts as 0";
  CMYtoRGB(-1, 1.5, 1, r, g, b);
  EXPECT_EQ(RGB(r, g, b), RGB(255, 0, 0));

  const struct {
    double c, m, y;
    double wantC, wantM, wantY, wantK;
  } cmyk[] = {{0.5, 0.25, 0.75, 0.25, 0, 0.5, 0.25},
              {1, 1, 1, 0, 0, 0, 1},
              {0, 0.5, 1, 0, 0.5, 1, 0},
              {kNaN, 2, 0.5, 0, 1, 0.5, 0},
              {-1, 0.5, 0.25, 0, 0.5, 0.25, 0}};
  for (const auto& k : cmyk) {
    double c = k.c, m = k.m, y = k.y, kk = -1;
    CMYtoCMYK(c, m, y, kk);
    EXPECT_EQ(c, k.wantC) << k.c;
    EXPECT_EQ(m, k.wantM) << k.c;
    EXPECT_EQ(y, k.wantY) << k.c;
    EXPECT_EQ(kk, k.wantK) << k.c;
  }
  double c = 0.25, m = 0.9, y = kNaN;
  CMYKtoCMY(c, m, y, 0.5);
  EXPECT_EQ(c, 0.75);
  EXPECT_EQ(m, 1);
  EXPECT_EQ(y, 0);
}

TEST(Colors, RandomColorsStayInTheirBounds) {
  RandSeed = 77;
  const int32_t r = Random(256), g = Random(256), b = Random(256);
  RandSeed = 77;
  EXPECT_EQ(RandomColor(), RGB(r, g, b)) << "red, green, blue in this order";

  const struct {
    int32_t lo[3], hi[3];
    int32_t min[3], max[3];
  } cases[] = {
      {{10, 20, 30}, {12, 25, 30}, {10, 20, 30}, {12, 25, 30}},
      {{200, 255, 9}, {100, 0, 3}, {100, 0, 3}, {200, 255, 9}},      // reversed
      {{-50, 250, -9}, {300, 999, -1}, {0, 250, 0}, {255, 255, 0}},  // clamped
      {{0, 0, 0}, {255, 255, 255}, {0, 0, 0}, {255, 255, 255}},
  };
  for (const auto& k : cases) {
    int32_t seenMin[3] = {255, 255, 255}, seenMax[3] = {0, 0, 0};
    for (int i = 0; i < 3000; ++i) {
      const TColor col = RandomColor(k.lo[0], k.hi[0], k.lo[1], k.hi[1], k.lo[2], k.hi[2]);
      ASSERT_EQ(col & 0xFF000000, 0);
      for (int ch = 0; ch < 3; ++ch) {
        const int32_t v = (col >> (8 * ch)) & 0xFF;
        seenMin[ch] = std::min(seenMin[ch], v);
        seenMax[ch] = std::max(seenMax[ch], v);
      }
    }
    for (int ch = 0; ch < 3; ++ch) {
      EXPECT_EQ(seenMin[ch], k.min[ch]) << "channel " << ch << " from " << k.lo[ch];
      EXPECT_EQ(seenMax[ch], k.max[ch]) << "channel " << ch << " from " << k.lo[ch];
    }
  }
}

TEST(Colors, WavelengthColorsAreExact) {
  const struct {
    const int32_t* table;
    double gamma;
  } tables[] = {{kWavelength1, 1}, {kWavelength2, 2}, {kWavelength08, 0.8}};
  for (const auto& t : tables)
    for (int32_t k = 0; k <= 420; ++k)
      EXPECT_EQ(WavelengthToColor(370 + k, t.gamma), t.table[k])
          << "wavelength " << 370 + k << " gamma " << t.gamma;
  EXPECT_EQ(WavelengthToColor(550, 1), RGB(146, 255, 0));
  EXPECT_EQ(WavelengthToColor(550, kNaN), RGB(146, 255, 0)) << "NaN counts as 1";
  // Gamma <= 0 gives full channels, never more.
  EXPECT_EQ(WavelengthToColor(550, 0), RGB(255, 255, 0));
  EXPECT_EQ(WavelengthToColor(550, -2), RGB(255, 255, 0));
  EXPECT_EQ(WavelengthToColor(550, -kInf), RGB(255, 255, 0));
  EXPECT_EQ(WavelengthToColor(550, kInf), RGB(0, 255, 0));
  for (int32_t w : {std::numeric_limits<int32_t>::min(), -1, 0, 379, 780, 100000,
                    std::numeric_limits<int32_t>::max()})
    EXPECT_EQ(WavelengthToColor(w, 1), 0) << w;
}

// ---------------------------------------------------------------------------
// Colour arrays

TEST(TColorArray, DefaultPaletteAndElementAccess) {
  TCountedArray t;
  TColorArray& a = t.a;
  ASSERT_EQ(a.Size(), 1000);
  EXPECT_EQ(a.ColorElem(1), 0x400020);
  EXPECT_EQ(a.ColorElem(1000), 0x000040);
  uint32_t crc = 0xFFFFFFFFu;
  for (TColor c : Elements(a))
    for (int k = 0; k < 4; ++k) crc = CalcNextCRC32(static_cast<uint8_t>(c >> (8 * k)), crc);
  EXPECT_EQ(~crc, kDefaultPaletteCrc);
  for (int32_t k = 0; k < 10; ++k) EXPECT_EQ(a.ColorElem(1 + 100 * k), kDefaultPaletteSamples[k]);

  EXPECT_EQ(a.ColorElem(0), a.ColorElem(1));
  EXPECT_EQ(a.ColorElem(-7), a.ColorElem(1));
  EXPECT_EQ(a.ColorElem(1001), kDefaultPaletteLast);
  a.SetColorElem(0, 1);
  a.SetColorElem(1001, 1);
  EXPECT_EQ(t.changes, 0);
  a.SetColorElem(2, 0x123456);
  EXPECT_EQ(a.ColorElem(2), 0x123456);
  EXPECT_EQ(t.changes, 1);

  EXPECT_TRUE(a.Resize(1000));
  EXPECT_FALSE(a.Resize(0));
  EXPECT_FALSE(a.Resize(-4));
  EXPECT_EQ(t.changes, 1);
  EXPECT_TRUE(a.Resize(3));
  EXPECT_EQ(Elements(a), (std::vector<TColor>{0x400020, 0x123456, a.ColorElem(3)}));
  a.SetSize(5);
  EXPECT_EQ(a.ColorElem(5), 0);
  a.SetSize(0);
  EXPECT_EQ(a.Size(), 5);
  EXPECT_EQ(t.changes, 3);
}

TEST(TColorArray, FillByInterpolation) {
  TCountedArray t;
  for (const TFillRef& k : kFills) {
    t.a.Resize(k.Size);
    const int before = t.changes;
    t.a.FillByInterpolation(k.NrSteps, std::span<const TColor>(kFillColors, k.Colors));
    EXPECT_EQ(t.changes, before + 1);
    EXPECT_EQ(Elements(t.a), std::vector<TColor>(k.Want, k.Want + k.Size))
        << k.Size << " elements, " << k.NrSteps << " steps, " << k.Colors << " colours";
  }
  t.a.FillByInterpolation(4, {0x123456});
  EXPECT_EQ(Elements(t.a), std::vector<TColor>(t.a.Size(), 0x123456)) << "one colour fills";
  const int before = t.changes;
  t.a.FillByInterpolation(0, std::span<const TColor>());
  EXPECT_EQ(t.changes, before) << "no colours leave the array alone";
  EXPECT_EQ(t.a.ColorElem(1), 0x123456);
}

// The element nearest to col, the lowest index on ties (the definition).
int32_t NearestByDefinition(const TColorArray& a, TColor col, int32_t& best) {
  best = 195075;
  int32_t index = 1;
  for (int32_t i = 1; i <= a.Size(); ++i) {
    int32_t d = 0;
    for (int k = 0; k < 3; ++k) {
      const int32_t x = ((a.ColorElem(i) >> (8 * k)) & 0xFF) - ((col >> (8 * k)) & 0xFF);
      d += x * x;
    }
    if (d < best) {
      best = d;
      index = i;
    }
  }
  return index;
}

TEST(TColorArray, ColorToIndexFindsTheFirstNearest) {
  std::mt19937 rng(9);
  std::uniform_int_distribution<int32_t> color(0, 0xFFFFFF), small(0, 3);
  for (int32_t size : {1, 50, 1000}) {
    TColorArray a(nullptr);
    a.Resize(size);
    // Coarse colours, so that many distances tie; some duplicates.
    for (int32_t i = 1; i <= size; ++i)
      a.SetColorElem(i, i % 7 == 0 ? a.ColorElem(i / 2 + 1) : color(rng) & 0xF0F0F0);
    for (int32_t q = 0; q < 3000; ++q) {
      // Queries on the same coarse grid tie often; others fall anywhere.
      const TColor col = q % 2 ? (color(rng) & 0xF0F0F0) | small(rng) : color(rng);
      int32_t best = 0;
      const int32_t want = NearestByDefinition(a, col, best);
      double dist = -1;
      ASSERT_EQ(a.ColorToIndex(col, dist), want) << "size " << size << " query " << q;
      ASSERT_EQ(dist, std::sqrt(best / 195075.0));
      if (q == 1200) a.SetColorElem(size, col);  // the grid must follow the change
    }
  }
  // A tie on the edge of a grid cell: (23, 23, 23) and (7, 7, 7) are both
  // at squared distance 192 from (15, 15, 15), the first outside its cell.
  TColorArray edge(nullptr);
  edge.Resize(64);
  edge.FillByInterpolation(0, {0xFFFFFF});
  edge.SetColorElem(1, 0x171717);
  edge.SetColorElem(2, 0x070707);
  for (int32_t q = 0; q < 2000; ++q) {
    double dist = 0;
    ASSERT_EQ(edge.ColorToIndex(0x0F0F0F, dist), 1) << "query " << q;
  }
  TColorArray white(nullptr);
  white.Resize(100);
  for (int32_t i = 1; i <= 100; ++i) white.SetColorElem(i, 0xFFFFFF);
  for (int32_t q = 0; q < 2000; ++q) {
    double dist = 0;
    ASSERT_EQ(white.ColorToIndex(0x000000, dist), 1);
    ASSERT_EQ(dist, 1);
  }
}

TEST(TColorArray, CopyFromClampsAndClips) {
  TColorArray source(nullptr);
  source.Resize(5);
  for (int32_t i = 1; i <= 5; ++i) source.SetColorElem(i, i);
  const struct {
    const char* what;
    int32_t first, dest, last;
    std::vector<TColor> want;
  } cases[] = {
      {"inside", 2, 1, 3, {2, 3, 0, 0}},
      {"reversed", 3, 2, 2, {0, 2, 3, 0}},
      {"clamped", -9, 3, 99, {0, 0, 1, 2}},
      {"destination before the start", 1, -1, 5, {3, 4, 5, 0}},
      {"far before", 1, std::numeric_limits<int32_t>::min(), 5, {0, 0, 0, 0}},
      {"far beyond", 1, std::numeric_limits<int32_t>::max(), 5, {0, 0, 0, 0}},
  };
  for (const auto& k : cases) {
    TCountedArray t;
    t.a.Resize(4);
    t.a.FillByInterpolation(0, {0});
    t.changes = 0;
    t.a.CopyFrom(source, k.first, k.dest, k.last);
    EXPECT_EQ(Elements(t.a), k.want) << k.what;
    EXPECT_EQ(t.changes, 1) << k.what;
  }
  source.CopyFrom(source, 1, 2, 4);
  EXPECT_EQ(Elements(source), (std::vector<TColor>{1, 1, 2, 3, 4})) << "overlapping";
}

TEST(TColorArray, EqualityAndAssignment) {
  TColorArray a(nullptr), b(nullptr);
  EXPECT_TRUE(a.IsEqual(b));
  b.SetColorElem(500, 1);
  EXPECT_FALSE(a.IsEqual(b));
  b.Resize(3);
  a.Assign(b);
  EXPECT_TRUE(a.IsEqual(b));
  EXPECT_EQ(a.Size(), 3);
  b.Resize(4);
  EXPECT_FALSE(a.IsEqual(b)) << "sizes differ";
  TComponent other(nullptr);
  EXPECT_THROW(a.Assign(other), EConvertError);
}

// ---------------------------------------------------------------------------
// Palette files

TEST(TColorArray, StoreOnFileWritesTheExactBytes) {
  TempDir dir;
  TColorArray a(nullptr);
  a.Resize(4);
  for (int32_t i = 1; i <= 4; ++i) a.SetColorElem(i, i * 0x0A0B0C);
  a.SetColorElem(4, static_cast<TColor>(0x80000005));
  const std::string file = dir.File("p.pal");
  const struct {
    int32_t first, last;
    const char* want;
  } cases[] = {
      {1, 4, "1 4\r\n000A0B0C\r\n00141618\r\n001E2124\r\n80000005\r\n"},
      {3, 2, "2 3\r\n00141618\r\n001E2124\r\n"},
      {-5, 99, "1 4\r\n000A0B0C\r\n00141618\r\n001E2124\r\n80000005\r\n"},
      {7, 9, "4 4\r\n80000005\r\n"},
  };
  for (const auto& k : cases) {
    ASSERT_TRUE(a.StoreOnFile(k.first, k.last, file)) << k.first;
    EXPECT_EQ(ReadRawFile(file), k.want) << k.first << ".." << k.last;
  }
  EXPECT_FALSE(a.StoreOnFile(1, 4, dir.File("missing/dir/p.pal")));
  // A save that cannot replace the file leaves it as it was.
  std::filesystem::permissions(file, std::filesystem::perms::owner_read);
  EXPECT_FALSE(a.StoreOnFile(1, 1, file));
  EXPECT_EQ(ReadRawFile(file), "4 4\r\n80000005\r\n");
  std::filesystem::permissions(file, std::filesystem::perms::owner_all);
}

TEST(TColorArray, PaletteRoundTrips) {
  TempDir dir;
  TColorArray a(nullptr), b(nullptr);
  a.FillByInterpolation(7, {0xFF0000, 0x00FF00, 0x0000FF});
  ASSERT_TRUE(a.StoreOnFile(1, a.Size(), dir.File("all.pal")));
  b.Resize(1);
  ASSERT_TRUE(b.LoadFromFile(dir.File("all.pal"), true));
  EXPECT_TRUE(a.IsEqual(b));

  ASSERT_TRUE(a.StoreOnFile(10, 19, dir.File("part.pal")));
  TCountedArray t;
  t.a.Resize(30);
  t.a.FillByInterpolation(0, {0x111111});
  t.changes = 0;
  ASSERT_TRUE(t.a.LoadFromFile(dir.File("part.pal"), false));
  EXPECT_EQ(t.changes, 1);
  EXPECT_EQ(t.a.Size(), 30);
  for (int32_t i = 1; i <= 30; ++i)
    EXPECT_EQ(t.a.ColorElem(i), i >= 10 && i <= 19 ? a.ColorElem(i) : 0x111111) << i;
  ASSERT_TRUE(t.a.LoadFromFile(dir.File("part.pal"), true));
  EXPECT_EQ(t.a.Size(), 19);
  EXPECT_EQ(t.a.ColorElem(1), 0x111111);
}

TEST(TColorArray, HandWrittenAndBrokenPaletteFiles) {
  TempDir dir;
  const std::string file = dir.File("hand.pal");
  const std::vector<TColor> start = {1, 2, 3, 4, 5};
  const struct {
    const char* what;
    const char* text;
    bool adjust;
    bool ok;
    std::vector<TColor> want;  // empty: unchanged
  } cases[] = {
      {"prefixes, blanks, case, trailing text",
       "2 5\n  $00ff00FF\n\tabc\n12zz\n$0\n",
       false,
       true,
       {1, 0x00FF00FF, 0xABC, 0x12, 0}},
      {"lines without a number leave their element",
       "1 4\r\nxyz\r\n\r\n$\r\n123456789\r\n",
       false,
       true,
       {}},
      {"header garbage and further lines ignored",
       "3 3 palette\n00000077\n99\n",
       false,
       true,
       {1, 2, 0x77, 4, 5}},
      {"lone CR line ends", "1 2\r0000000A\r0000000B\r", false, true, {0xA, 0xB, 3, 4, 5}},
      {"missing lines", "1 3\n0000000A\n0000000B\n", false, false, {}},
      {"Last above Size", "4 6\n1\n2\n3\n", false, false, {}},
      {"First below 1", "0 2\n1\n2\n3\n", false, false, {}},
      {"First above Last", "3 2\n1\n2\n", false, false, {}},
      {"negative", "-4 2\n1\n", true, false, {}},
      {"not numbers", "a b\n1\n", false, false, {}},
      {"one number", "5\n", false, false, {}},
      {"empty", "", false, false, {}},
      {"a huge Last with AdjustSize", "2147483000 2147483647\n1\n", true, false, {}},
      {"beyond the largest adjusted size", "16777217 16777217\n1\n", true, false, {}},
      {"beyond int32", "1 99999999999\n1\n", true, false, {}},
      {"AdjustSize grows", "6 7\n00000006\n00000007\n", true, true, {1, 2, 3, 4, 5, 6, 7}},
      {"AdjustSize shrinks", "1 2\n00000009\n00000008\n", true, true, {9, 8}},
  };
  for (const auto& k : cases) {
    TCountedArray t;
    t.a.Resize(5);
    for (int32_t i = 1; i <= 5; ++i) t.a.SetColorElem(i, start[i - 1]);
    t.changes = 0;
    WriteRawFile(file, k.text);
    EXPECT_EQ(t.a.LoadFromFile(file, k.adjust), k.ok) << k.what;
    EXPECT_EQ(Elements(t.a), k.want.empty() ? start : k.want) << k.what;
    EXPECT_EQ(t.changes, k.ok ? 1 : 0) << k.what;
  }
  TColorArray a(nullptr);
  EXPECT_FALSE(a.LoadFromFile(dir.File("none.pal"), true));
  EXPECT_EQ(a.Size(), 1000);
}

}  // namespace
}  // namespace nuv
