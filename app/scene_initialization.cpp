#include "app/scene_initialization.h"

#include <GL/gl.h>

#include "compiler/display_list_compiler.h"
#include "objects/object_reader.h"
#include "scene/scene_reader.h"
#include "textures/texture_table.h"

StartupReport InitializeScene(SceneStore& store, std::FILE* parseLog) {
  // Each step runs whatever the one before returned; the results only feed
  // the report.
  StartupReport report;
  LoadTextureTable(store, "textures.txt");
  // Texturing stays on for the whole run; compiled lists only switch blending.
  glEnable(GL_TEXTURE_2D);
  report.objectsUnreadable = ReadObjectFile(store, "objects.txt", parseLog) != 0;
  for (std::size_t k = 0; k < store.statements.size(); ++k) {
    if (IsAccepted(store.statements[k])) continue;
    if (report.rejectedLines++ == 0) report.firstRejectedLine = k + 1;
  }
  CompileDisplayLists(store, &report.transcriptProblem);
  report.sceneResult = ReadSceneFile(store, "scene.txt", &report.sceneStopLine);

  glShadeModel(GL_SMOOTH);
  glClearColor(0, 0, 0, 0);
  // LEQUAL lets the second pass of a two-texture blend, drawn at the very
  // same depth as the first, through the depth test.
  glDepthFunc(GL_LEQUAL);
  glDepthRange(0.0, 1.0);
  glEnable(GL_DEPTH_TEST);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  return report;
}
