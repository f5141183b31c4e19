#include "fuzz/fuzz_targets.h"

#include <GL/gl.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "check/check_objects.h"
#include "check/check_scene.h"
#include "compiler/display_list_compiler.h"
#include "objects/object_file_reading.h"
#include "offscreen/offscreen_context.h"
#include "scene/scene_reader.h"
#include "textures/bitmap_explanation.h"
#include "textures/bitmap_loader.h"
#include "textures/texture_table.h"

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
  // walk waits for the next at every kind of place; every other input holds
  // the log until the walk begins.
  const auto log = size % 2 == 0 ? ObjectFileReading::Log::kHeld : ObjectFileReading::Log::kNow;
  ObjectFileReading reading(store, Text(data, size), nullptr, 1 + size / 4 % 8, log);
  TextWriter transcript(nullptr);  // a writer without a file discards
  CompileStatements(store, reading, transcript);
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
  // Start-up reads the file before the lists exist and names them after;
  // that must leave exactly what naming them while reading leaves.
  SceneStore later = store;
  LineReader reader(Text(data, size));
  const std::int32_t result = ReadScenePieces(store, reader);
  LineReader first(Text(data, size));
  if (ReadScenePieces(later, first, SceneListIds::kLater) != result) std::abort();
  NameSceneLists(later, 0);
  // Field by field, the numbers bit for bit (a NaN is read as well).
  const auto same = [](const SceneEntry& a, const SceneEntry& b) {
    return a.listId == b.listId && a.show == b.show && a.solid == b.solid &&
           std::memcmp(a.listName, b.listName, sizeof a.listName) == 0 &&
           std::memcmp(a.translate, b.translate, sizeof a.translate) == 0 &&
           std::memcmp(a.rotate, b.rotate, sizeof a.rotate) == 0 &&
           std::memcmp(a.scale, b.scale, sizeof a.scale) == 0;
  };
  if (later.sceneEntries.size() != store.sceneEntries.size() ||
      later.sceneEntryCount != store.sceneEntryCount ||
      later.namedListCursor != store.namedListCursor ||
      !same(later.currentSceneEntry, store.currentSceneEntry)) {
    std::abort();
  }
  for (std::size_t k = 0; k < store.sceneEntries.size(); ++k) {
    if (!same(later.sceneEntries[k], store.sceneEntries[k])) std::abort();
  }
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
