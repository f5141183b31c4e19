// The 24-bit picture that a bitmap is converted into before it is repacked.
//
// Its rows hold blue, green, red triples and are width * 3 bytes rounded up to
// a multiple of 4, so each row ends in (width mod 4) fill bytes. The bottom
// row comes first in memory whatever the source's row order was. A section is
// never larger than kMaxSectionBytes: a bitmap that declares more is refused
// before anything is allocated, so an absurd header cannot make the loader
// reach for gigabytes.
//
// Needs only the standard library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "textures/bitmap_status.h"
#include "textures/rgb_image.h"

// 256 MiB of rows: an 8192 x 8192 picture fits, and the repacked picture needs
// as much again, so one texture costs at most about 512 MiB while it loads. A
// run-length bitmap of a few hundred bytes may declare that much (mostly
// skipped) picture, so the cap, not the file size, is what bounds it.
inline constexpr std::uint64_t kMaxSectionBytes = std::uint64_t{256} << 20;

// No side may exceed this: larger than any texture a GL implementation takes.
inline constexpr std::uint64_t kMaxSectionSide = 16384;

struct DibSection {
  std::int32_t width = 0;
  std::int32_t height = 0;               // always positive: bottom row first
  std::size_t stride = 0;                // bytes per row, a multiple of 4
  std::unique_ptr<std::uint8_t[]> bits;  // stride * height bytes, not cleared
};

// The bytes of one section row: width * 3 rounded up to a multiple of 4.
inline std::uint64_t SectionStride(std::uint64_t width) {
  return (width * 3 + 3) / 4 * 4;
}

// Makes an uncleared section of `width` x `rows` pixels (neither 0). Returns
// kNone, kWidthOverLimit or kHeightOverLimit for a side over kMaxSectionSide,
// kPictureOverLimit when the rows would take more than kMaxSectionBytes, or
// kPictureMemory when the memory cannot be had.
BitmapProblem CreateDibSection(std::uint64_t width, std::uint64_t rows, DibSection& section);

// Repacks the section into a new RgbImage: red, green, blue per pixel, fill
// bytes dropped, bottom row still first. Null when memory runs out.
RgbImagePtr RepackSection(const DibSection& section);
