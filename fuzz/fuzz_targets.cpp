#include "fuzz/fuzz_targets.h"

#include <GL/gl.h>

#include <memory>
#include <string_view>

#include "compiler/display_list_compiler.h"
#include "objects/object_reading_thread.h"
#include "scene/scene_reader.h"
#include "textures/bitmap_explanation.h"
#include "textures/bitmap_loader.h"
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

std::string_view Text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace

void FuzzObjects(const std::uint8_t* data, std::size_t size) {
  if (!EnsureContext()) return;
  SceneStore store;
  // The table's size, 0 included, follows the input's length, so the fuzzer
  // meets every size without a byte of objects.txt spent on choosing it.
  store.textures.assign(size % 4, 1);
  for (std::size_t k = 0; k < store.textures.size(); ++k)
    store.textures[k] = static_cast<GLuint>(k + 1);
  // As at start-up: the bytes are read on a second thread while the walk
  // compiles the statements as they arrive, here in batches of 1 to 8 so the
  // walk waits for the next at every kind of place.
  ObjectReadingThread reading(store, Text(data, size), nullptr, 1 + size / 4 % 8);
  TextWriter transcript(nullptr);  // a writer without a file discards
  CompileStatements(store, transcript);
  reading.Finish();
  // The checker reads the same bytes its own way, with the viewer's rules.
  LineReader again(Text(data, size));
  Findings findings;
  CheckObjects(again, store.textures.size(), findings);
  TextWriter discard(nullptr);
  PrintFindings(findings, discard);
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
  TextWriter discard(nullptr);
  PrintFindings(findings, discard);
}

void FuzzTextureList(const std::uint8_t* data, std::size_t size) {
  LineReader reader(Text(data, size));
  ReadTextureNames(reader);
}

void FuzzBitmap(const std::uint8_t* data, std::size_t size) {
  // The explanation reads only what the decoder found, whatever it found.
  ExplainBitmapProblem(DecodeBitmap(data, size));
}
