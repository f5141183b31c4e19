#include "app/authoring.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "app/frame_tick.h"
#include "app/render_window.h"
#include "app/scene_reload.h"
#include "app/settings.h"
#include "offscreen/framebuffer.h"
#include "store/scene_store.h"

AuthoringState theAuthoring;

namespace {

// How long a reload works between two frames: the frames keep their pace of
// one every 10 ms with room to draw.
constexpr auto kReloadSlice = std::chrono::milliseconds(6);

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

void StartWatching() {
  if (!theAuthoring.watch || theAuthoring.watching) return;
  theAuthoring.watching = true;
  if (!theAuthoring.watcher.Watch()) {
    std::fprintf(stderr, "%s: --watch: %s\n", theSettings.programName,
                 theAuthoring.watcher.Problem().c_str());
  }
}

void SayReportWhenChecked(const StartupReport& report, std::unique_ptr<SceneCheck> check,
                          bool sayClean) {
  theAuthoring.report = report;
  theAuthoring.reportCheck = std::move(check);
  theAuthoring.reportSaysClean = sayClean;
}

void RunAuthoringBeforeFrame(Platform& platform) {
  const auto now = std::chrono::steady_clock::now();
  if (theAuthoring.reportCheck != nullptr &&
      theAuthoring.reportCheck->TakeInto(theAuthoring.report, now)) {
    theAuthoring.reportCheck.reset();
    PrintStartupReport(theAuthoring.report, stderr, theAuthoring.reportSaysClean);
  }
  const auto nowMs = static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count());
  const bool changed = theAuthoring.watching && theAuthoring.watcher.ChangeSettled(nowMs);
  if (changed || theAuthoring.reloadRequested) {
    theAuthoring.reloadRequested = false;
    // A newer change makes a reload in progress pointless.
    theAuthoring.reload.reset();
    std::string problem;
    theAuthoring.reload = SceneReload::Start(platform, &problem);
    if (theAuthoring.reload == nullptr) {
      std::fprintf(stderr, "%s: the scene is not loaded again: %s\n", theSettings.programName,
                   problem.c_str());
    }
    // textures.txt may name other bitmaps now.
    if (theAuthoring.watching) theAuthoring.watcher.Watch();
  }
  if (theAuthoring.reload == nullptr || !theAuthoring.reload->Advance(now + kReloadSlice)) return;
  if (!theAuthoring.reload->Stopped()) {
    theAuthoring.reload->SwapIn();
    std::fflush(stdout);
    // The user who fixed a file waits to hear that the fix took.
    SayReportWhenChecked(theAuthoring.reload->Report(), theAuthoring.reload->TakeCheck(), true);
    theRenderWindow.sceneTurns = SceneTurns(theSceneStore);
    theRenderWindow.pictureCurrent = false;
  }
  theAuthoring.reload.reset();
}

void StopAuthoring() {
  theAuthoring.reload.reset();
  if (theAuthoring.reportCheck != nullptr) {
    theAuthoring.reportCheck.reset();
    theAuthoring.report.checked = false;
    PrintStartupReport(theAuthoring.report, stderr);
  }
}

void RunAuthoringAfterFrame(int width, int height) {
  if (!theAuthoring.pictureRequested) return;
  theAuthoring.pictureRequested = false;
  WritePicture(width, height);
}
