// The bitmap loader's result: a picture as packed 24-bit RGB rows, bottom row
// first, the layout glTexImage2D takes with GL_RGB and GL_UNSIGNED_BYTE.
//
// Rows follow one another with no gap (width * 3 bytes each); the first row in
// memory is the bottom row of the picture, which is where a texture starts at
// t = 0. The record owns its pixels; both are released together.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

struct RgbImage {
  std::int32_t width = 0;                  // pixels per row, always positive
  std::int32_t height = 0;                 // number of rows, always positive
  std::unique_ptr<std::uint8_t[]> pixels;  // red, green, blue per pixel

  // The number of bytes in `pixels`.
  std::size_t ByteCount() const {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
  }
};

using RgbImagePtr = std::unique_ptr<RgbImage>;
