// The headers of a Windows device-independent bitmap held in memory, and the
// working header the conversion renders from.
//
// A bitmap file either begins with the 14-byte file header ('B' 'M', then the
// position of the pixel bits at byte 10) or is a packed DIB whose bitmap
// header starts at byte 0 and whose bits follow its colour table. Six header
// sizes are understood: the 12-byte core header, the 40-byte info header, and
// the longer headers that today's image tools write (52 and 56 bytes, the
// 108-byte V4 and the 124-byte V5 header). The longer ones begin with the
// 40-byte info header and carry the bit-field masks inside; their alpha mask,
// colour space, gamma and colour profile are ignored, so a picture always
// loads as plain RGB. Any other size is an unknown format. Whatever form the
// file has, the result is one 40-byte info header with the masks and a table
// of 4-byte colour entries, so the conversion deals with a single layout.
//
// Needs only the standard library. Does not look at the pixel bits, and does
// not decide whether a bit depth or compression can be converted: that is the
// conversion's business. A field, colour table or bit-field mask that the
// bytes do not hold is a conversion error, never a read past the end.
#pragma once

#include <cstdint>
#include <memory>

#include "textures/bitmap_status.h"
#include "textures/little_endian.h"

inline constexpr std::uint64_t kFileHeaderSize = 14;
inline constexpr std::uint32_t kCoreHeaderSize = 12;
inline constexpr std::uint32_t kInfoHeaderSize = 40;
inline constexpr std::uint32_t kMaskedHeaderSize = 52;       // info + red, green, blue masks
inline constexpr std::uint32_t kAlphaMaskedHeaderSize = 56;  // ... + alpha mask
inline constexpr std::uint32_t kV4HeaderSize = 108;          // ... + colour space and gamma
inline constexpr std::uint32_t kV5HeaderSize = 124;          // ... + intent and profile
inline constexpr std::uint64_t kBitFieldMasksSize = 12;      // red, green, blue masks

// The compression field's values that the conversion knows.
enum BitmapCompression : std::uint32_t {
  kCompressionRgb = 0,             // uncompressed
  kCompressionRle8 = 1,            // run-length encoded, 8 bits per pixel
  kCompressionRle4 = 2,            // run-length encoded, 4 bits per pixel
  kCompressionBitFields = 3,       // 16 or 32 bits per pixel split by three masks
  kCompressionJpeg = 4,            // a JPEG file inside: never converted
  kCompressionPng = 5,             // a PNG file inside: never converted
  kCompressionAlphaBitFields = 6,  // bit fields with a fourth, alpha mask
};

// One colour table entry as the info header stores it.
struct ColorEntry {
  std::uint8_t blue = 0;
  std::uint8_t green = 0;
  std::uint8_t red = 0;
  std::uint8_t reserved = 0;
};

// The ten fields of a 40-byte info header, in file order.
struct InfoHeader {
  std::uint32_t size = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;  // negative for a picture stored top row first
  std::uint16_t planes = 0;
  std::uint16_t bitCount = 0;
  std::uint32_t compression = 0;
  std::uint32_t imageSize = 0;
  std::int32_t xPelsPerMeter = 0;
  std::int32_t yPelsPerMeter = 0;
  std::uint32_t colorsUsed = 0;
  std::uint32_t colorsImportant = 0;
};

// What the conversion renders from: the info header, the bit-field masks (only
// read for bit-field compression) and colorCount colour entries. Alpha bit
// fields from a header that holds the masks arrive here as plain bit fields.
struct WorkingHeader {
  InfoHeader info;
  std::uint32_t masks[3] = {};  // red, green, blue
  std::uint32_t colorCount = 0;
  std::unique_ptr<ColorEntry[]> colors;
};

// What the headers declare, for tools that report on a bitmap. Fields stay 0
// where reading stopped before them.
struct BitmapFacts {
  bool hasFileHeader = false;
  std::uint64_t fileSize = 0;  // bytes in the whole file
  std::uint32_t headerSize = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;  // as declared, with its sign
  std::uint16_t bitsPerPixel = 0;
  std::uint32_t compression = 0;  // as declared
  std::uint32_t colorCount = 0;   // entries in the working header's table
  std::uint64_t bitsOffset = 0;   // where the pixel bits start, from byte 0
};

// The number of colour table entries: a non-zero colours-used field of any
// header but the core header, cut to its low 16 bits; otherwise 2, 16 or 256
// for 1, 4 or 8 bits per pixel and 0 for any other depth.
std::uint32_t BitmapColorCount(std::uint32_t headerSize, std::uint32_t colorsUsed,
                               std::uint16_t bitsPerPixel);

// Reads the file header (if any), the bitmap header, the bit-field masks and
// the colour table of `bytes` into `header`, and where the bits start into
// `facts`. Returns kNone, a problem of kUnknownFormat for a header size the
// loader does not read, of kConversionError when the bytes end inside a
// header, the masks or the colour table, or kColorTableMemory.
BitmapProblem ReadBitmapHeaders(ByteSpan bytes, WorkingHeader& header, BitmapFacts& facts);
