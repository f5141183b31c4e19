#include "compiler/primitive_emitter.h"

#include <cstring>

#include "compiler/statement_roles.h"

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

}  // namespace

bool IsPrimitiveName(const char* primitiveName) {
  for (const NamedMode& entry : kPrimitiveNames) {
    if (std::strcmp(primitiveName, entry.name) == 0) return true;
  }
  return false;
}

std::vector<std::string_view> PrimitiveNames() {
  std::vector<std::string_view> names;
  for (const NamedMode& entry : kPrimitiveNames) names.push_back(entry.name);
  return names;
}

PrimitiveMode PrimitiveModeForName(const char* primitiveName) {
  for (const NamedMode& entry : kPrimitiveNames) {
    if (std::strcmp(primitiveName, entry.name) == 0) return entry.mode;
  }
  return PrimitiveMode::kQuads;
}

int MinimumVertices(PrimitiveMode mode) {
  return mode == PrimitiveMode::kQuads || mode == PrimitiveMode::kQuadStrip ? 4 : 3;
}

std::size_t CountRunVertices(StatementSource& statements, Cursor first, std::size_t enough) {
  std::size_t vertices = 0;
  for (Cursor at = first; vertices < enough; ++at) {
    const Statement* statement = statements.At(at);
    if (statement == nullptr || !IsAccepted(*statement)) break;
    if (IsVertexKey(statement->key)) {
      ++vertices;
    } else if (!IsTexCoordKey(statement->key)) {
      break;
    }
  }
  return vertices;
}

std::int32_t BeginPrimitive(const WalkPosition& walk, GlTranscript& transcript,
                            const char* primitiveName) {
  const PrimitiveMode mode = PrimitiveModeForName(primitiveName);
  // Without a naming statement at the position (the end of the statements,
  // or a rejected line) the primitive has no run.
  const Statement* naming = walk.statements.At(walk.at);
  const bool named = naming != nullptr && IsAccepted(*naming);
  const std::size_t needed = static_cast<std::size_t>(MinimumVertices(mode));
  const std::size_t vertices = named ? CountRunVertices(walk.statements, walk.at + 1, needed) : 0;
  const bool drawable = vertices >= needed;
  transcript.Begin(mode, drawable);
  return 0;
}

bool EmitRunPart(WalkPosition& walk, GlTranscript& transcript, std::int32_t sRepeat,
                 std::int32_t tRepeat, std::size_t most) {
  const float sFactor = static_cast<float>(sRepeat);
  const float tFactor = static_cast<float>(tRepeat);
  if (most == 0) most = 1;
  for (std::size_t emitted = 0; emitted < most; ++emitted, ++walk.at) {
    const Statement* statement = walk.statements.At(walk.at);
    // A rejected line is never drawn from the values earlier lines left in
    // its record: it ends the run, and the walk then stops at it.
    if (statement == nullptr || !IsAccepted(*statement)) break;
    if (IsTexCoordKey(statement->key)) {
      const float s = statement->vector[0];
      const float t = statement->vector[1];
      transcript.TexCoord(s, t, sFactor * s, tFactor * t);
    } else if (IsVertexKey(statement->key)) {
      transcript.Vertex(statement->vector[0], statement->vector[1], statement->vector[2]);
    } else {
      break;
    }
    if (emitted + 1 == most) {
      ++walk.at;
      return false;
    }
  }
  transcript.End();
  // The compiler advances after every dispatch; stepping back makes that
  // advance land on the statement that ended the run.
  --walk.at;
  return true;
}

std::int32_t EmitPrimitiveVertices(WalkPosition& walk, GlTranscript& transcript,
                                   std::int32_t sRepeat, std::int32_t tRepeat) {
  while (!EmitRunPart(walk, transcript, sRepeat, tRepeat, static_cast<std::size_t>(-1))) {
  }
  return 0;
}
