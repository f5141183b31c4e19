// The frame tick: the one place where the keyboard is read and a frame is
// drawn. The viewer runs it on every timer message (and once on the window's
// creation message); the snapshot program runs the very same code for each of
// its ticks, so the two cannot drift apart.
//
// The tick itself knows nothing of the platform: the caller asks which keys are
// held, posts the quit request when the tick says so, and swaps the buffers.
#pragma once

#include "scene/renderer.h"
#include "store/scene_store.h"

// The six keys the tick looks at, held down (true) or not at the moment of the tick.
struct HeldKeys {
  bool escape = false;
  bool up = false;
  bool down = false;
  bool left = false;
  bool right = false;
  bool f1 = false;
};

// Movement request and heading, process-wide in the viewer.
struct FrameTickState {
  float movementRequest = 0;  // scene units this tick; negative is forward
  float heading = 0;          // radians; 0 looks along -z, larger turns left
  bool drew = false;          // whether the last tick drew a frame
};

extern FrameTickState theFrameTickState;

// Runs one tick: Escape, then Up, Down, Left, Right and F1 change the movement
// request and heading in that order; RenderFrame draws the frame with the width
// and height settings (its GL calls only when `glReady`); the movement request
// is cleared. Returns true when Escape was held, so the caller posts the quit
// request; the frame is drawn either way.
//
// `sceneStill` says that the picture on screen is this scene's as last drawn
// (nothing loaded, exposed or resized since) and that no entry of the scene
// turns. A tick that then neither moves nor turns the camera would draw the
// very same picture, so it makes no GL call: it still advances the animation
// angle and does everything else. tick.drew tells whether it drew.
bool RunFrameTick(SceneStore& store, FrameTickState& tick, CameraState& camera,
                  const HeldKeys& keys, bool glReady, bool sceneStill = false);

// Whether some entry of `store` turns, so that every frame differs.
bool SceneTurns(const SceneStore& store);
