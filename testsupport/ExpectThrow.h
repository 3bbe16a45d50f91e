// Expected exceptions: the type and the exact message a failing call must
// raise.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace nuv::testing {

// Runs f, expecting an exception of type E with exactly this message. A
// failure names the label, or the message when there is none.
template <class E>
void ExpectThrowMessage(const std::function<void()>& f, const std::string& message,
                        const std::string& label = {}) {
  const std::string& what = label.empty() ? message : label;
  try {
    f();
    ADD_FAILURE() << what << ": no exception";
  } catch (const E& e) {
    EXPECT_EQ(e.Message(), message) << label;
  } catch (...) {
    ADD_FAILURE() << what << ": wrong exception type";
  }
}

}  // namespace nuv::testing
