// The map view in a real window on an X server: run in a child process of
// the test executable under Xvfb (the tests themselves run on the offscreen
// platform). Skipped when Xvfb is not installed.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "Nuv_geomap_view_testutil.h"
#include "XvfbChild.h"
#include "nuv/Nuv_geomap.h"
#include "nuv/platform/Forms.h"

namespace nuv {
namespace {

using namespace nuv::testing;

constexpr const char* kChildMarker = "NUV_GEOMAP_XVFB_CHILD";

TEST(GeoMapViewWindow, ShowsAndPansUnderXvfb) {
  if (std::getenv(kChildMarker)) GTEST_SKIP() << "the child runs GeoMapViewWindowChild only";
  if (nuv::testing::XvfbProgram().empty()) GTEST_SKIP() << "no Xvfb";
  std::string name;
  const int result =
      nuv::testing::RunTestsUnderXvfb("GeoMapViewWindowChild.*", kChildMarker, "400x300x24", name);
  EXPECT_EQ(result, 0) << "the child test failed under Xvfb " << name;
}

QImage Grab(QWidget& window) {
  for (int i = 0; i < 10; ++i) Application().ProcessMessages();
  return window.screen()
      ->grabWindow(window.winId())
      .toImage()
      .convertToFormat(QImage::Format_RGB32);
}

uint32_t Shown(TColor c) {
  return 0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

TEST(GeoMapViewWindowChild, PaintsAndPansInAnXcbWindow) {
  if (!std::getenv(kChildMarker)) GTEST_SKIP() << "started by GeoMapViewWindow under Xvfb";
  ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
  QWidget window;
  window.resize(200, 100);
  TGeoMap map(nullptr);
  map.setParent(&window);
  map.SetAlign(alClient);
  map.SetFrameStyle(fsNone);
  map.SetMapBitMap(*Blocks(400, 200, 50));
  window.show();
  for (int i = 0; i < 200 && !(window.windowHandle() && window.windowHandle()->isExposed()); ++i) {
    Application().ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(window.windowHandle()->isExposed());
  QImage shot = Grab(window);
  EXPECT_EQ(shot.pixel(25, 50), Shown(BlockColor(25, 50)));
  EXPECT_EQ(shot.pixel(75, 50), Shown(BlockColor(75, 50)));
  // Drag 50 pixels to the left: the next block moves under the probe.
  const auto send = [&](QEvent::Type type, QPointF p, Qt::MouseButton b, Qt::MouseButtons held) {
    QMouseEvent e(type, p, map.mapToGlobal(p), b, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&map, &e);
  };
  send(QEvent::MouseButtonPress, {100, 50}, Qt::LeftButton, Qt::LeftButton);
  send(QEvent::MouseMove, {100, 50}, Qt::NoButton, Qt::LeftButton);
  send(QEvent::MouseMove, {50, 50}, Qt::NoButton, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, {50, 50}, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(map.TopLeft(), (TPoint{50, 0}));
  shot = Grab(window);
  EXPECT_EQ(shot.pixel(25, 50), Shown(BlockColor(75, 50)));
  map.setParent(nullptr);
}

}  // namespace
}  // namespace nuv
