#include "tools/framebuffer.h"

#include <GL/gl.h>

#include <cstddef>
#include <cstring>

RgbPicture ReadFramebufferTopDown(int width, int height) {
  RgbPicture picture{width, height, {}};
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  std::vector<std::uint8_t> bottomUp(rowBytes * static_cast<std::size_t>(height));
  GLint previousAlignment = 4;
  glGetIntegerv(GL_PACK_ALIGNMENT, &previousAlignment);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glFinish();
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
  glPixelStorei(GL_PACK_ALIGNMENT, previousAlignment);
  // GL counts rows from the bottom; pictures are stored from the top.
  picture.pixels.resize(bottomUp.size());
  for (int row = 0; row < height; ++row) {
    std::memcpy(picture.pixels.data() + static_cast<std::size_t>(row) * rowBytes,
                bottomUp.data() + static_cast<std::size_t>(height - 1 - row) * rowBytes, rowBytes);
  }
  return picture;
}
