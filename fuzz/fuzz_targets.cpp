#include "fuzz/fuzz_targets.h"

#include <cstdio>
#include <memory>
#include <string_view>

#include "compiler/display_list_compiler.h"
#include "objects/object_reader.h"
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

}  // namespace

void FuzzObjects(const std::uint8_t* data, std::size_t size) {
  if (!EnsureContext() || Discard() == nullptr) return;
  SceneStore store;
  store.textures = {1, 2, 3};
  LineReader reader(Text(data, size));
  TextWriter log(Discard());
  ReadObjectPieces(store, reader, log);
  TextWriter transcript(Discard());
  CompileStatements(store, transcript);
}
