// PNG files for the tools and tests: 8-bit RGB pictures, top row first, and
// RGBA ones for thumbnails, whose background shows through.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height * channels bytes, top row first
  int channels = 3;                  // 3: red, green, blue; 4: and opacity (0: transparent)
};

// A picture from `height` rows of `width` pixels of `channels` bytes stored
// bottom row first, as GL reads them back and the bitmap loader makes them.
RgbPicture PictureFromBottomUpRows(int width, int height, const std::uint8_t* rows,
                                   int channels = 3);

// Writes `picture` as an 8-bit RGB (or RGBA) PNG. Returns false (and sets
// `error`) when the file cannot be written.
bool WritePng(const std::string& path, const RgbPicture& picture, std::string* error = nullptr);

// Writes `picture` as a PNG that takes the name `path` only once it is whole
// (store/replacing_file.h): a failure leaves whatever stood there, or
// nothing. Returns false (and sets `error`) when it cannot.
bool ReplacePng(const std::string& path, const RgbPicture& picture, std::string* error = nullptr);

// Writes `picture` as a PNG into a new file `path`, never replacing or
// following anything already under that name. Returns false (and sets
// `error`, and `nameTaken` when the name was the reason) when it cannot.
bool WriteNewPng(const std::string& path, const RgbPicture& picture, std::string* error,
                 bool* nameTaken = nullptr);

// Reads any PNG as 8-bit RGB (palettes expanded, alpha and 16-bit depth
// dropped), or as RGBA with `channels` 4, with the sample values as stored: a
// recorded gamma or colour space is not applied. Returns false (and sets
// `error`) when the file is missing or not a PNG.
bool ReadPng(const std::string& path, RgbPicture& picture, std::string* error = nullptr,
             int channels = 3);
