// The scene.txt part of morvane-check: reads the file through the viewer's
// scene reader, one line at a time, against the objects objects.txt compiles,
// and reports the line that stops the reading with the reason in words (and
// whether anything is lost by it); lines the reader ignores (unknown or
// misspelt keys, keys behind blanks, tabs or a byte-order mark, words in the
// wrong form, block values outside a block); show=(0) and solid lines, which
// change nothing the viewer draws; vectors read otherwise than written or with
// components kept from earlier blocks; list names that match
// no object; entries scaled to nothing; blocks never drawn; and a scene that
// draws nothing at all.
#pragma once

#include <stop_token>
#include <vector>

#include "check/check_objects.h"
#include "check/findings.h"
#include "store/line_reader.h"

// Checks the lines of scene.txt in `reader`, adding findings for "scene.txt".
// Returns, for each compiled object, whether an entry of the scene draws it.
// Once `stop` is requested it reads no further line.
std::vector<bool> CheckScene(LineReader& reader, const CompiledObjects& objects, Findings& findings,
                             std::stop_token stop = {});
