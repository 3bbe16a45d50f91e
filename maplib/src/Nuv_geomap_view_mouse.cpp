// Mouse handling of the map view: pan, zoom window, zoom drag, rubber band
// and the modal MouseBox. Feedback is drawn in XOR into the internal
// bitmap, so drawing it twice erases it; Paint draws what is in progress
// again.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "Nuv_geomap_view_parts.h"
#include "nuv/Nuv_geomap.h"
#include "nuv/platform/Forms.h"

namespace nuv {

using geomap::RoundSat;

namespace {

// The lowest factor one zoom drag applies, so that dragging a full control
// height zooms out instead of reaching zero.
constexpr double kMinDragFactor = 1.0 / 16;

bool IsPanMode(TMouseActMode m) { return m == maPan || m == maPanHoriz || m == maPanVert; }

TPoint ClampTo(TPoint p, int32_t w, int32_t h) {
  return {std::clamp(p.X, 0, std::max(w - 1, 0)), std::clamp(p.Y, 0, std::max(h - 1, 0))};
}

}  // namespace

void TGeoMap::HandleMouse(const std::function<void()>& Action) {
  // Exceptions must not unwind through Qt's event dispatch; a raising
  // handler of the application loses that one event.
  try {
    Action();
  } catch (...) {
  }
}

void TGeoMap::DrawXorRect(TPoint A, TPoint B) {
  TCanvas& c = *view_->Canvas();
  c.Pen()->SetMode(pmXor);
  c.Pen()->SetColor(clWhite);
  c.Pen()->SetStyle(psSolid);
  c.Brush()->SetStyle(bsClear);
  c.Rectangle(A.X, A.Y, B.X, B.Y);
  c.Pen()->SetMode(pmCopy);
  c.Brush()->SetStyle(bsSolid);
  update();
}

void TGeoMap::DrawXorLine(TPoint A, TPoint B) {
  TCanvas& c = *view_->Canvas();
  c.Pen()->SetMode(pmXor);
  c.Pen()->SetColor(clWhite);
  c.Pen()->SetStyle(psSolid);
  c.MoveTo(A.X, A.Y);
  c.LineTo(B.X, B.Y);
  c.Pen()->SetMode(pmCopy);
  update();
}

void TGeoMap::DrawMouseFeedback() {
  if (zoomWind_) DrawXorRect(zoomWindA_, zoomWindB_);
  if (rubberBand_) DrawXorLine(bandAnchor_, bandEnd_);
  if (boxState_ == bxDragging) DrawXorRect(boxA_, boxB_);
}

void TGeoMap::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  HandleMouse([&] {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    const TPoint p{X, Y};
    lastClick_ = ControlToMapImage(p);
    if (boxState_ == bxWaiting || boxState_ == bxDragging) {
      if (Button == mbRight) {
        boxAbort_ = true;
      } else if (Button == mbLeft && boxState_ == bxWaiting) {
        boxA_ = boxB_ = ClampTo(p, Width(), Height());
        boxState_ = bxDragging;
      }
      return;
    }
    dragStarted_ = false;
    if (Button != mbLeft) return;
    switch (mouseAction_) {
      case maZoomWind:
        if (!PtInRect(ClientRect(), p)) return;
        zoomWind_ = true;
        zoomWindA_ = zoomWindB_ = p;
        DrawXorRect(zoomWindA_, zoomWindB_);
        return;
      case maZoomDrag:
        dragStarted_ = true;
        dragMouse_ = p;
        dragMag_ = mag_;
        dragCentreX_ = topLeft_.X + Width() / mag_ / 2;
        dragCentreY_ = topLeft_.Y + Height() / mag_ / 2;
        return;
      case maRubberBand:
        if (!rubberBand_) {
          if (OnBeginRubberBand) OnBeginRubberBand(this, lastClick_);
          rubberBand_ = true;
          bandAnchor_ = bandEnd_ = p;
        } else if (Shift & ShiftBit(ssCtrl)) {
          DrawXorLine(bandAnchor_, bandEnd_);
          if (OnContinueRubberBand) OnContinueRubberBand(this, lastClick_);
          bandAnchor_ = bandEnd_ = p;
        } else {
          DrawXorLine(bandAnchor_, bandEnd_);
          rubberBand_ = false;
          if (OnEndRubberBand) OnEndRubberBand(this, lastClick_);
        }
        return;
      default:
        return;
    }
  });
}

void TGeoMap::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  HandleMouse([&] {
    TCustomControl::MouseMove(Shift, X, Y);
    const TPoint p{X, Y};
    if (boxState_ == bxDragging) {
      DrawXorRect(boxA_, boxB_);
      boxB_ = ClampTo(p, Width(), Height());
      DrawXorRect(boxA_, boxB_);
      return;
    }
    if (boxState_ == bxWaiting) return;
    const bool left = Shift & ShiftBit(ssLeft);
    if (IsPanMode(mouseAction_) && left) {
      PanTo(p, Shift);
    } else if (mouseAction_ == maZoomWind && zoomWind_) {
      DrawXorRect(zoomWindA_, zoomWindB_);
      zoomWindB_ = ClampTo(p, Width(), Height());
      DrawXorRect(zoomWindA_, zoomWindB_);
    } else if (mouseAction_ == maZoomDrag && left && dragStarted_) {
      ZoomDragTo(p);
    } else if (mouseAction_ == maRubberBand && rubberBand_) {
      DrawXorLine(bandAnchor_, bandEnd_);
      bandEnd_ = p;
      DrawXorLine(bandAnchor_, bandEnd_);
    }
  });
}

void TGeoMap::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  HandleMouse([&] {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    const TPoint p{X, Y};
    if (boxState_ == bxDragging || boxState_ == bxWaiting) {
      if (boxState_ == bxDragging && Button == mbLeft) {
        DrawXorRect(boxA_, boxB_);
        boxB_ = ClampTo(p, Width(), Height());
        boxState_ = bxDone;
      }
      return;
    }
    if (IsPanMode(mouseAction_) || mouseAction_ == maZoomDrag) {
      dragStarted_ = false;
      ZoomStateOnStack();
    } else if (mouseAction_ == maZoomWind && zoomWind_) {
      DrawXorRect(zoomWindA_, zoomWindB_);
      zoomWind_ = false;
      if (Button != mbLeft) return;
      zoomWindB_ = ClampTo(p, Width(), Height());
      FinishZoomWindow();
    }
  });
}

void TGeoMap::PanTo(TPoint Mouse, TShiftState Shift) {
  if (!dragStarted_) {
    dragStarted_ = true;
    dragMouse_ = Mouse;
    dragTopLeft_ = topLeft_;
    return;
  }
  if (!PtInRect(ClientRect(), Mouse)) return;
  TPoint t = dragTopLeft_;
  if (mouseAction_ != maPanVert)
    t.X = geomap::AddSat(t.X, RoundSat((dragMouse_.X - Mouse.X) / mag_));
  if (mouseAction_ != maPanHoriz)
    t.Y = geomap::AddSat(t.Y, RoundSat((dragMouse_.Y - Mouse.Y) / mag_));
  topLeft_ = t;
  if (confinePan_) PanMapToFillWindow();
  ViewChanged();
  DoZoomPanEvent();
}

void TGeoMap::ZoomDragTo(TPoint Mouse) {
  // The factor applies to the magnification at the press, so the result
  // depends on the mouse position only, not on how many moves arrived.
  const double w = std::max(Width(), 1), h = std::max(Height(), 1);
  const double factor = 1 - 0.05 * (dragMouse_.X - Mouse.X) / w + (dragMouse_.Y - Mouse.Y) / h;
  SetMagnificationClamped(dragMag_ * std::max(factor, kMinDragFactor));
  CenterOn(dragCentreX_, dragCentreY_);
  ViewChanged();
  DoZoomPanEvent();
}

void TGeoMap::FinishZoomWindow() {
  if (zoomWindA_.X == zoomWindB_.X || zoomWindA_.Y == zoomWindB_.Y) return;
  const TPoint a = ControlToMapImage(zoomWindA_), b = ControlToMapImage(zoomWindB_);
  // At least one image pixel, so that a window narrower than a pixel at a
  // high magnification does not divide by zero.
  const double iw = std::max(std::abs(int64_t{b.X} - a.X), int64_t{1});
  const double ih = std::max(std::abs(int64_t{b.Y} - a.Y), int64_t{1});
  const double w = Width(), h = Height();
  SetMagnificationClamped(iw * h >= ih * w ? w / iw : h / ih);
  CenterOn((static_cast<double>(a.X) + b.X) / 2, (static_cast<double>(a.Y) + b.Y) / 2);
  if (confinePan_) PanMapToFillWindow();
  ViewChanged();
  DoZoomPanEvent();
}

bool TGeoMap::MouseBox(int32_t& X1, int32_t& Y1, int32_t& X2, int32_t& Y2) {
  if (boxState_ != bxIdle) return false;
  const TMouseActMode saved = mouseAction_;
  mouseAction_ = maNone;
  boxAbort_ = false;
  boxState_ = bxWaiting;
  while ((boxState_ == bxWaiting || boxState_ == bxDragging) && !boxAbort_) {
    Application().ProcessMessages();
    if (boxState_ != bxDone && !boxAbort_)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (boxState_ == bxDragging) DrawXorRect(boxA_, boxB_);
  const bool done = boxState_ == bxDone && !boxAbort_;
  boxState_ = bxIdle;
  boxAbort_ = false;
  mouseAction_ = saved;
  if (!done) return false;
  X1 = std::min(boxA_.X, boxB_.X);
  Y1 = std::min(boxA_.Y, boxB_.Y);
  X2 = std::max(boxA_.X, boxB_.X);
  Y2 = std::max(boxA_.Y, boxB_.Y);
  return true;
}

}  // namespace nuv
