#include "app/scene_initialization.h"

#include <malloc.h>

void UseOneHeapForAllThreads() {
  mallopt(M_ARENA_MAX, 1);
}

StartupReport InitializeScene(SceneStore& store, std::FILE* parseLog) {
  SceneLoad load(store, SceneLoad::Mode::kStartUp, parseLog);
  load.Advance();
  StartupReport report = load.Report();
  load.TakeCheck()->TakeInto(report);
  return report;
}
