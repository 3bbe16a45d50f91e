// Colours: conversions between the colour models (RGB, HSI, CMY, CMYK,
// grey), interpolation, colour distance, colours of light wavelengths, and
// TColorArray, a palette (for false-colour maps, say) with interpolation,
// nearest-colour lookup and a small text file.
//
// Colours are TColor values 0x00BBGGRR (red in the lowest byte); every
// function reads only these 24 bits and returns colours with the top byte
// 0. Channel arguments are clamped into 0..255, fractions into 0..1 (NaN
// counts as 0). Results that are rounded round halves to even, and are
// exact: the grey value and the wavelength colours are computed in
// integers, so that ties do not depend on floating-point evaluation.
// Errors are ENUVColArrayError.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "nuv/Nuv_nuvbase.h"
#include "nuv/platform/Graphics.h"

namespace nuv {

class ENUVColArrayError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

// Dark violet through blue, cyan, green, yellow, orange and red to dark
// red: the palette a new TColorArray is filled with.
inline constexpr std::array<TColor, 11> DefaultPalette{0x400020, 0x800060, 0xEF1200, 0xF56E00,
                                                       0xFFF400, 0x00FF18, 0x00F6FF, 0x00C1FF,
                                                       0x0013FF, 0x00008D, 0x000040};

// ---------------------------------------------------------------------------
// Colour functions

// Each channel c1 + (c2 - c1)·Frac, truncated toward zero; Frac in 0..1.
TColor InterpolateColor(TColor C1, TColor C2, double Frac);
// C1 to C2 for Frac 0..0.5, C2 to C3 for 0.5..1.
TColor Interpolate3Colors(TColor C1, TColor C2, TColor C3, double Frac);
// InterpolateColor(C1, C2, 0.5).
TColor MeanColor(TColor C1, TColor C2);
// Red and blue exchanged.
TColor ReverseRGBColor(TColor Col);
// The complement of each channel (255 - c), red, green and blue staying in
// place.
TColor InvertColor(TColor Col);

// round((30·R + 59·G + 11·B) / 100), exactly.
int32_t RGBtoGray(int32_t R, int32_t G, int32_t B);
// The grey with all channels RGBtoGray(R, G, B).
TColor RGBtoGrayColor(int32_t R, int32_t G, int32_t B);
TColor ColorToGrayColor(TColor Col);
// sqrt((ΔR² + ΔG² + ΔB²) / 195075): 0 for equal colours, 1 from black to
// white.
double RGBColorDistance(TColor C1, TColor C2);

// Hue H in degrees [0, 360), saturation S and intensity I in 0..1 of the
// largest channel (ties of red and green count as red, blue only when
// above both). H is -1 for a grey other than black, 0 for black.
void RGBtoHSI(int32_t R, int32_t G, int32_t B, double& H, double& S, double& I);
// The inverse: a hue outside (0, 360), NaN included, counts as 0; S and I
// are clamped into 0..1. Each channel is rounded.
void HSItoRGB(double H, double S, double I, int32_t& R, int32_t& G, int32_t& B);
// C = 1 - R/255, M = 1 - G/255, Y = 1 - B/255.
void RGBtoCMY(int32_t R, int32_t G, int32_t B, double& C, double& M, double& Y);
// R = round((1 - C)·255), likewise G and B; C, M, Y clamped into 0..1.
void CMYtoRGB(double C, double M, double Y, int32_t& R, int32_t& G, int32_t& B);
// K = min(C, M, Y), then C, M, Y each reduced by K (all clamped into 0..1
// first).
void CMYtoCMYK(double& C, double& M, double& Y, double& K);
// K added to C, M and Y, each then clamped into 0..1.
void CMYKtoCMY(double& C, double& M, double& Y, double K);

// Channels from the runtime's generator: red, green, blue in this order.
TColor RandomColor();
// Each channel uniform in low..high, the bounds ordered and clamped into
// 0..255.
TColor RandomColor(int32_t RLow, int32_t RHigh, int32_t GLow, int32_t GHigh, int32_t BLow,
                   int32_t BHigh);

// The colour of light of Wavelength nanometres (380..779 give colour,
// fading below 420 and above 700; others black), each channel
// round(255·x^Gamma) of its intensity x in 0..1, at most 255. For whole
// Gamma from 1 to 7 the channels are exact; a NaN Gamma counts as 1.
TColor WavelengthToColor(int32_t Wavelength, double Gamma);

// ---------------------------------------------------------------------------
// Colour arrays

// Colours 1..Size (default 1000), filled with DefaultPalette at creation.
class TColorArray : public TComponent {
 public:
  // Raises "not enough memory on heap" when the colours cannot be
  // allocated.
  explicit TColorArray(TComponent* AOwner);
  ~TColorArray() override;

  int32_t Size() const { return static_cast<int32_t>(colors_.size()); }
  // Resize for sizes >= 1 that differ from Size.
  void SetSize(int32_t NewSize);
  TNotifyEvent OnChange;

  // Reading below 1 gives element 1, above Size element Size; writing
  // outside 1..Size is ignored.
  TColor ColorElem(int32_t Ix) const;
  void SetColorElem(int32_t Ix, TColor Col);

  // True without change for the same size, false for NewSize < 1;
  // otherwise the common part stays, new colours are black. Raises "not
  // enough memory" when the colours cannot be allocated.
  bool Resize(int32_t NewSize);

  // Every element from n + 1 colours spread evenly over the array,
  // interpolated as InterpolateColor does (computed exactly); NrSteps > 0
  // quantises the array into that many bands first. One colour fills the
  // array, none leaves it unchanged.
  void FillByInterpolation(int32_t NrSteps, std::span<const TColor> Colors);
  void FillByInterpolation(int32_t NrSteps, std::initializer_list<TColor> Colors) {
    FillByInterpolation(NrSteps, std::span<const TColor>(Colors.begin(), Colors.size()));
  }

  // Index of the element nearest to Col by RGBColorDistance, the lowest on
  // ties; 1 when none is nearer than 1. Dist receives the distance (1 when
  // none is nearer). Repeated lookups build a grid over the colour cube,
  // kept until the array changes.
  int32_t ColorToIndex(TColor Col, double& Dist) const;

  // Source's elements First..Last (clamped into 1..Source.Size and ordered)
  // go to Dest on; destinations outside 1..Size are skipped. Source may be
  // this array.
  void CopyFrom(const TColorArray& Source, int32_t First, int32_t Dest, int32_t Last);
  bool IsEqual(const TColorArray& Other) const;
  // Size and colours of another TColorArray; anything else raises
  // EConvertError.
  void Assign(const TPersistent& Source) override;

  // Text file of the elements First..Last (ordered, clamped into 1..Size):
  // a line "First Last", then each colour as 8 upper-case hex digits, lines
  // ended by CR LF. The file is written beside and then replaces FileName,
  // which stays as it was when anything fails; false then.
  bool StoreOnFile(int32_t First, int32_t Last, const std::string& FileName) const;
  // Reads such a file: the elements First..Last from one hex number per
  // line (leading blanks and one "$" allowed, reading stops at the first
  // other character; a line without a number of at most 32 bits leaves its
  // element as it was). AdjustSize resizes the array to Last (at most
  // 16777216, one element per 24-bit colour) first. False, with the array
  // unchanged, when the file cannot be read, the header is not two numbers
  // 1 <= First <= Last, Last exceeds Size without AdjustSize, or lines are
  // missing.
  bool LoadFromFile(const std::string& FileName, bool AdjustSize);

  void Changed();

 private:
  struct TNearest;
  bool ResizeColors(int32_t NewSize);

  std::vector<TColor> colors_;
  // The grid of ColorToIndex and the lookups made since the last change.
  mutable std::unique_ptr<TNearest> nearest_;
  mutable int32_t lookups_ = 0;
};

}  // namespace nuv
