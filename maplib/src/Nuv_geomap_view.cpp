// The map view of Nuv_geomap: the image, magnification and pan offset, the
// zoom history, resizing, saving, renaming and the generated empty map.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>

#include "Nuv_geomap_view_parts.h"
#include "nuv/Nuv_filesys.h"
#include "nuv/Nuv_geomap.h"
#include "nuv/Nuv_math1.h"
#include "nuv/Nuv_streams.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/FileUtils.h"
#include "nuv/platform/Jpeg.h"
#include "nuv/platform/SysUtils.h"

namespace nuv {

using geomap::RoundSat;

namespace {

enum TImageKind : uint8_t { ikNone, ikJpeg, ikBmp };

TImageKind ImageKindOf(std::string_view name) {
  const std::string lower = LowerCase(name);
  if (lower.ends_with(".jpg") || lower.ends_with(".jpeg")) return ikJpeg;
  return lower.ends_with(".bmp") ? ikBmp : ikNone;
}

std::string DirectoryOf(std::string_view FileName) {
  return std::string(FileName.substr(0, FileName.size() - StripPath(FileName).size()));
}

// The extension of the file name (not of a directory), with its dot.
std::string ExtensionOf(std::string_view FileName) {
  const std::string name = StripPath(FileName);
  return name.substr(StripPath(StripExtension(name)).size());
}

// Writes a file through Save under a temporary name beside FileName and
// moves it over FileName only when complete, so that a failure keeps the
// old file.
void SaveBeside(const std::string& FileName, const std::function<void(const std::string&)>& Save) {
  std::string temp;
  int32_t n = 0;
  do temp = FileName + ".~" + std::to_string(++n) + ".tmp";
  while (FileExists(temp));
  try {
    Save(temp);
  } catch (...) {
    DeleteFile(temp);
    throw;
  }
  if (std::rename(OsFileName(temp).c_str(), OsFileName(FileName).c_str()) != 0) {
    const int error = errno;
    DeleteFile(temp);
    RaiseInOutErrorFromErrno(error, FileName);
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// The image

void TGeoMap::CheckImageSize(int32_t Width, int32_t Height) const {
  if (int64_t{Width} * Height <= MaxMapImagePixels) return;
  RaiseComponentError<ENUVGeoMapError>(
      *this, "Cannot use map image, maximum of " + std::to_string(MaxMapImagePixels) +
                 " pixels exceeded (size of map is " + std::to_string(Width) + " x " +
                 std::to_string(Height) + ")");
}

void TGeoMap::TakeImage(std::unique_ptr<TBitmap> Image, std::string_view Name) {
  image_ = std::move(Image);
  cache_.reset();
  mapImgName_ = Name;
  calib_.SetImageSize(image_->Width(), image_->Height());
}

void TGeoMap::SetMapImgName(std::string_view Name) {
  std::string file(Name);
  if (OnMapImageRequest) OnMapImageRequest(this, file);
  cache_.reset();
  auto image = std::make_unique<TBitmap>();
  const TImageKind kind = FileExists(file) ? ImageKindOf(file) : ikNone;
  if (kind != ikNone) {
    int32_t w = 0, h = 0;
    if (GetImageFileSize(file, w, h)) CheckImageSize(w, h);
    if (kind == ikJpeg) {
      TJPEGImage jpeg;
      jpeg.OnProgress = OnDataLoading;
      jpeg.LoadFromFile(file);
      CheckImageSize(jpeg.Width(), jpeg.Height());
      image->Assign(jpeg);
    } else {
      image->LoadFromFile(file);
      CheckImageSize(image->Width(), image->Height());
    }
  }
  TakeImage(std::move(image), Name);
  topLeft_ = {};
  ViewChanged();
}

void TGeoMap::SetMapBitMap(const TBitmap& Bitmap) {
  CheckImageSize(Bitmap.Width(), Bitmap.Height());
  auto image = std::make_unique<TBitmap>();
  image->Assign(Bitmap);
  TakeImage(std::move(image), "$unknown$");
  ViewChanged();
}

void TGeoMap::Clear() {
  calib_.ClearCalibData();
  calib_.SetCalibModel(cmUndefined);
  calib_.SetCaption("");
  calDatName_.clear();
  TakeImage(std::make_unique<TBitmap>(), "");
  ViewChanged();
}

void TGeoMap::ResizeMap(double Factor) {
  const int32_t w = ImageWidth(), h = ImageHeight();
  if (w < 1 || h < 1) RaiseComponentError<ENUVGeoMapError>(*this, "ResizeMap: no map image");
  if (!(Factor > 0 && std::isfinite(Factor)))
    RaiseComponentError<ENUVGeoMapError>(*this, "ResizeMap: the factor must be positive");
  const double nw = std::nearbyint(w * Factor), nh = std::nearbyint(h * Factor);
  if (!(nw >= 1 && nh >= 1 && nw * nh <= MaxMapImagePixels))
    RaiseComponentError<ENUVGeoMapError>(*this, "ResizeMap: the factor gives no usable image");
  auto image = std::make_unique<TBitmap>();
  image->SetSize(static_cast<int32_t>(nw), static_cast<int32_t>(nh));
  image->Canvas()->SetStretchBltMode(antiAlias_ ? sbmHalftone : sbmColorOnColor);
  image->Canvas()->CopyRect(Rect(0, 0, image->Width(), image->Height()), *image_->Canvas(),
                            Rect(0, 0, w, h));
  TakeImage(std::move(image), mapImgName_);
  calib_.ScalePixels(Factor);
  ViewChanged();
}

void TGeoMap::ResizeMap(int32_t MaxSize) {
  const int32_t longest = std::max(ImageWidth(), ImageHeight());
  if (longest < 1) RaiseComponentError<ENUVGeoMapError>(*this, "ResizeMap: no map image");
  if (MaxSize < 1)
    RaiseComponentError<ENUVGeoMapError>(*this, "ResizeMap: the size must be positive");
  ResizeMap(static_cast<double>(MaxSize) / longest);
}

// ---------------------------------------------------------------------------
// Files

void TGeoMap::SaveMap(const std::string& FileName, const std::string& ID) {
  if (image_->Empty()) RaiseComponentError<ENUVGeoMapError>(*this, "SaveMap: no map image");
  const std::string imageName = StripPath(StripExtension(FileName)) + ".jpg";
  const std::string oldName = mapImgName_;
  TJPEGImage jpeg;
  jpeg.Assign(*image_);
  mapImgName_ = imageName;
  try {
    SaveBeside(DirectoryOf(FileName) + imageName, [&](const std::string& temp) {
      jpeg.SaveToFile(temp);
      SaveCalDataAsXML(StripExtension(FileName) + ".xml", ID);
    });
  } catch (...) {
    mapImgName_ = oldName;
    throw;
  }
}

bool TGeoMap::RenameMapImg(std::string_view NewName) {
  if (mapImgName_.empty() || NewName.empty() || !FileExists(mapImgName_)) return false;
  const std::string base = StripPath(StripExtension(ReduceStringToFN83CompliantChars(NewName)));
  if (base.empty()) return false;
  const std::string target = DirectoryOf(mapImgName_) + base + ExtensionOf(mapImgName_);
  // RenameFile never replaces an existing file; a change of case only is
  // allowed.
  if (!RenameFile(mapImgName_, target)) return false;
  mapImgName_ = target;
  return true;
}

void TGeoMap::CreateAndLoadEmptyMap(const std::string& FileName, double LatLow, double LongLow,
                                    double LatHigh, double LongHigh, double LatStep,
                                    double LongStep, int32_t Width, int32_t Height,
                                    const TEmptyMapDrawProc& DrawProc) {
  if (LatLow > LatHigh) std::swap(LatLow, LatHigh);
  if (LongLow > LongHigh) std::swap(LongLow, LongHigh);
  if (!(std::isfinite(LatLow) && std::isfinite(LatHigh) && std::isfinite(LongLow) &&
        std::isfinite(LongHigh) && LatLow < LatHigh && LongLow < LongHigh))
    RaiseComponentError<ENUVGeoMapError>(
        *this, "CreateAndLoadEmptyMap: the bounds must be finite and different");
  if (!(LatStep > 0)) LatStep = 30;
  if (!(LongStep > 0)) LongStep = 30;
  if (!((LatHigh - LatLow) / LatStep <= MaxGridLinesPerAxis &&
        (LongHigh - LongLow) / LongStep <= MaxGridLinesPerAxis))
    RaiseComponentError<ENUVGeoMapError>(*this, "CreateAndLoadEmptyMap: the steps give more than " +
                                                    std::to_string(MaxGridLinesPerAxis) + " lines");
  Width = std::max(Width, 100);
  Height = std::max(Height, 100);
  CheckImageSize(Width, Height);

  TBitmap bitmap;
  bitmap.SetSize(Width, Height);
  bitmap.SetPixelFormat(pf4bit);
  TCanvas& c = *bitmap.Canvas();
  c.Pen()->SetColor(clSilver);
  c.Pen()->SetStyle(psDash);
  c.Brush()->SetColor(clWhite);
  c.Font()->SetColor(clBlack);
  const auto label = [](double angle, TDegreeFormat format, const char* positive,
                        const char* negative) {
    return " " + DegreeToStr(std::fabs(angle), format, 0) + (angle < 0 ? negative : positive);
  };
  const auto firstOf = [](double low, double step) { return std::trunc(low / step) * step; };

  const TDegreeFormat latFormat = LatStep <= 0.06 ? dfDegMinSec : dfDegMin;
  const double latFirst = firstOf(LatLow, LatStep);
  for (int32_t k = 0;; ++k) {
    const double lat = latFirst + k * LatStep;
    if (!(lat < LatHigh)) break;
    const int32_t y = Height - 30 - RoundSat((lat - LatLow) / (LatHigh - LatLow) * (Height - 60));
    if (!(y > 30 && y < Height - 30)) continue;
    c.MoveTo(30, y);
    c.LineTo(Width - 30, y);
    const std::string text = label(lat, latFormat, " N ", " S ");
    const int32_t ty = y - c.TextHeight(text) / 2;
    c.TextOut(36, ty, text);
    c.TextOut(Width - c.TextWidth(text) - 36, ty, text);
  }
  const TDegreeFormat longFormat = LongStep <= 0.06 ? dfDegMinSec : dfDegMin;
  const double longFirst = firstOf(LongLow, LongStep);
  for (int32_t k = 0;; ++k) {
    const double lon = longFirst + k * LongStep;
    if (!(lon < LongHigh)) break;
    const int32_t x = 30 + RoundSat((lon - LongLow) / (LongHigh - LongLow) * (Width - 60));
    if (!(x > 30 && x < Width - 30)) continue;
    c.MoveTo(x, 30);
    c.LineTo(x, Height - 30);
    const std::string text = label(lon, longFormat, " E ", " W ");
    const int32_t tx = x - c.TextWidth(text) / 2;
    c.TextOut(tx, 24 - c.TextHeight(text), text);
    c.TextOut(tx, Height - 24, text);
  }
  c.Pen()->SetStyle(psSolid);
  if (DrawProc) DrawProc(c, LatLow, LongLow, LatHigh, LongHigh, Width, Height);

  const std::string base = StripExtension(FileName);
  const std::string bmpName = base + ".bmp";
  SaveBeside(bmpName, [&](const std::string& temp) { bitmap.SaveToFile(temp); });

  // The block gets the corners and resolution of the fit, as a saved
  // calibration has them.
  TGeoMapCalibration cal;
  cal.SetImageSize(Width, Height);
  cal.SetCalibModel(cmBiquadraticPn);
  cal.SetMapName(bmpName);
  cal.SetCaption("Map generated by TGeoMap");
  const std::array<int32_t, 3> xs{30, 30 + (Width - 60) / 2, Width - 30};
  const std::array<int32_t, 3> ys{30, 30 + (Height - 60) / 2, Height - 30};
  for (int32_t y : ys)
    for (int32_t x : xs)
      cal.AddCalibPoint(
          LatLow + static_cast<double>(Height - 30 - y) / (Height - 60) * (LatHigh - LatLow),
          LongLow + static_cast<double>(x - 30) / (Width - 60) * (LongHigh - LongLow), x, y);
  calib_.ClearCalibData();
  const std::string xmlName = base + ".xml";
  SaveXMLFile(xmlName, [&](TextFile& F) {
    WriteRawCalDataToOpenXMLFile(F, true, "NUV_geomap_caldata", cal.Data(), cmBiquadraticPn);
  });
  LoadCalDataFromXML(xmlName, "NUV_geomap_caldata");
  ViewChanged();
}

// ---------------------------------------------------------------------------
// View

void TGeoMap::ViewChanged() {
  if (!suppressPaint_) Invalidate();
}

TGeoMap::TView TGeoMap::CurrentView() const { return {topLeft_, mag_, Width(), Height()}; }

void TGeoMap::SetMagnification(double Value) {
  if (!(Value >= MinMagnification && Value <= MaxMagnification))
    RaiseComponentError<ENUVError>(*this, "Magnification out of range (1/64 to 64)");
  mag_ = Value;
  ViewChanged();
}

void TGeoMap::SetMagnificationClamped(double Value) {
  if (Value == Value) mag_ = std::clamp(Value, MinMagnification, MaxMagnification);
}

void TGeoMap::SetTopLeft(TPoint Value) {
  topLeft_ = Value;
  ViewChanged();
}

void TGeoMap::ZoomFitPage() {
  if (ImageWidth() < 1 || ImageHeight() < 1) return;
  SetMagnificationClamped(std::min(static_cast<double>(Height()) / ImageHeight(),
                                   static_cast<double>(Width()) / ImageWidth()));
  topLeft_ = {};
  ViewChanged();
}

void TGeoMap::PanMapToFillWindow() {
  topLeft_.X = std::max(std::min(topLeft_.X, RoundSat(ImageWidth() - Width() / mag_)), 0);
  topLeft_.Y = std::max(std::min(topLeft_.Y, RoundSat(ImageHeight() - Height() / mag_)), 0);
  ViewChanged();
}

void TGeoMap::BringMapPixelToCenter(TPoint P) {
  topLeft_ = {geomap::AddSat(P.X, -RoundSat(Width() / mag_ / 2)),
              geomap::AddSat(P.Y, -RoundSat(Height() / mag_ / 2))};
  PanMapToFillWindow();
}

void TGeoMap::BringLocationToCenter(double Lat, double Long) {
  int32_t x = 0, y = 0;
  if (!CalcPixelCoords(Lat, Long, x, y)) return;
  const int32_t hx = RoundSat(Width() / mag_ / 2), hy = RoundSat(Height() / mag_ / 2);
  topLeft_.X = std::max(std::min(geomap::AddSat(x, -hx), ImageWidth() - 2 * hx), 0);
  topLeft_.Y = std::max(std::min(geomap::AddSat(y, -hy), ImageHeight() - 2 * hy), 0);
  ViewChanged();
}

void TGeoMap::CenterOn(double ImageX, double ImageY) {
  topLeft_ = {RoundSat(ImageX - Width() / mag_ / 2), RoundSat(ImageY - Height() / mag_ / 2)};
}

TPoint TGeoMap::ControlToMapImage(TPoint P) const { return CurrentView().ToImage(P); }

TPoint TGeoMap::MapImageToControl(TPoint P) const { return CurrentView().ToControl(P.X, P.Y); }

TGeoMap::TView TGeoMap::CanvasView() const { return rendering_ ? *rendering_ : CurrentView(); }

TPoint TGeoMap::MapImageToCanvas(TPoint P) const { return CanvasView().ToControl(P.X, P.Y); }

bool TGeoMap::IsPositionWithinMap(double Lat, double Long) const {
  return PositionInMap(Lat, Long, calib_.Data().Corners);
}

void TGeoMap::DoZoomPanEvent() {
  if (OnZoomPan) OnZoomPan(this);
}

bool PositionInMap(double Lat, double Long, const std::array<TLatLong, 4>& Corners) {
  int32_t positive = 0, negative = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const TLatLong& a = Corners[i];
    const TLatLong& b = Corners[(i + 1) % 4];
    const double cross = (b.Lat - a.Lat) * (Long - a.Long) - (b.Long - a.Long) * (Lat - a.Lat);
    positive += cross > 0;
    negative += cross < 0;
  }
  return positive == 4 || negative == 4;
}

// ---------------------------------------------------------------------------
// Zoom history

namespace {

// Ring index (0-based) of the entry Steps before the last one written.
std::size_t RingIndex(int32_t writePos, int32_t Steps) {
  return static_cast<std::size_t>(((writePos - 2 + Steps) % ZoomHistorySize + ZoomHistorySize) %
                                  ZoomHistorySize);
}

}  // namespace

void TGeoMap::ZoomStateOnStack() {
  zoomRing_[static_cast<std::size_t>(zoomPos_ - 1)] = {topLeft_.X, topLeft_.Y, mag_};
  zoomPos_ = zoomPos_ % ZoomHistorySize + 1;
}

TZoomStackEntry TGeoMap::GetZoomStackEntry(int32_t Steps) const {
  if (!(Steps >= 1 - ZoomHistorySize && Steps <= 0)) return {};
  return zoomRing_[RingIndex(zoomPos_, Steps)];
}

void TGeoMap::ZoomHistory(int32_t Steps) {
  const TZoomStackEntry s = GetZoomStackEntry(Steps);
  if (s == TZoomStackEntry{}) return;
  topLeft_ = {s.PanX, s.PanY};
  SetMagnificationClamped(s.Magnification);
  ViewChanged();
}

void TGeoMap::ClearZoomHistory() {
  zoomRing_.fill({});
  zoomPos_ = 1;
  ZoomStateOnStack();
}

// ---------------------------------------------------------------------------
// Properties

void TGeoMap::SetMouseAction(TMouseActMode Value) { mouseAction_ = Value; }

void TGeoMap::SetConfinePanToMapImage(bool Value) {
  confinePan_ = Value;
  if (Value) PanMapToFillWindow();
}

double TGeoMap::GetLastMClickLatitude() const {
  bool valid = false;
  const double v = CalcLatitude(lastClick_, valid);
  return valid ? v : 0;
}

double TGeoMap::GetLastMClickLongitude() const {
  bool valid = false;
  const double v = CalcLongitude(lastClick_, valid);
  return valid ? v : 0;
}

void TGeoMap::SetAntiAlias(bool Value) { SetAndRepaint(antiAlias_, Value); }

void TGeoMap::SetCacheMagLimit(double Value) {
  if (!(Value == Value)) return;
  cacheMagLimit_ = std::clamp(Value, 0.0, 2.0 / 3.0);
  if (mag_ < 2.0 / 3.0) ViewChanged();
}

void TGeoMap::SetEmptyMsg(std::string_view Value) {
  if (emptyMsg_ == Value) return;
  emptyMsg_ = Value;
  ViewChanged();
}

void TGeoMap::SetShowGraticule(TShowGrat Value) {
  if (Value <= sgPointsAndUTMGrid) SetAndRepaint(showGrat_, Value);
}

void TGeoMap::SetGratLineDist(double Value) {
  SetAndRepaint(gratLineDist_, Value == Value ? std::clamp(Value, 0.0, 60.0) : 0.0);
}

void TGeoMap::SetUTMGridDist(int32_t Value) {
  SetAndRepaint(utmGridDist_, std::clamp(Value, 0, 10000000));
}

void TGeoMap::SetRandSampleLimit(int32_t Value) {
  if (Value > 1000) SetAndRepaint(randSampleLimit_, Value);
}

bool TGeoMap::GetClassVisibility(int32_t Class) const {
  return Class >= 0 && Class < 256 && classVisible_[static_cast<std::size_t>(Class)];
}

void TGeoMap::SetClassVisibility(int32_t Class, bool Visible) {
  if (Class >= 0 && Class < 256)
    SetAndRepaint(classVisible_[static_cast<std::size_t>(Class)], Visible);
}

void TGeoMap::SetHighLM(int32_t Value) {
  SetAndRepaint(highLM_, Value >= 0 && Value <= NumLandMarks() ? Value : 0);
}

void TGeoMap::SetHighLightProperties(TColor Color1, TColor Color2, bool Flag) {
  highColor1_ = Color1;
  highColor2_ = Color2;
  highFlag_ = Flag;
  ViewChanged();
}

void TGeoMap::SetSuppressPaint(bool Value) {
  suppressPaint_ = Value;
  ViewChanged();
}

}  // namespace nuv
