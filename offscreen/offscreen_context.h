// An OpenGL context without a display: Mesa's software renderer through EGL's
// surfaceless platform, a desktop OpenGL compatibility profile (immediate mode
// and display lists) drawing into an off-screen pbuffer of a fixed size with a
// depth buffer.
//
// Every GL test and the snapshot program draw through this one helper. It does
// not depend on a window system and never opens an X connection.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class OffscreenContext {
 public:
  // Creates the context and makes it current on the calling thread. Returns
  // null and sets `error` (when given) to a one-line reason on failure.
  static std::unique_ptr<OffscreenContext> Create(int width, int height,
                                                  std::string* error = nullptr);
  ~OffscreenContext();
  OffscreenContext(const OffscreenContext&) = delete;
  OffscreenContext& operator=(const OffscreenContext&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }

  // Makes this context current again (after another one was).
  bool MakeCurrent();
  // Finishes drawing and reads the whole surface as RGB bytes, top row first.
  std::vector<std::uint8_t> ReadRgbTopDown() const;

 private:
  OffscreenContext() = default;

  int width_ = 0;
  int height_ = 0;
  void* display_ = nullptr;
  void* surface_ = nullptr;
  void* context_ = nullptr;
};
