// One import of a model file into a scene folder, as morvane-import and the
// programs that open a model directly (model_cache.h) both do it: the model
// read by the library in a child process (reader_process.h), its texture
// files located beside it, the folder planned (scene_plan.h) and written.
//
// The writing replaces each file whole (store/replacing_file.h); whether a
// folder may be written into at all is the caller's decision.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "models/imported_model.h"
#include "models/reader_process.h"
#include "models/scene_plan.h"

struct ModelImportSettings {
  bool lit = true;  // false: draw textures and colours as they are (--flat)
  double spin = 0;  // turning rate about y of every entry, as scene.txt's rotate
  ReaderLimits limits;
};

struct ModelImport {
  ImportedModel model;  // fitted to the view
  ScenePlan plan;
  // Every file besides the model that the import read or looked for (its
  // .mtl or .bin, its texture files, and the places tried for a missing
  // one), as absolute paths.
  std::vector<std::filesystem::path> otherFiles;
};

// Reads the model at `path` and plans its folder. Returns false with `error`
// saying why the model cannot be imported.
bool PrepareModelImport(const std::string& path, const ModelImportSettings& settings,
                        ModelImport& result, std::string& error);

// The names of the files WriteSceneFolder writes: textures.txt, objects.txt,
// scene.txt and the bitmaps.
std::vector<std::string> SceneFolderFiles(const ScenePlan& plan);

// Writes the planned files into the existing folder `dir`. Returns false with
// `error` naming the file that could not be written and why; the files
// written before it stay. `objectLines` receives the lines of objects.txt.
bool WriteSceneFolder(const ScenePlan& plan, double spin, const std::filesystem::path& dir,
                      std::size_t& objectLines, std::string& error);
