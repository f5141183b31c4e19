// The objects.txt part of morvane-check: reads the file exactly as the viewer
// does and reports what the viewer would silently do with it: rejected lines,
// the objects lost when compilation stops at the first of them, objects
// without "endlist", stray "endlist" lines, texture numbers that name no line
// of textures.txt, unknown primitive names, coordinates and vertices outside a
// primitive, and names given twice.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "tools/check/findings.h"

// The names the compiler records, in the order of their display-list ids.
using CompiledNames = std::vector<std::string>;

// Checks the bytes of objects.txt against a textures.txt of `textureCount`
// lines, adding findings for "objects.txt". Returns the compiled names.
CompiledNames CheckObjects(std::string_view bytes, std::size_t textureCount, Findings& findings);
