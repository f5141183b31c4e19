// The scene.txt part of morvane-check: reads the file exactly as the viewer
// does against the objects objects.txt compiles, and reports the line that
// stops the reading with the reason in words, list names that match no
// object, entries scaled to nothing, and a block left open at the end.
#pragma once

#include <string_view>

#include "tools/check/check_objects.h"
#include "tools/check/findings.h"

// Checks the bytes of scene.txt, adding findings for "scene.txt".
void CheckScene(std::string_view bytes, const CompiledNames& names, Findings& findings);
