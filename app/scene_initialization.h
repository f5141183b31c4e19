// The one-time filling of the store from the three input files in the working
// directory, and the fixed GL state every frame relies on.
//
// The loaders run in a chain of dependencies: the texture table first (the
// compiler binds its names), then objects.txt, then the compilation (which
// writes ogllist.txt and records the named lists), then scene.txt (which
// resolves list names against them). No loader's status is looked at: a
// missing or malformed file never stops start-up, and the frames show whatever
// the store then holds (at worst only the black clear colour).
//
// What needs no GL context is read on threads of its own, started before the
// context is made (StartupReading) so that it runs meanwhile: objects.txt and
// its parse log (see objects/object_reading_thread.h), whose statements the
// compilation then takes as they arrive; the bitmaps textures.txt names; and
// scene.txt, whose entries learn their lists' ids once the lists are
// compiled. Every output is the same as from reading each file in turn.
//
// Needs a current GL context; draws nothing, starts no timer and prints
// nothing beyond the parse log: what went wrong is handed back for the caller
// to report, and the phases' times go to theSettings.timings when it is set.
#pragma once

#include <cstdio>
#include <optional>

#include "app/startup_report.h"
#include "objects/object_reading_thread.h"
#include "store/background_job.h"
#include "store/scene_store.h"
#include "textures/texture_table.h"

// The reading of the scene's files in the working directory that needs no GL
// context, begun at construction. The parse log is held back until
// InitializeScene goes on with it: a reading destroyed before (the context
// could not be made) stops, and writes nothing.
class StartupReading {
 public:
  StartupReading(SceneStore& store, std::FILE* parseLog);
  StartupReading(const StartupReading&) = delete;
  StartupReading& operator=(const StartupReading&) = delete;

 private:
  friend StartupReport InitializeScene(SceneStore& store, StartupReading& reading);

  ObjectReadingThread objects_;
  TextureFilesReading textures_;
  SceneStore sceneFile_;  // scene.txt's entries, without their lists' ids yet
  std::int32_t sceneResult_ = 0;
  std::size_t sceneStopLine_ = 0;
  double sceneWallSeconds_ = 0;
  double sceneCpuSeconds_ = 0;
  std::optional<BackgroundJob> sceneReading_;  // last, so it ends before what it fills
};

// Makes every thread allocate from one heap. Start-up's threads allocate a
// few large blocks each (a file's bytes, batches, a held parse log), and
// memory a thread frees in a heap of its own is not reused by the others:
// one heap keeps the peak what it is with one thread. Call first in main,
// before any thread exists.
void UseOneHeapForAllThreads();

// Loads textures.txt, objects.txt (echoing the parse log to `parseLog`, the
// viewer's standard output), compiles the display lists into ogllist.txt,
// reads scene.txt, and sets smooth shading, the black clear colour, the
// GL_LEQUAL depth test over [0, 1] and the nicest perspective correction.
// Cannot fail; returns what the loaders met.
StartupReport InitializeScene(SceneStore& store, std::FILE* parseLog = stdout);

// The same over files whose reading began before the context was made.
StartupReport InitializeScene(SceneStore& store, StartupReading& reading);
