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
  writer_.emplace([this] { WriteBatches(); });
  // Without a second thread the lines are written here, batch by batch (the
  // job, run as it is let go, finds the hand-over closed and ends at once).
  if (!writer_->Running()) {
    handOver_.Close();
    writer_.reset();
  }
}

GlTranscript::~GlTranscript() {
  Finish();
}

void GlTranscript::WriteBatches() {
  Lines::Batch batch;
  while (handOver_.Receive(batch)) {
    for (const TranscriptLine& line : batch) WriteTranscriptLine(line, out_);
    handOver_.Return(std::move(batch));
  }
}

void GlTranscript::SendPending() {
  if (!writer_.has_value()) {
    for (const TranscriptLine& line : pending_) WriteTranscriptLine(line, out_);
    pending_.clear();
    return;
  }
  Lines::Batch next;
  // The writer never stops taking batches, so an empty one always comes.
  handOver_.TakeEmpty(next);
  handOver_.Submit(std::move(pending_));
  pending_ = std::move(next);
}

void GlTranscript::Finish() {
  SendPending();
  if (!writer_.has_value()) return;
  handOver_.Close();
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
