#include "textures/bitmap_header.h"

#include <cstddef>
#include <new>

namespace {

constexpr std::uint64_t kBitsOffsetField = 10;      // in the file header
constexpr std::uint64_t kCoreBitCountField = 10;    // in the core header
constexpr std::uint64_t kInfoBitCountField = 14;    // in the info header
constexpr std::uint64_t kInfoColorsUsedField = 32;  // in the info header
// OS/2 2.x headers: the full one, and the shortest that stops after bits per pixel.
constexpr std::uint32_t kOs2HeaderSize = 64;
constexpr std::uint32_t kOs2ShortHeaderSize = 16;

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

// The red, green and blue masks at `p`; the caller has checked that 12 bytes exist.
void ReadMasks(const std::uint8_t* p, std::uint32_t masks[3]) {
  for (int i = 0; i < 3; ++i) masks[i] = Le32At(p + 4 * i);
}

bool IsReadableHeaderSize(std::uint32_t size) {
  switch (size) {
    case kCoreHeaderSize:
    case kInfoHeaderSize:
    case kMaskedHeaderSize:
    case kAlphaMaskedHeaderSize:
    case kV4HeaderSize:
    case kV5HeaderSize:
      return true;
    default:
      return false;
  }
}

// Why a header size cannot be read. Someone who renamed a PNG or JPEG file
// to .bmp, or exported with an old OS/2 option, learns that from the first bytes.
BitmapProblem UnknownFormatProblem(ByteSpan bytes, std::uint32_t headerSize) {
  constexpr std::uint8_t kPngSignature[4] = {0x89, 'P', 'N', 'G'};
  constexpr std::uint8_t kJpegSignature[3] = {0xFF, 0xD8, 0xFF};
  const auto startsWith = [bytes](const std::uint8_t* signature, std::size_t length) {
    if (bytes.size() < length) return false;
    for (std::size_t i = 0; i < length; ++i) {
      if (bytes[i] != signature[i]) return false;
    }
    return true;
  };
  if (startsWith(kPngSignature, sizeof kPngSignature)) return BitmapProblem::kPngFile;
  if (startsWith(kJpegSignature, sizeof kJpegSignature)) return BitmapProblem::kJpegFile;
  if (headerSize == kOs2ShortHeaderSize || headerSize == kOs2HeaderSize) {
    return BitmapProblem::kOs2Header;
  }
  return BitmapProblem::kUnknownHeaderSize;
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

BitmapProblem ReadBitmapHeaders(ByteSpan bytes, WorkingHeader& header, BitmapFacts& facts) {
  facts = BitmapFacts{};
  facts.fileSize = bytes.size();
  std::uint64_t headerStart = 0;
  std::uint32_t fileBitsOffset = 0;
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
    facts.hasFileHeader = true;
    headerStart = kFileHeaderSize;
    // The offset field is the file header's last, so this also needs all 14 bytes.
    if (!ReadLe32(bytes, kBitsOffsetField, fileBitsOffset)) return BitmapProblem::kFileHeaderCut;
  }

  std::uint32_t headerSize = 0;
  if (!ReadLe32(bytes, headerStart, headerSize)) return BitmapProblem::kHeaderSizeCut;
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

  if (!IsReadableHeaderSize(headerSize)) return UnknownFormatProblem(bytes, headerSize);
  if (!HasBytes(bytes, headerStart, headerSize)) return BitmapProblem::kHeaderCut;
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

  // The three masks of a bit-field bitmap sit between a 40-byte info header
  // and its colour table; the longer headers hold them at the same place
  // inside, followed by the alpha mask, which is not needed for RGB.
  std::uint64_t tableStart = headerStart + headerSize;
  const std::uint32_t compression = header.info.compression;
  if (headerSize == kInfoHeaderSize && compression == kCompressionBitFields) {
    if (!HasBytes(bytes, tableStart, kBitFieldMasksSize)) return BitmapProblem::kMasksCut;
    ReadMasks(bytes.data() + tableStart, header.masks);
    tableStart += kBitFieldMasksSize;
  } else if (headerSize > kInfoHeaderSize &&
             (compression == kCompressionBitFields || compression == kCompressionAlphaBitFields)) {
    ReadMasks(headerBytes + kInfoHeaderSize, header.masks);
    header.info.compression = kCompressionBitFields;
  }

  const std::uint64_t entrySize = isCore ? 3 : 4;
  const std::uint64_t tableSize = entrySize * colorCount;
  if (!HasBytes(bytes, tableStart, tableSize)) return BitmapProblem::kColorTableCut;
  header.colorCount = 0;
  header.colors.reset();
  if (colorCount > 0) {
    header.colors.reset(new (std::nothrow) ColorEntry[colorCount]);
    if (header.colors == nullptr) return BitmapProblem::kColorTableMemory;
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
  return BitmapProblem::kNone;
}
