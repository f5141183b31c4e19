#include "offscreen/framebuffer.h"

#include <GL/gl.h>

#include <cstddef>

RgbPicture ReadFramebufferTopDown(int width, int height) {
  std::vector<std::uint8_t> bottomUp(static_cast<std::size_t>(width) * 3 *
                                     static_cast<std::size_t>(height));
  GLint previousAlignment = 4;
  glGetIntegerv(GL_PACK_ALIGNMENT, &previousAlignment);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glFinish();
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
  glPixelStorei(GL_PACK_ALIGNMENT, previousAlignment);
  return PictureFromBottomUpRows(width, height, bottomUp.data());
}
