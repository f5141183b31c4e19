// The textures.txt part of morvane-check: loads every named bitmap exactly as
// the viewer's loader does (without showing a box) and reports each line whose
// bitmap cannot be loaded, with the loader's own message; a byte-order mark
// that becomes part of the first name; and lines so long that the reader cuts
// them into several names, each taking a texture number.
#pragma once

#include <cstddef>
#include <filesystem>
#include <stop_token>

#include "check/findings.h"
#include "store/line_reader.h"

// Checks the lines of textures.txt in `reader`, resolving relative bitmap
// names against `dir` as the viewer (running in that folder) would. Returns
// the number of lines, which is the number of texture numbers objects.txt may use.
// Once `stop` is requested it reads no further line.
std::size_t CheckTextures(LineReader& reader, const std::filesystem::path& dir, Findings& findings,
                          std::stop_token stop = {});
