#include "app/scene_initialization.h"

#include <GL/gl.h>

#include "app/settings.h"
#include "app/startup_timings.h"
#include "compiler/display_list_compiler.h"
#include "objects/object_reading_thread.h"
#include "scene/scene_reader.h"
#include "store/background_job.h"
#include "store/phase_clock.h"
#include "textures/texture_table.h"

StartupReport InitializeScene(SceneStore& store, std::FILE* parseLog) {
  // Each step runs whatever the one before returned; the results only feed
  // the report.
  StartupReport report;
  StartupTimings* const timings = theSettings.timings;
  // objects.txt is read, and its log written, on a second thread while the
  // textures are made; the compilation then takes each statement as it comes.
  ObjectReadingThread objects(store, "objects.txt", parseLog);
  PhaseClock phase(PhaseClock::Cpu::kThisThread);
  LoadTextureTable(store, "textures.txt");
  // Texturing stays on for the whole run; compiled lists only switch blending.
  glEnable(GL_TEXTURE_2D);
  if (timings != nullptr) timings->Add("textures", phase, "decoding ours, uploading Mesa's");

  // scene.txt needs no GL and of the compilation only the ids of its lists:
  // it is read into a store of its own beside the compilation, and its
  // entries are given their lists' ids afterwards.
  SceneStore sceneFile;
  sceneFile.currentSceneEntry = store.currentSceneEntry;
  double sceneWall = 0;
  double sceneCpu = 0;
  BackgroundJob sceneReading([&] {
    const PhaseClock clock(PhaseClock::Cpu::kThisThread);
    report.sceneResult =
        ReadSceneFile(sceneFile, "scene.txt", &report.sceneStopLine, SceneListIds::kLater);
    sceneWall = clock.WallSeconds();
    sceneCpu = clock.CpuSeconds();
  });

  phase = PhaseClock(PhaseClock::Cpu::kThisThread);
  CompileDisplayLists(store, &report.transcriptProblem);
  // A walk that stopped at a rejected line leaves the rest of the file to read.
  report.objectsUnreadable = objects.Finish() != 0;
  if (timings != nullptr) {
    timings->Add("compiling", phase,
                 "GL calls Mesa's; the walk, ogllist.txt and waiting for statements ours");
    timings->Add("reading objects.txt with the log", objects.WorkerWallSeconds(),
                 objects.WorkerCpuSeconds(),
                 "ours, on a second thread beside textures and compiling");
  }
  for (std::size_t k = 0; k < store.statements.size(); ++k) {
    if (IsAccepted(store.statements[k])) continue;
    if (report.rejectedLines++ == 0) report.firstRejectedLine = k + 1;
  }

  phase = PhaseClock(PhaseClock::Cpu::kThisThread);
  sceneReading.Wait();
  const std::size_t firstEntry = store.sceneEntries.size();
  store.sceneEntries.insert(store.sceneEntries.end(), sceneFile.sceneEntries.begin(),
                            sceneFile.sceneEntries.end());
  store.currentSceneEntry = sceneFile.currentSceneEntry;
  store.sceneEntryCount = sceneFile.sceneEntryCount;
  NameSceneLists(store, firstEntry);
  if (timings != nullptr) {
    timings->Add("reading scene.txt", sceneWall, sceneCpu, "ours, on a thread beside compiling");
    timings->Add("naming the scene's lists", phase, "ours");
  }

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
