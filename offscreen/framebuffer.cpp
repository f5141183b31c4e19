#include "offscreen/framebuffer.h"

#include <GL/gl.h>

#include <cstddef>

RgbPicture ReadFramebufferTopDown(int width, int height, int channels) {
  std::vector<std::uint8_t> bottomUp(static_cast<std::size_t>(width) *
                                     static_cast<std::size_t>(channels) *
                                     static_cast<std::size_t>(height));
  GLint previousAlignment = 4;
  glGetIntegerv(GL_PACK_ALIGNMENT, &previousAlignment);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glFinish();
  glReadPixels(0, 0, width, height, channels == 4 ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE,
               bottomUp.data());
  glPixelStorei(GL_PACK_ALIGNMENT, previousAlignment);
  return PictureFromBottomUpRows(width, height, bottomUp.data(), channels);
}
