// Reading a large objects.txt with its parse log written to a file: the
// start-up cost of a scene converted from a scanned model, and the resident
// memory its statement list takes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "objects/object_reader.h"

namespace {

// A file of textured quads, the shape such converted scenes have.
std::string MakeObjectFile(int lines) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("morvane-bench-objects-" + std::to_string(lines)))
          .string();
  if (std::filesystem::exists(path)) return path;
  std::FILE* f = std::fopen(path.c_str(), "w");
  int written = 0;
  for (int object = 0; written < lines; ++object) {
    written +=
        std::fprintf(f, "name=obj%d;\ntextur=(0,1,1);\ntype=gl_quads;\n", object) > 0 ? 3 : 0;
    for (int v = 0; v < 8 && written < lines; ++v, written += 2) {
      std::fprintf(f, "t%d=(%d.5,0.25);\np%d=(%d.25,-%d.5,%d);\n", v, v % 2, v, object % 100, v,
                   object % 7);
    }
    std::fprintf(f, "endlist;\n");
    ++written;
  }
  std::fclose(f);
  return path;
}

// Resident bytes of the whole process, from /proc/self/statm.
double ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  double size = 0;
  double resident = 0;
  statm >> size >> resident;
  return resident * static_cast<double>(sysconf(_SC_PAGESIZE));
}

void BM_ReadObjectFile(benchmark::State& state) {
  const int lines = static_cast<int>(state.range(0));
  const std::string input = MakeObjectFile(lines);
  const std::string logPath = input + ".log";
  std::size_t statements = 0;
  double residentPerStatement = 0;
  for (auto _ : state) {
    const double residentBefore = ResidentBytes();
    SceneStore store;
    std::FILE* log = std::fopen(logPath.c_str(), "w");
    ReadObjectFile(store, input.c_str(), log);
    std::fclose(log);
    statements = store.statements.size();
    // What the filled store holds resident beyond what the process held
    // before: the statement list, as the viewer keeps it for its whole run.
    state.PauseTiming();
    residentPerStatement =
        (ResidentBytes() - residentBefore) / static_cast<double>(statements > 0 ? statements : 1);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * statements));
  state.counters["bytes_per_statement"] = static_cast<double>(sizeof(Statement));
  state.counters["resident_bytes_per_statement"] = residentPerStatement;
}
BENCHMARK(BM_ReadObjectFile)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
