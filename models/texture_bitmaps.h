// The bitmaps of an imported scene folder and the texture number of each.
//
// A material's texture (a PNG, JPEG, TGA or BMP file beside the model, or an
// image inside it) is decoded with stb_image, its alpha channel dropped, and
// scaled down when a side exceeds 4096 pixels. A material without a usable
// texture gets a small bitmap of its colour instead, so that it keeps its
// colour. Each picture is decoded once and kept until the folder is written;
// identical colours share one bitmap.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "models/imported_model.h"

struct BitmapPlan {
  std::string fileName;  // inside the scene folder
  DecodedImage image;
};

// What happened to the textures, for the summary.
struct TextureNotes {
  std::size_t fromModel = 0;
  std::size_t colours = 0;
  std::size_t alphaDropped = 0;
  std::size_t scaledDown = 0;
  std::vector<std::string> unusable;  // "name: reason", one per texture
};

class TextureBitmaps {
 public:
  explicit TextureBitmaps(const std::vector<TextureSource>& sources) : sources_(sources) {}

  // The texture number showing `material`'s texture, or, when it has none
  // that can be decoded or `withTexture` is false, its colour.
  struct Choice {
    int number = 0;
    bool picture = false;  // false: a bitmap of one colour
  };
  Choice ChooseFor(const ImportedMaterial& material, bool withTexture);

  const std::vector<BitmapPlan>& bitmaps() const { return bitmaps_; }
  const TextureNotes& notes() const { return notes_; }

 private:
  int Add(std::string fileName, DecodedImage image);

  const std::vector<TextureSource>& sources_;
  std::vector<BitmapPlan> bitmaps_;
  std::map<int, int> numberOfSource_;  // -1: the source could not be decoded
  std::map<std::string, int> numberOfColour_;
  TextureNotes notes_;
};
