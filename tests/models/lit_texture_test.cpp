// The lit copy of a texture: each texel darkened by the brightness where the
// model shows it, enlarged when small, and refused where texels are shown at
// places of different brightness.
#include "models/lit_texture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

DecodedImage Grey(int width, int height, std::uint8_t value) {
  return {width, height,
          std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3, value)};
}

int At(const DecodedImage& image, double s, double t) {
  const int x = static_cast<int>(s * image.width), y = static_cast<int>((1 - t) * image.height);
  return image.rgb[(static_cast<std::size_t>(y) * image.width + x) * 3];
}

// Two triangles over the whole picture, dark on the left (s = 0), bright on
// the right.
std::vector<LitCorner> Square(float left, float right, float s0 = 0, float s1 = 1) {
  return {{s0, 0, left}, {s1, 0, right}, {s1, 1, right},
          {s0, 0, left}, {s1, 1, right}, {s0, 1, left}};
}

TEST(LitTexture, DarkensEachTexelByItsPlacesBrightness) {
  DecodedImage lit;
  ASSERT_TRUE(BakeLitTexture(Grey(512, 256, 200), Square(0.25f, 1.0f), lit));
  EXPECT_EQ(lit.width, 512);
  EXPECT_NEAR(At(lit, 0.01, 0.5), 0.26 * 200, 3);
  EXPECT_NEAR(At(lit, 0.5, 0.2), 0.625 * 200, 3);
  EXPECT_NEAR(At(lit, 0.99, 0.9), 200, 3);
}

TEST(LitTexture, EnlargesASmallTexture) {
  DecodedImage texture = Grey(2, 2, 100);
  DecodedImage lit;
  ASSERT_TRUE(BakeLitTexture(texture, Square(0.5f, 0.5f), lit));
  EXPECT_EQ(lit.width, 256);
  EXPECT_EQ(lit.height, 256);
  EXPECT_EQ(At(lit, 0.5, 0.5), 50);
}

TEST(LitTexture, RefusesTexelsShownAtPlacesOfDifferentBrightness) {
  DecodedImage lit;
  // The same picture on two faces, one dark and one bright.
  std::vector<LitCorner> twice = Square(0.3f, 0.3f);
  const std::vector<LitCorner> bright = Square(1.0f, 1.0f);
  twice.insert(twice.end(), bright.begin(), bright.end());
  EXPECT_FALSE(BakeLitTexture(Grey(64, 64, 200), twice, lit));
  // A picture repeated three times across one face.
  EXPECT_FALSE(BakeLitTexture(Grey(64, 64, 200), Square(0.3f, 1.0f, 0, 3), lit));
  // Every corner at one texel.
  std::vector<LitCorner> collapsed;
  for (float b = 0; b < 1; b += 0.03f) collapsed.push_back({0.5f, 0.5f, b});
  EXPECT_FALSE(BakeLitTexture(Grey(64, 64, 200), collapsed, lit));
  EXPECT_TRUE(lit.rgb.empty());
  // Mirrored halves of equal brightness are fine.
  std::vector<LitCorner> mirrored = Square(0.6f, 0.6f, 0, 0.5f);
  const std::vector<LitCorner> other = Square(0.6f, 0.6f, 0.5f, 1);
  mirrored.insert(mirrored.end(), other.begin(), other.end());
  EXPECT_TRUE(BakeLitTexture(Grey(64, 64, 200), mirrored, lit));
}

}  // namespace
