// Test main of every test executable: a headless, locale-independent
// environment, so that results do not depend on the machine running them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

void PrepareEnvironment() {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  if (!std::getenv("XDG_RUNTIME_DIR")) {
    const std::string dir = (std::filesystem::temp_directory_path() / "nuv-test-runtime").string();
    std::filesystem::create_directories(dir);
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  PrepareEnvironment();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
