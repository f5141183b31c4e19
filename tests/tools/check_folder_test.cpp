#include "tools/check/check_folder.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_files.h"
#include "tests/textures/bitmap_builder.h"

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
  // file bytes, then what goes to standard output or, on failure, to standard error
  const struct {
    std::string bytes, out, err;
  } cases[] = {
      {TinyBitmap(), ": 4x1, 24-bit, 40-byte info header, uncompressed, 0 palette entries\n", ""},
      {LongHeaderBytes(124, {.bitsPerPixel = 32, .compression = 3}) + Le32(0),
       ": 1x1, 32-bit, 124-byte V5 header (packed, no file header), bit fields, 0 palette "
       "entries\n",
       ""},
      {"\x89PNG\r\n\x1a\n" + std::string(40, '\0'), "",
       "Unknown DIB file format. (a PNG file, not a bitmap)\n"},
      {WithFileHeader(Le32(64) + std::string(60, '\0'), 64), "",
       "Unknown DIB file format. (64-byte OS/2 header, not supported)\n"},
      {LongHeaderBytes(124, {.bitsPerPixel = 0, .compression = 4}) + "\xFF\xD8\xFF", "",
       "Image file conversion error. (124-byte V5 header holding JPEG data)\n"},
      {InfoHeaderBytes({.width = 20000}), "",
       "Out of memory. (width 20000 is over the 16384-pixel limit)\n"},
  };
  TempDir dir;
  for (const auto& c : cases) {
    const std::string file = dir.Write("case.bmp", c.bytes);
    CapturedStream out, err;
    EXPECT_EQ(DescribeBitmap(file, "", out.file(), err.file()), c.err.empty() ? 0 : 1);
    EXPECT_EQ(out.Text(), c.out.empty() ? "" : file + c.out);
    EXPECT_EQ(err.Text(), c.err);
  }
  CapturedStream out, err;
  const std::string missing = (dir.path() / "missing.bmp").string();
  EXPECT_EQ(DescribeBitmap(missing, "", out.file(), err.file()), 1);
  EXPECT_EQ(err.Text(), "Failed to open DIB file " + missing +
                            ". (missing, unreadable, empty or not a regular file)\n");
}

}  // namespace
