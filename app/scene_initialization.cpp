#include "app/scene_initialization.h"

StartupReport InitializeScene(SceneStore& store, std::FILE* parseLog) {
  SceneLoad load(store, SceneLoad::Mode::kStartUp, parseLog);
  load.Advance();
  StartupReport report = load.Report();
  if (const std::unique_ptr<SceneCheck> check = load.TakeCheck()) check->TakeInto(report);
  return report;
}
