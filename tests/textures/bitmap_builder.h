// Builds small bitmap files byte by byte for the tests, and decodes them from
// an exactly sized heap copy so the sanitizer sees any read past the end.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "textures/bitmap_loader.h"

std::string Le16(std::uint16_t value);
std::string Le32(std::uint32_t value);

// The fields of a 40-byte (or longer) info header; a size from 41 to 1024 is
// padded with zero bytes, a larger one only written into the size field.
struct InfoFields {
  std::int32_t width = 1;
  std::int32_t height = 1;
  std::uint16_t bitsPerPixel = 24;
  std::uint32_t compression = 0;
  std::uint32_t colorsUsed = 0;
  std::uint32_t size = 40;
  std::uint16_t planes = 1;
};
std::string InfoHeaderBytes(const InfoFields& fields);
std::string CoreHeaderBytes(std::uint16_t width, std::uint16_t height, std::uint16_t bitsPerPixel);

// Colour table entries given as {red, green, blue}: 4-byte and 3-byte forms.
struct Rgb {
  std::uint8_t red, green, blue;
};
std::string Quads(std::initializer_list<Rgb> colors);
std::string Triples(std::initializer_list<Rgb> colors);

// Bytes given as numbers, for pixel rows and run-length streams.
std::string Bytes(std::initializer_list<int> values);

// Puts a 14-byte file header in front of a packed DIB whose bits start
// `bitsOffsetInDib` bytes into it.
std::string WithFileHeader(const std::string& dib, std::uint32_t bitsOffsetInDib);

// Decodes `bytes` from a heap block of exactly their size.
BitmapDecodeResult DecodeExact(const std::string& bytes);

// The decoded pixels, or an empty vector when nothing was decoded.
std::vector<std::uint8_t> PixelsOf(const BitmapDecodeResult& result);
