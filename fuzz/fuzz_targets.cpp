#include "fuzz/fuzz_targets.h"

#include <cstdio>
#include <memory>
#include <string_view>

#include <GL/gl.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "compiler/display_list_compiler.h"
#include "objects/object_reader.h"
#include "scene/scene_reader.h"
#include "textures/bitmap_loader.h"
#include "textures/message_box.h"
#include "textures/texture_table.h"
#include "tools/check/check_objects.h"
#include "tools/check/check_scene.h"
#include "tools/offscreen_context.h"

namespace {

// One small context for the whole run: the harnesses exercise compilation,
// not drawing, and creating a context per input would dominate the time.
bool EnsureContext() {
  static const std::unique_ptr<OffscreenContext> context = OffscreenContext::Create(16, 16);
  return context != nullptr;
}

std::FILE* Discard() {
  static std::FILE* const sink = std::fopen("/dev/null", "w");
  return sink;
}

std::string_view Text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Nobody is there to dismiss a box, and printing each would drown the fuzzer.
class SilentMessageBoxes : public MessageBoxService {
 public:
  void ShowMessage(const char*, const char*) override {}
};

// A working folder with two small bitmaps, so texture names can hit real files.
bool EnterBitmapFolder() {
  static const bool entered = [] {
    char folder[] = "/tmp/morvane-fuzz-XXXXXX";
    if (mkdtemp(folder) == nullptr || chdir(folder) != 0) return false;
    // 2 x 2, 24 bits per pixel, and 1 x 1 with a two-colour palette.
    const unsigned char rgb[] = {
        'B', 'M', 70, 0, 0,  0, 0,   0, 0, 0, 54,  0, 0, 0, 40, 0, 0,   0,   2,   0,   0, 0, 2, 0,
        0,   0,   1,  0, 24, 0, 0,   0, 0, 0, 0,   0, 0, 0, 0,  0, 0,   0,   0,   0,   0, 0, 0, 0,
        0,   0,   0,  0, 0,  0, 255, 0, 0, 0, 255, 0, 0, 0, 0,  0, 255, 255, 255, 255, 0, 0};
    const unsigned char pal[] = {40, 0, 0, 0, 1, 0, 0,   0, 1,   0, 0, 0, 1,   0, 1, 0, 0, 0,
                                 0,  0, 0, 0, 0, 0, 0,   0, 0,   0, 0, 0, 0,   0, 2, 0, 0, 0,
                                 0,  0, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0, 128, 0, 0, 0};
    std::FILE* a = std::fopen("a.bmp", "wb");
    std::FILE* b = std::fopen("b.bmp", "wb");
    if (a == nullptr || b == nullptr) return false;
    std::fwrite(rgb, 1, sizeof rgb, a);
    std::fwrite(pal, 1, sizeof pal, b);
    std::fclose(a);
    std::fclose(b);
    return true;
  }();
  return entered;
}

}  // namespace

void FuzzObjects(const std::uint8_t* data, std::size_t size) {
  if (!EnsureContext() || Discard() == nullptr) return;
  SceneStore store;
  // The table's size, 0 included, follows the input's length, so the fuzzer
  // meets every size without a byte of objects.txt spent on choosing it.
  store.textures.assign(size % 4, 1);
  for (std::size_t k = 0; k < store.textures.size(); ++k)
    store.textures[k] = static_cast<GLuint>(k + 1);
  LineReader reader(Text(data, size));
  TextWriter log(Discard());
  ReadObjectPieces(store, reader, log);
  TextWriter transcript(Discard());
  CompileStatements(store, transcript);
  // The checker reads the same bytes its own way, with the viewer's rules.
  LineReader again(Text(data, size));
  Findings findings;
  CheckObjects(again, store.textures.size(), findings);
  PrintFindings(findings, Discard());
}

void FuzzScene(const std::uint8_t* data, std::size_t size) {
  SceneStore store;
  for (const char* name : {"box", "cube", "floor"}) {
    ++store.lastListId;
    store.currentNamedList.listId = store.lastListId;
    CopyBounded(store.currentNamedList.name, name);
    store.AppendCurrentNamedList();
  }
  LineReader reader(Text(data, size));
  ReadScenePieces(store, reader);
  LineReader again(Text(data, size));
  Findings findings;
  CheckScene(again, {{"box", 1}, {"cube", 2}, {"floor", 3}}, findings);
  if (Discard() != nullptr) PrintFindings(findings, Discard());
}

void FuzzTextureList(const std::uint8_t* data, std::size_t size) {
  static SilentMessageBoxes silent;
  if (!EnsureContext() || !EnterBitmapFolder()) return;
  SetMessageBoxService(&silent);
  SceneStore store;
  LineReader reader(Text(data, size));
  LoadTexturePieces(store, reader);
  // The viewer keeps its textures for good; a harness that ran millions of
  // start-ups in one context must give them back.
  if (!store.textures.empty()) {
    glDeleteTextures(static_cast<GLsizei>(store.textures.size()), store.textures.data());
  }
}

void FuzzBitmap(const std::uint8_t* data, std::size_t size) {
  DecodeBitmap(data, size);
}
