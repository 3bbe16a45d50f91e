// A custom control in a real window on an X server: run in a child process
// of the test executable under Xvfb, because the tests themselves run on
// the offscreen platform. Skipped when Xvfb is not installed.
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

#include "GraphicsTestUtil.h"
#include "nuv/platform/Controls.h"
#include "nuv/platform/Forms.h"

extern char** environ;

namespace nuv {
namespace {

constexpr const char* kChildMarker = "NUV_XVFB_CHILD";

std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  for (std::size_t start = 0; start <= dirs.size();) {
    const std::size_t colon = std::min(dirs.find(':', start), dirs.size());
    const std::filesystem::path candidate =
        std::filesystem::path(dirs.substr(start, colon - start)) / name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    start = colon + 1;
  }
  return {};
}

pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv) {
  std::vector<std::string> env(extraEnv);
  for (char** e = environ; *e; ++e) env.emplace_back(*e);  // earlier entries win
  std::vector<char*> argv, envp;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) return -1;
  return pid;
}

// Exit status of pid, or -1 when it had to be killed after timeout.
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

TEST(RealWindow, CustomControlPaintsInAWindowUnderXvfb) {
  if (std::getenv(kChildMarker)) GTEST_SKIP() << "the child runs RealWindowChild only";
  const std::string xvfb = FindProgram("Xvfb");
  if (xvfb.empty()) GTEST_SKIP() << "Xvfb is not installed: the check of a real window is skipped";
  int display = 90;
  while (display < 200 && (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(display)) ||
                           std::filesystem::exists("/tmp/.X" + std::to_string(display) + "-lock")))
    ++display;
  const std::string name = ":" + std::to_string(display);
  const pid_t server = Spawn({xvfb, name, "-screen", "0", "320x240x24", "-nolisten", "tcp"}, {});
  ASSERT_GT(server, 0);
  const auto socket = "/tmp/.X11-unix/X" + std::to_string(display);
  for (int i = 0; i < 200 && !std::filesystem::exists(socket); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  int result = -2;
  if (std::filesystem::exists(socket)) {
    std::vector<std::string> env{"DISPLAY=" + name, "QT_QPA_PLATFORM=xcb",
                                 std::string(kChildMarker) + "=1"};
    // The X11 plugin's own leaks are suppressed, also when run outside ctest.
    if (!std::getenv("LSAN_OPTIONS"))
      env.push_back("LSAN_OPTIONS=suppressions=" NUV_LSAN_SUPPRESSIONS);
    const pid_t child = Spawn({std::filesystem::read_symlink("/proc/self/exe").string(),
                               "--gtest_filter=RealWindowChild.*", "--gtest_brief=1"},
                              env);
    result = child > 0 ? WaitFor(child, std::chrono::seconds(120)) : -3;
  }
  kill(server, SIGTERM);
  WaitFor(server, std::chrono::seconds(10));
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
