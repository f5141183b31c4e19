#include "tools/png_io.h"

#include <png.h>

#include "store/replacing_file.h"

#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f != nullptr) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

void SetError(std::string* error, const std::string& what) {
  if (error != nullptr) *error = what;
}

}  // namespace

bool WritePng(const std::string& path, const RgbPicture& picture, std::string* error) {
  FilePtr file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    SetError(error, "cannot write " + path);
    return false;
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.width);
  image.height = static_cast<png_uint_32>(picture.height);
  image.format = PNG_FORMAT_RGB;
  // The pictures are snapshots and test evidence, written once and read back
  // at most a few times: quick compression takes a third of the time of the
  // default for files about a third larger, with the same pixels.
  image.flags = PNG_IMAGE_FLAG_FAST;
  const bool written =
      png_image_write_to_stdio(&image, file.get(), 0, picture.pixels.data(), 0, nullptr) != 0;
  png_image_free(&image);
  if (!written || std::fflush(file.get()) != 0) {
    SetError(error, "cannot write " + path);
    return false;
  }
  return true;
}

bool WriteNewPng(const std::string& path, const RgbPicture& picture, std::string* error,
                 bool* nameTaken) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.width);
  image.height = static_cast<png_uint_32>(picture.height);
  image.format = PNG_FORMAT_RGB;
  image.flags = PNG_IMAGE_FLAG_FAST;
  png_alloc_size_t size = 0;
  std::string bytes;
  bool encoded =
      png_image_write_to_memory(&image, nullptr, &size, 0, picture.pixels.data(), 0, nullptr) != 0;
  if (encoded) {
    bytes.resize(size);
    encoded = png_image_write_to_memory(&image, bytes.data(), &size, 0, picture.pixels.data(), 0,
                                        nullptr) != 0;
    bytes.resize(size);
  }
  png_image_free(&image);
  if (nameTaken != nullptr) *nameTaken = false;
  if (!encoded) {
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

bool ReadPng(const std::string& path, RgbPicture& picture, std::string* error) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
    SetError(error, "cannot read " + path + ": " + image.message);
    return false;
  }
  image.format = PNG_FORMAT_RGB;
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
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
