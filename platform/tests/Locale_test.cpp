// Creating the Qt application switches the C library to the user's locale;
// number text must not notice.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "nuv/platform/SysUtils.h"

namespace nuv {
namespace {

// Runs the test body under a locale and restores the previous one.
class CommaLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* current = std::setlocale(LC_ALL, nullptr);
    saved_ = current ? current : "C";
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
      GTEST_SKIP() << "locale de_DE.UTF-8 is missing (scripts/install-deps generates it)";
  }
  void TearDown() override { std::setlocale(LC_ALL, saved_.c_str()); }

 private:
  std::string saved_;
};

TEST_F(CommaLocale, FormattingAndParsingKeepThePoint) {
  ASSERT_EQ(std::localeconv()->decimal_point, std::string(","));
  EXPECT_EQ(FormatFixed(1234.5, 0, 2), "1234.50");
  EXPECT_EQ(FormatFixed(-0.125, 8, 2), "   -0.13");
  EXPECT_EQ(FormatScientific(-0.00125, 12), "-1.250E-0003");
  EXPECT_EQ(FloatToStr(0.1), "0.1");
  EXPECT_EQ(IntToStr(-1234567), "-1234567");
  EXPECT_DOUBLE_EQ(StrToFloat(" 2.5 "), 2.5);
  EXPECT_THROW(StrToFloat("2,5"), EConvertError);
  double d = 0;
  int32_t code = -1;
  Val("  -3.75e2", d, code);
  EXPECT_EQ(code, 0);
  EXPECT_DOUBLE_EQ(d, -375.0);
  long double ld = 0;
  Val("1.5", ld, code);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(ld, 1.5L);
  Val("1,5", d, code);
  EXPECT_EQ(code, 2);
}

}  // namespace
}  // namespace nuv
