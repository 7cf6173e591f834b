// Numbers written and read with a point under the Italian locale, which an Italian desktop gives
// the process through Qt, as under C: the same bytes as the C library's printf in the C locale.

#include "common/Formatters.h"
#include "common/Numbers.h"

#include <gtest/gtest.h>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

// The process's numeric locale set to `name` for its lifetime, as the application object sets it
// from the environment.
class NumericLocale {
 public:
  explicit NumericLocale(const char* name) : before_(std::setlocale(LC_NUMERIC, nullptr)) {
    set_ = std::setlocale(LC_NUMERIC, name) != nullptr;
  }
  ~NumericLocale() { std::setlocale(LC_NUMERIC, before_.c_str()); }
  bool Set() const { return set_; }

 private:
  const std::string before_;
  bool set_ = false;
};

// printf's own text of one double, in the process's locale.
std::string Printed(const char* format, double value) {
  char text[400];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

const double kInf = std::numeric_limits<double>::infinity();

TEST(Numbers, WrittenAndReadWithAPointUnderTheItalianLocale) {
  const NumericLocale italian("it_IT.UTF-8");
  ASSERT_TRUE(italian.Set()) << "the it_IT.UTF-8 locale is missing: scripts/deps.sh makes it";
  ASSERT_EQ(Printed("%1.2f", 1.5), "1,50");  // what the C library does under it

  const struct {
    double value;
    int width, decimals;
    const char* text;
  } kWritten[] = {{614630.114, 0, 2, "614630.11"},
                  {-0.001, 0, 2, "-0.00"},
                  {-5.5, 12, 2, "-00000005.50"},
                  {12.5, 20, 4, "000000000000012.5000"},
                  {kInf, 12, 2, "         inf"}};
  for (const auto& w : kWritten) EXPECT_EQ(ZeroPaddedDecimals(w.value, w.width, w.decimals), w.text);
  EXPECT_EQ(FixedDecimals(1.0, 340).substr(0, 5), "1.000");  // more decimals than its buffer holds
  EXPECT_EQ(Format("%1.1lf|%.15g|%g", 2.25, 0.1, 1234.5), "2.2|0.1|1234.5");

  EXPECT_EQ(CDecimalValue("614630.11"), 614630.11);
  EXPECT_EQ(CDecimalValue("1,5"), 1.0);  // a comma ends the number, as under C
}

// In the C locale every text is the C library's own, for any double and width.
TEST(Numbers, TheCLibrarysOwnTextsUnderC) {
  const NumericLocale c("C");
  std::mt19937_64 random(72);
  for (int k = 0; k < 200000; ++k) {
    double value = 0;
    const std::uint64_t bits = random();
    if (k % 2) {
      std::memcpy(&value, &bits, sizeof value);
    } else {
      value = static_cast<double>(static_cast<std::int64_t>(bits % 2000000000)) / 1000.0 - 1e6;
    }
    const int decimals = k % 5, width = k % 23;
    const std::string format = "%0" + std::to_string(width) + "." + std::to_string(decimals) + "f";
    ASSERT_EQ(ZeroPaddedDecimals(value, width, decimals), Printed(format.c_str(), value)) << value;
    if (std::isfinite(value)) {
      ASSERT_EQ(CDecimalValue(FixedDecimals(value, 4).c_str()), std::strtod(Printed("%.4f", value).c_str(), nullptr));
    }
  }
}

}  // namespace
