#include "app/frame_tick.h"

#include "app/settings.h"

FrameTickState theFrameTickState;

bool RunFrameTick(SceneStore& store, FrameTickState& tick, CameraState& camera,
                  const HeldKeys& keys, bool glReady) {
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
  // The projection keeps the configured aspect even after the window is resized.
  RenderFrame(store, camera, tick.movementRequest, tick.heading, theSettings.width,
              theSettings.height, glReady);
  tick.movementRequest = 0;
  return keys.escape;
}
