// The display list compiler: walks the statements read from objects.txt once,
// first to last, and turns them into GL display lists, NamedList records and
// the ogllist.txt transcript.
//
// Each "name" statement opens display list 1, 2, 3 ... and records the id with
// the name; "endlist" closes it. "textur" statements bind textures by the GL
// name that the texture table holds for the texture number (a number that
// addresses no slot of the table binds texture 0, untextured); two in a row
// draw the following primitive twice over the same statements, multiplied into
// what is already drawn and then added on top. Repeat factors set by a binding
// scale texture coordinates for every later primitive, in later lists too.
// The walk stops at the first rejected statement (a kind outside 0 to 5).
//
// A walk that ends or stops while a list is still open closes it, so the
// frames that follow are drawn rather than recorded into that list.
//
// The walk may start while objects.txt is still being read: it never compares
// a position with the list's size but asks the store whether a statement
// stands there (SceneStore::HasStatement), which waits for it to arrive. So
// it needs the statements only up to the end of the run it is in, and
// compiles exactly what it would compile from the finished list.
//
// Needs a current GL context and a store whose texture table is filled. Keeps
// nothing between runs; does not query GL errors, delete lists or read files.
#pragma once

#include <cstdint>
#include <string>

#include "store/scene_store.h"
#include "store/text_writer.h"

// Result of a walk that stopped at a rejected statement, and of a transcript
// that cannot be opened.
inline constexpr std::int32_t kCompileFailed = 1;

// Compiles store.statements with the transcript written to "ogllist.txt" in
// the working directory. The transcript goes to a new file that replaces
// ogllist.txt only once it is complete, so a link under that name is never
// written through and a failed write leaves the earlier transcript whole.
// The lists are compiled even when no transcript can be written; then
// `transcriptProblem` (when given) says why. Returns kCompileFailed when the
// transcript could not be created or the walk stopped at a rejected
// statement; otherwise store.compileStatus (0). A failed transcript write does
// not stop the walk.
std::int32_t CompileDisplayLists(SceneStore& store, std::string* transcriptProblem = nullptr);

// The walk itself, writing the transcript (header included) to `transcript`.
// Returns kCompileFailed when it stopped at a rejected statement, otherwise
// store.compileStatus. The writer is not flushed.
std::int32_t CompileStatements(SceneStore& store, TextWriter& transcript);
