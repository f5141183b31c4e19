#include "app/authoring.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "app/scene_reload.h"
#include "app/settings.h"
#include "store/scene_store.h"
#include "tools/framebuffer.h"

AuthoringState theAuthoring;

namespace {

// A picture's name from the local time it was taken; `attempt` above 1 adds a
// suffix for pictures taken within the same second.
std::string PictureName(std::time_t now, int attempt) {
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  std::string name = "morvane-";
  name += stamp;
  if (attempt > 1) {
    name += '-';
    name += std::to_string(attempt);
  }
  name += ".png";
  return name;
}

void WritePicture(int width, int height) {
  const RgbPicture picture = ReadFramebufferTopDown(width, height);
  const std::time_t now = std::time(nullptr);
  std::string error;
  for (int attempt = 1; attempt <= 100; ++attempt) {
    std::string path = theAuthoring.pictureFolder;
    path += '/';
    path += PictureName(now, attempt);
    bool nameTaken = false;
    if (WriteNewPng(path, picture, &error, &nameTaken)) {
      std::fprintf(stderr, "%s: picture written to %s\n", theSettings.programName, path.c_str());
      return;
    }
    if (!nameTaken) break;
  }
  std::fprintf(stderr, "%s: no picture written: %s\n", theSettings.programName, error.c_str());
}

}  // namespace

void HandleAuthoringKey(Key key, bool repeat) {
  if (repeat) return;
  if (key == Key::kF5) theAuthoring.reloadRequested = true;
  if (key == Key::kF12) theAuthoring.pictureRequested = true;
}

void RunAuthoringBeforeFrame() {
  const auto nowMs =
      static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
  if (theAuthoring.watch && !theAuthoring.watching) {
    theAuthoring.watching = true;
    if (!theAuthoring.watcher.Watch()) {
      std::fprintf(stderr, "%s: --watch: %s\n", theSettings.programName,
                   theAuthoring.watcher.Problem().c_str());
    }
  }
  const bool changed = theAuthoring.watching && theAuthoring.watcher.ChangeSettled(nowMs);
  if (!changed && !theAuthoring.reloadRequested) return;
  theAuthoring.reloadRequested = false;
  PrintStartupReport(ReloadScene(theSceneStore, theSettings.parseLog), stderr);
  std::fflush(stdout);
  // textures.txt may name other bitmaps now.
  if (theAuthoring.watching) theAuthoring.watcher.Watch();
}

void RunAuthoringAfterFrame(int width, int height) {
  if (!theAuthoring.pictureRequested) return;
  theAuthoring.pictureRequested = false;
  WritePicture(width, height);
}
