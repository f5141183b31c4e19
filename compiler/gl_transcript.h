// The GL calls the display list compiler makes, each paired with its line of
// the ogllist.txt transcript.
//
// Every call is made first and its line recorded directly after it, from one
// method, so the transcript cannot drift away from what was compiled. Marker
// lines ("List;", "Scene;" ...) stand for no GL call and are recorded alone.
//
// The lines are formatted and written on a worker of their own, so the thread
// that holds the GL context spends its time on GL: the calls' values are
// recorded in batches, and the worker turns them into text in the same order.
// A writer that fails (or cannot be started) loses the transcript, never the
// compilation: Lost() says so, and the transcript is then not put in place. The transcript is a
// caller-given TextWriter: buffered, so a transcript of a million lines costs no system call per
// line, and a failed write (a full disk) is remembered there but never stops the compilation.
//
// Needs a current GL context. Queries no GL error.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string_view>

#include <vector>

#include "loading/channel.h"
#include "loading/worker.h"
#include "store/text_writer.h"

// The primitive modes the compiler can begin; the values are GL's own.
enum class PrimitiveMode : std::uint32_t {
  kTriangles = 0x0004,
  kTriangleStrip = 0x0005,
  kTriangleFan = 0x0006,
  kQuads = 0x0007,
  kQuadStrip = 0x0008,
};

// One line of the transcript, as recorded on the GL thread.
struct TranscriptLine {
  enum class Kind : std::uint8_t {
    kHeader,
    kMarker,
    kNewList,
    kEndList,
    kBindTexture,
    kEnableBlend,
    kBlendMultiply,
    kBlendAdd,
    kDisableBlend,
    kBegin,
    kTexCoord,
    kVertex,
    kEnd,
  };
  Kind kind;
  std::int32_t number;  // the list id, texture name or primitive mode; a marker's length
  const char* marker;   // a marker's text, which lives as long as the program
  float value[3];       // the texture pair or the vertex
};

// Appends the text of `line` to `out`.
void WriteTranscriptLine(const TranscriptLine& line, TextWriter& out);

class GlTranscript {
 public:
  // `out` must outlive this object, and is written only by this object's
  // thread until Finish.
  explicit GlTranscript(TextWriter& out);
  // Finishes the transcript.
  ~GlTranscript();
  GlTranscript(const GlTranscript&) = delete;
  GlTranscript& operator=(const GlTranscript&) = delete;

  // Waits until every line recorded so far is written to the writer (which
  // still buffers it: flushing is the caller's). Lines recorded later are
  // written directly.
  void Finish();
  // Whether lines were lost because the writing worker failed; final once
  // Finish has returned.
  bool Lost() const { return lost_ || writerFailed_; }

  // The title line and the empty line that open the transcript.
  void Header();
  // `line` as it is, with no GL call (the structural keyword markers); its
  // text must live as long as the program.
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
  using Batch = std::vector<TranscriptLine>;
  static constexpr std::size_t kLinesPerBatch = 4096;
  static constexpr std::size_t kBatches = 8;

  void Record(const TranscriptLine& line) {
    pending_.push_back(line);
    if (pending_.size() == kLinesPerBatch) SendPending();
  }
  void SendPending();
  void WriteBatches(std::stop_token stop);

  TextWriter& out_;
  bool drawing_ = true;  // whether the open primitive's calls reach GL
  bool lost_ = false;
  std::atomic<bool> writerFailed_ = false;
  bool finished_ = false;
  Channel<Batch> filled_{kBatches};
  Channel<Batch> emptied_{kBatches};  // written batches, back for reuse
  Batch pending_;
  std::optional<Worker> writer_;
};
