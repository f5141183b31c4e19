// What loading the scene again costs the viewer (F5 or --watch) against what
// its start-up costs: the start-up makes an 800 × 600 context and loads the
// demo folder; the reload loads the folder into a second context, as the
// viewer does, and then deletes the first, which gives back the previous
// load's lists and textures. Parse logs are discarded (a null log).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/scene_initialization.h"
#include "app/scene_load.h"
#include "offscreen/offscreen_context.h"

namespace {

// A copy of the demo, so the transcripts are not written into the sources;
// removed when the program ends.
struct DemoCopy {
  std::string folder;
  DemoCopy() {
    char name[] = "/tmp/morvane-reload-bench-XXXXXX";
    if (mkdtemp(name) == nullptr) return;
    folder = name;
    std::filesystem::copy(MORVANE_SOURCE_DIR "/examples/demo", folder);
    if (chdir(folder.c_str()) != 0) folder.clear();
  }
  ~DemoCopy() {
    if (!folder.empty()) std::filesystem::remove_all(folder);
  }
};

void EnterDemo() {
  static const DemoCopy copy;
}

void StartUp(benchmark::State& state) {
  EnterDemo();
  for (auto _ : state) {
    const auto context = OffscreenContext::Create(800, 600);
    SceneStore store;
    benchmark::DoNotOptimize(InitializeScene(store, nullptr));
  }
}
BENCHMARK(StartUp)->Unit(benchmark::kMillisecond);

void Reload(benchmark::State& state) {
  EnterDemo();
  auto context = OffscreenContext::Create(800, 600);
  SceneStore store;
  InitializeScene(store, nullptr);
  for (auto _ : state) {
    auto next = OffscreenContext::Create(800, 600);
    SceneStore loaded;
    SceneLoad load(loaded, SceneLoad::Mode::kReload, nullptr);
    load.Advance();
    store = std::move(loaded);
    context = std::move(next);
  }
}
BENCHMARK(Reload)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
