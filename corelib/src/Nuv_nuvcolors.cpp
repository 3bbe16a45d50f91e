#include "nuv/Nuv_nuvcolors.h"

#include <algorithm>
#include <cmath>

#include "Nuv_nuvcolors_parts.h"
#include "corelib_units.h"
#include "nuv/platform/Random.h"

namespace nuv {

using colors::Channel;
using colors::Clamp01;
using colors::RoundRatio;

namespace {

int32_t ClampChannel(int32_t c) { return std::clamp(c, 0, 255); }

// Round half to even of a value that is at most 255.
int32_t RoundChannel(double x) { return static_cast<int32_t>(std::nearbyint(x)); }

TColor Rgb(int32_t r, int32_t g, int32_t b) {
  return RGB(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b));
}

int32_t Interpolate(int32_t c1, int32_t c2, double frac) {
  return static_cast<int32_t>(c1 + (c2 - c1) * frac);
}

// A channel of WavelengthToColor: round(255·(num/den)^gamma), exactly for
// whole gammas up to 7 (255·56000^7 stays below 2^128).
int32_t WavelengthChannel(int64_t num, int64_t den, double gamma) {
  if (num <= 0) return 0;
  if (gamma >= 1 && gamma <= 7 && gamma == std::trunc(gamma)) {
    unsigned __int128 p = 255, q = 1;
    for (int k = 0; k < static_cast<int>(gamma); ++k) {
      p *= static_cast<uint64_t>(num);
      q *= static_cast<uint64_t>(den);
    }
    return static_cast<int32_t>(RoundRatio(p, q));
  }
  const double x = std::pow(static_cast<double>(num) / static_cast<double>(den), gamma);
  // Gamma <= 0 gives x >= 1: full intensity, not beyond.
  return x >= 1 ? 255 : RoundChannel(255 * x);
}

}  // namespace

TColor InterpolateColor(TColor C1, TColor C2, double Frac) {
  const double f = Clamp01(Frac);
  return Rgb(Interpolate(Channel(C1, 0), Channel(C2, 0), f),
             Interpolate(Channel(C1, 1), Channel(C2, 1), f),
             Interpolate(Channel(C1, 2), Channel(C2, 2), f));
}

TColor Interpolate3Colors(TColor C1, TColor C2, TColor C3, double Frac) {
  const double f = Clamp01(Frac);
  return f <= 0.5 ? InterpolateColor(C1, C2, 2 * f) : InterpolateColor(C2, C3, 2 * (f - 0.5));
}

TColor MeanColor(TColor C1, TColor C2) { return InterpolateColor(C1, C2, 0.5); }

TColor ReverseRGBColor(TColor Col) {
  return Rgb(Channel(Col, 2), Channel(Col, 1), Channel(Col, 0));
}

TColor InvertColor(TColor Col) { return (Col ^ 0xFFFFFF) & 0xFFFFFF; }

int32_t RGBtoGray(int32_t R, int32_t G, int32_t B) {
  const int64_t weighted = 30 * ClampChannel(R) + 59 * ClampChannel(G) + 11 * ClampChannel(B);
  return static_cast<int32_t>(RoundRatio(static_cast<unsigned __int128>(weighted), 100));
}

TColor RGBtoGrayColor(int32_t R, int32_t G, int32_t B) {
  const int32_t grey = RGBtoGray(R, G, B);
  return Rgb(grey, grey, grey);
}

TColor ColorToGrayColor(TColor Col) {
  return RGBtoGrayColor(Channel(Col, 0), Channel(Col, 1), Channel(Col, 2));
}

double RGBColorDistance(TColor C1, TColor C2) {
  return std::sqrt(colors::SquaredDistance(C1, C2) / 195075.0);
}

void RGBtoHSI(int32_t R, int32_t G, int32_t B, double& H, double& S, double& I) {
  R = ClampChannel(R);
  G = ClampChannel(G);
  B = ClampChannel(B);
  const int32_t max = std::max({R, G, B}), min = std::min({R, G, B}), delta = max - min;
  I = max / 255.0;
  S = max == 0 ? 0.0 : static_cast<double>(delta) / max;
  if (max == 0) {
    H = 0;
  } else if (delta == 0) {
    H = -1;
  } else {
    // 60·(sector offset·Δ + difference)/Δ, its numerator exact.
    int32_t num = R == max ? G - B : G == max ? B - R + 2 * delta : R - G + 4 * delta;
    if (num < 0) num += 6 * delta;
    H = 60.0 * num / delta;
  }
}

void HSItoRGB(double H, double S, double I, int32_t& R, int32_t& G, int32_t& B) {
  if (!(H > 0 && H < 360)) H = 0;
  S = Clamp01(S);
  const double v = 255 * Clamp01(I);
  if (S == 0) {
    R = G = B = RoundChannel(v);
    return;
  }
  // A hue just below 360 may divide to 6.
  const int32_t k = std::min(static_cast<int32_t>(H / 60), 5);
  const double f = H / 60 - k;
  const double p = v * (1 - S), q = v * (1 - S * f), t = v * (1 - S * (1 - f));
  const double rgb[6][3] = {{v, t, p}, {q, v, p}, {p, v, t}, {p, q, v}, {t, p, v}, {v, p, q}};
  R = RoundChannel(rgb[k][0]);
  G = RoundChannel(rgb[k][1]);
  B = RoundChannel(rgb[k][2]);
}

void RGBtoCMY(int32_t R, int32_t G, int32_t B, double& C, double& M, double& Y) {
  C = 1 - ClampChannel(R) / 255.0;
  M = 1 - ClampChannel(G) / 255.0;
  Y = 1 - ClampChannel(B) / 255.0;
}

void CMYtoRGB(double C, double M, double Y, int32_t& R, int32_t& G, int32_t& B) {
  R = RoundChannel((1 - Clamp01(C)) * 255);
  G = RoundChannel((1 - Clamp01(M)) * 255);
  B = RoundChannel((1 - Clamp01(Y)) * 255);
}

void CMYtoCMYK(double& C, double& M, double& Y, double& K) {
  C = Clamp01(C);
  M = Clamp01(M);
  Y = Clamp01(Y);
  K = std::min({C, M, Y});
  C -= K;
  M -= K;
  Y -= K;
}

void CMYKtoCMY(double& C, double& M, double& Y, double K) {
  C = Clamp01(C + K);
  M = Clamp01(M + K);
  Y = Clamp01(Y + K);
}

TColor RandomColor() {
  const int32_t r = Random(256), g = Random(256);
  return Rgb(r, g, Random(256));
}

TColor RandomColor(int32_t RLow, int32_t RHigh, int32_t GLow, int32_t GHigh, int32_t BLow,
                   int32_t BHigh) {
  auto draw = [](int32_t low, int32_t high) {
    low = ClampChannel(low);
    high = ClampChannel(high);
    if (low > high) std::swap(low, high);
    return low + Random(high - low + 1);
  };
  const int32_t r = draw(RLow, RHigh), g = draw(GLow, GHigh);
  return Rgb(r, g, draw(BLow, BHigh));
}

TColor WavelengthToColor(int32_t Wavelength, double Gamma) {
  const int64_t w = Wavelength;
  // Channel intensities as fractions num/den.
  struct TRatio {
    int64_t num, den;
  } r{0, 1}, g{0, 1}, b{0, 1};
  if (w >= 380 && w < 440) {
    r = {440 - w, 60};
    b = {1, 1};
  } else if (w >= 440 && w < 490) {
    g = {w - 440, 50};
    b = {1, 1};
  } else if (w >= 490 && w < 510) {
    g = {1, 1};
    b = {510 - w, 20};
  } else if (w >= 510 && w < 580) {
    r = {w - 510, 70};
    g = {1, 1};
  } else if (w >= 580 && w < 645) {
    r = {1, 1};
    g = {645 - w, 65};
  } else if (w >= 645 && w < 780) {
    r = {1, 1};
  }
  // The fading at both ends: 0.3 + 0.7·(780 - w)/80 and 0.3 + 0.7·(w - 380)/40.
  TRatio fade{1, 1};
  if (w >= 701)
    fade = {240 + 7 * (780 - w), 800};
  else if (w < 420)
    fade = {120 + 7 * (w - 380), 400};
  if (Gamma != Gamma) Gamma = 1;
  auto channel = [&](TRatio x) {
    return WavelengthChannel(x.num * fade.num, x.den * fade.den, Gamma);
  };
  return Rgb(channel(r), channel(g), channel(b));
}

}  // namespace nuv

namespace nuv::units {

void Nuv_nuvcolors_Init() {}
void Nuv_nuvcolors_Finalize() {}

}  // namespace nuv::units
