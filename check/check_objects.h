// The objects.txt part of morvane-check: reads the file through the viewer's
// reader, walks the statements with the compiler's own rules, and reports
// what the viewer would silently do with them: rejected lines and the objects
// lost when compilation stops at the first of them; keys the compiler ignores
// (with the key probably meant), keys behind blanks, tabs or a byte-order
// mark; values without their ';' or ')'; numbers read otherwise than written;
// coordinates and vertices that take missing components from earlier lines;
// primitives that draw nothing or under an unknown name; coordinates and
// vertices outside a primitive; texture numbers that name no line of
// textures.txt; objects without "endlist"; names cut to 19 characters, and
// names given twice.
#pragma once

#include <cstddef>
#include <stop_token>
#include <string>
#include <vector>

#include "check/findings.h"
#include "store/line_reader.h"

// One display list as the compiler records it: its id is its position + 1.
struct CompiledObject {
  std::string name;  // lower case and cut to 19 characters, as the scene reader looks it up
  std::size_t line;  // the line of its "name" statement
};
using CompiledObjects = std::vector<CompiledObject>;

// Checks the lines of objects.txt in `reader` against a textures.txt of
// `textureCount` lines, adding findings for "objects.txt". Returns the
// compiled objects. Once `stop` is requested it reads no further line.
CompiledObjects CheckObjects(LineReader& reader, std::size_t textureCount, Findings& findings,
                             std::stop_token stop = {});
