#include "tests/textures/bitmap_builder.h"

#include <cstring>
#include <memory>

std::string Le16(std::uint16_t value) {
  return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string Le32(std::uint32_t value) {
  return Le16(static_cast<std::uint16_t>(value & 0xFFFF)) +
         Le16(static_cast<std::uint16_t>(value >> 16));
}

std::string InfoHeaderBytes(const InfoFields& fields) {
  std::string bytes = Le32(fields.size) + Le32(static_cast<std::uint32_t>(fields.width)) +
                      Le32(static_cast<std::uint32_t>(fields.height)) + Le16(fields.planes) +
                      Le16(fields.bitsPerPixel) + Le32(fields.compression) + Le32(0) + Le32(2835) +
                      Le32(2835) + Le32(fields.colorsUsed) + Le32(0);
  // Only sizes a real header could have are padded; absurd ones stay 40 bytes.
  if (fields.size > bytes.size() && fields.size <= 1024) bytes.resize(fields.size, '\0');
  return bytes;
}

std::string CoreHeaderBytes(std::uint16_t width, std::uint16_t height, std::uint16_t bitsPerPixel) {
  return Le32(12) + Le16(width) + Le16(height) + Le16(1) + Le16(bitsPerPixel);
}

std::string Quads(std::initializer_list<Rgb> colors) {
  std::string bytes;
  for (const Rgb& c : colors) {
    bytes += {static_cast<char>(c.blue), static_cast<char>(c.green), static_cast<char>(c.red), 0};
  }
  return bytes;
}

std::string Triples(std::initializer_list<Rgb> colors) {
  std::string bytes;
  for (const Rgb& c : colors) {
    bytes += {static_cast<char>(c.blue), static_cast<char>(c.green), static_cast<char>(c.red)};
  }
  return bytes;
}

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes += static_cast<char>(v);
  return bytes;
}

std::string WithFileHeader(const std::string& dib, std::uint32_t bitsOffsetInDib) {
  const auto total = static_cast<std::uint32_t>(14 + dib.size());
  return "BM" + Le32(total) + Le32(0) + Le32(14 + bitsOffsetInDib) + dib;
}

BitmapDecodeResult DecodeExact(const std::string& bytes) {
  std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[bytes.size()]);
  if (!bytes.empty()) std::memcpy(copy.get(), bytes.data(), bytes.size());
  return DecodeBitmap(copy.get(), bytes.size());
}

std::vector<std::uint8_t> PixelsOf(const BitmapDecodeResult& result) {
  if (result.image == nullptr) return {};
  const std::uint8_t* begin = result.image->pixels.get();
  return std::vector<std::uint8_t>(begin, begin + result.image->ByteCount());
}
