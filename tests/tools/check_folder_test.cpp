#include "tools/check/check_folder.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_files.h"

namespace {

// A minimal valid 24-bit bitmap of 4 x 1 pixels.
std::string TinyBitmap() {
  std::string b = "BM";
  auto put32 = [&b](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b += static_cast<char>((v >> (8 * i)) & 0xff);
  };
  auto put16 = [&b](std::uint16_t v) {
    b += static_cast<char>(v & 0xff);
    b += static_cast<char>(v >> 8);
  };
  put32(54 + 12), put32(0), put32(54), put32(40), put32(4), put32(1), put16(1), put16(24);
  for (int i = 0; i < 6; ++i) put32(0);
  b += std::string(12, '\x7f');
  return b;
}

TEST(DescribeBitmap, DescribesOrExplains) {
  TempDir dir;
  const std::string good = dir.Write("good.bmp", TinyBitmap());
  CapturedStream out, err;
  EXPECT_EQ(DescribeBitmap(good, "", out.file(), err.file()), 0);
  EXPECT_EQ(out.Text(), good + ": 4x1, 24-bit, 40-byte header, uncompressed, 0 palette entries\n");

  const std::string bad = dir.Write("bad.bmp", "BM" + std::string(12, '\0') + "\x6c");
  CapturedStream out2, err2;
  EXPECT_EQ(DescribeBitmap(bad, "", out2.file(), err2.file()), 1);
  EXPECT_EQ(out2.Text(), "");
  EXPECT_FALSE(err2.Text().empty());
}

}  // namespace
