// One GL primitive from the statements after a "type" statement: the mode
// from the primitive's name, then a glTexCoord2f or glVertex3f per statement of
// the run, then glEnd.
//
// A statement's role in the run is decided by its key alone, never its kind: a
// key of at most 3 characters beginning with "t" is a texture coordinate (vector
// slots 0 and 1), one beginning with "p" a vertex (slots 0, 1 and 2); any other
// key ends the run. Texture coordinates reach GL multiplied by the repeat
// factors and the transcript as written. The position is the walk's own
// (WalkPosition), so the compiler's walk resumes where the run ended.
//
// Needs a current GL context and an open transcript. Does not open or close
// display lists, bind textures or look at statement kinds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "compiler/gl_transcript.h"
#include "store/scene_store.h"
#include "store/statement_source.h"

// The GL mode a primitive name stands for; a name outside the table (points,
// lines, polygons, the empty text) gives quads.
PrimitiveMode PrimitiveModeForName(const char* primitiveName);

// Whether `primitiveName` is one of the names of the table (rather than
// falling back to quads), and those names in table order.
bool IsPrimitiveName(const char* primitiveName);
std::vector<std::string_view> PrimitiveNames();

// The fewest vertices with which a primitive of `mode` draws anything.
int MinimumVertices(PrimitiveMode mode);

// Where a walk over the statements stands.
struct WalkPosition {
  StatementSource& statements;
  Cursor at = 0;
};

// The number of vertex statements in the run that starts at `first`; the
// count stops once it reaches `enough`, so a long run is not read ahead.
std::size_t CountRunVertices(StatementSource& statements, Cursor first,
                             std::size_t enough = static_cast<std::size_t>(-1));

// Issues glBegin for `primitiveName` (NUL-terminated) and writes its line.
// The position stands on the statement that names the primitive; the run
// after it decides whether the primitive has enough vertices to draw anything,
// and so whether its calls reach GL at all (no naming statement: no run).
// Does not move. Always returns 0.
std::int32_t BeginPrimitive(const WalkPosition& walk, GlTranscript& transcript,
                            const char* primitiveName);

// Emits the run of coordinates and vertices from the position onwards and
// closes the primitive with glEnd. Leaves the position on the last statement
// of the run, or one before where it started when the run was empty (a
// position past the end counts as the end of the run). Always returns 0.
std::int32_t EmitPrimitiveVertices(WalkPosition& walk, GlTranscript& transcript,
                                   std::int32_t sRepeat, std::int32_t tRepeat);

// The same at most `most` statements at a time: true once the run has ended
// (glEnd issued, the position where EmitPrimitiveVertices leaves it), false
// with the position on the next statement of the run to emit. A run of a
// million vertices is then compiled in parts, with other work between them.
bool EmitRunPart(WalkPosition& walk, GlTranscript& transcript, std::int32_t sRepeat,
                 std::int32_t tRepeat, std::size_t most);
