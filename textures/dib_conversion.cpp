#include "textures/dib_conversion.h"

#include <bit>
#include <cstddef>
#include <cstring>

#include "textures/rle_decoding.h"

namespace {

// Masks of the uncompressed direct-colour forms: 5-5-5 and 8-8-8, red first.
constexpr std::uint32_t kDefaultMasks16[3] = {0x7C00, 0x03E0, 0x001F};
constexpr std::uint32_t kDefaultMasks32[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};

// One colour channel of a direct-colour pixel: where its bits are and the
// largest value they can hold, which is scaled to 255.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t largest = 0;  // 0 for an empty mask: the channel is always 0
};

Channel MakeChannel(std::uint32_t mask) {
  Channel channel;
  if (mask == 0) return channel;
  channel.mask = mask;
  channel.shift = std::countr_zero(mask);
  channel.largest = mask >> channel.shift;
  return channel;
}

std::uint8_t ScaleChannel(const Channel& channel, std::uint32_t pixel) {
  if (channel.largest == 0) return 0;
  const std::uint32_t value = (pixel & channel.mask) >> channel.shift;
  if (channel.largest == 255) return static_cast<std::uint8_t>(value);
  const std::uint64_t scaled = (std::uint64_t{value} * 255 + channel.largest / 2) / channel.largest;
  return static_cast<std::uint8_t>(scaled);
}

// The rows of an uncompressed source, addressed in section order (bottom row
// first) whichever order they are stored in.
struct SourceRows {
  const std::uint8_t* data = nullptr;
  std::size_t stride = 0;
  std::size_t count = 0;
  bool topDown = false;

  const std::uint8_t* Row(std::size_t sectionRow) const {
    return data + stride * (topDown ? count - 1 - sectionRow : sectionRow);
  }
};

PaletteLookup MakePalette(const WorkingHeader& header) {
  PaletteLookup palette;
  palette.count = header.colorCount;
  const std::uint32_t usable = header.colorCount < 256 ? header.colorCount : 256;
  for (std::uint32_t i = 0; i < usable; ++i) palette.entries[i] = header.colors[i];
  return palette;
}

std::uint8_t* SectionRow(DibSection& section, std::size_t row) {
  return section.bits.get() + section.stride * row;
}

BitmapProblem ConvertIndexedRows(const SourceRows& rows, int bitsPerPixel,
                                 const PaletteLookup& palette, DibSection& section) {
  const std::size_t width = static_cast<std::size_t>(section.width);
  const unsigned indexMask = (1u << bitsPerPixel) - 1;
  const int perByte = 8 / bitsPerPixel;
  for (std::size_t row = 0; row < rows.count; ++row) {
    const std::uint8_t* in = rows.Row(row);
    std::uint8_t* out = SectionRow(section, row);
    for (std::size_t x = 0; x < width; ++x, out += 3) {
      // The first pixel of a byte is in its high bits.
      const int slot = static_cast<int>(x % static_cast<std::size_t>(perByte));
      const int shift = 8 - bitsPerPixel * (slot + 1);
      const unsigned index = (in[x / static_cast<std::size_t>(perByte)] >> shift) & indexMask;
      if (index >= palette.count) return BitmapProblem::kIndexBeyondTable;
      const ColorEntry& color = palette.entries[index];
      out[0] = color.blue;
      out[1] = color.green;
      out[2] = color.red;
    }
  }
  return BitmapProblem::kNone;
}

void ConvertMaskedRows(const SourceRows& rows, int bitsPerPixel, const std::uint32_t masks[3],
                       DibSection& section) {
  const std::size_t width = static_cast<std::size_t>(section.width);
  const Channel red = MakeChannel(masks[0]);
  const Channel green = MakeChannel(masks[1]);
  const Channel blue = MakeChannel(masks[2]);
  for (std::size_t row = 0; row < rows.count; ++row) {
    const std::uint8_t* in = rows.Row(row);
    std::uint8_t* out = SectionRow(section, row);
    for (std::size_t x = 0; x < width; ++x, out += 3) {
      const std::uint32_t pixel = bitsPerPixel == 16 ? Le16At(in + 2 * x) : Le32At(in + 4 * x);
      out[0] = ScaleChannel(blue, pixel);
      out[1] = ScaleChannel(green, pixel);
      out[2] = ScaleChannel(red, pixel);
    }
  }
}

void CopyTrueColorRows(const SourceRows& rows, DibSection& section) {
  const std::size_t rowBytes = static_cast<std::size_t>(section.width) * 3;
  for (std::size_t row = 0; row < rows.count; ++row) {
    std::memcpy(SectionRow(section, row), rows.Row(row), rowBytes);
  }
}

bool IsUncompressedDepth(int bitsPerPixel) {
  switch (bitsPerPixel) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      return true;
    default:
      return false;
  }
}

BitmapProblem ConvertUncompressed(const WorkingHeader& header, const std::uint32_t masks[3],
                                  ByteSpan bits, DibSection& section) {
  const int bitsPerPixel = header.info.bitCount;
  if (!IsUncompressedDepth(bitsPerPixel)) return BitmapProblem::kUnsupportedDepth;
  const std::uint64_t width = static_cast<std::uint64_t>(section.width);
  const std::uint64_t rowCount = static_cast<std::uint64_t>(section.height);
  // Rows are padded to whole 32-bit words; the last row need not carry its pad.
  const std::uint64_t stride = (width * static_cast<std::uint64_t>(bitsPerPixel) + 31) / 32 * 4;
  const std::uint64_t lastRowBytes = (width * static_cast<std::uint64_t>(bitsPerPixel) + 7) / 8;
  if (!HasBytes(bits, stride * (rowCount - 1), lastRowBytes)) return BitmapProblem::kBitsCut;

  SourceRows rows;
  rows.data = bits.data();
  rows.stride = static_cast<std::size_t>(stride);
  rows.count = static_cast<std::size_t>(rowCount);
  rows.topDown = header.info.height < 0;
  switch (bitsPerPixel) {
    case 1:
    case 4:
    case 8:
      return ConvertIndexedRows(rows, bitsPerPixel, MakePalette(header), section);
    case 16:
    case 32:
      ConvertMaskedRows(rows, bitsPerPixel, masks, section);
      return BitmapProblem::kNone;
    case 24:
      CopyTrueColorRows(rows, section);
      return BitmapProblem::kNone;
    default:
      return BitmapProblem::kUnsupportedDepth;
  }
}

BitmapProblem ConvertRunLength(const WorkingHeader& header, int bitsPerPixel, ByteSpan bits,
                               DibSection& section) {
  if (header.info.bitCount != bitsPerPixel) return BitmapProblem::kRunLengthDepth;
  if (header.info.height < 0) return BitmapProblem::kRunLengthTopDown;
  // Pixels the stream skips stay black.
  std::memset(section.bits.get(), 0, section.stride * static_cast<std::size_t>(section.height));
  return DecodeRunLengthBits(bits, bitsPerPixel, MakePalette(header), section)
             ? BitmapProblem::kNone
             : BitmapProblem::kRunLengthBroken;
}

}  // namespace

BitmapProblem ConvertDib(const WorkingHeader& header, ByteSpan bits, DibSection& section) {
  const InfoHeader& info = header.info;
  const std::int64_t rows = info.height < 0 ? -std::int64_t{info.height} : info.height;
  if (section.bits == nullptr || info.width != section.width || rows != section.height) {
    return BitmapProblem::kNoPixels;
  }
  const int bitsPerPixel = info.bitCount;
  switch (info.compression) {
    case kCompressionRgb:
      if (bitsPerPixel == 16) return ConvertUncompressed(header, kDefaultMasks16, bits, section);
      if (bitsPerPixel == 32) return ConvertUncompressed(header, kDefaultMasks32, bits, section);
      return ConvertUncompressed(header, header.masks, bits, section);
    case kCompressionBitFields:
      if (bitsPerPixel != 16 && bitsPerPixel != 32) return BitmapProblem::kBitFieldsDepth;
      return ConvertUncompressed(header, header.masks, bits, section);
    case kCompressionRle8:
      return ConvertRunLength(header, 8, bits, section);
    case kCompressionRle4:
      return ConvertRunLength(header, 4, bits, section);
    case kCompressionJpeg:
      return BitmapProblem::kJpegData;
    case kCompressionPng:
      return BitmapProblem::kPngData;
    default:
      return BitmapProblem::kUnknownCompression;
  }
}
