// morvane-check's two jobs: checking a whole scene folder, and describing one
// bitmap as the viewer's loader decodes it.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include "tools/check/findings.h"

// Reads textures.txt, objects.txt and scene.txt in `dir` exactly as the viewer
// does and returns every problem found. Writes nothing into `dir`.
Findings CheckSceneFolder(const std::filesystem::path& dir);

// Decodes `file` as the viewer's loader does. On success writes one line
// "FILE: WxH, N-bit, ..." to `out` (and the picture, top row first, to
// `pngPath` when it is not empty) and returns 0; on failure writes the
// loader's message and, in parentheses, why, to `err` and returns 1.
int DescribeBitmap(const std::string& file, const std::string& pngPath, std::FILE* out,
                   std::FILE* err);
