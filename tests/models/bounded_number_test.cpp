// The numbers the importer writes: whichever way a number is converted, the
// text is the one the general conversion gives (std::to_chars, fixed, with as
// many decimals as fit, trailing zeros and a lone sign of zero dropped),
// since --flat promises the importer's earlier output byte for byte.
#include "models/bounded_number.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>
#include <string>

namespace {

std::string General(double value, int maxChars, int maxDecimals) {
  const double limit = std::pow(10.0, maxChars - 1) - 1;
  value = std::fmax(-limit, std::fmin(limit, std::isfinite(value) ? value : 0));
  char text[32];
  std::string written;
  for (int decimals = maxDecimals; decimals >= 0; --decimals) {
    written.assign(text,
                   std::to_chars(text, text + 32, value, std::chars_format::fixed, decimals).ptr);
    if (written.size() <= static_cast<std::size_t>(maxChars)) break;
  }
  if (written.find('.') != std::string::npos) {
    while (written.back() == '0') written.pop_back();
    if (written.back() == '.') written.pop_back();
  }
  return written == "-0" ? "0" : written;
}

TEST(BoundedNumber, WritesWhatTheGeneralConversionWrites) {
  std::mt19937_64 random(27);
  for (int i = 0; i < 300000; ++i) {
    // Floats of the fitted model's size, numbers at every magnitude, and
    // values at and beside the halves of the last decimal.
    const double magnitude = std::pow(10.0, static_cast<int>(random() % 16) - 9);
    const double uniform = std::uniform_real_distribution<double>(-1, 1)(random);
    const double half = (std::floor(uniform * 1e6) + 0.5) / 1e6;
    for (const double value : {static_cast<double>(static_cast<float>(uniform * 10)),
                               uniform * magnitude, half, std::nextafter(half, 1.0)}) {
      for (const auto& [chars, decimals] : {std::pair{10, 6}, {8, 4}, {5, 6}}) {
        ASSERT_EQ(FormatBounded(value, chars, decimals).view, General(value, chars, decimals))
            << value << " in " << chars << " characters";
      }
    }
  }
  EXPECT_EQ(FormatBounded(-1e-9, 10, 6).view, "0");
  EXPECT_EQ(FormatBounded(9.9999996, 10, 6).view, "10");
  EXPECT_EQ(FormatBounded(1e12, 8, 4).view, "9999999");
  EXPECT_EQ(FormatBounded(NAN, 8, 4).view, "0");
}

}  // namespace
