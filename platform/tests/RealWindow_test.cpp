// A custom control in a real window on an X server: run in a child process
// of the test executable under Xvfb, because the tests themselves run on
// the offscreen platform. Skipped when Xvfb is not installed.
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

#include "GraphicsTestUtil.h"
#include "XvfbChild.h"
#include "nuv/platform/Controls.h"
#include "nuv/platform/Forms.h"

namespace nuv {
namespace {

constexpr const char* kChildMarker = "NUV_XVFB_CHILD";

TEST(RealWindow, CustomControlPaintsInAWindowUnderXvfb) {
  if (std::getenv(kChildMarker)) GTEST_SKIP() << "the child runs RealWindowChild only";
  if (nuv::testing::XvfbProgram().empty())
    GTEST_SKIP() << "Xvfb is not installed: the check of a real window is skipped";
  std::string name;
  const int result =
      nuv::testing::RunTestsUnderXvfb("RealWindowChild.*", kChildMarker, "320x240x24", name);
  EXPECT_EQ(result, 0) << "the child test failed under Xvfb " << name;
}

class TSquare : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  int clicks = 0;

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(clLime);
    Canvas()->FillRect(ClientRect());
    Canvas()->Brush()->SetColor(clRed);
    Canvas()->Rectangle(20, 20, 60, 50);
  }
  void Click() override { ++clicks; }
};

TEST(RealWindowChild, PaintsAndClicksInAnXcbWindow) {
  if (!std::getenv(kChildMarker)) GTEST_SKIP() << "started by RealWindow under Xvfb";
  ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
  QWidget window;
  window.resize(200, 150);
  TSquare square(nullptr);
  square.setParent(&window);
  square.SetAlign(alClient);
  window.show();
  for (int i = 0; i < 200 && !(window.windowHandle() && window.windowHandle()->isExposed()); ++i) {
    Application().ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(window.windowHandle()->isExposed());
  for (int i = 0; i < 10; ++i) Application().ProcessMessages();
  const QImage shot =
      window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(shot.pixel(40, 35), testing::QtPixel(clRed));
  EXPECT_EQ(shot.pixel(100, 100), testing::QtPixel(clLime));
  EXPECT_EQ(shot.pixel(20, 20), testing::QtPixel(clBlack));
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(30, 30), square.mapToGlobal(QPointF(30, 30)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(30, 30),
                      square.mapToGlobal(QPointF(30, 30)), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(&square, &press);
  QCoreApplication::sendEvent(&square, &release);
  EXPECT_EQ(square.clicks, 1);
  square.setParent(nullptr);
}

}  // namespace
}  // namespace nuv
