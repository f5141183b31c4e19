#include "textures/dib_section.h"

#include <new>
#include <utility>

BitmapProblem CreateDibSection(std::uint64_t width, std::uint64_t rows, DibSection& section) {
  if (width == 0 || rows == 0) return BitmapProblem::kNoPixels;
  // Both factors are checked alone first so the product cannot wrap.
  if (width > kMaxSectionSide) return BitmapProblem::kWidthOverLimit;
  if (rows > kMaxSectionSide) return BitmapProblem::kHeightOverLimit;
  const std::uint64_t stride = SectionStride(width);
  if (stride * rows > kMaxSectionBytes) return BitmapProblem::kPictureOverLimit;
  std::unique_ptr<std::uint8_t[]> bits(new (std::nothrow)
                                           std::uint8_t[static_cast<std::size_t>(stride * rows)]);
  if (bits == nullptr) return BitmapProblem::kPictureMemory;
  section.width = static_cast<std::int32_t>(width);
  section.height = static_cast<std::int32_t>(rows);
  section.stride = static_cast<std::size_t>(stride);
  section.bits = std::move(bits);
  return BitmapProblem::kNone;
}

RgbImagePtr RepackSection(const DibSection& section) {
  RgbImagePtr image(new (std::nothrow) RgbImage);
  if (image == nullptr) return nullptr;
  image->width = section.width;
  image->height = section.height;
  image->pixels.reset(new (std::nothrow) std::uint8_t[image->ByteCount()]);
  if (image->pixels == nullptr) return nullptr;

  const std::size_t width = static_cast<std::size_t>(section.width);
  std::uint8_t* out = image->pixels.get();
  for (std::int32_t row = 0; row < section.height; ++row) {
    const std::uint8_t* in = section.bits.get() + section.stride * static_cast<std::size_t>(row);
    for (std::size_t x = 0; x < width; ++x) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
      in += 3;
      out += 3;
    }
  }
  return image;
}
