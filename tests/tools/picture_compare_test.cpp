#include "tools/picture_compare.h"

#include <gtest/gtest.h>

namespace {

RgbPicture Filled(int width, int height, std::uint8_t value) {
  return {width, height,
          std::vector<std::uint8_t>(static_cast<std::size_t>(width * height * 3), value)};
}

TEST(ComparePictures, CountsPixelsBeyondTheTolerance) {
  const RgbPicture reference = Filled(2, 2, 100);
  RgbPicture rendered = reference;
  rendered.pixels[0] = 108;  // pixel 0: red off by 8, still the same
  rendered.pixels[4] = 91;   // pixel 1: green off by 9, differs
  rendered.pixels[11] = 0;   // pixel 3: blue far off, differs
  const PictureDifference d = ComparePictures(rendered, reference);
  EXPECT_EQ(d.differing, 2u);
  EXPECT_EQ(d.total, 4u);
  EXPECT_DOUBLE_EQ(d.Percent(), 50.0);
  // The map marks differing pixels red and dims the rest.
  EXPECT_EQ(d.map.pixels[3], 255);
  EXPECT_EQ(d.map.pixels[4], 0);
  EXPECT_EQ(d.map.pixels[0], 108 / 3);
}

TEST(ComparePictures, ADifferentSizeDiffersEverywhere) {
  const PictureDifference d = ComparePictures(Filled(2, 2, 7), Filled(2, 1, 7));
  EXPECT_EQ(d.differing, 4u);
  EXPECT_DOUBLE_EQ(d.Percent(), 100.0);
}

}  // namespace
