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
// The walk may start while objects.txt is still being read: it takes its
// statements from a StatementSource, which waits for each to arrive. So it
// needs the statements only up to the end of the run it is in, and compiles
// exactly what it would compile from the finished list. It goes one statement
// at a time (CompileWalk::Step), so its caller can do other work between
// steps: a reload compiles between the frames of the scene it replaces.
//
// Needs a current GL context and a store whose texture table is filled. Keeps
// nothing between runs; does not query GL errors, delete lists or read files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "compiler/gl_transcript.h"
#include "compiler/primitive_emitter.h"
#include "store/replacing_file.h"
#include "store/scene_store.h"
#include "store/statement_source.h"
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
// The same over statements that come from `statements`.
std::int32_t CompileDisplayLists(SceneStore& store, StatementSource& statements,
                                 std::string* transcriptProblem = nullptr);

// The walk itself, writing the transcript (header included) to `transcript`.
// Returns kCompileFailed when it stopped at a rejected statement, otherwise
// store.compileStatus. The writer is not flushed.
std::int32_t CompileStatements(SceneStore& store, TextWriter& transcript);
std::int32_t CompileStatements(SceneStore& store, StatementSource& statements,
                               TextWriter& transcript);

// The walk one statement at a time. The transcript's header is recorded at
// construction; the lists go into `store`.
class CompileWalk {
 public:
  // Walk state of one run: the repeat factors hold from one texture binding
  // to the next, across primitives and lists.
  struct State {
    std::int32_t sRepeat = 1;
    std::int32_t tRepeat = 1;
    float firstTexture = 0;
    float secondTexture = 0;
    bool listOpen = false;  // only so that a list left open can be closed at the end
  };

  CompileWalk(SceneStore& store, StatementSource& statements, TextWriter& transcript);
  // Finishes the walk where it stands.
  ~CompileWalk();
  CompileWalk(const CompileWalk&) = delete;
  CompileWalk& operator=(const CompileWalk&) = delete;

  // Compiles the statement at the walk's position, or the next part of the
  // primitive it is inside, waiting for statements as its source does. False
  // once the walk has ended: at the end of the statements or at a rejected
  // one (Finish has then run).
  bool Step();

  // Ends the walk (closing a list left open, and writing every recorded line
  // to the writer) and returns its result, as CompileStatements does.
  std::int32_t Finish();

  // Whether transcript lines were lost on the way (see GlTranscript::Lost).
  bool TranscriptLost() const { return gl_.Lost(); }

 private:
  // Which pass of a primitive the walk is inside: the statements of a run
  // are emitted kRunPart at a time, so no step takes long.
  enum class Pass { kNone, kSingle, kFirstOfPair, kSecondOfPair };
  static constexpr std::size_t kRunPart = 256;

  void BeginPass(Cursor typePosition, Pass pass);
  void ContinuePass();
  void TextureBinding(const Statement& statement);

  SceneStore& store_;
  GlTranscript gl_;
  WalkPosition walk_;
  State state_;
  Pass pass_ = Pass::kNone;
  Cursor pairPrimitive_ = 0;
  std::int32_t result_;
  bool done_ = false;
};

// ogllist.txt being written: a new file in the working directory that takes
// the name only at Commit, so a load that ends before (stopped, or the
// program interrupted) leaves the earlier transcript as it was.
class TranscriptFile {
 public:
  TranscriptFile();
  TranscriptFile(const TranscriptFile&) = delete;
  TranscriptFile& operator=(const TranscriptFile&) = delete;

  // Where the transcript goes; a writer without a file when none could be made.
  TextWriter& Writer() { return *writer_; }

  // Puts the transcript in place, and returns the compile result `result`
  // as CompileDisplayLists does, with `transcriptProblem` set as it sets it.
  // A transcript that `lost` lines is not put in place.
  std::int32_t Commit(std::int32_t result, std::string* transcriptProblem, bool lost = false);

 private:
  ReplacingFile file_;
  std::optional<TextWriter> writer_;  // until Commit, which closes the file under it
};
