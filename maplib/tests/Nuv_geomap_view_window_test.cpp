// The map view in a real window on an X server: run in a child process of
// the test executable under Xvfb (the tests themselves run on the offscreen
// platform). Skipped when Xvfb is not installed.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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
#include "nuv/Nuv_geomap.h"
#include "nuv/platform/Forms.h"

extern char** environ;

namespace nuv {
namespace {

using namespace nuv::testing;

constexpr const char* kChildMarker = "NUV_GEOMAP_XVFB_CHILD";

pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv) {
  std::vector<std::string> env(extraEnv);
  for (char** e = environ; *e; ++e) env.emplace_back(*e);  // earlier entries win
  std::vector<char*> argv, envp;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  pid_t pid = -1;
  return posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) == 0 ? pid : -1;
}

// Exit status, or -1 after killing the process at the timeout.
int WaitFor(pid_t pid, std::chrono::seconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  int status = 0;
  while (std::chrono::steady_clock::now() < end) {
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return -1;
}

TEST(GeoMapViewWindow, ShowsAndPansUnderXvfb) {
  if (std::getenv(kChildMarker)) GTEST_SKIP() << "the child runs GeoMapViewWindowChild only";
  if (std::system("command -v Xvfb >/dev/null 2>&1") != 0) GTEST_SKIP() << "no Xvfb";
  int display = 120;
  while (display < 250 && std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(display)))
    ++display;
  const std::string name = ":" + std::to_string(display);
  const pid_t server = Spawn({"Xvfb", name, "-screen", "0", "400x300x24", "-nolisten", "tcp"}, {});
  ASSERT_GT(server, 0);
  const std::string socket = "/tmp/.X11-unix/X" + std::to_string(display);
  for (int i = 0; i < 200 && !std::filesystem::exists(socket); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  int result = -2;
  if (std::filesystem::exists(socket)) {
    std::vector<std::string> env{"DISPLAY=" + name, "QT_QPA_PLATFORM=xcb",
                                 std::string(kChildMarker) + "=1"};
    if (!std::getenv("LSAN_OPTIONS"))
      env.push_back("LSAN_OPTIONS=suppressions=" NUV_LSAN_SUPPRESSIONS);
    const pid_t child = Spawn({std::filesystem::read_symlink("/proc/self/exe").string(),
                               "--gtest_filter=GeoMapViewWindowChild.*", "--gtest_brief=1"},
                              env);
    result = child > 0 ? WaitFor(child, std::chrono::seconds(120)) : -3;
  }
  kill(server, SIGTERM);
  WaitFor(server, std::chrono::seconds(10));
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
