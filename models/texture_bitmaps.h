// The bitmaps of an imported scene folder and the texture number of each.
//
// A material's texture (a PNG, JPEG, TGA or BMP file beside the model, or an
// image inside it) is decoded with stb_image, its alpha channel dropped, and
// scaled down when a side exceeds 4096 pixels. A material without a usable
// texture gets a bitmap of its colour instead: one colour for an unlit
// import, a shading ramp (baked_light.h) for a lit one. Each picture is kept
// until the folder is written; identical colours share one bitmap.
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

  // Decodes texture source `source` into `image`; false when it cannot be
  // (the reason goes into the notes). Call once per source.
  bool Decode(int source, DecodedImage& image);
  // Adds a picture decoded from the model (or a lit copy of one).
  int AddTexture(DecodedImage image);
  // The shading ramp of `colour`, shared by every material of that colour.
  int ShadingRamp(const float (&colour)[3]);
  // A black bitmap: added to a pass, it adds nothing.
  int Black();

  const std::vector<BitmapPlan>& bitmaps() const { return bitmaps_; }
  std::vector<BitmapPlan> TakeBitmaps() { return std::move(bitmaps_); }
  const TextureNotes& notes() const { return notes_; }

 private:
  int Add(std::string fileName, DecodedImage image);

  const std::vector<TextureSource>& sources_;
  std::vector<BitmapPlan> bitmaps_;
  std::map<int, int> numberOfSource_;  // -1: the source could not be decoded
  std::map<std::string, int> numberOfColour_;
  std::map<std::string, int> numberOfRamp_;
  int black_ = -1;
  TextureNotes notes_;
};
