#include "models/bitmap_writer.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xff));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xff));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  Put16(out, value & 0xffff);
  Put16(out, value >> 16);
}

}  // namespace

bool WriteBitmap24(std::FILE* file, const DecodedImage& image) {
  const auto width = static_cast<std::uint32_t>(image.width);
  const auto height = static_cast<std::uint32_t>(image.height);
  const std::uint32_t rowBytes = (width * 3 + 3) / 4 * 4;
  const std::uint32_t bitsBytes = rowBytes * height;
  constexpr std::uint32_t kHeaderBytes = 14 + 40;
  constexpr std::uint32_t kPixelsPerMetre = 2835;  // 72 dots per inch

  std::vector<std::uint8_t> header;
  header.push_back('B');
  header.push_back('M');
  Put32(header, kHeaderBytes + bitsBytes);
  Put32(header, 0);
  Put32(header, kHeaderBytes);
  Put32(header, 40);
  Put32(header, width);
  Put32(header, height);  // positive: the bottom row is stored first
  Put16(header, 1);
  Put16(header, 24);
  Put32(header, 0);  // uncompressed
  Put32(header, bitsBytes);
  Put32(header, kPixelsPerMetre);
  Put32(header, kPixelsPerMetre);
  Put32(header, 0);
  Put32(header, 0);
  if (std::fwrite(header.data(), 1, header.size(), file) != header.size()) return false;

  std::vector<std::uint8_t> row(rowBytes, 0);
  for (std::uint32_t y = height; y-- > 0;) {
    const std::uint8_t* source = image.rgb.data() + static_cast<std::size_t>(y) * width * 3;
    for (std::uint32_t x = 0; x < width; ++x) {
      row[x * 3 + 0] = source[x * 3 + 2];
      row[x * 3 + 1] = source[x * 3 + 1];
      row[x * 3 + 2] = source[x * 3 + 0];
    }
    if (std::fwrite(row.data(), 1, rowBytes, file) != rowBytes) return false;
  }
  return true;
}
