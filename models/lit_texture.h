// A lit copy of a texture: every texel darkened by the brightness of the
// place on the model where it is shown.
//
// Where a model's texture coordinates give every texel one place on the
// model (an unwrapped model, a sphere's map), its shading can be baked into
// the picture itself: the objects then keep their own coordinates and the
// scene folder grows by nothing, so the viewer starts as fast as without
// light. Where one texel is shown at several places of different brightness
// (a texture that repeats, mirrored halves, every face of a box showing the
// whole picture), no copy can be right, and the bake says so; the importer
// then shades those objects in a second, multiplying pass instead.
//
// A small texture is enlarged first (sampled as the viewer's linear filter
// samples it), so that the shading is not cut into a few coarse steps.
#pragma once

#include <span>

#include "models/imported_model.h"

// One corner of a triangle drawn with the texture.
struct LitCorner {
  float s, t;
  float brightness;  // 0 to 1
};

// Bakes `corners` (three per triangle) into a lit copy of `texture` in `lit`.
// Returns false, with `lit` untouched, when the coordinates put different
// brightnesses on the same texels.
bool BakeLitTexture(const DecodedImage& texture, std::span<const LitCorner> corners,
                    DecodedImage& lit);
