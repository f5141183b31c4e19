// Checking a whole scene folder: the rules of morvane-check, which the viewer
// and morvane-snapshot also run beside every load to sum up what is wrong.
//
// Reads the three files itself (it shares no state with a load running at
// the same time), writes nothing and prints nothing.
#pragma once

#include <filesystem>
#include <stop_token>

#include "check/findings.h"

// Reads textures.txt, objects.txt and scene.txt in `dir` through the viewer's
// readers and returns every problem found, in file and line order. Writes
// nothing into `dir`; a file that is not a regular file is reported, not read.
// Once `stop` is requested the check ends at its next line, with findings
// that speak only of what was read: they are for throwing away.
Findings CheckSceneFolder(const std::filesystem::path& dir, std::stop_token stop = {});
