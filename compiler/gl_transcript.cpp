#include "compiler/gl_transcript.h"

#include <GL/gl.h>

void GlTranscript::Header() {
  out_.Write("OPENGL-Diplay-Listen:\n\n");
}

void GlTranscript::Marker(std::string_view line) {
  out_.Write(line);
}

void GlTranscript::NewList(std::int32_t id) {
  glNewList(static_cast<GLuint>(id), GL_COMPILE);
  out_.Write("glNewList((GLint) ");
  out_.WriteInt(id);
  out_.Write(",GL_COMPILE);\n");
}

void GlTranscript::EndList() {
  glEndList();
  out_.Write("glEndList();\n\n");
}

void GlTranscript::BindTexture(std::uint32_t name) {
  glBindTexture(GL_TEXTURE_2D, name);
  out_.Write("glBindTexture(GL_TEXTURE_2D,");
  // The line shows the name as a signed "%d" would.
  out_.WriteInt(static_cast<std::int32_t>(name));
  out_.Write(");\n");
}

void GlTranscript::EnableBlend() {
  glEnable(GL_BLEND);
  out_.Write("glEnable(GL_BLEND);\n");
}

void GlTranscript::BlendMultiply() {
  glBlendFunc(GL_DST_COLOR, GL_ZERO);
  out_.Write("glBlendFunc(GL_DST_COLOR, GL_ZERO);\n");
}

void GlTranscript::BlendAdd() {
  glBlendFunc(GL_ONE, GL_ONE);
  out_.Write("glBlendFunc(GL_ONE, GL_ONE);\n");
}

void GlTranscript::DisableBlend() {
  glDisable(GL_BLEND);
  out_.Write("glDisable(GL_BLEND);\n");
}

void GlTranscript::Begin(PrimitiveMode mode, bool drawable) {
  // Any value outside the table begins quads, in the call and in the line alike.
  std::string_view line = "glBegin(GL_QUADS);\n";
  switch (mode) {
    case PrimitiveMode::kTriangles:
      line = "glBegin(GL_TRIANGLES);\n";
      break;
    case PrimitiveMode::kTriangleStrip:
      line = "glBegin(GL_TRIANGLE_STRIP);\n";
      break;
    case PrimitiveMode::kTriangleFan:
      line = "glBegin(GL_TRIANGLE_FAN);\n";
      break;
    case PrimitiveMode::kQuadStrip:
      line = "glBegin(GL_QUAD_STRIP);\n";
      break;
    case PrimitiveMode::kQuads:
      break;
    default:
      mode = PrimitiveMode::kQuads;
      break;
  }
  drawing_ = drawable;
  if (drawing_) glBegin(static_cast<GLenum>(mode));
  out_.Write(line);
}

void GlTranscript::TexCoord(float s, float t, float scaledS, float scaledT) {
  glTexCoord2f(scaledS, scaledT);
  out_.Write("glTexCoord2f(");
  out_.WriteFixed62(s);
  out_.WriteChar(',');
  out_.WriteFixed62(t);
  out_.Write(");\n");
}

void GlTranscript::Vertex(float x, float y, float z) {
  if (drawing_) glVertex3f(x, y, z);
  out_.Write("glVertex3f(");
  out_.WriteFixed62(x);
  out_.WriteChar(',');
  out_.WriteFixed62(y);
  out_.WriteChar(',');
  out_.WriteFixed62(z);
  out_.Write(");\n");
}

void GlTranscript::End() {
  if (drawing_) glEnd();
  drawing_ = true;
  out_.Write("glEnd();\n");
}
