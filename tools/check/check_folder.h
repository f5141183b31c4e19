// morvane-check's two jobs: checking a whole scene folder, and describing one
// bitmap as the viewer's loader decodes it.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include "tools/check/findings.h"

// Reads textures.txt, objects.txt and scene.txt in `dir` through the viewer's
// readers and returns every problem found, in file and line order. Writes
// nothing into `dir`; a file that is not a regular file is reported, not read.
Findings CheckSceneFolder(const std::filesystem::path& dir);

// Decodes `file` as the viewer's loader does. On success writes one line
// "FILE: WxH, N-bit, ..." to `out` (and the picture, top row first, to
// `pngPath` when it is not empty) and returns 0; on failure writes the
// loader's message and, in parentheses, why, to `err` and returns 1.
int DescribeBitmap(const std::string& file, const std::string& pngPath, std::FILE* out,
                   std::FILE* err);
