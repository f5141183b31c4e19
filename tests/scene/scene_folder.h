// A complete scene folder for the start-up and snapshot tests: the textured
// square of quad_picture.h, this time as the three input files and a bitmap
// (tests/data/square), placed at (0, 0, -6) with no rotation and unit scale.
#pragma once

#include <filesystem>

#include "tests/support/test_files.h"

// Copies textures.txt, square.bmp, objects.txt and scene.txt into `dir`.
inline void WriteSquareSceneFolder(const TempDir& dir) {
  std::filesystem::copy(std::filesystem::path(MORVANE_SOURCE_DIR) / "tests" / "data" / "square",
                        dir.path(), std::filesystem::copy_options::recursive);
}
