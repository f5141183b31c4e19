// The view of a thumbnail: a perspective that fills a square with what a
// loaded scene draws, whatever the scene's size and wherever it stands.
//
// The points framed are the vertices of each drawn entry's list, placed as a
// frame places them (PlaceEntry, scene/renderer.h). They are taken from the
// statements the lists were compiled from: every vertex inside a list counts,
// even one of a primitive too short to draw anything, so the frame can only
// be a little wider than the drawing, never cut it. An entry whose list
// holds more vertices than are left to look at is framed by the corners of
// its list's box instead, so a scene of many large entries still takes a
// bounded time.
//
// The camera looks along -z, as the viewer's does at start. It stays where
// the viewer's stands when the scene is in front of it, far enough for the
// perspective to stay mild; otherwise it steps back along +z until it is.
// Needs a current GL context: the placement is GL's own matrix.
#pragma once

#include "store/scene_store.h"

struct SquareView {
  // glFrustum's planes: the square of the near plane that the scene fills.
  double left = -1, right = 1, bottom = -1, top = 1, nearPlane = 1, farPlane = 2;
  double cameraBack = 0;  // how far the camera stands behind the viewer's, along +z
};

// Frames the scene's entries placed at `animationAngle`, leaving a thin
// border. Returns false when no drawn entry holds a vertex with finite
// coordinates: the scene draws nothing.
bool FrameScene(const SceneStore& store, float animationAngle, SquareView& view);

// Loads `view` and its camera into the projection matrix.
void LoadSquareView(const SquareView& view);
