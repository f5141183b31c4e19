#include "models/texture_bitmaps.h"

#include <stb_image.h>
#include <stb_image_resize.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <system_error>

#include "models/baked_light.h"
#include "models/reader_answer.h"

namespace {

// Larger textures are scaled down to this many pixels on their longer side.
constexpr int kMaxTextureSide = 4096;
// Pictures of more pixels than this are not decoded at all (a 16384 x 8192
// picture takes 400 MB before scaling); the material shows its colour.
constexpr long long kMaxDecodedPixels = 16384LL * 8192;
// Model files name textures of any size; a picture file larger than this is
// taken as something else.
constexpr std::uintmax_t kMaxTextureFileBytes = 512u << 20;
// A colour bitmap is 4 pixels a side: the smallest whose rows need no padding.
constexpr int kColourSide = 4;

std::uint8_t ToByte(float channel) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(channel, 0.0f, 1.0f) * 255.0f));
}

bool ReadFileBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                   std::string& error) {
  std::error_code code;
  const std::uintmax_t size = std::filesystem::file_size(path, code);
  if (code) {
    error = "cannot be opened (" + path.string() + ")";
    return false;
  }
  if (size > kMaxTextureFileBytes) {
    error = "the file is larger than 512 MB";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    error = "cannot be read (" + path.string() + ")";
    return false;
  }
  return true;
}

bool Decode(const std::vector<std::uint8_t>& bytes, DecodedImage& image, bool& hadAlpha,
            std::string& error) {
  if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT32_MAX)) {
    error = "empty or too large";
    return false;
  }
  const int length = static_cast<int>(bytes.size());
  int width = 0, height = 0, channels = 0;
  if (stbi_info_from_memory(bytes.data(), length, &width, &height, &channels) == 0) {
    error = stbi_failure_reason();
    return false;
  }
  if (static_cast<long long>(width) * height > kMaxDecodedPixels) {
    error = "the picture is larger than 16384 x 8192 pixels";
    return false;
  }
  stbi_uc* pixels = stbi_load_from_memory(bytes.data(), length, &width, &height, &channels, 3);
  if (pixels == nullptr) {
    error = stbi_failure_reason();
    return false;
  }
  image.width = width;
  image.height = height;
  image.rgb.assign(pixels, pixels + static_cast<std::size_t>(width) * height * 3);
  stbi_image_free(pixels);
  hadAlpha = channels == 2 || channels == 4;
  return true;
}

bool ScaleDownIfLarge(DecodedImage& image) {
  const int side = std::max(image.width, image.height);
  if (side <= kMaxTextureSide) return false;
  const double factor = static_cast<double>(kMaxTextureSide) / side;
  DecodedImage scaled;
  scaled.width = std::max(1, static_cast<int>(std::lround(image.width * factor)));
  scaled.height = std::max(1, static_cast<int>(std::lround(image.height * factor)));
  scaled.rgb.resize(static_cast<std::size_t>(scaled.width) * scaled.height * 3);
  stbir_resize_uint8(image.rgb.data(), image.width, image.height, 0, scaled.rgb.data(),
                     scaled.width, scaled.height, 0, 3);
  image = std::move(scaled);
  return true;
}

}  // namespace

TextureBitmaps::Choice TextureBitmaps::ChooseFor(const ImportedMaterial& material,
                                                 bool withTexture) {
  if (withTexture && material.texture >= 0 &&
      static_cast<std::size_t>(material.texture) < sources_.size()) {
    const auto known = numberOfSource_.find(material.texture);
    int number = known != numberOfSource_.end() ? known->second : -1;
    if (known == numberOfSource_.end()) {
      DecodedImage image;
      if (Decode(material.texture, image)) number = AddTexture(std::move(image));
      numberOfSource_.emplace(material.texture, number);
    }
    if (number >= 0) return {number, true};
  }

  DecodedImage image;
  image.width = image.height = kColourSide;
  const std::uint8_t rgb[3] = {ToByte(material.colour[0]), ToByte(material.colour[1]),
                               ToByte(material.colour[2])};
  const std::string key(reinterpret_cast<const char*>(rgb), 3);
  const auto known = numberOfColour_.find(key);
  if (known != numberOfColour_.end()) return {known->second, false};
  for (int i = 0; i < kColourSide * kColourSide; ++i)
    image.rgb.insert(image.rgb.end(), rgb, rgb + 3);
  ++notes_.colours;
  const int number = Add("colour" + std::to_string(bitmaps_.size()) + ".bmp", std::move(image));
  numberOfColour_.emplace(key, number);
  return {number, false};
}

bool TextureBitmaps::Decode(int index, DecodedImage& image) {
  if (index < 0 || static_cast<std::size_t>(index) >= sources_.size()) return false;
  const TextureSource& source = sources_[static_cast<std::size_t>(index)];
  image = source.pixels;
  bool hadAlpha = source.pixelsHadAlpha;
  std::string error;
  bool decoded = image.width > 0;
  if (!decoded) {
    std::vector<std::uint8_t> bytes = source.encoded;
    decoded =
        (!bytes.empty() || (!source.file.empty() && ReadFileBytes(source.file, bytes, error))) &&
        ::Decode(bytes, image, hadAlpha, error);
  }
  if (!decoded) {
    // The name, and the file name in the reason, are the model's.
    notes_.unusable.push_back(
        Printable(source.name + ": " + (error.empty() ? "no picture" : error)));
    return false;
  }
  notes_.alphaDropped += hadAlpha ? 1 : 0;
  notes_.scaledDown += ScaleDownIfLarge(image) ? 1 : 0;
  return true;
}

int TextureBitmaps::AddTexture(DecodedImage image) {
  ++notes_.fromModel;
  return Add("texture" + std::to_string(bitmaps_.size()) + ".bmp", std::move(image));
}

int TextureBitmaps::ShadingRamp(const float (&colour)[3]) {
  const std::uint8_t rgb[3] = {ToByte(colour[0]), ToByte(colour[1]), ToByte(colour[2])};
  const std::string key(reinterpret_cast<const char*>(rgb), 3);
  const auto known = numberOfRamp_.find(key);
  if (known != numberOfRamp_.end()) return known->second;
  ++notes_.colours;
  const int number = Add("ramp" + std::to_string(bitmaps_.size()) + ".bmp", MakeShadingRamp(rgb));
  numberOfRamp_.emplace(key, number);
  return number;
}

int TextureBitmaps::Black() {
  if (black_ < 0) {
    DecodedImage image;
    image.width = image.height = kColourSide;
    image.rgb.assign(kColourSide * kColourSide * 3, 0);
    black_ = Add("black" + std::to_string(bitmaps_.size()) + ".bmp", std::move(image));
  }
  return black_;
}

int TextureBitmaps::Add(std::string fileName, DecodedImage image) {
  bitmaps_.push_back({std::move(fileName), std::move(image)});
  return static_cast<int>(bitmaps_.size()) - 1;
}
