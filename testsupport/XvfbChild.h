// Runs some of the current test executable's tests in a child process on a
// private Xvfb server, for the checks that need a real window; the tests
// themselves run on the offscreen platform.
#pragma once

#include <string>

namespace nuv::testing {

// Path of Xvfb on PATH, or empty when it is not installed.
std::string XvfbProgram();

// Starts Xvfb (screen "WxHxD") on the first free display from firstDisplay,
// runs this executable with --gtest_filter=filter, QT_QPA_PLATFORM=xcb and
// the environment variable childMarker set, and stops the server. Returns
// the child's exit status, -1 on its timeout, -2 when the server did not
// come up, -3 when the child could not be started; display receives ":N".
int RunTestsUnderXvfb(const std::string& filter, const char* childMarker, const std::string& screen,
                      std::string& display);

}  // namespace nuv::testing
