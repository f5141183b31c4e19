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

}  // namespace

CompileWalk::CompileWalk(SceneStore& store, StatementSource& statements, TextWriter& transcript)
    : store_(store), gl_(transcript), walk_{statements, 0}, result_(store.compileStatus) {
  gl_.Header();
  store_.namedListCursor = 0;
}

CompileWalk::~CompileWalk() {
  Finish();
}

void CompileWalk::BeginPass(Cursor typePosition, Pass pass) {
  // At the end of the list, or at a rejected line, there is no statement to
  // name the primitive, so it is an empty one of quads and the walk's next
  // step lands on that rejected line.
  const Statement* naming = walk_.statements.At(typePosition);
  const bool named = naming != nullptr && IsAccepted(*naming);
  char name[kTextSize + 1] = {};
  if (named) std::memcpy(name, naming->text, kTextSize);
  walk_.at = typePosition;
  BeginPrimitive(walk_, gl_, name);
  if (named) ++walk_.at;
  pass_ = pass;
}

void CompileWalk::ContinuePass() {
  if (!EmitRunPart(walk_, gl_, state_.sRepeat, state_.tRepeat, kRunPart)) return;
  switch (pass_) {
    case Pass::kFirstOfPair:
      // The pair's second pass draws the same run again, added on top.
      gl_.BlendAdd();
      gl_.BindTexture(TextureName(store_, state_.secondTexture));
      BeginPass(pairPrimitive_, Pass::kSecondOfPair);
      return;
    case Pass::kSecondOfPair:
      gl_.DisableBlend();
      break;
    case Pass::kSingle:
    case Pass::kNone:
      break;
  }
  pass_ = Pass::kNone;
  ++walk_.at;
}

void CompileWalk::TextureBinding(const Statement& statement) {
  state_.firstTexture = statement.vector[0];
  state_.secondTexture = statement.vector[0];
  state_.sRepeat = TruncateRepeat(statement.vector[1]);
  state_.tRepeat = TruncateRepeat(statement.vector[2]);
  const BindingShape shape = ShapeOfBinding(walk_.statements, walk_.at);
  if (!shape.pair) {
    gl_.BindTexture(TextureName(store_, state_.secondTexture));
    ++walk_.at;
    return;
  }
  // Two passes over the run after the pair: multiplied into what is drawn,
  // then added on top.
  state_.secondTexture = walk_.statements.At(shape.second)->vector[0];
  gl_.EnableBlend();
  gl_.BlendMultiply();
  gl_.BindTexture(TextureName(store_, state_.firstTexture));
  pairPrimitive_ = shape.primitive;
  BeginPass(pairPrimitive_, Pass::kFirstOfPair);
}

bool CompileWalk::Step() {
  if (done_) return false;
  if (pass_ != Pass::kNone) {
    ContinuePass();
    return true;
  }
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
      BeginPass(walk_.at, Pass::kSingle);
      return true;
    case StatementRole::kTextureBinding:
      TextureBinding(statement);
      return true;
    case StatementRole::kNone:
      break;
  }
  ++walk_.at;
  return true;
}

std::int32_t CompileWalk::Finish() {
  if (!done_) {
    done_ = true;
    // A walk ended inside a run (its load was stopped) ends the primitive.
    if (pass_ != Pass::kNone) gl_.End();
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
