#include "app/authoring.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <utility>

#include "app/dropped_path.h"
#include "app/frame_tick.h"
#include "app/render_window.h"
#include "app/scene_reload.h"
#include "app/settings.h"
#include "models/model_cache.h"
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

// Under --watch, a model's own files are watched besides its import's.
void WatchModelSources() {
  theAuthoring.watcher.AlsoWatch(
      theAuthoring.model.empty() ? std::vector<std::string>{}
                                 : ModelSourceFiles(theAuthoring.model, theAuthoring.sceneFolder));
}

// Makes the dropped folder, if any, the working directory. The reload in
// progress is ended first: its workers read, and its transcript is written,
// by names relative to the working directory. True when a folder was entered.
bool EnterDroppedFolder() {
  if (theAuthoring.droppedFolder.empty()) return false;
  const std::string folder = std::move(theAuthoring.droppedFolder);
  theAuthoring.droppedFolder.clear();
  const bool wasReloading = theAuthoring.reload != nullptr;
  theAuthoring.reload.reset();
  if (chdir(folder.c_str()) != 0) {
    std::fprintf(stderr, "%s: cannot enter folder '%s': %s\n", theSettings.programName,
                 OneLine(folder).c_str(), std::strerror(errno));
    // The scene on screen stays, and so does what its reload was for.
    theAuthoring.reloadRequested = theAuthoring.reloadRequested || wasReloading;
    return false;
  }
  theAuthoring.sceneFolder = folder;
  theSettings.sceneFolder = theAuthoring.sceneFolder.c_str();
  theAuthoring.model = std::move(theAuthoring.droppedModel);
  theAuthoring.droppedModel.clear();
  WatchModelSources();
  return true;
}

// An import that ended gives its folder to enter, as a dropped one.
void TakeEndedImport() {
  std::string folder;
  std::string problem;
  if (theAuthoring.opening == nullptr || !theAuthoring.opening->Ended(folder, problem)) return;
  if (folder.empty()) {
    std::fprintf(stderr, "%s: cannot read %s: %s\n", theSettings.programName,
                 OneLine(theAuthoring.opening->Path()).c_str(), problem.c_str());
  } else {
    theAuthoring.droppedFolder = std::move(folder);
    theAuthoring.droppedModel = theAuthoring.opening->Path();
  }
  theAuthoring.opening.reset();
}

// A dropped scene is seen as a start in its folder would show it.
void StartCameraAfresh() {
  theCamera = {};
  theFrameTickState.heading = 0;
  theFrameTickState.dragTurn = 0;
  theFrameTickState.wheelMove = 0;
}

}  // namespace

void HandleDroppedPath(const std::string& path) {
  if (IsModelFile(path)) {
    std::error_code error;
    const std::filesystem::path model = std::filesystem::absolute(path, error);
    theAuthoring.opening = std::make_unique<ModelOpening>(model.string());
    theAuthoring.openingAgain = false;
    return;
  }
  std::string problem;
  std::optional<std::string> folder = ResolveDroppedPath(path, problem);
  if (!folder) {
    std::fprintf(stderr, "%s: '%s' dropped on the window is not opened: %s\n",
                 theSettings.programName, OneLine(path).c_str(), problem.c_str());
    return;
  }
  theAuthoring.droppedFolder = std::move(*folder);
  theAuthoring.droppedModel.clear();
  // A folder dropped after a model wins over its import.
  theAuthoring.opening.reset();
}

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
  TakeEndedImport();
  const bool again = theAuthoring.openingAgain;
  const bool entered = EnterDroppedFolder();
  // A model imported anew is the same scene, edited: the camera stays.
  if (entered && !again) theAuthoring.loadingDroppedFolder = true;
  if (entered) theAuthoring.openingAgain = false;
  bool changed = theAuthoring.watching && theAuthoring.watcher.ChangeSettled(nowMs);
  if (changed && !theAuthoring.model.empty()) {
    // The folder on screen is a model's import, which never changes: the
    // model is imported again, and its new folder loaded once it is there.
    theAuthoring.opening = std::make_unique<ModelOpening>(theAuthoring.model);
    theAuthoring.openingAgain = true;
    changed = false;
  }
  if (entered || changed || theAuthoring.reloadRequested) {
    theAuthoring.reloadRequested = false;
    // A newer change makes a reload in progress pointless.
    theAuthoring.reload.reset();
    std::string problem;
    theAuthoring.reload = SceneReload::Start(platform, &problem);
    if (theAuthoring.reload == nullptr) {
      std::fprintf(stderr, "%s: the scene is not loaded again: %s\n", theSettings.programName,
                   problem.c_str());
    }
    // textures.txt may name other bitmaps now, or the folder is another.
    if (theAuthoring.watching) theAuthoring.watcher.Watch();
  }
  if (theAuthoring.reload == nullptr || !theAuthoring.reload->Advance(now + kReloadSlice)) return;
  if (!theAuthoring.reload->Stopped()) {
    theAuthoring.reload->SwapIn();
    if (theAuthoring.loadingDroppedFolder) StartCameraAfresh();
    theAuthoring.loadingDroppedFolder = false;
    std::fflush(stdout);
    // The user who fixed a file waits to hear that the fix took.
    SayReportWhenChecked(theAuthoring.reload->Report(), theAuthoring.reload->TakeCheck(), true);
    theRenderWindow.sceneTurns = SceneTurns(theSceneStore);
    theRenderWindow.pictureCurrent = false;
  }
  theAuthoring.reload.reset();
}

void StopAuthoring() {
  theAuthoring.opening.reset();
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
