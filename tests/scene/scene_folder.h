// A complete scene folder for the start-up and snapshot tests: the textured
// square of quad_picture.h, this time as the three input files and a bitmap,
// placed at (0, 0, -6) with no rotation and unit scale.
#pragma once

#include <string>

#include "tests/support/test_files.h"

// Writes textures.txt, square.bmp, objects.txt and scene.txt into `dir`.
void WriteSquareSceneFolder(const TempDir& dir);
