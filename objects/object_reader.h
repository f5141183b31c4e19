// The reader of objects.txt: every piece the line reader yields becomes one
// Statement appended to the store, in file order, and the parse log echoes each
// piece and what the parser made of it.
//
// The log goes to a caller-given stream (the viewer passes standard output).
// The file layer only gets the bytes; ReadObjectPieces does the work and is what
// tests and fuzz harnesses drive with bytes in memory.
#pragma once

#include <cstdint>
#include <cstdio>

#include "store/line_reader.h"
#include "store/scene_store.h"
#include "store/text_writer.h"

// Reads `fileName` into store.statements. Returns 1 when the file cannot be
// opened (nothing logged, nothing appended), otherwise 0 whatever the lines
// gave. The log is flushed before returning.
std::int32_t ReadObjectFile(SceneStore& store, const char* fileName, std::FILE* log);

// Parses and appends every piece of `reader`, numbering them from 0.
void ReadObjectPieces(SceneStore& store, LineReader& reader, TextWriter& log);

// One step of that loop: echoes the NUL-terminated `piece`, parses it (lower-
// casing it in place) into the current statement, appends a copy, and logs a
// failure as the parse error of line `lineNumber`. Returns ParseStatement's code.
std::int32_t ReadObjectPiece(SceneStore& store, char* piece, std::int32_t lineNumber,
                             TextWriter& log);

// The same step into `current` instead of the store's current statement, with
// no append: the reading thread's, which keeps its own statement.
std::int32_t ParseObjectPiece(char* piece, std::int32_t lineNumber, Statement& current,
                              TextWriter& log);

// Reserves room in store.statements for a file of `sizeHint` bytes, so a large
// list is allocated once instead of being copied each time it doubles.
void ReserveStatements(SceneStore& store, std::size_t sizeHint);
