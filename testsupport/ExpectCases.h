// Table-driven expectations: each case carries the name that a failure
// reports, the value computed and the value wanted.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>

namespace nuv::testing {

struct TTextCase {
  const char* what;
  std::string got, want;
};

struct TIntCase {
  const char* what;
  int64_t got, want;
};

inline void ExpectAll(std::initializer_list<TTextCase> cases) {
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.what;
}

inline void ExpectAll(std::initializer_list<TIntCase> cases) {
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.what;
}

}  // namespace nuv::testing
