#include "app/scene_initialization.h"

#include <GL/gl.h>

#include "compiler/display_list_compiler.h"
#include "objects/object_reader.h"
#include "scene/scene_reader.h"
#include "textures/texture_table.h"

void InitializeScene(SceneStore& store, std::FILE* parseLog) {
  // Each step runs whatever the one before returned.
  LoadTextureTable(store, "textures.txt");
  // Texturing stays on for the whole run; compiled lists only switch blending.
  glEnable(GL_TEXTURE_2D);
  ReadObjectFile(store, "objects.txt", parseLog);
  CompileDisplayLists(store);
  ReadSceneFile(store, "scene.txt");

  glShadeModel(GL_SMOOTH);
  glClearColor(0, 0, 0, 0);
  // LEQUAL lets the second pass of a two-texture blend, drawn at the very
  // same depth as the first, through the depth test.
  glDepthFunc(GL_LEQUAL);
  glDepthRange(0.0, 1.0);
  glEnable(GL_DEPTH_TEST);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}
