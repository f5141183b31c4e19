// Loading a scene folder's three files into a store: the one path of the
// first start-up and of every reload.
//
// What needs no GL context runs on workers from the moment the load is made
// (before the context exists, at start-up): objects.txt with its parse log,
// the bitmaps textures.txt names, and scene.txt. Once the lists are compiled,
// the checker's rules over the three files (app/scene_check.h) start on a
// worker of their own for the summary line. The GL work (the textures,
// the compilation into display lists with ogllist.txt, the fixed GL state)
// is done by Advance, on the thread that holds the context, a slice at a
// time: the caller decides how long each slice may take and what happens in
// between (frames of the scene on screen, a look at the window's messages).
//
// The two modes differ only where the user would notice:
// - kStartUp shows a bitmap's failure in its box, in order, and compiles the
//   statements as they arrive;
// - kReload shows no box and compiles once every statement has arrived, so
//   no slice waits for the reading.
// Either way each bitmap that cannot be loaded gets its line on standard
// error, in order. The parse log is held back until the textures are made,
// so those lines and the boxes always come before it.
//
// A load whose stop token is requested (a newer change, an interruption, a
// close) stops at its next wait or slice: ogllist.txt stays as it was, and
// the store holds whatever part was loaded, for the caller to throw away.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <stop_token>

#include "app/scene_check.h"
#include "app/startup_report.h"
#include "compiler/display_list_compiler.h"
#include "loading/channel.h"
#include "loading/worker.h"
#include "objects/object_file_reading.h"
#include "store/phase_clock.h"
#include "store/scene_store.h"
#include "textures/texture_table.h"

class SceneLoad {
 public:
  enum class Mode { kStartUp, kReload };
  // What the load gives besides the scene in GL: everything, or only what a
  // picture needs. A thumbnail of a scene folder leaves the user's folder as
  // it was (no ogllist.txt) and has no summary line to give (no check).
  enum class Outputs { kAll, kPictureOnly };

  // Begins reading the working directory's files into `store`, which must
  // outlive the load; the parse log goes to `parseLog` (none when null).
  // Every wait ends when `stop` is requested or Cancel is called.
  SceneLoad(SceneStore& store, Mode mode, std::FILE* parseLog, std::stop_token stop = {},
            Outputs outputs = Outputs::kAll);
  SceneLoad(const SceneLoad&) = delete;
  SceneLoad& operator=(const SceneLoad&) = delete;
  ~SceneLoad();

  // Does the GL work, in the context current now, until `deadline` or until
  // the load has ended. True once it has ended, complete or stopped.
  bool Advance(Deadline deadline = kNoDeadline);

  // Asks the load to stop at its next wait or slice.
  void Cancel() { cancel_.request_stop(); }
  // Whether the load ended because it was asked to stop.
  bool Stopped() const { return stopped_; }

  // What the loaders met; complete once Advance has returned true, but for
  // the check's sum, which the check gives (SceneCheck::TakeInto).
  const StartupReport& Report() const { return report_; }

  // The check of the folder, started once the lists are compiled and not
  // waited for by the load: the caller takes it (once), to take its sum when
  // it may wait. Null until then, once taken, after a stop, and with
  // Outputs::kPictureOnly.
  std::unique_ptr<SceneCheck> TakeCheck() { return std::move(check_); }

 private:
  enum class Phase { kTextures, kCompiling, kScene, kDone };
  struct SceneFile;

  bool MakeTextures(Deadline deadline);
  bool Compile(Deadline deadline);
  bool NameScene(Deadline deadline);
  void EndCompiling();
  bool Stop();

  SceneStore& store_;
  Mode mode_;
  std::stop_source cancel_;
  std::optional<std::stop_callback<std::function<void()>>> follow_;  // the caller's stop
  Phase phase_ = Phase::kTextures;
  bool started_ = false;
  bool stopped_ = false;
  StartupReport report_;
  PhaseClock phaseClock_;
  Outputs outputs_;

  ObjectFileReading objects_;
  TextureFilesReading textures_;
  std::unique_ptr<Channel<SceneFile>> sceneFile_;
  std::optional<Worker> sceneReading_;  // after the channel it fills, so it ends first
  std::unique_ptr<SceneCheck> check_;   // started last: the loaders' work comes first
  std::optional<TranscriptFile> transcript_;
  std::optional<TextWriter> noTranscript_;  // where the walk writes with Outputs::kPictureOnly
  std::optional<CompileWalk> walk_;
};
