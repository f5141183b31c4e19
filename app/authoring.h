// The viewer's edit-and-look loop: the scene loaded again on F5, or by itself
// when its files change (with --watch), and the picture on screen saved as a
// PNG on F12.
//
// Both keys act once per press, never while held. A reload runs between two
// frames, so no frame draws a half-built scene; a picture is read from the
// frame just drawn, before it is shown. The state lives in one process-wide
// place, as the frame tick's does, because the window procedure reaches it.
#pragma once

#include <cstdint>
#include <string>

#include "app/platform.h"
#include "app/scene_watcher.h"

struct AuthoringState {
  bool watch = false;               // reload when the scene's files change
  std::string pictureFolder = ".";  // where F12 pictures go: the folder the viewer started in
  bool reloadRequested = false;
  bool pictureRequested = false;
  bool watching = false;  // the watcher has been started
  SceneWatcher watcher;
};

extern AuthoringState theAuthoring;

// Takes a key that went down: F5 asks for a reload, F12 for a picture. A
// repeat of a held key asks for nothing.
void HandleAuthoringKey(Key key, bool repeat);

// Before a frame: reloads the scene when asked to, or when watched files
// changed and have settled. Needs the viewer's context current.
void RunAuthoringBeforeFrame();

// After a frame is drawn and before it is shown: writes the picture when asked
// to, as morvane-YYYYMMDD-HHMMSS.png (with a suffix when that name is taken)
// in the picture folder, and says on standard error where it went or why not.
void RunAuthoringAfterFrame(int width, int height);
