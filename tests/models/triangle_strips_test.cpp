// Joining triangles into strips: the strips draw exactly the triangles given,
// each once, and a grid of quads needs no more strips than it has rows.
#include "models/triangle_strips.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace {

using Triangle = std::array<std::uint32_t, 3>;

Triangle Sorted(Triangle t) {
  std::sort(t.begin(), t.end());
  return t;
}

// Every triangle drawn, as sorted vertex triples, sorted.
std::vector<Triangle> Drawn(const TriangleStrips& joined) {
  std::vector<Triangle> drawn;
  for (const auto& strip : joined.strips) {
    EXPECT_GE(strip.size(), 4u);
    for (std::size_t k = 0; k + 2 < strip.size(); ++k)
      drawn.push_back(Sorted({strip[k], strip[k + 1], strip[k + 2]}));
  }
  for (std::size_t k = 0; k + 2 < joined.triangles.size(); k += 3)
    drawn.push_back(
        Sorted({joined.triangles[k], joined.triangles[k + 1], joined.triangles[k + 2]}));
  std::sort(drawn.begin(), drawn.end());
  return drawn;
}

std::vector<Triangle> Given(const std::vector<std::uint32_t>& corners) {
  std::vector<Triangle> given;
  for (std::size_t k = 0; k + 2 < corners.size(); k += 3) {
    const Triangle t = Sorted({corners[k], corners[k + 1], corners[k + 2]});
    if (t[0] != t[1] && t[1] != t[2]) given.push_back(t);
  }
  std::sort(given.begin(), given.end());
  return given;
}

TEST(TriangleStrips, JoinAGridIntoAtMostOneStripPerRow) {
  constexpr std::uint32_t kColumns = 10, kRows = 4;
  std::vector<std::uint32_t> corners;
  for (std::uint32_t r = 0; r < kRows; ++r) {
    for (std::uint32_t c = 0; c < kColumns; ++c) {
      const std::uint32_t p = r * (kColumns + 1) + c, q = p + kColumns + 1;
      corners.insert(corners.end(), {p, q, q + 1, p, q + 1, p + 1});
    }
  }
  const TriangleStrips joined = MakeTriangleStrips(corners, (kColumns + 1) * (kRows + 1));
  EXPECT_EQ(Drawn(joined), Given(corners));
  EXPECT_LE(joined.strips.size(), kRows);
  EXPECT_TRUE(joined.triangles.empty());
}

TEST(TriangleStrips, KeepLoneTrianglesAndDropThoseWithoutArea) {
  // A fan of three around vertex 0, a lone triangle, a degenerate one and a
  // triangle given twice.
  const std::vector<std::uint32_t> corners = {0, 1, 2, 0, 2, 3, 0, 3,  4,  5, 6,
                                              7, 8, 8, 9, 5, 7, 6, 10, 11, 12};
  const TriangleStrips joined = MakeTriangleStrips(corners, 13);
  EXPECT_EQ(Drawn(joined), Given(corners));
  for (const auto& strip : joined.strips) {
    for (std::size_t k = 0; k + 2 < strip.size(); ++k) {
      EXPECT_NE(strip[k], strip[k + 1]);
      EXPECT_NE(strip[k], strip[k + 2]);
    }
  }
}

}  // namespace
