// Test helpers for the bitmap loader: small bitmap files built byte by byte,
// decoded from an exactly sized heap copy so the sanitizer sees any read past
// the end, and message boxes recorded instead of shown.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "textures/bitmap_loader.h"
#include "textures/message_box.h"

inline std::string Le16(std::uint16_t value) {
  return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

inline std::string Le32(std::uint32_t value) {
  return Le16(static_cast<std::uint16_t>(value)) + Le16(static_cast<std::uint16_t>(value >> 16));
}

// Bytes given as numbers, for colour tables, pixel rows and run-length streams.
inline std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes += static_cast<char>(v);
  return bytes;
}

// The fields of a 40-byte info header.
struct InfoFields {
  std::int32_t width = 1;
  std::int32_t height = 1;
  std::uint16_t bitsPerPixel = 24;
  std::uint32_t compression = 0;
  std::uint32_t colorsUsed = 0;
};

inline std::string InfoHeaderBytes(const InfoFields& f) {
  return Le32(40) + Le32(static_cast<std::uint32_t>(f.width)) +
         Le32(static_cast<std::uint32_t>(f.height)) + Le16(1) + Le16(f.bitsPerPixel) +
         Le32(f.compression) + Le32(0) + Le32(2835) + Le32(2835) + Le32(f.colorsUsed) + Le32(0);
}

// A 52-, 56-, 108- or 124-byte header as today's image tools write it: the info
// header's fields, the red, green, blue and alpha masks as far as they fit,
// then for the V4 and V5 headers the sRGB colour space, the rest zero.
inline std::string LongHeaderBytes(std::uint32_t size, const InfoFields& f,
                                   std::initializer_list<std::uint32_t> masks = {
                                       0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}) {
  std::string header = Le32(size) + InfoHeaderBytes(f).substr(4);
  for (std::uint32_t mask : masks) {
    if (header.size() < size) header += Le32(mask);
  }
  if (size >= 108) header += "BGRs";  // the colour space 'sRGB', little-endian
  header.resize(size, '\0');
  return header;
}

inline std::string CoreHeaderBytes(std::uint16_t width, std::uint16_t height, std::uint16_t bits) {
  return Le32(12) + Le16(width) + Le16(height) + Le16(1) + Le16(bits);
}

// Puts a file header in front of a packed DIB whose bits start `bitsOffset` into it.
inline std::string WithFileHeader(const std::string& dib, std::uint32_t bitsOffset) {
  return "BM" + Le32(static_cast<std::uint32_t>(14 + dib.size())) + Le32(0) +
         Le32(14 + bitsOffset) + dib;
}

inline BitmapDecodeResult DecodeExact(const std::string& bytes) {
  const std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[bytes.size()]);
  if (!bytes.empty()) std::memcpy(copy.get(), bytes.data(), bytes.size());
  return DecodeBitmap(copy.get(), bytes.size());
}

// Records every box shown as "CAPTION: TEXT" while it lives, instead of showing it.
struct CapturedMessageBoxes : MessageBoxService {
  CapturedMessageBoxes() { SetMessageBoxService(this); }
  ~CapturedMessageBoxes() override { SetMessageBoxService(nullptr); }
  void ShowMessage(const char* caption, const char* text) override {
    shown.push_back(std::string(caption) + ": " + text);
    if (onShow) onShow();
  }

  std::vector<std::string> shown;
  std::function<void()> onShow;  // runs while the box is "open"
};
