// The textures.txt part of morvane-check: loads every named bitmap exactly as
// the viewer's loader does (without showing a box) and reports each line whose
// bitmap cannot be loaded, with the loader's own message.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>

#include "tools/check/findings.h"

// Checks the bytes of textures.txt, resolving relative bitmap names against
// `dir` as the viewer (running in that folder) would. Returns the number of
// lines, which is the number of texture numbers objects.txt may use.
std::size_t CheckTextures(std::string_view bytes, const std::filesystem::path& dir,
                          Findings& findings);
