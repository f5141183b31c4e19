// Loading the scene folder again while the viewer shows it (F5, --watch).
//
// The new scene is built in a rendering context of its own, a slice between
// two frames at a time, while the scene on screen goes on drawing and
// turning in its context. Once the new scene is complete the two are swapped
// between two frames: the new context becomes the window's and the old one
// is deleted, which gives back every display list and texture the old load
// made. Numbers in a new context start where they start at start-up, so the
// outputs (parse log, ogllist.txt) are those of a fresh start. The camera and
// the animation angle live outside the store and are kept.
//
// A reload shows no box: a bitmap that cannot be loaded has its line on
// standard error, and the report sums up what the checker finds.
#pragma once

#include <memory>
#include <string>

#include "app/platform.h"
#include "app/scene_load.h"
#include "store/scene_store.h"

class SceneReload {
 public:
  // Makes the new context and starts reading the working directory's files.
  // Null, with `problem` set, when no context could be made.
  static std::unique_ptr<SceneReload> Start(Platform& platform, std::string* problem);
  // Stops a reload that has not been swapped in and deletes its context.
  ~SceneReload();
  SceneReload(const SceneReload&) = delete;
  SceneReload& operator=(const SceneReload&) = delete;

  // Works in the new context until `deadline`, then makes the window's own
  // context current again. True once the load has ended (complete or stopped).
  bool Advance(Deadline deadline);
  bool Stopped() const { return load_ != nullptr && load_->Stopped(); }
  // What the loaders met, once the load has ended.
  const StartupReport& Report() const { return load_ != nullptr ? load_->Report() : report_; }
  // The load's check, once swapped in (see SceneLoad::TakeCheck).
  std::unique_ptr<SceneCheck> TakeCheck() { return std::move(check_); }

  // Once complete: puts the new scene in place of theSceneStore and its
  // context in place of the window's, which is deleted. The new context is
  // current afterwards, with the window's size.
  void SwapIn();

 private:
  SceneReload(Platform& platform, RenderingContextHandle context);

  Platform& platform_;
  RenderingContextHandle context_;
  SceneStore store_;
  std::unique_ptr<SceneLoad> load_;    // until swapped in
  StartupReport report_;               // the load's, once swapped in
  std::unique_ptr<SceneCheck> check_;  // the load's, once swapped in
};
