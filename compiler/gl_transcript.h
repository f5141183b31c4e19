// The GL calls the display list compiler makes, each paired with its line of
// the ogllist.txt transcript.
//
// Every call is made first and its line written directly after it, from one
// method, so the transcript cannot drift away from what was compiled. Marker
// lines ("List;", "Scene;" ...) stand for no GL call and are written alone.
// The transcript is a caller-given TextWriter: buffered, so a transcript of a
// million lines costs no system call per line, and a failed write (a full
// disk) is remembered there but never stops the compilation.
//
// Needs a current GL context. Queries no GL error and keeps no state of its
// own beyond the writer it wraps.
#pragma once

#include <cstdint>
#include <string_view>

#include "store/text_writer.h"

// The primitive modes the compiler can begin; the values are GL's own.
enum class PrimitiveMode : std::uint32_t {
  kTriangles = 0x0004,
  kTriangleStrip = 0x0005,
  kTriangleFan = 0x0006,
  kQuads = 0x0007,
  kQuadStrip = 0x0008,
};

class GlTranscript {
 public:
  // `out` must outlive this object.
  explicit GlTranscript(TextWriter& out) : out_(out) {}

  // Writes the title line and the empty line that open the transcript.
  void Header();
  // Writes `line` as it is, with no GL call (the structural keyword markers).
  void Marker(std::string_view line);

  void NewList(std::int32_t id);         // glNewList(id, GL_COMPILE)
  void EndList();                        // glEndList(), then an empty line
  void BindTexture(std::uint32_t name);  // glBindTexture(GL_TEXTURE_2D, name)
  void EnableBlend();                    // glEnable(GL_BLEND)
  void BlendMultiply();                  // glBlendFunc(GL_DST_COLOR, GL_ZERO)
  void BlendAdd();                       // glBlendFunc(GL_ONE, GL_ONE)
  void DisableBlend();                   // glDisable(GL_BLEND)
  // glBegin(mode). A primitive with too few vertices to draw anything is
  // written but kept away from GL, together with its vertices and its glEnd:
  // GL would draw nothing for it, and Mesa's display-list compiler crashes on
  // some runs of such primitives (two vertices of a strip, then one of quads).
  // Texture coordinates still reach GL, so the current coordinate after the
  // primitive is the same either way.
  void Begin(PrimitiveMode mode, bool drawable);
  // Issues glTexCoord2f with the scaled pair and writes the pair as written in
  // objects.txt, so the transcript shows the file's values.
  void TexCoord(float s, float t, float scaledS, float scaledT);
  void Vertex(float x, float y, float z);  // glVertex3f(x, y, z)
  void End();                              // glEnd()

 private:
  TextWriter& out_;
  bool drawing_ = true;  // whether the open primitive's calls reach GL
};
