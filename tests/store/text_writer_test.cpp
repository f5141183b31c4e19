#include "store/text_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "tests/support/test_files.h"

namespace {

std::string Printf(const char* format, double value) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

TEST(TextWriter, NumberFormatsMatchTheStandardOnes) {
  const float values[] = {0.f,    1.f,       -1.f,     1.5f,      -2.f,   12.5f,
                          0.005f, 0.015f,    123.456f, 99999.99f, 1e-7f,  3.4e38f,
                          -0.f,   1234567.f, 0.125f,   -0.005f,   2.675f, 100.f};
  for (float v : values) {
    CapturedStream out;
    {
      TextWriter writer(out.file());
      writer.WriteGeneral(v);
      writer.WriteChar('|');
      writer.WriteFixed62(v);
    }
    EXPECT_EQ(out.Text(), Printf("%g", v) + "|" + Printf("%6.2f", v)) << v;
  }
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
  }
  std::fclose(full);
}

}  // namespace
