#include "textures/rle_decoding.h"

#include <cstddef>

namespace {

enum Escape : std::uint8_t {
  kEndOfLine = 0,
  kEndOfBitmap = 1,
  kDelta = 2,
  // 3 to 255: an absolute run of that many literal indices
};

void PutPixel(std::uint8_t* out, const ColorEntry& color) {
  out[0] = color.blue;
  out[1] = color.green;
  out[2] = color.red;
}

// The index of pixel `i` of a group of literal or alternating indices packed
// `bitsPerPixel` to the byte, first pixel in the high bits.
std::uint8_t PackedIndex(const std::uint8_t* packed, std::size_t i, int bitsPerPixel) {
  if (bitsPerPixel == 8) return packed[i];
  const std::uint8_t byte = packed[i / 2];
  return (i % 2 == 0) ? static_cast<std::uint8_t>(byte >> 4)
                      : static_cast<std::uint8_t>(byte & 0x0F);
}

}  // namespace

bool DecodeRunLengthBits(ByteSpan bits, int bitsPerPixel, const PaletteLookup& palette,
                         DibSection& section) {
  const std::size_t width = static_cast<std::size_t>(section.width);
  const std::size_t height = static_cast<std::size_t>(section.height);
  const std::size_t size = bits.size();
  const std::uint8_t* data = bits.data();
  // The write position. It may stand just past the last pixel of a row or
  // just above the last row, where the stream can still end, but no pixel is
  // ever written there.
  std::size_t x = 0;
  std::size_t row = 0;
  std::size_t position = 0;

  while (size - position >= 2) {
    const std::uint8_t count = data[position];
    const std::uint8_t value = data[position + 1];
    position += 2;

    if (count > 0) {
      // A run: `count` pixels of one index, or of two indices taking turns.
      if (row >= height || count > width - x) return false;
      const std::uint8_t even = PackedIndex(&value, 0, bitsPerPixel);
      const std::uint8_t odd = PackedIndex(&value, bitsPerPixel == 8 ? 0 : 1, bitsPerPixel);
      std::uint8_t* out = section.bits.get() + section.stride * row + 3 * x;
      for (std::size_t i = 0; i < count; ++i, out += 3) {
        const std::uint8_t index = (i % 2 == 0) ? even : odd;
        if (index >= palette.count) return false;
        PutPixel(out, palette.entries[index]);
      }
      x += count;
      continue;
    }

    switch (value) {
      case kEndOfLine:
        if (row >= height) return false;
        x = 0;
        ++row;
        break;
      case kEndOfBitmap:
        return true;
      case kDelta: {
        if (size - position < 2) return false;
        const std::size_t right = data[position];
        const std::size_t up = data[position + 1];
        position += 2;
        if (right > width - x || up > height - row) return false;
        x += right;
        row += up;
        break;
      }
      default: {
        // An absolute run of `value` literal indices, padded to whole 16-bit words.
        const std::size_t pixels = value;
        const std::size_t bytes = bitsPerPixel == 8 ? pixels : (pixels + 1) / 2;
        if (size - position < bytes) return false;
        if (row >= height || pixels > width - x) return false;
        const std::uint8_t* literal = data + position;
        std::uint8_t* out = section.bits.get() + section.stride * row + 3 * x;
        for (std::size_t i = 0; i < pixels; ++i, out += 3) {
          const std::uint8_t index = PackedIndex(literal, i, bitsPerPixel);
          if (index >= palette.count) return false;
          PutPixel(out, palette.entries[index]);
        }
        position += bytes;
        // A missing final pad byte only matters if the stream goes on, and
        // then the missing end-of-bitmap mark fails it anyway.
        if (bytes % 2 == 1 && position < size) ++position;
        x += pixels;
        break;
      }
    }
  }
  return false;  // the stream ended without its end-of-bitmap mark
}
