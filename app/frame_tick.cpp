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

void TurnByDrag(FrameTickState& tick, std::int32_t pixels) {
  tick.dragTurn = tick.dragTurn + static_cast<float>(pixels) * theSettings.dragTurnPerPixel;
}

void MoveByWheel(FrameTickState& tick, float notches) {
  // Away from the user is forward, which is a negative movement request.
  tick.wheelMove = tick.wheelMove - notches * theSettings.wheelMovePerNotch;
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
  // The mouse adds to what the keys did, so neither is lost. A drag turns at
  // once, as the pointer moved; the wheel's distance is spread over ticks at
  // the keys' pace, so the view glides instead of jumping.
  tick.heading = tick.heading + tick.dragTurn;
  tick.dragTurn = 0;
  const float wheelStep = std::clamp(tick.wheelMove, -theSettings.moveStep, theSettings.moveStep);
  tick.movementRequest = tick.movementRequest + wheelStep;
  tick.wheelMove = tick.wheelMove - wheelStep;
  if (keys.f1) {
    tick.heading = 0;
    tick.movementRequest = 0;
    tick.wheelMove = 0;
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
