// The viewer's edit-and-look loop: the scene loaded again on F5, or by itself
// when its files change (with --watch), another scene folder dropped onto the
// window loaded in its place, and the picture on screen saved as a PNG on F12.
//
// Both keys act once per press, never while held. A reload runs between two
// frames in a context of its own and is swapped in whole, so no frame draws
// a half-built scene; a picture is read from the frame just drawn, before it
// is shown. A dropped folder becomes the working directory and is loaded by
// the same reload, which then starts the camera afresh, as a start in that
// folder would. The state lives in one process-wide place, as the frame
// tick's does, because the window procedure reaches it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/model_opening.h"
#include "app/platform.h"
#include "app/scene_check.h"
#include "app/scene_reload.h"
#include "app/scene_watcher.h"
#include "app/startup_report.h"

struct AuthoringState {
  bool watch = false;               // reload when the scene's files change
  std::string pictureFolder = ".";  // where F12 pictures go: the folder the viewer started in
  bool reloadRequested = false;
  bool pictureRequested = false;
  bool watching = false;  // the watcher has been started
  SceneWatcher watcher;
  std::unique_ptr<SceneReload> reload;  // the reload in progress, if any
  std::string droppedFolder;            // a dropped scene folder to enter before the next frame
  std::string sceneFolder;              // the dropped folder entered last, once there is one
  bool loadingDroppedFolder = false;    // the next reload to swap in shows a dropped folder
  // The model file (absolute) whose import the scene on screen is; empty for
  // a scene folder. Under --watch a change of it or its files imports it anew.
  std::string model;
  std::unique_ptr<ModelOpening> opening;  // a model being imported, if any
  bool openingAgain = false;              // ... the model on screen, changed on disk
  std::string droppedModel;               // the model the dropped folder is the import of
  // The last load's report, said once its check has come.
  StartupReport report;
  std::unique_ptr<SceneCheck> reportCheck;  // null once said
  bool reportSaysClean = false;
};

extern AuthoringState theAuthoring;

// Takes a key that went down: F5 asks for a reload, F12 for a picture. A
// repeat of a held key asks for nothing.
void HandleAuthoringKey(Key key, bool repeat);

// Takes what was dropped onto the window: a scene folder it opens (see
// ResolveDroppedPath) is entered and loaded before the next frame, the last
// one winning when several come at once; a model file is imported first,
// off the window's thread (see ModelOpening); anything else is refused in one
// line on standard error, and the scene stays.
void HandleDroppedPath(const std::string& path);

// Starts watching the scene's files when --watch asks for it, before
// anything is read, so that no change made after the start is missed; says
// on standard error why when the files cannot be watched.
void StartWatching();

// Before a frame: enters a dropped folder, ending a reload in progress first
// (its files are named relative to the working directory); starts a reload
// when a folder was entered, when asked to, or when watched files changed
// and have settled (a newer one replaces a reload in progress); and gives a
// reload in progress its slice. Needs the viewer's context current.
void RunAuthoringBeforeFrame(Platform& platform);

// Says `report` on standard error once `check` has put its sum in, between
// frames, so that no frame waits for the check; a newer load's report takes
// the place of one not yet said. `sayClean` asks for a line also when the
// scene loaded without errors.
void SayReportWhenChecked(const StartupReport& report, std::unique_ptr<SceneCheck> check,
                          bool sayClean);

// Ends a reload in progress, before the window's context goes. A report
// still waiting for its check is said without it, from what the loaders met.
void StopAuthoring();

// After a frame is drawn and before it is shown: writes the picture when asked
// to, as morvane-YYYYMMDD-HHMMSS.png (with a suffix when that name is taken)
// in the picture folder, and says on standard error where it went or why not.
void RunAuthoringAfterFrame(int width, int height);
