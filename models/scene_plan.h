// Everything an imported scene folder will hold, decided before anything is
// written: the model fitted to the camera, its objects' names, the light
// baked into their coordinates and bitmaps, their triangles joined into
// strips, and the bitmaps themselves.
//
// An unlit plan (--flat) draws every material's texture or colour as it is,
// one coordinate and vertex line per corner. A lit plan draws an untextured
// material on its shading ramp; a textured one with a lit copy of its
// texture where the coordinates allow one, and otherwise with the texture
// and, over it, a second pass that multiplies it by the shading ramp of
// white (the compiler's blended pair, whose added texture is black).
//
// Texture files must have been located beforehand (LocateTextureFiles);
// reading them is the only file access here.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "models/imported_model.h"
#include "models/scene_text.h"
#include "models/texture_bitmaps.h"

struct ScenePlan {
  std::vector<ObjectDrawing> objects;
  std::vector<BitmapPlan> bitmaps;
  TextureNotes notes;
  std::size_t secondPasses = 0;  // objects shaded by a multiplying pass over their texture
};

// Plans the folder for `model`, whose vertices it moves and scales to fit
// the view.
ScenePlan PlanScene(ImportedModel& model, bool lit);
