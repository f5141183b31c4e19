#include "app/scene_initialization.h"

#include <GL/gl.h>
#include <malloc.h>

#include <utility>

#include "app/settings.h"
#include "app/startup_timings.h"
#include "compiler/display_list_compiler.h"
#include "scene/scene_reader.h"
#include "store/phase_clock.h"

void UseOneHeapForAllThreads() {
  mallopt(M_ARENA_MAX, 1);
}

StartupReading::StartupReading(SceneStore& store, std::FILE* parseLog)
    : objects_(store, "objects.txt", parseLog, ObjectReadingThread::Log::kHeld),
      textures_("textures.txt") {
  // scene.txt needs of the compilation only the ids of its lists: it is read
  // into a store of its own, and its entries are given their ids afterwards.
  sceneFile_.currentSceneEntry = store.currentSceneEntry;
  sceneReading_.emplace([this] {
    const PhaseClock clock(PhaseClock::Cpu::kThisThread);
    sceneResult_ = ReadSceneFile(sceneFile_, "scene.txt", &sceneStopLine_, SceneListIds::kLater);
    sceneWallSeconds_ = clock.WallSeconds();
    sceneCpuSeconds_ = clock.CpuSeconds();
  });
}

StartupReport InitializeScene(SceneStore& store, std::FILE* parseLog) {
  StartupReading reading(store, parseLog);
  return InitializeScene(store, reading);
}

StartupReport InitializeScene(SceneStore& store, StartupReading& reading) {
  // Each step runs whatever the one before returned; the results only feed
  // the report.
  StartupReport report;
  StartupTimings* const timings = theSettings.timings;
  // The start-up goes on, so the parse log may be written.
  reading.objects_.ReleaseLog();
  PhaseClock phase(PhaseClock::Cpu::kThisThread);
  MakeTextures(store, reading.textures_);
  // Texturing stays on for the whole run; compiled lists only switch blending.
  glEnable(GL_TEXTURE_2D);
  if (timings != nullptr) {
    timings->Add("textures", phase, "decoding ours, on a thread of its own; uploading Mesa's");
  }

  // The compilation takes each statement of objects.txt as it comes.
  phase = PhaseClock(PhaseClock::Cpu::kThisThread);
  CompileDisplayLists(store, &report.transcriptProblem);
  // A walk that stopped at a rejected line leaves the rest of the file to read.
  report.objectsUnreadable = reading.objects_.Finish() != 0;
  if (timings != nullptr) {
    timings->Add("compiling", phase,
                 "GL calls Mesa's; the walk and waiting for statements ours, ogllist.txt "
                 "written on a thread of its own");
    timings->Add("reading objects.txt with the log", reading.objects_.WorkerWallSeconds(),
                 reading.objects_.WorkerCpuSeconds(), "ours, on a thread of its own");
  }
  for (std::size_t k = 0; k < store.statements.size(); ++k) {
    if (IsAccepted(store.statements[k])) continue;
    if (report.rejectedLines++ == 0) report.firstRejectedLine = k + 1;
  }

  phase = PhaseClock(PhaseClock::Cpu::kThisThread);
  reading.sceneReading_->Wait();
  report.sceneResult = reading.sceneResult_;
  report.sceneStopLine = reading.sceneStopLine_;
  SceneStore& sceneFile = reading.sceneFile_;
  const std::size_t firstEntry = store.sceneEntries.size();
  if (firstEntry == 0) {
    store.sceneEntries = std::move(sceneFile.sceneEntries);
  } else {
    store.sceneEntries.insert(store.sceneEntries.end(), sceneFile.sceneEntries.begin(),
                              sceneFile.sceneEntries.end());
  }
  store.currentSceneEntry = sceneFile.currentSceneEntry;
  store.sceneEntryCount = sceneFile.sceneEntryCount;
  NameSceneLists(store, firstEntry);
  if (timings != nullptr) {
    timings->Add("reading scene.txt", reading.sceneWallSeconds_, reading.sceneCpuSeconds_,
                 "ours, on a thread of its own");
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
