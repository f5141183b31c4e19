#include "app/scene_reload.h"

#include <utility>

#include "app/render_window.h"
#include "app/settings.h"
#include "loading/interruption.h"

std::unique_ptr<SceneReload> SceneReload::Start(Platform& platform, std::string* problem) {
  const RenderingContextHandle context =
      platform.CreateRenderingContext(theRenderWindow.deviceContext);
  if (context == RenderingContextHandle::kNone) {
    *problem = "no second rendering context for the new scene";
    const std::string words = platform.FailureReason();
    if (!words.empty()) *problem += " (" + words + ")";
    return nullptr;
  }
  return std::unique_ptr<SceneReload>(new SceneReload(platform, context));
}

SceneReload::SceneReload(Platform& platform, RenderingContextHandle context)
    : platform_(platform), context_(context) {
  load_ = std::make_unique<SceneLoad>(store_, SceneLoad::Mode::kReload, theSettings.parseLog,
                                      InterruptionToken());
}

SceneReload::~SceneReload() {
  if (context_ == RenderingContextHandle::kNone) return;  // swapped in
  // What the stopped load still ends (a list left open) ends in its own context.
  const bool own = platform_.MakeCurrent(theRenderWindow.deviceContext, context_);
  load_.reset();
  if (own) platform_.MakeCurrent(theRenderWindow.deviceContext, theRenderWindow.renderingContext);
  platform_.DeleteRenderingContext(context_);
}

bool SceneReload::Advance(Deadline deadline) {
  if (!platform_.MakeCurrent(theRenderWindow.deviceContext, context_)) {
    load_->Cancel();
    return load_->Advance(deadline);
  }
  const bool ended = load_->Advance(deadline);
  platform_.MakeCurrent(theRenderWindow.deviceContext, theRenderWindow.renderingContext);
  return ended;
}

void SceneReload::SwapIn() {
  platform_.MakeCurrent(theRenderWindow.deviceContext, context_);
  report_ = load_->Report();
  check_ = load_->TakeCheck();
  load_.reset();
  theSceneStore = std::move(store_);
  platform_.DeleteRenderingContext(theRenderWindow.renderingContext);
  theRenderWindow.renderingContext = context_;
  context_ = RenderingContextHandle::kNone;
  platform_.MakeCurrent(theRenderWindow.deviceContext, theRenderWindow.renderingContext);
  ResizeViewport(theRenderWindow.viewportWidth, theRenderWindow.viewportHeight);
}
