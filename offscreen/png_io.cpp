#include "offscreen/png_io.h"

#include <png.h>

#include "store/replacing_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace {

// The largest picture read back: a side of 16384 pixels, as the bitmaps'
// limit, and a file no larger than such a picture stored without compression.
constexpr std::uint32_t kMostPngSide = 16384;
constexpr std::uintmax_t kMostPngFileBytes = std::uintmax_t{kMostPngSide} * kMostPngSide * 4;

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f != nullptr) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

void SetError(std::string* error, const std::string& what) {
  if (error != nullptr) *error = what;
}

// The PNG in `bytes` without its gamma, chromaticity, sRGB and ICC profile
// chunks. Pictures are compared by the sample values they store (a texel is a
// sample value, whatever gamma the writer noted), and the reader would
// otherwise convert samples from a recorded gamma to sRGB. Bytes that are not
// a well-formed chunk sequence are returned as they are, for the reader to refuse.
std::string WithoutColourSpaceChunks(const std::string& bytes) {
  constexpr std::size_t kSignatureSize = 8;
  constexpr std::size_t kChunkFraming = 12;  // length, type, CRC
  std::string kept = bytes.substr(0, kSignatureSize);
  for (std::size_t at = kSignatureSize; at < bytes.size();) {
    if (bytes.size() - at < kChunkFraming) return bytes;
    std::size_t length = 0;
    for (int i = 0; i < 4; ++i) length = length << 8 | static_cast<unsigned char>(bytes[at + i]);
    if (length > bytes.size() - at - kChunkFraming) return bytes;
    const std::string type = bytes.substr(at + 4, 4);
    if (type != "gAMA" && type != "cHRM" && type != "sRGB" && type != "iCCP") {
      kept.append(bytes, at, kChunkFraming + length);
    }
    at += kChunkFraming + length;
  }
  return kept;
}

}  // namespace

RgbPicture PictureFromBottomUpRows(int width, int height, const std::uint8_t* rows, int channels) {
  RgbPicture picture{width, height, {}, channels};
  const std::size_t rowBytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(channels);
  picture.pixels.resize(rowBytes * static_cast<std::size_t>(height));
  for (int row = 0; row < height; ++row) {
    std::memcpy(picture.pixels.data() + static_cast<std::size_t>(row) * rowBytes,
                rows + static_cast<std::size_t>(height - 1 - row) * rowBytes, rowBytes);
  }
  return picture;
}

namespace {

// The PNG bytes of `picture`. The pictures are snapshots and test evidence,
// written once and read back at most a few times: quick compression takes a
// third of the time of the default for files about a third larger, with the
// same pixels.
bool EncodePng(const RgbPicture& picture, std::string& bytes) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.width);
  image.height = static_cast<png_uint_32>(picture.height);
  image.format = picture.channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  image.flags = PNG_IMAGE_FLAG_FAST;
  // Room for the largest PNG the picture can give, so it is compressed once
  // (asking libpng for the size first would compress it twice).
  png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(image);
  bytes.resize(size);
  const bool encoded = png_image_write_to_memory(&image, bytes.data(), &size, 0,
                                                 picture.pixels.data(), 0, nullptr) != 0;
  bytes.resize(encoded ? size : 0);
  png_image_free(&image);
  return encoded;
}

}  // namespace

bool WritePng(const std::string& path, const RgbPicture& picture, std::string* error) {
  std::string bytes;
  if (!EncodePng(picture, bytes)) {
    SetError(error, "cannot encode " + path);
    return false;
  }
  FilePtr file(std::fopen(path.c_str(), "wb"));
  if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() ||
      std::fflush(file.get()) != 0) {
    SetError(error, "cannot write " + path);
    return false;
  }
  return true;
}

bool WriteNewPng(const std::string& path, const RgbPicture& picture, std::string* error,
                 bool* nameTaken) {
  if (nameTaken != nullptr) *nameTaken = false;
  std::string bytes;
  if (!EncodePng(picture, bytes)) {
    SetError(error, "cannot encode " + path);
    return false;
  }
  std::string problem;
  if (!WriteNewFile(path, bytes, &problem, nameTaken)) {
    SetError(error, problem);
    return false;
  }
  return true;
}

bool ReplacePng(const std::string& path, const RgbPicture& picture, std::string* error) {
  std::string bytes;
  if (!EncodePng(picture, bytes)) {
    SetError(error, "cannot encode " + path);
    return false;
  }
  ReplacingFile file(path);
  errno = 0;
  const bool written = file.File() != nullptr &&
                       std::fwrite(bytes.data(), 1, bytes.size(), file.File()) == bytes.size();
  const int writeError = written ? 0 : (errno != 0 ? errno : EIO);
  if (file.File() == nullptr || !file.Commit(writeError)) {
    SetError(error, file.Problem());
    return false;
  }
  return true;
}

bool ReadPng(const std::string& path, RgbPicture& picture, std::string* error, int channels) {
  // A file's size and a header's sides are the file's word: neither is
  // allocated beyond what a picture of the largest side can need.
  std::error_code sizeError;
  const std::uintmax_t fileSize = std::filesystem::file_size(path, sizeError);
  if (!sizeError && fileSize > kMostPngFileBytes) {
    SetError(error, "cannot read " + path + ": larger than any picture it could hold");
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.eof() && !in) {
    SetError(error, "cannot read " + path);
    return false;
  }
  const std::string samples = WithoutColourSpaceChunks(bytes);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&image, samples.data(), samples.size()) == 0) {
    SetError(error, "cannot read " + path + ": " + image.message);
    return false;
  }
  image.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  if (image.width > kMostPngSide || image.height > kMostPngSide) {
    SetError(error, "cannot read " + path + ": a side is over " + std::to_string(kMostPngSide) +
                        " pixels");
    png_image_free(&image);
    return false;
  }
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
  picture.channels = channels == 4 ? 4 : 3;
  picture.pixels.assign(PNG_IMAGE_SIZE(image), 0);
  // Transparent pixels are composited over black, as the viewer clears to black.
  const png_color black{0, 0, 0};
  if (png_image_finish_read(&image, &black, picture.pixels.data(), 0, nullptr) == 0) {
    SetError(error, "cannot decode " + path + ": " + image.message);
    png_image_free(&image);
    return false;
  }
  return true;
}
