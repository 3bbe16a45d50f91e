#include "XvfbChild.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

extern char** environ;

namespace nuv::testing {
namespace {

pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv) {
  std::vector<std::string> env(extraEnv);
  for (char** e = environ; *e; ++e) env.emplace_back(*e);  // earlier entries win
  std::vector<char*> argv, envp;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  pid_t pid = -1;
  return posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) == 0 ? pid : -1;
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

bool DisplayInUse(int n) {
  const std::string s = std::to_string(n);
  return std::filesystem::exists("/tmp/.X11-unix/X" + s) ||
         std::filesystem::exists("/tmp/.X" + s + "-lock");
}

}  // namespace

std::string XvfbProgram() {
  const char* path = std::getenv("PATH");
  const std::string dirs = path ? path : "/usr/bin:/bin";
  for (std::size_t start = 0; start <= dirs.size();) {
    const std::size_t colon = std::min(dirs.find(':', start), dirs.size());
    const std::filesystem::path candidate =
        std::filesystem::path(dirs.substr(start, colon - start)) / "Xvfb";
    if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    start = colon + 1;
  }
  return {};
}

int RunTestsUnderXvfb(const std::string& filter, const char* childMarker, const std::string& screen,
                      std::string& display) {
  int n = 90;
  while (n < 250 && DisplayInUse(n)) ++n;
  display = ":" + std::to_string(n);
  const pid_t server =
      Spawn({XvfbProgram(), display, "-screen", "0", screen, "-nolisten", "tcp"}, {});
  if (server <= 0) return -2;
  const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
  for (int i = 0; i < 200 && !std::filesystem::exists(socket); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  int result = -2;
  if (std::filesystem::exists(socket)) {
    std::vector<std::string> env{"DISPLAY=" + display, "QT_QPA_PLATFORM=xcb",
                                 std::string(childMarker) + "=1"};
    // The X11 plugin's own leaks are suppressed, also when run outside ctest.
    if (!std::getenv("LSAN_OPTIONS"))
      env.push_back("LSAN_OPTIONS=suppressions=" NUV_LSAN_SUPPRESSIONS);
    const pid_t child = Spawn({std::filesystem::read_symlink("/proc/self/exe").string(),
                               "--gtest_filter=" + filter, "--gtest_brief=1"},
                              env);
    result = child > 0 ? WaitFor(child, std::chrono::seconds(120)) : -3;
  }
  kill(server, SIGTERM);
  WaitFor(server, std::chrono::seconds(10));
  return result;
}

}  // namespace nuv::testing
