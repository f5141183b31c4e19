// Looking at pictures of the textured square (red bottom left, green bottom
// right, blue top left, white top right, from (-1, -1) to (1, 1) in its own
// plane) that the rendered tests draw, an independent model of where the
// camera must put it, and the square as a scene folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "tests/support/test_files.h"

struct Rgb {
  std::uint8_t r, g, b;
};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kGreen{0, 255, 0};
inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kWhite{255, 255, 255};

// Pixel bounds of the pixels that are not black in an RGB picture with the top
// row first; inclusive, with `count` 0 when there are none.
struct PixelBox {
  int left = 0, top = 0, right = -1, bottom = -1;
  int count = 0;
};
PixelBox FindLit(const std::vector<std::uint8_t>& rgb, int width, int height);
int CountLit(const std::vector<std::uint8_t>& rgb);

// The bounds, as continuous pixel coordinates (x to the right, y down from the
// top row), of where four corners land in a width × height picture for an eye
// at (eyeX, 0, eyeZ) looking along the heading (0 looks along -z, larger turns
// left), with a 45° vertical field of view and the aspect 4:3.
struct ScreenBox {
  double left, top, right, bottom;
};
ScreenBox ProjectCorners(double eyeX, double eyeZ, double heading, const double corners[4][3],
                         int width, int height);

// Copies the square's folder (tests/data/square: textures.txt, square.bmp,
// objects.txt, scene.txt; the square at (0, 0, -6), unturned, unscaled) into `dir`.
inline void WriteSquareSceneFolder(const TempDir& dir) {
  std::filesystem::copy(std::filesystem::path(MORVANE_SOURCE_DIR) / "tests" / "data" / "square",
                        dir.path(), std::filesystem::copy_options::recursive);
}
