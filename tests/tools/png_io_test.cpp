#include "tools/png_io.h"

#include <gtest/gtest.h>

#include "tests/support/test_files.h"

namespace {

TEST(PngIo, RoundTripsAnRgbPicture) {
  TempDir dir;
  RgbPicture picture{3, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}};
  const std::string path = (dir.path() / "p.png").string();
  ASSERT_TRUE(WritePng(path, picture));
  RgbPicture back;
  ASSERT_TRUE(ReadPng(path, back));
  EXPECT_EQ(back.width, 3);
  EXPECT_EQ(back.height, 2);
  EXPECT_EQ(back.pixels, picture.pixels);
}

TEST(PngIo, ReportsMissingAndBrokenFiles) {
  TempDir dir;
  RgbPicture picture;
  std::string error;
  EXPECT_FALSE(ReadPng((dir.path() / "missing.png").string(), picture, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(ReadPng(dir.Write("bad.png", "not a png"), picture, &error));
  EXPECT_FALSE(WritePng((dir.path() / "no" / "such" / "dir.png").string(), picture, &error));
}

}  // namespace
