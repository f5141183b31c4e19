// Reads a model file of any format the Open Asset Import Library knows into
// an ImportedModel: polygons become triangles, every node's transform is
// baked into its meshes' vertices, lines and points are counted and left out.
//
// Texture files are located but not opened here; embedded textures are copied
// out of the model. Nothing is written.
#pragma once

#include <string>

#include "models/imported_model.h"

// Reads `path` into `model`. Returns false with the library's reason (or our
// own, for a model without triangles) in `error`.
bool ReadModel(const std::string& path, ImportedModel& model, std::string& error);

// The file extensions the library reads, as "*.obj;*.gltf;...".
std::string ReadableExtensions();
