// Reads a model file of any format the Open Asset Import Library knows into
// an ImportedModel: polygons become triangles, every node's transform is
// applied to its meshes' vertices and normals, lines and points are counted
// and left out, and every other file the library opens is noted.
//
// This is the library's side of an import, and a damaged file can crash the
// library or keep it busy for long: ReadModel runs only in
// morvane-model-reader, the program of its own that reader_process.h starts. Texture files are
// neither located nor opened here; embedded textures are copied out of the
// model. Nothing is written.
#pragma once

#include <string>

#include "models/imported_model.h"

// Reads `path` into `model`. Returns false with the library's reason (or our
// own, for a model without triangles) in `error`.
bool ReadModel(const std::string& path, ImportedModel& model, std::string& error);

// The file extensions the library reads, as "*.obj;*.gltf;...".
std::string ReadableExtensions();

// The library's version, as "MAJOR.MINOR.PATCH.REVISION".
std::string LibraryVersion();
