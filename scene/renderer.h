// The scene renderer: one complete frame of the scene under the keyboard-driven
// camera, with every entry's rotation growing by a fixed step each frame.
#pragma once

#include <cstddef>
#include <cstdint>

#include "store/scene_store.h"

// Camera and animation state, process-wide in the viewer. The eye and the
// centre always lie in the plane y = 0.
struct CameraState {
  float eyeX = 0;
  float eyeZ = 0;
  float centreX = 0;
  float centreZ = 0;
  float animationAngle = 0;  // degrees per unit of rotation rate; +0.1 each frame
};

extern CameraState theCamera;

// Loads a fresh 45° perspective for a `width` × `height` picture into the
// projection matrix (and leaves it the current matrix); a size of 0 on either
// side draws with a square aspect.
void LoadLens(std::int32_t width, std::int32_t height);

// Loads `entry`'s placement at `animationAngle` into the current matrix:
// its translation, its rotations (grown by the angle) and its scale.
void PlaceEntry(const SceneEntry& entry, float animationAngle);

// Clears, and draws each of the first DrawnEntryCount entries under its
// placement with the projection loaded now.
void DrawScene(const SceneStore& store, float animationAngle);

// How many of the store's entries a frame draws.
std::size_t DrawnEntryCount(const SceneStore& store);

// Moves the camera by `movementRequest` along `heading`, loads the projection
// and camera, clears, draws the first store.sceneEntryCount entries and
// advances the animation angle. With `glReady` false (no context current yet)
// no GL call is made, but the camera and the angle are still updated.
void RenderFrame(SceneStore& store, CameraState& camera, float movementRequest, float heading,
                 std::int32_t width, std::int32_t height, bool glReady);
