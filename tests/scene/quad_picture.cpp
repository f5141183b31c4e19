#include "tests/scene/quad_picture.h"

#include <algorithm>
#include <cmath>
#include <numbers>

PixelBox FindLit(const std::vector<std::uint8_t>& rgb, int width, int height) {
  PixelBox box{width, height, -1, -1, 0};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      if ((p[0] | p[1] | p[2]) == 0) continue;
      box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
             std::max(box.bottom, y), box.count + 1};
    }
  }
  return box;
}

int CountLit(const std::vector<std::uint8_t>& rgb) {
  return FindLit(rgb, static_cast<int>(rgb.size() / 3), 1).count;
}

ScreenBox ProjectCorners(double eyeX, double eyeZ, double heading, const double corners[4][3],
                         int width, int height) {
  const double halfHeight = std::tan(22.5 * std::numbers::pi / 180.0);
  ScreenBox box{1e9, 1e9, -1e9, -1e9};
  for (int i = 0; i < 4; ++i) {
    // The camera's own axes: ahead is (-sin h, 0, -cos h), right is (cos h, 0, -sin h).
    const double dx = corners[i][0] - eyeX;
    const double dz = corners[i][2] - eyeZ;
    const double ahead = -dx * std::sin(heading) - dz * std::cos(heading);
    const double right = dx * std::cos(heading) - dz * std::sin(heading);
    const double x = (right / (ahead * halfHeight * (4.0 / 3.0)) + 1) / 2 * width;
    const double y = (1 - corners[i][1] / (ahead * halfHeight)) / 2 * height;
    box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
           std::max(box.bottom, y)};
  }
  return box;
}
