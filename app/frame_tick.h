// The frame tick: the one place where the keyboard is read, the mouse's input
// is applied and a frame is drawn. The viewer runs it on every timer message
// (and once on the window's creation message); the snapshot program runs the
// very same code for each of its ticks, so the two cannot drift apart.
//
// The tick itself knows nothing of the platform: the caller asks which keys are
// held, posts the quit request when the tick says so, and swaps the buffers.
// The mouse works through the same heading and movement request as the keys:
// its drags and wheel notches are gathered between ticks (TurnByDrag,
// MoveByWheel) and applied by the next tick, so a tick stays the only place
// where the camera changes and a tick without input still draws nothing.
#pragma once

#include <cstdint>

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

// Movement request and heading, process-wide in the viewer, with the mouse's
// input gathered for the next tick.
struct FrameTickState {
  float movementRequest = 0;  // scene units this tick; negative is forward
  float heading = 0;          // radians; 0 looks along -z, larger turns left
  float dragTurn = 0;         // radians the drags since the last tick add to the heading
  float wheelMove = 0;        // scene units the wheel still asks for; negative is forward
  bool drew = false;          // whether the last tick drew a frame
};

extern FrameTickState theFrameTickState;

// Runs one tick: Escape, then Up, Down, Left, Right, the mouse's input and F1
// change the movement request and heading in that order (F1 drops the mouse's
// input too); RenderFrame draws the frame with the width and height settings
// (its GL calls only when `glReady`); the movement request is cleared. Returns true when Escape was
// held, so the caller posts the quit request; the frame is drawn either way.
//
// `sceneStill` says that the picture on screen is this scene's as last drawn
// (nothing loaded, exposed or resized since) and that no entry of the scene
// turns. A tick that then neither moves nor turns the camera would draw the
// very same picture, so it makes no GL call: it still advances the animation
// angle and does everything else. tick.drew tells whether it drew.
bool RunFrameTick(SceneStore& store, FrameTickState& tick, CameraState& camera,
                  const HeldKeys& keys, bool glReady, bool sceneStill = false);

// A drag of `pixels` to the right (negative: to the left) with the left button
// held: the next tick turns the camera left by the drag-turn setting per
// pixel, so the scene follows the pointer.
void TurnByDrag(FrameTickState& tick, std::int32_t pixels);

// `notches` of the wheel turned away from the user (negative: towards): the
// camera moves forward (back) by the wheel-move setting per notch, at most one
// move step per tick, so a notch glides as a short press of Up would.
void MoveByWheel(FrameTickState& tick, float notches);

// Whether some entry of `store` turns, so that every frame differs.
bool SceneTurns(const SceneStore& store);
