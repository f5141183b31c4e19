#include "compiler/gl_transcript.h"

#include <GL/gl.h>

#include <string_view>
#include <utility>

namespace {

std::string_view BeginText(std::int32_t mode) {
  switch (static_cast<PrimitiveMode>(mode)) {
    case PrimitiveMode::kTriangles:
      return "glBegin(GL_TRIANGLES);\n";
    case PrimitiveMode::kTriangleStrip:
      return "glBegin(GL_TRIANGLE_STRIP);\n";
    case PrimitiveMode::kTriangleFan:
      return "glBegin(GL_TRIANGLE_FAN);\n";
    case PrimitiveMode::kQuadStrip:
      return "glBegin(GL_QUAD_STRIP);\n";
    case PrimitiveMode::kQuads:
      break;
  }
  return "glBegin(GL_QUADS);\n";
}

}  // namespace

void WriteTranscriptLine(const TranscriptLine& line, TextWriter& out) {
  using Kind = TranscriptLine::Kind;
  switch (line.kind) {
    case Kind::kHeader:
      out.Write("OPENGL-Diplay-Listen:\n\n");
      return;
    case Kind::kMarker:
      out.Write(std::string_view(line.marker, static_cast<std::size_t>(line.number)));
      return;
    case Kind::kNewList:
      out.Write("glNewList((GLint) ");
      out.WriteInt(line.number);
      out.Write(",GL_COMPILE);\n");
      return;
    case Kind::kEndList:
      out.Write("glEndList();\n\n");
      return;
    case Kind::kBindTexture:
      out.Write("glBindTexture(GL_TEXTURE_2D,");
      out.WriteInt(line.number);
      out.Write(");\n");
      return;
    case Kind::kEnableBlend:
      out.Write("glEnable(GL_BLEND);\n");
      return;
    case Kind::kBlendMultiply:
      out.Write("glBlendFunc(GL_DST_COLOR, GL_ZERO);\n");
      return;
    case Kind::kBlendAdd:
      out.Write("glBlendFunc(GL_ONE, GL_ONE);\n");
      return;
    case Kind::kDisableBlend:
      out.Write("glDisable(GL_BLEND);\n");
      return;
    case Kind::kBegin:
      out.Write(BeginText(line.number));
      return;
    case Kind::kTexCoord:
      out.Write("glTexCoord2f(");
      out.WriteFixed62(line.value[0]);
      out.WriteChar(',');
      out.WriteFixed62(line.value[1]);
      out.Write(");\n");
      return;
    case Kind::kVertex:
      out.Write("glVertex3f(");
      out.WriteFixed62(line.value[0]);
      out.WriteChar(',');
      out.WriteFixed62(line.value[1]);
      out.WriteChar(',');
      out.WriteFixed62(line.value[2]);
      out.Write(");\n");
      return;
    case Kind::kEnd:
      out.Write("glEnd();\n");
      return;
  }
}

GlTranscript::GlTranscript(TextWriter& out) : out_(out) {
  pending_.reserve(kLinesPerBatch);
  // A writer that fails ends the hand-over, so the compilation never waits
  // for it; what it had not written is lost.
  writer_.emplace([this](std::stop_token stop) { WriteBatches(stop); },
                  [this](std::exception_ptr) {
                    writerFailed_ = true;
                    filled_.Stop();
                  });
}

GlTranscript::~GlTranscript() {
  Finish();
}

void GlTranscript::WriteBatches(std::stop_token stop) {
  Batch batch;
  while (filled_.Receive(batch, stop) == Received::kItem) {
    for (const TranscriptLine& line : batch) WriteTranscriptLine(line, out_);
    batch.clear();
    emptied_.TrySend(batch);  // for reuse, when there is room for it
    batch = Batch();
  }
}

void GlTranscript::SendPending() {
  if (pending_.empty()) return;
  if (finished_) {
    for (const TranscriptLine& line : pending_) WriteTranscriptLine(line, out_);
    pending_.clear();
    return;
  }
  if (!filled_.Send(std::move(pending_))) lost_ = true;
  // A batch the writer is done with, or a new one.
  pending_ = Batch();
  if (emptied_.TryReceive(pending_) != Received::kItem) pending_.reserve(kLinesPerBatch);
}

void GlTranscript::Finish() {
  if (finished_) return;
  SendPending();
  finished_ = true;
  filled_.Close();
  writer_.reset();  // waits for the last batch
}

void GlTranscript::Header() {
  Record({TranscriptLine::Kind::kHeader, 0, nullptr, {}});
}

void GlTranscript::Marker(std::string_view line) {
  Record({TranscriptLine::Kind::kMarker, static_cast<std::int32_t>(line.size()), line.data(), {}});
}

void GlTranscript::NewList(std::int32_t id) {
  glNewList(static_cast<GLuint>(id), GL_COMPILE);
  Record({TranscriptLine::Kind::kNewList, id, nullptr, {}});
}

void GlTranscript::EndList() {
  glEndList();
  Record({TranscriptLine::Kind::kEndList, 0, nullptr, {}});
}

void GlTranscript::BindTexture(std::uint32_t name) {
  glBindTexture(GL_TEXTURE_2D, name);
  // The line shows the name as a signed "%d" would.
  Record({TranscriptLine::Kind::kBindTexture, static_cast<std::int32_t>(name), nullptr, {}});
}

void GlTranscript::EnableBlend() {
  glEnable(GL_BLEND);
  Record({TranscriptLine::Kind::kEnableBlend, 0, nullptr, {}});
}

void GlTranscript::BlendMultiply() {
  glBlendFunc(GL_DST_COLOR, GL_ZERO);
  Record({TranscriptLine::Kind::kBlendMultiply, 0, nullptr, {}});
}

void GlTranscript::BlendAdd() {
  glBlendFunc(GL_ONE, GL_ONE);
  Record({TranscriptLine::Kind::kBlendAdd, 0, nullptr, {}});
}

void GlTranscript::DisableBlend() {
  glDisable(GL_BLEND);
  Record({TranscriptLine::Kind::kDisableBlend, 0, nullptr, {}});
}

void GlTranscript::Begin(PrimitiveMode mode, bool drawable) {
  // Any value outside the table begins quads, in the call and in the line alike.
  switch (mode) {
    case PrimitiveMode::kTriangles:
    case PrimitiveMode::kTriangleStrip:
    case PrimitiveMode::kTriangleFan:
    case PrimitiveMode::kQuadStrip:
    case PrimitiveMode::kQuads:
      break;
    default:
      mode = PrimitiveMode::kQuads;
      break;
  }
  drawing_ = drawable;
  if (drawing_) glBegin(static_cast<GLenum>(mode));
  Record({TranscriptLine::Kind::kBegin, static_cast<std::int32_t>(mode), nullptr, {}});
}

void GlTranscript::TexCoord(float s, float t, float scaledS, float scaledT) {
  glTexCoord2f(scaledS, scaledT);
  Record({TranscriptLine::Kind::kTexCoord, 0, nullptr, {s, t, 0}});
}

void GlTranscript::Vertex(float x, float y, float z) {
  if (drawing_) glVertex3f(x, y, z);
  Record({TranscriptLine::Kind::kVertex, 0, nullptr, {x, y, z}});
}

void GlTranscript::End() {
  if (drawing_) glEnd();
  drawing_ = true;
  Record({TranscriptLine::Kind::kEnd, 0, nullptr, {}});
}
