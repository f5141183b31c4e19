#include "textures/bitmap_header.h"

#include <new>

namespace {

constexpr std::uint64_t kBitsOffsetField = 10;      // in the file header
constexpr std::uint64_t kCoreBitCountField = 10;    // in the core header
constexpr std::uint64_t kInfoBitCountField = 14;    // in the info header
constexpr std::uint64_t kInfoColorsUsedField = 32;  // in the info header

void ReadCoreHeader(const std::uint8_t* p, std::uint32_t colorCount, InfoHeader& info) {
  info.size = kInfoHeaderSize;
  info.width = static_cast<std::int32_t>(Le16At(p + 4));  // widened without sign
  info.height = static_cast<std::int32_t>(Le16At(p + 6));
  info.planes = Le16At(p + 8);
  info.bitCount = Le16At(p + 10);
  info.compression = kCompressionRgb;
  info.imageSize = 0;
  info.xPelsPerMeter = 0;
  info.yPelsPerMeter = 0;
  info.colorsUsed = colorCount;
  info.colorsImportant = colorCount;
}

void ReadInfoHeader(const std::uint8_t* p, std::uint32_t colorCount, InfoHeader& info) {
  info.size = Le32At(p);
  info.width = static_cast<std::int32_t>(Le32At(p + 4));
  info.height = static_cast<std::int32_t>(Le32At(p + 8));
  info.planes = Le16At(p + 12);
  info.bitCount = Le16At(p + 14);
  info.compression = Le32At(p + 16);
  info.imageSize = Le32At(p + 20);
  info.xPelsPerMeter = static_cast<std::int32_t>(Le32At(p + 24));
  info.yPelsPerMeter = static_cast<std::int32_t>(Le32At(p + 28));
  info.colorsUsed = Le32At(p + 32);
  info.colorsImportant = Le32At(p + 36);
  if (info.colorsUsed == 0) info.colorsUsed = colorCount;
}

}  // namespace

std::uint32_t BitmapColorCount(std::uint32_t headerSize, std::uint32_t colorsUsed,
                               std::uint16_t bitsPerPixel) {
  if (headerSize != kCoreHeaderSize && colorsUsed != 0) return colorsUsed & 0xFFFFu;
  switch (bitsPerPixel) {
    case 1:
      return 2;
    case 4:
      return 16;
    case 8:
      return 256;
    default:
      return 0;
  }
}

BitmapStatus ReadBitmapHeaders(ByteSpan bytes, WorkingHeader& header, BitmapFacts& facts) {
  facts = BitmapFacts{};
  std::uint64_t headerStart = 0;
  std::uint32_t fileBitsOffset = 0;
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
    facts.hasFileHeader = true;
    headerStart = kFileHeaderSize;
    // The offset field is the file header's last, so this also needs all 14 bytes.
    if (!ReadLe32(bytes, kBitsOffsetField, fileBitsOffset)) return BitmapStatus::kConversionError;
  }

  std::uint32_t headerSize = 0;
  if (!ReadLe32(bytes, headerStart, headerSize)) return BitmapStatus::kConversionError;
  facts.headerSize = headerSize;

  // The count is settled from whatever the fields hold before the size is
  // judged; a field cut off by the end of the bytes reads as 0 here, and the
  // full-header check below rejects such a file anyway.
  std::uint16_t bitCount = 0;
  std::uint32_t colorsUsed = 0;
  const bool isCore = headerSize == kCoreHeaderSize;
  ReadLe16(bytes, headerStart + (isCore ? kCoreBitCountField : kInfoBitCountField), bitCount);
  if (!isCore) ReadLe32(bytes, headerStart + kInfoColorsUsedField, colorsUsed);
  const std::uint32_t colorCount = BitmapColorCount(headerSize, colorsUsed, bitCount);

  if (headerSize != kCoreHeaderSize && headerSize != kInfoHeaderSize) {
    return BitmapStatus::kUnknownFormat;
  }
  if (!HasBytes(bytes, headerStart, headerSize)) return BitmapStatus::kConversionError;
  const std::uint8_t* headerBytes = bytes.data() + headerStart;
  if (isCore) {
    ReadCoreHeader(headerBytes, colorCount, header.info);
  } else {
    ReadInfoHeader(headerBytes, colorCount, header.info);
  }
  facts.width = header.info.width;
  facts.height = header.info.height;
  facts.bitsPerPixel = header.info.bitCount;
  facts.compression = header.info.compression;
  facts.colorCount = colorCount;

  // The three masks of a bit-field bitmap sit between the info header and
  // its colour table.
  std::uint64_t tableStart = headerStart + headerSize;
  if (!isCore && header.info.compression == kCompressionBitFields) {
    if (!HasBytes(bytes, tableStart, kBitFieldMasksSize)) return BitmapStatus::kConversionError;
    for (int i = 0; i < 3; ++i) header.masks[i] = Le32At(bytes.data() + tableStart + 4 * i);
    tableStart += kBitFieldMasksSize;
  }

  const std::uint64_t entrySize = isCore ? 3 : 4;
  const std::uint64_t tableSize = entrySize * colorCount;
  if (!HasBytes(bytes, tableStart, tableSize)) return BitmapStatus::kConversionError;
  header.colorCount = 0;
  header.colors.reset();
  if (colorCount > 0) {
    header.colors.reset(new (std::nothrow) ColorEntry[colorCount]);
    if (header.colors == nullptr) return BitmapStatus::kOutOfMemory;
    header.colorCount = colorCount;
  }
  for (std::uint32_t i = 0; i < colorCount; ++i) {
    const std::uint8_t* entry = bytes.data() + tableStart + entrySize * i;
    ColorEntry& color = header.colors[i];
    color.blue = entry[0];
    color.green = entry[1];
    color.red = entry[2];
    color.reserved = isCore ? 0 : entry[3];
  }

  facts.bitsOffset = facts.hasFileHeader ? fileBitsOffset : tableStart + tableSize;
  return BitmapStatus::kLoaded;
}
