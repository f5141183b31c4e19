#include "store/text_writer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tests/support/test_files.h"

namespace {

std::string Printf(const char* format, double value) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

// Both formats of each value, as the writer makes them and as printf does.
void ExpectStandardFormats(const std::vector<float>& values) {
  CapturedStream out;
  std::string expected;
  {
    TextWriter writer(out.file());
    for (float v : values) {
      writer.WriteGeneral(v);
      writer.WriteChar('|');
      writer.WriteFixed62(v);
      writer.WriteChar('\n');
      expected += Printf("%g", v) + "|" + Printf("%6.2f", v) + "\n";
    }
  }
  const std::string text = out.Text();
  if (text == expected) return;
  // Name the first value that differs rather than two huge texts.
  std::size_t line = 0;
  for (std::size_t i = 0; i < text.size() && i < expected.size() && text[i] == expected[i]; ++i) {
    if (text[i] == '\n') ++line;
  }
  ADD_FAILURE() << "value " << Printf("%.9g", values[line]) << " is written differently";
}

TEST(TextWriter, NumberFormatsMatchTheStandardOnes) {
  constexpr float inf = std::numeric_limits<float>::infinity();
  // clang-format off
  ExpectStandardFormats({
      // What the random values of the next test rarely meet: signed zeros,
      // and small values rounding at the second decimal.
      0.f, -0.f, -0.005f, 2.675f,
      // Exact ties round to even, in the sixth significant digit and in the second decimal.
      100000.5f, 100001.5f, 0.125f, 0.375f, -0.625f, 1.005f,
      // Values that round up into the next decade, and the edges of fixed notation.
      999999.5f, 999999.4f, 99999.95f, 9.9999995f, 0.99999997f, 1e6f, 0.0001f, 0.00009999999f,
      std::nextafter(0.0001f, 0.f), std::nextafter(1e6f, 0.f), 1e15f, 9.9999e14f, 1e16f,
      inf, -inf, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::denorm_min(),
      std::numeric_limits<float>::max(), std::numeric_limits<float>::lowest(),
  });
  // clang-format on
}

TEST(TextWriter, NumberFormatsMatchTheStandardOnesForRandomFloats) {
  // Every bit pattern is a possible value; a fixed seed keeps failures repeatable.
  std::mt19937 random(20061);
  std::vector<float> values;
  for (int i = 0; i < 200000; ++i) {
    const std::uint32_t bits = static_cast<std::uint32_t>(random());
    float v = 0;
    std::memcpy(&v, &bits, sizeof v);
    values.push_back(v);
    // Half of them from the range objects.txt actually holds.
    values.push_back(static_cast<float>(static_cast<std::int32_t>(bits % 20000001) - 10000000) /
                     static_cast<float>(1 << (bits % 16)));
  }
  ExpectStandardFormats(values);
}

TEST(TextWriter, WritesLongOutputInOrder) {
  CapturedStream out;
  std::string expected;
  {
    TextWriter writer(out.file());
    for (int i = 0; i < 30000; ++i) {
      writer.Write("line ");
      writer.WriteInt(i);
      writer.WriteChar('\n');
      expected += "line " + std::to_string(i) + "\n";
    }
    writer.Write(std::string(200000, 'x'));
    expected += std::string(200000, 'x');
  }
  EXPECT_EQ(out.Text(), expected);
}

TEST(TextWriter, RemembersAFailedWrite) {
  std::FILE* full = std::fopen("/dev/full", "w");
  if (full == nullptr) GTEST_SKIP() << "no /dev/full";
  {
    TextWriter writer(full);
    writer.Write("anything");
    writer.Flush();
    EXPECT_TRUE(writer.Failed());
    EXPECT_EQ(writer.FailureReason(), ENOSPC);  // the reason the transcript's commit is refused
  }
  std::fclose(full);
}

}  // namespace
