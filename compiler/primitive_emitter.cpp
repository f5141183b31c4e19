#include "compiler/primitive_emitter.h"

#include <cstring>

namespace {

struct NamedMode {
  const char* name;
  PrimitiveMode mode;
};

constexpr NamedMode kPrimitiveNames[] = {
    {"gl_quads", PrimitiveMode::kQuads},
    {"gl_quad_strip", PrimitiveMode::kQuadStrip},
    {"gl_triangles", PrimitiveMode::kTriangles},
    {"gl_triangle_fan", PrimitiveMode::kTriangleFan},
    {"gl_triangle_strip", PrimitiveMode::kTriangleStrip},
};

// Keys such as t, t1 and t12 name coordinates; "type" and "textur" also begin
// with "t" but are longer, and end the run.
bool IsRunKey(const char (&key)[kKeySize], char first) {
  // The key field may lack a terminator in a hand-built record; never look past it.
  const void* terminator = std::memchr(key, '\0', kKeySize);
  const std::size_t length =
      terminator == nullptr ? kKeySize
                            : static_cast<std::size_t>(static_cast<const char*>(terminator) - key);
  return key[0] == first && length <= 3;
}

}  // namespace

PrimitiveMode PrimitiveModeForName(const char* primitiveName) {
  for (const NamedMode& entry : kPrimitiveNames) {
    if (std::strcmp(primitiveName, entry.name) == 0) return entry.mode;
  }
  return PrimitiveMode::kQuads;
}

int MinimumVertices(PrimitiveMode mode) {
  return mode == PrimitiveMode::kQuads || mode == PrimitiveMode::kQuadStrip ? 4 : 3;
}

std::size_t CountRunVertices(SceneStore& store, Cursor first) {
  std::size_t vertices = 0;
  for (Cursor at = first; store.HasStatement(at); ++at) {
    const Statement& statement = store.statements[at];
    if (!IsAccepted(statement)) break;
    if (IsRunKey(statement.key, 'p')) {
      ++vertices;
    } else if (!IsRunKey(statement.key, 't')) {
      break;
    }
  }
  return vertices;
}

std::int32_t BeginPrimitive(SceneStore& store, GlTranscript& transcript,
                            const char* primitiveName) {
  const PrimitiveMode mode = PrimitiveModeForName(primitiveName);
  // Without a naming statement at the cursor (the end of the statements, or a
  // rejected line) the primitive has no run.
  const Cursor at = store.statementCursor;
  const bool named = store.HasStatement(at) && IsAccepted(store.statements[at]);
  const std::size_t vertices = named ? CountRunVertices(store, at + 1) : 0;
  const bool drawable = vertices >= static_cast<std::size_t>(MinimumVertices(mode));
  transcript.Begin(mode, drawable);
  return 0;
}

std::int32_t EmitPrimitiveVertices(SceneStore& store, GlTranscript& transcript,
                                   std::int32_t sRepeat, std::int32_t tRepeat) {
  const float sFactor = static_cast<float>(sRepeat);
  const float tFactor = static_cast<float>(tRepeat);
  // A cursor past the end (or at no position) is treated as standing at the end.
  if (!store.HasStatement(store.statementCursor) &&
      store.statementCursor > store.statements.size()) {
    store.statementCursor = store.statements.size();
  }
  while (store.HasStatement(store.statementCursor)) {
    const Statement& statement = store.statements[store.statementCursor];
    // A rejected line is never drawn from the values earlier lines left in
    // its record: it ends the run, and the walk then stops at it.
    if (!IsAccepted(statement)) break;
    if (IsRunKey(statement.key, 't')) {
      const float s = statement.vector[0];
      const float t = statement.vector[1];
      transcript.TexCoord(s, t, sFactor * s, tFactor * t);
    } else if (IsRunKey(statement.key, 'p')) {
      transcript.Vertex(statement.vector[0], statement.vector[1], statement.vector[2]);
    } else {
      break;
    }
    ++store.statementCursor;
  }
  transcript.End();
  // The compiler advances after every dispatch; stepping back makes that
  // advance land on the statement that ended the run.
  --store.statementCursor;
  return 0;
}
