// Reading scene.txt over a store whose compiler recorded one named list per
// object: the last loader of start-up, with one list-name lookup per entry.
#include <benchmark/benchmark.h>

#include <string>

#include "scene/scene_reader.h"

namespace {

// `entries` blocks naming the lists "obj0" … in order, as a converted scene has.
std::string MakeSceneText(int entries) {
  std::string text = "begin;\nscene=main;\n";
  for (int k = 0; k < entries; ++k) {
    text += "list=obj" + std::to_string(k) +
            ";\ntranslate=(1.25,-3.5,-90.00);\nrotate=(0,1,2);\nscale=(1,1,1);\n"
            "show=(1);\nendlist;\n";
  }
  return text + "endscene;\nend;\n";
}

void BM_ReadScenePieces(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  const std::string text = MakeSceneText(entries);
  SceneStore lists;
  for (int k = 0; k < entries; ++k) {
    lists.currentNamedList.listId = k + 1;
    CopyBounded(lists.currentNamedList.name, "obj" + std::to_string(k));
    lists.AppendCurrentNamedList();
  }
  for (auto _ : state) {
    state.PauseTiming();
    SceneStore store;
    store.namedLists = lists.namedLists;
    state.ResumeTiming();
    LineReader reader(std::string_view{text});
    benchmark::DoNotOptimize(ReadScenePieces(store, reader));
  }
  state.SetItemsProcessed(state.iterations() * entries);
}
BENCHMARK(BM_ReadScenePieces)->Arg(1000)->Arg(10000)->Arg(58000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
