#include "store/decimal.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <string_view>

namespace {

struct DecimalCase {
  const char* text;
  double value;
};

TEST(Decimal, ConvertsTheLongestPrefix) {
  const DecimalCase cases[] = {
      {"0", 0},         {"12", 12},    {"-2", -2},     {"+3", 3},     {"1.5", 1.5},
      {"-0.25", -0.25}, {".5", 0.5},   {"5.", 5},      {"1e3", 1000}, {"1E3", 1000},
      {"2d2", 200},     {"2D-1", 0.2}, {"1.5e+1", 15}, {"1e", 1},     {"1e-", 1},
      {"3x", 3},        {"1 2 3", 1},  {"12,5", 12},   {"-", 0},      {"", 0},
      {".", 0},         {"-.", 0},     {"abc", 0},     {"--5", 0},    {"99999.99", 99999.99},
      {"0.1", 0.1},
  };
  for (const DecimalCase& c : cases) EXPECT_EQ(ParseDecimalPrefix(c.text), c.value) << c.text;
}

TEST(Decimal, OutOfRangeValues) {
  EXPECT_EQ(ParseDecimalPrefix("1e999"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ParseDecimalPrefix("-1d999"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(ParseDecimalPrefix("1e-999"), 0.0);
  EXPECT_TRUE(std::isinf(ParseDecimalFloat("1e99")));
  EXPECT_EQ(ParseDecimalFloat("0.1"), 0.1f);
}

// The general conversion, for comparison: from_chars is correctly rounded.
double GeneralConversion(std::string_view unsignedText) {
  double value = 0;
  std::from_chars(unsignedText.data(), unsignedText.data() + unsignedText.size(), value);
  return value;
}

void ExpectSameDouble(std::string_view text, double expected) {
  const double value = ParseDecimalPrefix(text);
  if (std::memcmp(&value, &expected, sizeof value) != 0) {
    ADD_FAILURE() << text << " converts to " << value << ", not " << expected;
  }
}

TEST(Decimal, TextsConvertCorrectlyRounded) {
  // The object file's numbers and vector components of up to ten characters,
  // exponents, many digits: the quick way and the general one must meet
  // exactly at their border.
  // clang-format off
  const char* const texts[] = {
      "9007199254740992", "9007199254740993", "90071992547409921", "123456789012345678", "0.1",
      "0.3", "1e22", "1e23", "3e-22", "3e-23", "123456.789e-3", "47.636", "-35.514", "0.000001",
      "1234567890", "4.9e-324", "1.7976931348623157e308", "0.30000000000000004",
      "00000000000000000000012.5", "1.00000000000000000000000000001",
  };
  // clang-format on
  for (const char* text : texts) {
    const std::string_view view(text);
    const bool negative = view[0] == '-';
    const double magnitude = GeneralConversion(negative ? view.substr(1) : view);
    ExpectSameDouble(view, negative ? -magnitude : magnitude);
  }
  std::mt19937 random(1984);
  for (int i = 0; i < 300000; ++i) {
    // Up to 10 digits with the point anywhere and an optional exponent.
    std::string digits = std::to_string(random() % 10000000000ull);
    const std::size_t point = random() % (digits.size() + 1);
    if (point < digits.size()) digits = digits.substr(0, point) + '.' + digits.substr(point);
    if (random() % 4 == 0) {
      digits += 'e';
      digits += std::to_string(static_cast<int>(random() % 61) - 30);
    }
    ExpectSameDouble(digits, GeneralConversion(digits));
  }
}

}  // namespace
