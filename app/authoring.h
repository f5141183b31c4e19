// The viewer's edit-and-look loop: the scene loaded again on F5, or by itself
// when its files change (with --watch), and the picture on screen saved as a
// PNG on F12.
//
// Both keys act once per press, never while held. A reload runs between two
// frames in a context of its own and is swapped in whole, so no frame draws
// a half-built scene; a picture is read from the frame just drawn, before it
// is shown. The state lives in one process-wide
// place, as the frame tick's does, because the window procedure reaches it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

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
  // The last load's report, said once its check has come.
  StartupReport report;
  std::unique_ptr<SceneCheck> reportCheck;  // null once said
  bool reportSaysClean = false;
};

extern AuthoringState theAuthoring;

// Takes a key that went down: F5 asks for a reload, F12 for a picture. A
// repeat of a held key asks for nothing.
void HandleAuthoringKey(Key key, bool repeat);

// Starts watching the scene's files when --watch asks for it, before
// anything is read, so that no change made after the start is missed; says
// on standard error why when the files cannot be watched.
void StartWatching();

// Before a frame: starts a reload when asked to, or when watched files
// changed and have settled (a newer one replaces a reload in progress), and
// gives a reload in progress its slice. Needs the viewer's context current.
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
