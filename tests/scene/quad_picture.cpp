#include "tests/scene/quad_picture.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <numbers>

std::int32_t CompileTexturedSquare(SceneStore& store, const char* name) {
  const std::uint8_t texels[] = {255, 0, 0,   0,   255, 0,     // bottom row: red, green
                                 0,   0, 255, 255, 255, 255};  // top row: blue, white
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
  glEnable(GL_TEXTURE_2D);

  const std::int32_t id = ++store.lastListId;
  glNewList(static_cast<GLuint>(id), GL_COMPILE);
  glBindTexture(GL_TEXTURE_2D, texture);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex3f(-1, -1, 0);
  glTexCoord2f(1, 0);
  glVertex3f(1, -1, 0);
  glTexCoord2f(1, 1);
  glVertex3f(1, 1, 0);
  glTexCoord2f(0, 1);
  glVertex3f(-1, 1, 0);
  glEnd();
  glEndList();

  store.currentNamedList.listId = id;
  CopyBounded(store.currentNamedList.name, name);
  store.AppendCurrentNamedList();
  return id;
}

namespace {

template <typename Match>
PixelBox FindPixels(const std::vector<std::uint8_t>& rgb, int width, int height, Match match) {
  PixelBox box{width, height, -1, -1, 0};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      if (!match(p)) continue;
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x);
      box.top = std::min(box.top, y);
      box.bottom = std::max(box.bottom, y);
      ++box.count;
    }
  }
  return box;
}

}  // namespace

PixelBox FindColour(const std::vector<std::uint8_t>& rgb, int width, int height, Rgb colour) {
  return FindPixels(rgb, width, height, [&](const std::uint8_t* p) {
    return p[0] == colour.r && p[1] == colour.g && p[2] == colour.b;
  });
}

PixelBox FindLit(const std::vector<std::uint8_t>& rgb, int width, int height) {
  return FindPixels(rgb, width, height,
                    [](const std::uint8_t* p) { return p[0] != 0 || p[1] != 0 || p[2] != 0; });
}

int CountLit(const std::vector<std::uint8_t>& rgb) {
  int lit = 0;
  for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
    if (rgb[i] != 0 || rgb[i + 1] != 0 || rgb[i + 2] != 0) ++lit;
  }
  return lit;
}

ScreenPoint Project(double eyeX, double eyeZ, double heading, double x, double y, double z,
                    int width, int height) {
  // The camera's own axes: ahead is (-sin h, 0, -cos h), right is (cos h, 0, -sin h).
  const double dx = x - eyeX;
  const double dz = z - eyeZ;
  const double ahead = -dx * std::sin(heading) - dz * std::cos(heading);
  const double right = dx * std::cos(heading) - dz * std::sin(heading);
  const double halfHeight = std::tan(22.5 * std::numbers::pi / 180.0);
  const double ndcX = right / (ahead * halfHeight * (4.0 / 3.0));
  const double ndcY = y / (ahead * halfHeight);
  return {(ndcX + 1) / 2 * width, (1 - ndcY) / 2 * height};
}

ScreenBox ProjectCorners(double eyeX, double eyeZ, double heading, const double corners[4][3],
                         int width, int height) {
  ScreenBox box{1e9, 1e9, -1e9, -1e9};
  for (int i = 0; i < 4; ++i) {
    const ScreenPoint p =
        Project(eyeX, eyeZ, heading, corners[i][0], corners[i][1], corners[i][2], width, height);
    box.left = std::min(box.left, p.x);
    box.right = std::max(box.right, p.x);
    box.top = std::min(box.top, p.y);
    box.bottom = std::max(box.bottom, p.y);
  }
  return box;
}
