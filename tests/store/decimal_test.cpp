#include "store/decimal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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

}  // namespace
