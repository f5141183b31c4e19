// Mesa's floor for starting a scene: the GL work start-up asks of Mesa, with
// none of ours. Everything of ours is done before the clock starts: the
// bitmaps are decoded, the transcript of an earlier start-up (ogllist.txt in
// the folder) is parsed into a list of calls, and scene.txt is read. Timed are
// then, as morvane-snapshot does them: creating the off-screen context,
// creating the textures, replaying the compiled calls from memory, one frame
// of every scene entry (finished), and reading the picture back.
//
//   mesa_floor DIR    (DIR holds a scene and the ogllist.txt its start-up wrote)
//
// Prints one line: "floor S context S textures S lists S frame S readback S",
// in seconds. The replayed texture coordinates are the transcript's, before
// the repeat factors; what they cost Mesa does not depend on their values.
#include <GL/gl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "app/frame_tick.h"
#include "compiler/primitive_emitter.h"
#include "objects/object_reader.h"
#include "offscreen/offscreen_context.h"
#include "scene/scene_reader.h"
#include "store/decimal.h"
#include "store/line_reader.h"
#include "store/phase_clock.h"
#include "store/scene_store.h"
#include "textures/bitmap_loader.h"

namespace {

enum class Call : std::uint8_t {
  kNewList,
  kEndList,
  kBindTexture,
  kEnableBlend,
  kDisableBlend,
  kBlendMultiply,
  kBlendAdd,
  kBegin,
  kTexCoord,
  kVertex,
  kEnd,
};

struct RecordedCall {
  Call call;
  bool drawable;     // kBegin: whether the compiler lets the primitive reach GL
  std::uint32_t id;  // list id, texture name or primitive mode
  float value[3];
};

// The numbers of `text` that are separated by commas, in order; the first
// one is also the call's id.
void ReadNumbers(std::string_view text, RecordedCall& recorded) {
  std::size_t at = 0;
  for (int index = 0; index < 3 && at != std::string_view::npos; ++index) {
    const std::size_t start = text.find_first_of("-0123456789", at);
    if (start == std::string_view::npos) break;
    recorded.value[index] = ParseDecimalFloat(text.substr(start));
    at = text.find(',', start);
  }
  recorded.id = static_cast<std::uint32_t>(recorded.value[0]);
}

// The transcript as a list of calls. Primitives with too few vertices are
// kept from GL, as the compiler keeps them (the rule is the emitter's).
std::vector<RecordedCall> ReadTranscript(const char* fileName) {
  std::vector<RecordedCall> calls;
  LineReader reader(fileName);
  LineReader::Piece piece;
  std::size_t length = 0;
  std::size_t begin = 0;
  int vertices = 0;
  while (reader.ReadPiece(piece, length)) {
    const std::string_view line(piece, length);
    RecordedCall recorded{};
    const auto starts = [&line](std::string_view prefix) { return line.starts_with(prefix); };
    if (starts("glNewList((GLint) ")) {
      recorded.call = Call::kNewList;
      ReadNumbers(line.substr(18), recorded);
    } else if (starts("glEndList")) {
      recorded.call = Call::kEndList;
    } else if (starts("glBindTexture(GL_TEXTURE_2D,")) {
      recorded.call = Call::kBindTexture;
      ReadNumbers(line.substr(28), recorded);
    } else if (starts("glEnable(GL_BLEND")) {
      recorded.call = Call::kEnableBlend;
    } else if (starts("glDisable(GL_BLEND")) {
      recorded.call = Call::kDisableBlend;
    } else if (starts("glBlendFunc(GL_DST")) {
      recorded.call = Call::kBlendMultiply;
    } else if (starts("glBlendFunc(GL_ONE")) {
      recorded.call = Call::kBlendAdd;
    } else if (starts("glBegin(GL_")) {
      recorded.call = Call::kBegin;
      const std::string_view name = line.substr(8, line.find(')') - 8);
      char lower[32] = {};
      for (std::size_t k = 0; k < name.size() && k < sizeof lower - 1; ++k)
        lower[k] = static_cast<char>(name[k] | 0x20);
      recorded.id = static_cast<std::uint32_t>(PrimitiveModeForName(lower));
      begin = calls.size();
      vertices = 0;
    } else if (starts("glTexCoord2f(")) {
      recorded.call = Call::kTexCoord;
      ReadNumbers(line.substr(13), recorded);
    } else if (starts("glVertex3f(")) {
      recorded.call = Call::kVertex;
      ReadNumbers(line.substr(11), recorded);
      ++vertices;
    } else if (starts("glEnd()")) {
      recorded.call = Call::kEnd;
      calls[begin].drawable =
          vertices >= MinimumVertices(static_cast<PrimitiveMode>(calls[begin].id));
    } else {
      continue;  // the header and the marker lines stand for no call
    }
    calls.push_back(recorded);
  }
  return calls;
}

void Replay(const std::vector<RecordedCall>& calls) {
  bool drawing = true;
  for (const RecordedCall& c : calls) {
    switch (c.call) {
      case Call::kNewList:
        glNewList(c.id, GL_COMPILE);
        break;
      case Call::kEndList:
        glEndList();
        break;
      case Call::kBindTexture:
        glBindTexture(GL_TEXTURE_2D, c.id);
        break;
      case Call::kEnableBlend:
        glEnable(GL_BLEND);
        break;
      case Call::kDisableBlend:
        glDisable(GL_BLEND);
        break;
      case Call::kBlendMultiply:
        glBlendFunc(GL_DST_COLOR, GL_ZERO);
        break;
      case Call::kBlendAdd:
        glBlendFunc(GL_ONE, GL_ONE);
        break;
      case Call::kBegin:
        drawing = c.drawable;
        if (drawing) glBegin(c.id);
        break;
      case Call::kTexCoord:
        glTexCoord2f(c.value[0], c.value[1]);
        break;
      case Call::kVertex:
        if (drawing) glVertex3f(c.value[0], c.value[1], c.value[2]);
        break;
      case Call::kEnd:
        if (drawing) glEnd();
        drawing = true;
        break;
    }
  }
}

// The decoded bitmaps of textures.txt, one per line (null where one fails).
std::vector<RgbImagePtr> DecodeTextures() {
  std::vector<RgbImagePtr> images;
  LineReader reader("textures.txt");
  LineReader::Piece line;
  std::size_t length = 0;
  while (reader.IsOpen() && reader.ReadPiece(line, length)) {
    if (line[length - 1] == '\n' || line[length - 1] == '\r') line[length - 1] = '\0';
    images.push_back(LoadBitmapImage(line));
  }
  return images;
}

// The GL calls of the texture loader for images already decoded.
void CreateTextures(const std::vector<RgbImagePtr>& images) {
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (const RgbImagePtr& image : images) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    if (image != nullptr) {
      glTexImage2D(GL_TEXTURE_2D, 0, 3, image->width, image->height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                   image->pixels.get());
    }
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

// The scene's entries, resolved against the list names in the order the
// compiler numbers them (every "name" statement of a file without rejected lines).
void ReadEntries(SceneStore& store) {
  std::FILE* devNull = std::fopen("/dev/null", "w");
  {
    LineReader reader("objects.txt");
    TextWriter log(devNull);
    ReadObjectPieces(store, reader, log);
  }
  std::fclose(devNull);
  for (const Statement& statement : store.statements) {
    if (statement.kind != kName || std::string_view(statement.key) != "name") continue;
    store.currentNamedList.listId = ++store.lastListId;
    CopyBounded(store.currentNamedList.name, statement.text);
    store.AppendCurrentNamedList();
  }
  ReadSceneFile(store, "scene.txt", nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || chdir(argv[1]) != 0) {
    std::fprintf(stderr, "usage: mesa_floor DIR (a scene folder holding its ogllist.txt)\n");
    return 2;
  }
  static SceneStore store;
  const std::vector<RgbImagePtr> images = DecodeTextures();
  const std::vector<RecordedCall> calls = ReadTranscript("ogllist.txt");
  ReadEntries(store);
  // The tick of the window's creation message, before any context.
  RunFrameTick(store, theFrameTickState, theCamera, HeldKeys{}, false);

  const PhaseClock floor;
  PhaseClock phase;
  auto context = OffscreenContext::Create(800, 600);
  if (context == nullptr) {
    std::fprintf(stderr, "mesa_floor: no off-screen OpenGL context\n");
    return 1;
  }
  const double contextSeconds = phase.WallSeconds();
  phase = PhaseClock();
  CreateTextures(images);
  glEnable(GL_TEXTURE_2D);
  const double texturesSeconds = phase.WallSeconds();
  phase = PhaseClock();
  Replay(calls);
  const double listsSeconds = phase.WallSeconds();
  const double listsCpuSeconds = phase.CpuSeconds();
  phase = PhaseClock();
  glShadeModel(GL_SMOOTH);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_DEPTH_TEST);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  RunFrameTick(store, theFrameTickState, theCamera, HeldKeys{}, true);
  glFinish();
  const double frameSeconds = phase.WallSeconds();
  phase = PhaseClock();
  const std::vector<std::uint8_t> pixels = context->ReadRgbTopDown();
  const double readbackSeconds = phase.WallSeconds();
  const double floorSeconds = floor.WallSeconds();
  const double floorCpuSeconds = floor.CpuSeconds();
  // Not part of the floor: giving the lists and the context back, which a
  // process may also leave to its exit.
  phase = PhaseClock();
  context.reset();
  const double teardownSeconds = phase.WallSeconds();
  std::printf(
      "floor %.4f context %.4f textures %.4f lists %.4f frame %.4f readback %.4f "
      "cpu %.4f lists-cpu %.4f teardown %.4f\n",
      floorSeconds, contextSeconds, texturesSeconds, listsSeconds, frameSeconds, readbackSeconds,
      floorCpuSeconds, listsCpuSeconds, teardownSeconds);
  return pixels.empty() ? 1 : 0;
}
