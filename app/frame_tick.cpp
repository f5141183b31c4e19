#include "app/frame_tick.h"

#include <algorithm>
#include <cstddef>

#include "app/settings.h"

FrameTickState theFrameTickState;

bool SceneTurns(const SceneStore& store) {
  const std::size_t count =
      store.sceneEntryCount > 0
          ? std::min(static_cast<std::size_t>(store.sceneEntryCount), store.sceneEntries.size())
          : 0;
  for (std::size_t i = 0; i < count; ++i) {
    const float* rotate = store.sceneEntries[i].rotate;
    if (rotate[0] != 0 || rotate[1] != 0 || rotate[2] != 0) return true;
  }
  return false;
}

bool RunFrameTick(SceneStore& store, FrameTickState& tick, CameraState& camera,
                  const HeldKeys& keys, bool glReady, bool sceneStill) {
  const float headingBefore = tick.heading;
  // Down is looked at after Up, so with both held the camera backs away; Right
  // after Left, so the two cancel; F1 last, so it wins over every arrow.
  if (keys.up) tick.movementRequest = -theSettings.moveStep;
  if (keys.down) tick.movementRequest = theSettings.moveStep;
  if (keys.left) tick.heading = tick.heading + theSettings.turnStep;
  if (keys.right) tick.heading = tick.heading - theSettings.turnStep;
  if (keys.f1) {
    tick.heading = 0;
    tick.movementRequest = 0;
  }
  // The camera's centre follows the heading and the step alone, so with
  // neither changing the view is the one on screen.
  const bool cameraStill = tick.movementRequest == 0 && tick.heading == headingBefore;
  tick.drew = glReady && !(sceneStill && cameraStill);
  // The projection keeps the configured aspect even after the window is resized.
  RenderFrame(store, camera, tick.movementRequest, tick.heading, theSettings.width,
              theSettings.height, tick.drew);
  tick.movementRequest = 0;
  return keys.escape;
}
