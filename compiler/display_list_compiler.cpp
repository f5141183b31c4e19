#include "compiler/display_list_compiler.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string_view>

#include "compiler/gl_transcript.h"
#include "compiler/primitive_emitter.h"
#include "compiler/statement_roles.h"
#include "store/replacing_file.h"

namespace {

// Walk state of one run: the repeat factors hold from one texture binding to
// the next, across primitives and lists.
struct WalkState {
  std::int32_t sRepeat = 1;
  std::int32_t tRepeat = 1;
  float firstTexture = 0;
  float secondTexture = 0;
  bool listOpen = false;  // only so that a list left open can be closed at the end
};

// A repeat factor is a vector component truncated toward zero; values beyond
// the integer range saturate, and a value that is no number gives 0.
std::int32_t TruncateRepeat(float component) {
  if (std::isnan(component)) return 0;
  constexpr double kLowest = std::numeric_limits<std::int32_t>::min();
  constexpr double kHighest = std::numeric_limits<std::int32_t>::max();
  const double value = std::trunc(static_cast<double>(component));
  if (value <= kLowest) return std::numeric_limits<std::int32_t>::min();
  if (value >= kHighest) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(value);
}

// The GL texture name for a texture number; a number that addresses no slot
// of the table gives 0, which binds no texture at all.
std::uint32_t TextureName(const SceneStore& store, float number) {
  std::size_t slot = 0;
  return TextureSlot(number, store.textures.size(), slot) ? store.textures[slot] : 0;
}

// One pass of a primitive named by the statement at `typePosition`: glBegin,
// the run after it, glEnd. At the end of the list, or at a rejected line,
// there is no statement to name it, so the primitive is an empty one of quads
// and the walk's next step lands on that rejected line.
void CompilePrimitive(SceneStore& store, GlTranscript& gl, Cursor typePosition,
                      const WalkState& walk) {
  const bool named = store.HasStatement(typePosition) && IsAccepted(store.statements[typePosition]);
  char name[kTextSize + 1] = {};
  if (named) std::memcpy(name, store.statements[typePosition].text, kTextSize);
  store.statementCursor = typePosition;
  BeginPrimitive(store, gl, name);
  if (named) ++store.statementCursor;
  EmitPrimitiveVertices(store, gl, walk.sRepeat, walk.tRepeat);
}

void CompileNewList(SceneStore& store, GlTranscript& gl, const Statement& statement,
                    WalkState& walk) {
  ++store.lastListId;
  gl.NewList(store.lastListId);
  walk.listOpen = true;
  store.currentNamedList.listId = store.lastListId;
  // A name longer than the field is cut to 19 characters; the scene reader
  // cuts a list name the same way, so the lookup still finds it.
  const char* end = static_cast<const char*>(std::memchr(statement.text, '\0', kTextSize));
  const std::size_t length =
      end == nullptr ? kTextSize : static_cast<std::size_t>(end - statement.text);
  CopyBounded(store.currentNamedList.name, std::string_view(statement.text, length));
  store.AppendCurrentNamedList();
}

// The cursor stands on the second "textur" statement of a pair.
void CompileBlendedPair(SceneStore& store, GlTranscript& gl, const BindingShape& shape,
                        WalkState& walk) {
  walk.secondTexture = store.statements[shape.second].vector[0];
  gl.EnableBlend();
  gl.BlendMultiply();
  gl.BindTexture(TextureName(store, walk.firstTexture));
  store.savedStatementCursor = shape.primitive;
  CompilePrimitive(store, gl, store.savedStatementCursor, walk);
  gl.BlendAdd();
  gl.BindTexture(TextureName(store, walk.secondTexture));
  CompilePrimitive(store, gl, store.savedStatementCursor, walk);
  gl.DisableBlend();
}

void CompileTextureBinding(SceneStore& store, GlTranscript& gl, const Statement& statement,
                           WalkState& walk) {
  walk.firstTexture = statement.vector[0];
  walk.secondTexture = statement.vector[0];
  walk.sRepeat = TruncateRepeat(statement.vector[1]);
  walk.tRepeat = TruncateRepeat(statement.vector[2]);
  // The pair's second line must have arrived before the shape is known.
  store.HasStatement(store.statementCursor + 1);
  const BindingShape shape = ShapeOfBinding(store.statements, store.statementCursor);
  if (shape.pair) {
    store.statementCursor = shape.second;
    CompileBlendedPair(store, gl, shape, walk);
    return;
  }
  gl.BindTexture(TextureName(store, walk.secondTexture));
}

// Compiles the statement at the cursor. Returns false when the walk must stop
// there: the statement was rejected by the reader.
bool Dispatch(SceneStore& store, GlTranscript& gl, WalkState& walk) {
  // A copy: the statement list does not change during the walk, but the
  // dispatch moves the cursor, and a copy keeps this statement's fields fixed.
  const Statement statement = store.statements[store.statementCursor];
  switch (DispatchRole(statement)) {
    case StatementRole::kStop:
      return false;
    case StatementRole::kEndList:
      gl.EndList();
      walk.listOpen = false;
      break;
    case StatementRole::kMarker:
      gl.Marker(MarkerLine(statement));
      break;
    case StatementRole::kNewList:
      CompileNewList(store, gl, statement, walk);
      break;
    case StatementRole::kPrimitive:
      CompilePrimitive(store, gl, store.statementCursor, walk);
      break;
    case StatementRole::kTextureBinding:
      CompileTextureBinding(store, gl, statement, walk);
      break;
    case StatementRole::kNone:
      break;
  }
  return true;
}

}  // namespace

std::int32_t CompileStatements(SceneStore& store, TextWriter& transcript) {
  GlTranscript gl(transcript);
  gl.Header();
  store.namedListCursor = 0;
  store.statementCursor = 0;
  WalkState walk;
  std::int32_t result = store.compileStatus;
  while (store.HasStatement(store.statementCursor)) {
    if (!Dispatch(store, gl, walk)) {
      result = kCompileFailed;
      break;
    }
    ++store.statementCursor;
  }
  // An open list would record every later GL call of the run instead of
  // executing it, and the frames would never be drawn.
  if (walk.listOpen) gl.EndList();
  return result;
}

std::int32_t CompileDisplayLists(SceneStore& store, std::string* transcriptProblem) {
  // The scene is compiled and drawn whether or not its transcript can be
  // written: a writer without a file discards what it is given.
  ReplacingFile file("ogllist.txt");
  std::int32_t result = 0;
  int writeError = 0;
  {
    TextWriter transcript(file.File());
    result = CompileStatements(store, transcript);
    transcript.Flush();
    // A walk that stopped early still waits for objects.txt to be read to its
    // end before the transcript takes the name: a start-up that ends while
    // reading it (its parse log's reader gone) leaves ogllist.txt as it was.
    store.AwaitAllStatements();
    writeError = transcript.FailureReason();
  }
  const bool replaced = file.File() != nullptr && file.Commit(writeError);
  if (!replaced && transcriptProblem != nullptr) *transcriptProblem = file.Problem();
  // A transcript that could not be made, or not put in place, is the failed
  // transcript of old; a write that failed on the way does not change the result.
  return replaced || writeError != 0 ? result : kCompileFailed;
}
