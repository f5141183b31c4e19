#include "scene/renderer.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

CameraState theCamera;

namespace {

constexpr double kFieldOfViewDegrees = 45.0;
// The near plane has always been the single-precision 0.1; widening it keeps
// the depth precision of every frame the same.
constexpr double kNearPlane = static_cast<double>(0.1f);
constexpr double kFarPlane = 100.0;
constexpr float kLookDistance = 10.0f;
constexpr float kAnimationStep = 0.1f;

// The camera transform rides on the projection matrix, so the model-view
// matrix holds nothing but each entry's own placement.
void LoadProjectionAndCamera(const CameraState& camera, std::int32_t width, std::int32_t height) {
  LoadLens(width, height);
  gluLookAt(camera.eyeX, 0.0, camera.eyeZ, camera.centreX, 0.0, camera.centreZ, 0.0, 1.0, 0.0);
}

}  // namespace

void PlaceEntry(const SceneEntry& entry, float animationAngle) {
  glLoadIdentity();
  glTranslatef(entry.translate[0], entry.translate[1], entry.translate[2]);
  // A zero rate (of either sign) issues no rotation at all.
  if (entry.rotate[0] != 0) glRotatef(animationAngle * entry.rotate[0], 1, 0, 0);
  if (entry.rotate[1] != 0) glRotatef(animationAngle * entry.rotate[1], 0, 1, 0);
  if (entry.rotate[2] != 0) glRotatef(animationAngle * entry.rotate[2], 0, 0, 1);
  glScaled(entry.scale[0], entry.scale[1], entry.scale[2]);
}

void DrawScene(const SceneStore& store, float animationAngle) {
  glMatrixMode(GL_MODELVIEW);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  const std::size_t count = DrawnEntryCount(store);
  for (std::size_t i = 0; i < count; ++i) {
    const SceneEntry& entry = store.sceneEntries[i];
    PlaceEntry(entry, animationAngle);
    // An id that names no compiled list (a negative one included) draws nothing.
    glCallList(static_cast<GLuint>(entry.listId));
  }
}

std::size_t DrawnEntryCount(const SceneStore& store) {
  // The count always matches the list; the bound only keeps a hand-built
  // store from walking past its end.
  return store.sceneEntryCount > 0
             ? std::min(static_cast<std::size_t>(store.sceneEntryCount), store.sceneEntries.size())
             : 0;
}

void LoadLens(std::int32_t width, std::int32_t height) {
  // A degenerate size draws with a square aspect instead of dividing by zero.
  const double aspect =
      width > 0 && height > 0 ? static_cast<double>(width) / static_cast<double>(height) : 1.0;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(kFieldOfViewDegrees, aspect, kNearPlane, kFarPlane);
}

void RenderFrame(SceneStore& store, CameraState& camera, float movementRequest, float heading,
                 std::int32_t width, std::int32_t height, bool glReady) {
  const float sinHeading = static_cast<float>(std::sin(static_cast<double>(heading)));
  const float cosHeading = static_cast<float>(std::cos(static_cast<double>(heading)));
  if (movementRequest != 0) {
    camera.eyeX = camera.eyeX + sinHeading * movementRequest;
    camera.eyeZ = camera.eyeZ + cosHeading * movementRequest;
  }
  camera.centreX = camera.eyeX + (movementRequest - kLookDistance) * sinHeading;
  camera.centreZ = camera.eyeZ + (movementRequest - kLookDistance) * cosHeading;

  if (glReady) {
    LoadProjectionAndCamera(camera, width, height);
    DrawScene(store, camera.animationAngle);
  }
  camera.animationAngle = camera.animationAngle + kAnimationStep;
}
