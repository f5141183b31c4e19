#include "app/scene_reload.h"

#include <GL/gl.h>

#include "app/scene_initialization.h"

StartupReport ReloadScene(SceneStore& store, std::FILE* parseLog) {
  // Display lists are numbered 1 to lastListId without gaps.
  if (store.lastListId > 0) glDeleteLists(1, store.lastListId);
  if (!store.textures.empty()) {
    glDeleteTextures(static_cast<GLsizei>(store.textures.size()), store.textures.data());
  }
  store = SceneStore{};
  return InitializeScene(store, parseLog);
}
