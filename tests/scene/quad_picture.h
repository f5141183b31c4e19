// A known picture for the rendered tests of the renderer, the frame tick and
// the snapshot program, and an independent model of where the camera must put
// it: a square in the plane z = 0 from (-1, -1) to (1, 1), textured with four
// texels, red bottom left, green bottom right, blue top left, white top right.
#pragma once

#include <cstdint>
#include <vector>

#include "store/scene_store.h"

// Compiles the textured square into a new display list (GL_TEXTURE_2D left
// enabled), records it in `store` as the next named list called `name`, and
// returns its id. Needs a current GL context.
std::int32_t CompileTexturedSquare(SceneStore& store, const char* name);

struct Rgb {
  std::uint8_t r, g, b;
};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kGreen{0, 255, 0};
inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kWhite{255, 255, 255};

// Pixel bounds of one colour in an RGB picture with the top row first;
// inclusive, with `count` 0 when the colour does not occur.
struct PixelBox {
  int left = 0, top = 0, right = -1, bottom = -1;
  int count = 0;
};
PixelBox FindColour(const std::vector<std::uint8_t>& rgb, int width, int height, Rgb colour);
// The bounds of every pixel that is not black.
PixelBox FindLit(const std::vector<std::uint8_t>& rgb, int width, int height);
int CountLit(const std::vector<std::uint8_t>& rgb);

// Where the point (x, y, z) lands in a width × height picture (x to the right,
// y down from the top row) for an eye at (eyeX, 0, eyeZ) looking along the
// heading, with a 45° vertical field of view and the aspect 4:3.
struct ScreenPoint {
  double x, y;
};
ScreenPoint Project(double eyeX, double eyeZ, double heading, double x, double y, double z,
                    int width, int height);

// The pixel bounds the square's four corners (already placed in the scene)
// project to, as continuous coordinates.
struct ScreenBox {
  double left, top, right, bottom;
};
ScreenBox ProjectCorners(double eyeX, double eyeZ, double heading, const double corners[4][3],
                         int width, int height);
