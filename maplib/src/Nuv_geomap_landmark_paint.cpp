// The landmark passes of the map view's rendering: the landmarks of the
// visible classes, thinned at random when too many are in view, and the
// highlighted landmark over everything.
#include "Nuv_geomap_view_parts.h"
#include "nuv/Nuv_geomap.h"
#include "nuv/Nuv_math1.h"

namespace nuv {

namespace {

// The view's corners in (Lat, Long), indexed by TCorners; false when one
// has no position.
bool ViewCorners(const TGeoMap& Map, TPoint TopLeft, TPoint BottomRight,
                 std::array<TLatLong, 4>& Corners) {
  const TPoint points[] = {
      TopLeft, {TopLeft.X, BottomRight.Y}, BottomRight, {BottomRight.X, TopLeft.Y}};
  for (std::size_t i = 0; i < Corners.size(); ++i) {
    bool okLat = false, okLong = false;
    Corners[i].Lat = Map.CalcLatitude(points[i], okLat);
    Corners[i].Long = Map.CalcLongitude(points[i], okLong);
    if (!(okLat && okLong)) return false;
  }
  return true;
}

}  // namespace

bool TGeoMap::LandMarkPoint(TCanvas& Canvas, const TView& View, const TLandMark& LandMark,
                            TPoint& P) {
  int32_t x = 0, y = 0;
  if (!CalcPixelCoords(LandMark.Latitude, LandMark.Longitude, x, y)) return false;
  P = View.ToControl(x, y);
  bool handled = false;
  if (OnDrawLandmark) OnDrawLandmark(this, handled, LandMark, P, Canvas);
  return !handled && P.X > 0 && P.X < View.Width && P.Y > 0 && P.Y < View.Height;
}

void TGeoMap::DrawLandMarks(TCanvas& Canvas, const TView& View) {
  const int32_t n = NumLandMarks();
  double p = 1;
  if (n > randSampleLimit_) {
    std::array<TLatLong, 4> corners;
    int32_t inView = 0;
    if (ViewCorners(*this, View.ToImage({0, 0}), View.ToImage({View.Width, View.Height}), corners))
      for (std::size_t i = 0; i < lmKeys_.Lat.size(); ++i)
        if (classVisible_[lmKeys_.Class[i]] &&
            PositionInMap(lmKeys_.Lat[i], lmKeys_.Long[i], corners))
          ++inView;
    if (inView > randSampleLimit_) p = static_cast<double>(randSampleLimit_) / inView;
  }
  for (int32_t i = 0; i < n && i < NumLandMarks(); ++i) {
    if (!classVisible_[lmKeys_.Class[static_cast<std::size_t>(i)]] || (p < 1 && !BRandom(p)))
      continue;
    // A copy: OnDrawLandmark may change the list.
    const TLandMark l = landMarks_[static_cast<std::size_t>(i)];
    TPoint at;
    if (!LandMarkPoint(Canvas, View, l, at)) continue;
    DrawLandMarkSymbolOnCanvas(Canvas, at.X, at.Y, l.Element, l.ColorFg, l.ColorBg, l.Size, l.Dir,
                               l.Leng, l.Transparent);
    DrawLandMarkCaption(Canvas, at.X, at.Y, l.Caption);
  }
}

void TGeoMap::DrawHighLight(TCanvas& Canvas, const TView& View) {
  if (!(highLM_ >= 1 && highLM_ <= NumLandMarks())) return;
  const TLandMark l = landMarks_[static_cast<std::size_t>(highLM_ - 1)];
  TPoint at;
  if (!classVisible_[l.Class] || !LandMarkPoint(Canvas, View, l, at)) return;
  DrawLandMarkSymbolOnCanvas(Canvas, at.X, at.Y, l.Element, highColor1_, highColor2_, l.Size, l.Dir,
                             l.Leng, highFlag_);
}

}  // namespace nuv
