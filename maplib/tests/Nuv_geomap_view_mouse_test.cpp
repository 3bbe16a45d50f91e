// The map view's mouse modes, driven by posted Qt events: pan and its
// confinement, the XOR zoom window, zoom drag, the rubber band, MouseBox
// and its cancelling, and handlers that raise.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTimer>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "Nuv_geomap_view_testutil.h"
#include "nuv/Nuv_geomap.h"
#include "nuv/platform/Forms.h"

namespace nuv {
namespace {

using namespace nuv::testing;

void Post(QWidget* w, QEvent::Type type, QPointF pos, Qt::MouseButton button,
          Qt::MouseButtons buttons, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QCoreApplication::postEvent(
      w, new QMouseEvent(type, pos, w->mapToGlobal(pos), button, buttons, mods));
}

// Posted and handled at once.
void Press(QWidget* w, QPointF p, Qt::MouseButton b = Qt::LeftButton,
           Qt::KeyboardModifiers m = Qt::NoModifier) {
  Post(w, QEvent::MouseButtonPress, p, b, b, m);
  Application().ProcessMessages();
}
void Move(QWidget* w, QPointF p, Qt::MouseButtons held = Qt::LeftButton) {
  Post(w, QEvent::MouseMove, p, Qt::NoButton, held);
  Application().ProcessMessages();
}
void Release(QWidget* w, QPointF p, Qt::MouseButton b = Qt::LeftButton) {
  Post(w, QEvent::MouseButtonRelease, p, b, Qt::NoButton);
  Application().ProcessMessages();
}
void Click(QWidget* w, QPointF p, Qt::KeyboardModifiers m = Qt::NoModifier) {
  Press(w, p, Qt::LeftButton, m);
  Release(w, p);
}

// A 200 × 100 control over a 400 × 200 image of 50-pixel blocks.
struct MapFixture {
  TGeoMap m{nullptr};
  int32_t zoomPans = 0;
  MapFixture() {
    m.SetBounds(0, 0, 200, 100);
    m.SetMapBitMap(*Blocks(400, 200, 50));
    m.OnZoomPan = [this](TObject*) { ++zoomPans; };
    m.Repaint();
  }
};

TEST(GeoMapViewMouse, PanFollowsTheMouseAndIsConfined) {
  const struct {
    const char* what;
    TMouseActMode mode;
    double mag;
    bool confine;
    QPointF from, to;
    TPoint topLeft;
  } cases[] = {
      {"pan", maPan, 1, true, {100, 50}, {60, 30}, {40, 20}},
      {"pan at 2", maPan, 2, true, {100, 50}, {60, 30}, {20, 10}},
      {"horizontal", maPanHoriz, 1, true, {100, 50}, {60, 30}, {40, 0}},
      {"vertical", maPanVert, 1, true, {100, 50}, {60, 30}, {0, 20}},
      {"confined", maPan, 1, true, {10, 10}, {190, 90}, {0, 0}},
      {"free", maPan, 1, false, {10, 10}, {190, 90}, {-180, -80}},
      {"confined far", maPan, 1, true, {190, 90}, {0, 0}, {190, 90}},
  };
  for (const auto& c : cases) {
    MapFixture f;
    f.m.SetMouseAction(c.mode);
    f.m.SetMagnification(c.mag);
    f.m.SetConfinePanToMapImage(c.confine);
    Press(&f.m, c.from);
    Move(&f.m, c.from);  // the first move anchors the pan
    Move(&f.m, c.to);
    Move(&f.m, {250, 50});  // outside: ignored
    Release(&f.m, c.to);
    const TPoint expect = c.topLeft;
    EXPECT_EQ(f.m.TopLeft(), expect) << c.what;
    EXPECT_EQ(f.zoomPans, 1) << c.what;
    EXPECT_EQ(f.m.GetZoomStackEntry(0), (TZoomStackEntry{expect.X, expect.Y, c.mag})) << c.what;
  }
}

TEST(GeoMapViewMouse, ZoomWindowIsDrawnInXorAndErased) {
  MapFixture f;
  f.m.SetMouseAction(maZoomWind);
  const TColor top = ControlPixel(f.m, 40, 20), side = ControlPixel(f.m, 59, 30),
               right = ControlPixel(f.m, 99, 30);
  Press(&f.m, {20, 20});
  Move(&f.m, {60, 40});
  EXPECT_EQ(ControlPixel(f.m, 40, 20), top ^ 0xFFFFFF);
  EXPECT_EQ(ControlPixel(f.m, 59, 30), side ^ 0xFFFFFF);
  Move(&f.m, {100, 60});
  EXPECT_EQ(ControlPixel(f.m, 40, 20), top ^ 0xFFFFFF);  // still the top edge
  EXPECT_EQ(ControlPixel(f.m, 59, 30), side);            // the old right edge is gone
  EXPECT_EQ(ControlPixel(f.m, 99, 30), right ^ 0xFFFFFF);
  Release(&f.m, {100, 60});
  EXPECT_EQ(ControlPixel(f.m, 40, 20), top);
  // 80 × 40 image pixels fill 200 × 100: magnification 2.5 around (60, 40).
  EXPECT_DOUBLE_EQ(f.m.Magnification(), 2.5);
  EXPECT_EQ(f.m.TopLeft(), (TPoint{20, 20}));
  EXPECT_EQ(f.zoomPans, 1);
}

TEST(GeoMapViewMouse, ZoomWindowCancelledOrEmpty) {
  const struct {
    const char* what;
    double mag;
    QPointF from, to;
    Qt::MouseButton release;
    double expectMag;
  } cases[] = {
      {"right button cancels", 1, {20, 20}, {60, 40}, Qt::RightButton, 1},
      {"no width", 1, {20, 20}, {20, 60}, Qt::LeftButton, 1},
      // Two control pixels are no image pixel at 8: the largest magnification.
      {"under one image pixel", 8, {17, 17}, {19, 19}, Qt::LeftButton, MaxMagnification},
      // Clamped to the control.
      {"beyond the control", 1, {100, 50}, {900, 700}, Qt::LeftButton, 200.0 / 99},
  };
  for (const auto& c : cases) {
    MapFixture f;
    f.m.SetMouseAction(maZoomWind);
    f.m.SetMagnification(c.mag);
    f.m.Repaint();
    const TColor before = ControlPixel(f.m, 40, 20);
    Press(&f.m, c.from);
    Move(&f.m, c.to);
    Release(&f.m, c.to, c.release);
    EXPECT_DOUBLE_EQ(f.m.Magnification(), c.expectMag) << c.what;
    if (c.expectMag == c.mag) EXPECT_EQ(ControlPixel(f.m, 40, 20), before) << c.what;
  }
  // A press outside the control starts nothing.
  MapFixture f;
  f.m.SetMouseAction(maZoomWind);
  Press(&f.m, {-5, 500});
  Release(&f.m, {50, 50});
  EXPECT_EQ(f.m.Magnification(), 1.0);
}

TEST(GeoMapViewMouse, ZoomDragKeepsTheCentreAndDoesNotCompound) {
  MapFixture f;
  f.m.SetMouseAction(maZoomDrag);
  f.m.SetTopLeft({100, 50});  // centre: image (200, 100)
  Press(&f.m, {100, 50});
  Move(&f.m, {100, 25});
  EXPECT_DOUBLE_EQ(f.m.Magnification(), 1.25);
  EXPECT_EQ(f.m.TopLeft(), (TPoint{120, 60}));
  Move(&f.m, {100, 25});  // the same place again: the same factor
  EXPECT_DOUBLE_EQ(f.m.Magnification(), 1.25);
  Move(&f.m, {160, 50});  // right: 1 + 0.05·60/200
  EXPECT_DOUBLE_EQ(f.m.Magnification(), 1.015);
  // A full control height down would make the factor 0.
  Move(&f.m, {100, 150});
  EXPECT_DOUBLE_EQ(f.m.Magnification(), 1.0 / 16);
  Move(&f.m, {100, 1e6});
  EXPECT_GE(f.m.Magnification(), MinMagnification);
  Release(&f.m, {100, 150});
  EXPECT_EQ(f.m.GetZoomStackEntry(0).Magnification, f.m.Magnification());
  EXPECT_EQ(f.zoomPans, 5);
}

TEST(GeoMapViewMouse, RubberBandWithCtrl) {
  MapFixture f;
  f.m.SetMouseAction(maRubberBand);
  f.m.SetTopLeft({100, 0});
  std::vector<std::string> log;
  const auto record = [&](const char* what) {
    return [&log, what](TObject*, TPoint p) {
      log.push_back(std::string(what) + " " + std::to_string(p.X) + "," + std::to_string(p.Y));
    };
  };
  f.m.OnBeginRubberBand = record("begin");
  f.m.OnContinueRubberBand = record("continue");
  f.m.OnEndRubberBand = record("end");
  const TColor a = ControlPixel(f.m, 30, 10), b = ControlPixel(f.m, 50, 30);
  Click(&f.m, {10, 10});
  Move(&f.m, {50, 10}, Qt::NoButton);
  EXPECT_EQ(ControlPixel(f.m, 30, 10), a ^ 0xFFFFFF);
  Click(&f.m, {50, 10}, Qt::ControlModifier);
  EXPECT_EQ(ControlPixel(f.m, 30, 10), a);
  Move(&f.m, {50, 60}, Qt::NoButton);
  EXPECT_EQ(ControlPixel(f.m, 50, 30), b ^ 0xFFFFFF);
  Click(&f.m, {50, 60});
  EXPECT_EQ(ControlPixel(f.m, 50, 30), b);
  EXPECT_EQ(log, (std::vector<std::string>{"begin 110,10", "continue 150,10", "end 150,60"}));
}

TEST(GeoMapViewMouse, MouseBoxWithPostedEvents) {
  const struct {
    QPointF from, to;
    int32_t x1, y1, x2, y2;
  } cases[] = {{{20, 30}, {80, 60}, 20, 30, 80, 60},
               {{80, 60}, {20, 10}, 20, 10, 80, 60},
               {{80, 60}, {500, -20}, 80, 0, 199, 60}};
  for (const auto& c : cases) {
    MapFixture f;
    f.m.SetMouseAction(maZoomWind);
    TMouseActMode during = maPan;
    QTimer::singleShot(0, [&] { during = f.m.MouseAction(); });
    Post(&f.m, QEvent::MouseButtonPress, c.from, Qt::LeftButton, Qt::LeftButton);
    Post(&f.m, QEvent::MouseMove, c.to, Qt::NoButton, Qt::LeftButton);
    Post(&f.m, QEvent::MouseButtonRelease, c.to, Qt::LeftButton, Qt::NoButton);
    int32_t x1 = -1, y1 = -1, x2 = -1, y2 = -1;
    ASSERT_TRUE(f.m.MouseBox(x1, y1, x2, y2));
    EXPECT_EQ((std::vector<int32_t>{x1, y1, x2, y2}),
              (std::vector<int32_t>{c.x1, c.y1, c.x2, c.y2}));
    EXPECT_EQ(during, maNone);
    EXPECT_EQ(f.m.MouseAction(), maZoomWind);
    EXPECT_EQ(f.m.Magnification(), 1.0);  // the zoom window was off
  }
}

TEST(GeoMapViewMouse, MouseBoxCancelled) {
  for (bool byTimer : {true, false}) {
    MapFixture f;
    if (byTimer) {
      Post(&f.m, QEvent::MouseButtonPress, {20, 20}, Qt::LeftButton, Qt::LeftButton);
      QTimer::singleShot(20, [&] { f.m.MouseBoxAbort(); });
    } else {
      Post(&f.m, QEvent::MouseButtonPress, {20, 20}, Qt::RightButton, Qt::RightButton);
    }
    int32_t x1 = 7, y1 = 7, x2 = 7, y2 = 7;
    EXPECT_FALSE(f.m.MouseBox(x1, y1, x2, y2)) << byTimer;
    EXPECT_EQ((std::vector<int32_t>{x1, y1, x2, y2}), (std::vector<int32_t>{7, 7, 7, 7}));
    EXPECT_EQ(f.m.MouseAction(), maPan);
  }
}

TEST(GeoMapViewMouse, LastClickPositionAndRaisingHandlers) {
  MapFixture f;
  CalibrateEquiRect(f.m);
  f.m.SetMagnification(2);
  f.m.SetMouseAction(maNone);
  Press(&f.m, {100, 100});  // image (50, 50)
  EXPECT_EQ(f.m.LastMClickPixel(), (TPoint{50, 50}));
  EXPECT_NEAR(f.m.GetLastMClickLatitude(), 48.0, 1e-9);
  EXPECT_NEAR(f.m.GetLastMClickLongitude(), 11.0, 1e-9);
  f.m.SetCalibModel(cmUndefined);
  EXPECT_EQ(f.m.GetLastMClickLatitude(), 0.0);
  // An application handler that raises loses its event, nothing more.
  f.m.SetMouseAction(maPan);
  f.m.SetMagnification(1);
  f.m.OnZoomPan = [](TObject*) { throw std::runtime_error("handler"); };
  f.m.OnMouseDown = [](TObject*, TMouseButton, TShiftState, int32_t, int32_t) {
    throw std::runtime_error("handler");
  };
  Press(&f.m, {100, 50});
  Move(&f.m, {100, 50});
  Move(&f.m, {90, 50});
  Release(&f.m, {90, 50});
  EXPECT_EQ(f.m.TopLeft(), (TPoint{10, 0}));
}

}  // namespace
}  // namespace nuv
