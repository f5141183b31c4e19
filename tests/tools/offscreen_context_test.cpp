#include "tools/offscreen_context.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

TEST(OffscreenContext, DrawsAndReadsBackTopRowFirst) {
  std::string error;
  auto context = OffscreenContext::Create(8, 4, &error);
  ASSERT_NE(context, nullptr) << error;
  glClearColor(0, 0, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  // Paint the bottom half red with immediate mode, as the viewer draws.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glColor3f(1, 0, 0);
  glBegin(GL_QUADS);
  glVertex2f(-1, -1);
  glVertex2f(1, -1);
  glVertex2f(1, 0);
  glVertex2f(-1, 0);
  glEnd();
  const auto pixels = context->ReadRgbTopDown();
  ASSERT_EQ(pixels.size(), 8u * 4u * 3u);
  EXPECT_EQ(pixels[0], 0);  // top-left: blue clear colour
  EXPECT_EQ(pixels[2], 255);
  const std::size_t bottomLeft = 3u * 8u * 3u;
  EXPECT_EQ(pixels[bottomLeft], 255);  // bottom-left: red quad
  EXPECT_EQ(pixels[bottomLeft + 2], 0);
}

}  // namespace
