#include "compiler/display_list_compiler.h"

#include <cerrno>
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

using WalkState = CompileWalk::State;

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
void CompilePrimitive(WalkPosition& walk, GlTranscript& gl, Cursor typePosition,
                      const WalkState& state) {
  const Statement* naming = walk.statements.At(typePosition);
  const bool named = naming != nullptr && IsAccepted(*naming);
  char name[kTextSize + 1] = {};
  if (named) std::memcpy(name, naming->text, kTextSize);
  walk.at = typePosition;
  BeginPrimitive(walk, gl, name);
  if (named) ++walk.at;
  EmitPrimitiveVertices(walk, gl, state.sRepeat, state.tRepeat);
}

void CompileNewList(SceneStore& store, GlTranscript& gl, const Statement& statement,
                    WalkState& state) {
  ++store.lastListId;
  gl.NewList(store.lastListId);
  state.listOpen = true;
  store.currentNamedList.listId = store.lastListId;
  // A name longer than the field is cut to 19 characters; the scene reader
  // cuts a list name the same way, so the lookup still finds it.
  const char* end = static_cast<const char*>(std::memchr(statement.text, '\0', kTextSize));
  const std::size_t length =
      end == nullptr ? kTextSize : static_cast<std::size_t>(end - statement.text);
  CopyBounded(store.currentNamedList.name, std::string_view(statement.text, length));
  store.AppendCurrentNamedList();
}

// The position stands on the second "textur" statement of a pair.
void CompileBlendedPair(const SceneStore& store, WalkPosition& walk, GlTranscript& gl,
                        const BindingShape& shape, WalkState& state) {
  state.secondTexture = walk.statements.At(shape.second)->vector[0];
  gl.EnableBlend();
  gl.BlendMultiply();
  gl.BindTexture(TextureName(store, state.firstTexture));
  // Both passes draw the run that follows the pair.
  const Cursor saved = shape.primitive;
  CompilePrimitive(walk, gl, saved, state);
  gl.BlendAdd();
  gl.BindTexture(TextureName(store, state.secondTexture));
  CompilePrimitive(walk, gl, saved, state);
  gl.DisableBlend();
}

void CompileTextureBinding(const SceneStore& store, WalkPosition& walk, GlTranscript& gl,
                           const Statement& statement, WalkState& state) {
  state.firstTexture = statement.vector[0];
  state.secondTexture = statement.vector[0];
  state.sRepeat = TruncateRepeat(statement.vector[1]);
  state.tRepeat = TruncateRepeat(statement.vector[2]);
  const BindingShape shape = ShapeOfBinding(walk.statements, walk.at);
  if (shape.pair) {
    walk.at = shape.second;
    CompileBlendedPair(store, walk, gl, shape, state);
    return;
  }
  gl.BindTexture(TextureName(store, state.secondTexture));
}

}  // namespace

CompileWalk::CompileWalk(SceneStore& store, StatementSource& statements, TextWriter& transcript)
    : store_(store), gl_(transcript), walk_{statements, 0}, result_(store.compileStatus) {
  gl_.Header();
  store_.namedListCursor = 0;
}

CompileWalk::~CompileWalk() {
  Finish();
}

bool CompileWalk::Step() {
  if (done_) return false;
  const Statement* at = walk_.statements.At(walk_.at);
  if (at == nullptr) {
    Finish();
    return false;
  }
  // A copy: the dispatch moves the position, and may make the source fetch
  // more statements, and this statement's fields must stay fixed meanwhile.
  const Statement statement = *at;
  switch (DispatchRole(statement)) {
    case StatementRole::kStop:
      result_ = kCompileFailed;
      Finish();
      return false;
    case StatementRole::kEndList:
      gl_.EndList();
      state_.listOpen = false;
      break;
    case StatementRole::kMarker:
      gl_.Marker(MarkerLine(statement));
      break;
    case StatementRole::kNewList:
      CompileNewList(store_, gl_, statement, state_);
      break;
    case StatementRole::kPrimitive:
      CompilePrimitive(walk_, gl_, walk_.at, state_);
      break;
    case StatementRole::kTextureBinding:
      CompileTextureBinding(store_, walk_, gl_, statement, state_);
      break;
    case StatementRole::kNone:
      break;
  }
  ++walk_.at;
  return true;
}

std::int32_t CompileWalk::Finish() {
  if (!done_) {
    done_ = true;
    // An open list would record every later GL call of the run instead of
    // executing it, and the frames would never be drawn.
    if (state_.listOpen) gl_.EndList();
    state_.listOpen = false;
    gl_.Finish();
  }
  return result_;
}

std::int32_t CompileStatements(SceneStore& store, StatementSource& statements,
                               TextWriter& transcript) {
  CompileWalk walk(store, statements, transcript);
  while (walk.Step()) {
  }
  return walk.Finish();
}

std::int32_t CompileStatements(SceneStore& store, TextWriter& transcript) {
  StatementList statements(store.statements);
  return CompileStatements(store, statements, transcript);
}

std::int32_t CompileDisplayLists(SceneStore& store, StatementSource& statements,
                                 std::string* transcriptProblem) {
  TranscriptFile file;
  CompileWalk walk(store, statements, file.Writer());
  while (walk.Step()) {
  }
  const std::int32_t result = walk.Finish();
  return file.Commit(result, transcriptProblem, walk.TranscriptLost());
}

std::int32_t CompileDisplayLists(SceneStore& store, std::string* transcriptProblem) {
  StatementList statements(store.statements);
  return CompileDisplayLists(store, statements, transcriptProblem);
}

TranscriptFile::TranscriptFile() : file_("ogllist.txt") {
  writer_.emplace(file_.File());
}

std::int32_t TranscriptFile::Commit(std::int32_t result, std::string* transcriptProblem,
                                    bool lost) {
  writer_->Flush();
  const int writeError = writer_->FailureReason() != 0 ? writer_->FailureReason() : lost ? EIO : 0;
  writer_.reset();
  const bool replaced = file_.File() != nullptr && file_.Commit(writeError);
  if (!replaced && transcriptProblem != nullptr) *transcriptProblem = file_.Problem();
  // A transcript that could not be made, or not put in place, is the failed
  // transcript of old; a write that failed on the way does not change the result.
  return replaced || writeError != 0 ? result : kCompileFailed;
}
