// Compiling a large statement list into display lists with its ogllist.txt
// transcript written to a file, on the off-screen context: the start-up cost
// of a scene converted from a scanned model after objects.txt has been read.
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "compiler/display_list_compiler.h"
#include "objects/object_reader.h"
#include "offscreen/offscreen_context.h"
#include "store/line_reader.h"
#include "store/text_writer.h"

namespace {

// Textured quads, eight per list, read through the real object reader.
SceneStore MakeStatements(int count) {
  std::string text;
  int written = 0;
  for (int object = 0; written < count; ++object) {
    text += "name=obj" + std::to_string(object) + ";\ntextur=(0,2,2);\n";
    written += 2;
    for (int quad = 0; quad < 8 && written + 10 <= count; ++quad, written += 9) {
      text += "type=gl_quads;\n";
      for (int corner = 0; corner < 4; ++corner) {
        char line[96];
        std::snprintf(line, sizeof line, "t%d=(%d.5,0.25);\np%d=(%d.25,-%d.5,%d);\n", corner,
                      corner % 2, corner, object % 100, corner, quad);
        text += line;
      }
    }
    text += "endlist;\n";
    ++written;
  }
  SceneStore store;
  LineReader reader{std::string_view(text)};
  std::FILE* devNull = std::fopen("/dev/null", "w");
  {
    TextWriter log(devNull);
    ReadObjectPieces(store, reader, log);
  }
  std::fclose(devNull);
  return store;
}

// Forgets the previous iteration's lists so every iteration compiles afresh.
void ResetCompilation(SceneStore& store) {
  if (store.lastListId > 0) glDeleteLists(1, store.lastListId);
  store.namedLists.clear();
  store.lastListId = 0;
}

// A small context for a benchmark, or null after marking the run skipped.
std::unique_ptr<OffscreenContext> ContextOrSkip(benchmark::State& state) {
  auto context = OffscreenContext::Create(64, 64);
  if (context == nullptr) state.SkipWithError("no off-screen GL context");
  return context;
}

void BM_CompileDisplayLists(benchmark::State& state) {
  auto context = ContextOrSkip(state);
  if (context == nullptr) return;
  SceneStore store = MakeStatements(static_cast<int>(state.range(0)));
  store.textures = {1};
  std::string folder = (std::filesystem::temp_directory_path() / "morvane-bench-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) {
    state.SkipWithError("no temporary folder");
    return;
  }
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  for (auto _ : state) {
    state.PauseTiming();
    ResetCompilation(store);
    state.ResumeTiming();
    benchmark::DoNotOptimize(CompileDisplayLists(store));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(store.statements.size()));
  state.counters["transcript_MiB"] =
      static_cast<double>(std::filesystem::file_size("ogllist.txt")) / (1024.0 * 1024.0);
  ResetCompilation(store);
  std::filesystem::current_path(previous);
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_CompileDisplayLists)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The same walk with the transcript thrown away, to tell the GL share from
// the transcript's.
void BM_CompileWithoutTranscriptFile(benchmark::State& state) {
  auto context = ContextOrSkip(state);
  if (context == nullptr) return;
  SceneStore store = MakeStatements(static_cast<int>(state.range(0)));
  store.textures = {1};
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> devNull(std::fopen("/dev/null", "w"),
                                                          &std::fclose);
  for (auto _ : state) {
    state.PauseTiming();
    ResetCompilation(store);
    state.ResumeTiming();
    TextWriter transcript(devNull.get());
    benchmark::DoNotOptimize(CompileStatements(store, transcript));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(store.statements.size()));
  ResetCompilation(store);
}
BENCHMARK(BM_CompileWithoutTranscriptFile)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Mesa's own cost of closing lists, without the compiler: N lists of the
// shape a converted scene has (a texture binding and a quad strip of six
// textured vertices), ended one after the other. Each small list is moved
// into a shared store whose free-slot search starts from the beginning every
// time, so the time per list grows with the number of lists before it; the
// per-list counters show that growth.
void BM_MesaListsOfOneStrip(benchmark::State& state) {
  auto context = OffscreenContext::Create(64, 64);
  if (context == nullptr) {
    state.SkipWithError("no off-screen GL context");
    return;
  }
  const auto lists = static_cast<GLuint>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    glDeleteLists(1, static_cast<GLsizei>(lists));
    state.ResumeTiming();
    for (GLuint list = 1; list <= lists; ++list) {
      glNewList(list, GL_COMPILE);
      glBindTexture(GL_TEXTURE_2D, 1);
      glBegin(GL_QUAD_STRIP);
      for (int i = 0; i < 6; ++i) {
        glTexCoord2f(static_cast<float>(i / 2) * 0.5f, static_cast<float>(i % 2));
        glVertex3f(static_cast<float>(i / 2), static_cast<float>(i % 2), -90.0f);
      }
      glEnd();
      glEndList();
    }
  }
  // Seconds per list, shown with an SI prefix (u for microseconds).
  state.counters["per_list"] =
      benchmark::Counter(static_cast<double>(lists), benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
  glDeleteLists(1, static_cast<GLsizei>(lists));
}
BENCHMARK(BM_MesaListsOfOneStrip)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(30000)
    ->Arg(58000)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
