// The light an import bakes into its scene folder.
//
// The scene language has texture coordinates and bitmaps but no colours and
// no normals, and the viewer draws without lighting. So the importer lights
// the model itself: one fixed light from the upper front left of the model as
// the camera first sees it, plus an ambient part, Lambert-shaded with the
// model's own normals where it has them (smooth) and with each triangle's
// normal where it has none (faceted). The brightness of each corner then
// becomes a texture coordinate on a shading ramp, a bitmap of the material's
// colour from dark to full, or darkens a lit copy of the texture
// (lit_texture.h).
//
// The light is fixed to the model: a model turned by --spin turns its
// shading with it.
#pragma once

#include <cstdint>
#include <vector>

#include "models/imported_model.h"

// A face turned away from the light keeps this much; one facing it gets 1.
inline constexpr float kAmbientLight = 0.3f;

// The brightness, kAmbientLight to 1, of a surface with the normal (nx, ny,
// nz), which need not be of unit length; a zero normal faces the camera.
float Brightness(float nx, float ny, float nz);

// One brightness per corner of `object` (in the order of its corners).
std::vector<float> CornerBrightness(const ImportedObject& object);

// The shading ramp: 64 x 4 pixels, black on the left to `rgb` on the right,
// the same in every row.
DecodedImage MakeShadingRamp(const std::uint8_t (&rgb)[3]);

// The texture coordinates at which the ramp shows `brightness` (0 to 1):
// on the centres of its pixels, so that the repeat of the texture never
// blends the dark end into the bright one.
float RampS(float brightness);
inline constexpr float kRampT = 0.5f;
