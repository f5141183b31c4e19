#include "app/scene_load.h"

#include <GL/gl.h>

#include <string>
#include <utility>

#include "app/settings.h"
#include "app/startup_timings.h"
#include "scene/scene_reader.h"
#include "textures/bitmap_loader.h"

// scene.txt as its worker read it: the entries without their lists' ids yet.
struct SceneLoad::SceneFile {
  SceneStore store;
  std::int32_t result = 0;
  std::size_t stopLine = 0;
  double wallSeconds = 0;
  double cpuSeconds = 0;
};

namespace {

// How many walk steps go between two looks at the clock: a step is a
// statement or a primitive, so a look costs nothing next to them.
constexpr int kStepsBetweenLooks = 256;

StartupTimings* Timings(SceneLoad::Mode mode) {
  return mode == SceneLoad::Mode::kStartUp ? theSettings.timings : nullptr;
}

}  // namespace

SceneLoad::SceneLoad(SceneStore& store, Mode mode, std::FILE* parseLog, std::stop_token stop,
                     Outputs outputs)
    : store_(store),
      mode_(mode),
      phaseClock_(PhaseClock::Cpu::kThisThread),
      outputs_(outputs),
      objects_(store, "objects.txt", parseLog, ObjectFileReading::Log::kHeld, cancel_.get_token()),
      textures_("textures.txt", cancel_.get_token()) {
  follow_.emplace(std::move(stop), [this] { cancel_.request_stop(); });
  // scene.txt needs of the compilation only the ids of its lists: it is read
  // into a store of its own, and its entries are given their ids afterwards.
  sceneFile_ = std::make_unique<Channel<SceneFile>>(1);
  Channel<SceneFile>& channel = *sceneFile_;
  SceneEntry first = store.currentSceneEntry;
  sceneReading_.emplace(
      [&channel, first](std::stop_token token) {
        const PhaseClock clock(PhaseClock::Cpu::kThisThread);
        SceneFile file;
        file.store.currentSceneEntry = first;
        file.result = ReadSceneFile(file.store, "scene.txt", &file.stopLine, SceneListIds::kLater);
        file.wallSeconds = clock.WallSeconds();
        file.cpuSeconds = clock.CpuSeconds();
        channel.Send(std::move(file), token);
      },
      [&channel](std::exception_ptr error) { channel.Fail(error); });
}

SceneLoad::~SceneLoad() {
  cancel_.request_stop();
  sceneReading_.reset();
}

bool SceneLoad::Stop() {
  stopped_ = true;
  phase_ = Phase::kDone;
  walk_.reset();
  transcript_.reset();  // ogllist.txt stays as it was
  return true;
}

bool SceneLoad::Advance(Deadline deadline) {
  if (!started_) {
    // The GL work begins: the phases are timed from here.
    started_ = true;
    phaseClock_ = PhaseClock(PhaseClock::Cpu::kThisThread);
  }
  for (;;) {
    if (cancel_.stop_requested() && phase_ != Phase::kDone) return Stop();
    switch (phase_) {
      case Phase::kTextures:
        if (!MakeTextures(deadline)) return phase_ == Phase::kDone;
        break;
      case Phase::kCompiling:
        if (!Compile(deadline)) return phase_ == Phase::kDone;
        break;
      case Phase::kScene:
        if (!NameScene(deadline)) return phase_ == Phase::kDone;
        break;
      case Phase::kDone:
        return true;
    }
  }
}

bool SceneLoad::MakeTextures(Deadline deadline) {
  const std::vector<std::string>& names = textures_.Names();
  while (textures_.Taken() < names.size()) {
    BitmapDecodeResult decoded;
    if (!textures_.Next(decoded, deadline)) return textures_.Stopped() ? Stop() : false;
    const std::size_t slot = textures_.Taken() - 1;
    const char* name = names[slot].c_str();
    // The line comes before the box, so the terminal says it while the box waits.
    if (decoded.status != BitmapStatus::kLoaded) {
      PrintBitmapNotLoaded(slot + 1, name, decoded.status, stderr);
    }
    RgbImagePtr image;
    if (mode_ == Mode::kStartUp) {
      // The image comes first, so a failure is shown before the slot exists.
      image = ImageOrMessage(std::move(decoded), name);
    } else {
      image = std::move(decoded.image);
    }
    MakeTexture(store_, slot, image.get());
    if (LoadClock::now() >= deadline) break;
  }
  if (textures_.Taken() < names.size()) return false;
  // Texturing stays on for the whole run; compiled lists only switch blending.
  glEnable(GL_TEXTURE_2D);
  if (StartupTimings* timings = Timings(mode_)) {
    timings->Add("textures", phaseClock_,
                 "decoding ours, on a thread of its own; uploading Mesa's");
  }
  // The boxes are done: the parse log may follow them.
  objects_.ReleaseLog();
  phaseClock_ = PhaseClock(PhaseClock::Cpu::kThisThread);
  if (outputs_ == Outputs::kAll) {
    transcript_.emplace();
  } else {
    noTranscript_.emplace(nullptr);
  }
  phase_ = Phase::kCompiling;
  return true;
}

bool SceneLoad::Compile(Deadline deadline) {
  // A reload compiles only what has all arrived, so no slice waits for the
  // reading; start-up takes each statement as it comes.
  if (mode_ == Mode::kReload && !objects_.TakeArrived(deadline)) return false;
  if (objects_.Stopped()) return Stop();
  if (!walk_.has_value()) {
    walk_.emplace(store_, objects_, transcript_ ? transcript_->Writer() : *noTranscript_);
  }
  for (int steps = 0; walk_->Step();) {
    if (++steps % kStepsBetweenLooks == 0 && LoadClock::now() >= deadline) return false;
  }
  if (objects_.Stopped()) return Stop();
  EndCompiling();
  return true;
}

void SceneLoad::EndCompiling() {
  const std::int32_t result = walk_->Finish();
  const bool lost = walk_->TranscriptLost();
  walk_.reset();
  // A walk that stopped at a rejected line leaves the rest of the file to
  // read; the transcript takes its name only once the whole file is read,
  // so a start-up that ends meanwhile (its parse log's reader gone) leaves
  // ogllist.txt as it was.
  report_.objectsUnreadable = objects_.Finish() != 0;
  if (objects_.Stopped()) {
    Stop();
    return;
  }
  if (transcript_) transcript_->Commit(result, &report_.transcriptProblem, lost);
  transcript_.reset();
  // The reading and ogllist.txt's writer kept the second core busy until
  // now; from here the GL thread draws alone, and the check has that core.
  if (outputs_ == Outputs::kAll) check_ = std::make_unique<SceneCheck>();
  if (StartupTimings* timings = Timings(mode_)) {
    timings->Add("compiling", phaseClock_,
                 "GL calls Mesa's; the walk and waiting for statements ours, ogllist.txt "
                 "written on a thread of its own");
    timings->Add("reading objects.txt with the log", objects_.WorkerWallSeconds(),
                 objects_.WorkerCpuSeconds(), "ours, on a thread of its own");
  }
  for (std::size_t k = 0; k < store_.statements.size(); ++k) {
    if (IsAccepted(store_.statements[k])) continue;
    if (report_.rejectedLines++ == 0) report_.firstRejectedLine = k + 1;
  }
  // Nothing reads the statements again: the lists hold them now, and their
  // room (some 90 MB at a million lines) is better left to the first frame.
  // A picture-only load keeps them to frame the picture.
  if (outputs_ == Outputs::kAll) std::vector<Statement>().swap(store_.statements);
  phaseClock_ = PhaseClock(PhaseClock::Cpu::kThisThread);
  phase_ = Phase::kScene;
}

bool SceneLoad::NameScene(Deadline deadline) {
  SceneFile file;
  switch (sceneFile_->Receive(file, cancel_.get_token(), deadline)) {
    case Received::kItem:
      break;
    case Received::kNotYet:
      return false;
    case Received::kStopped:
      return Stop();
    case Received::kFailed:
    case Received::kEnd:
      // A reading that failed read nothing: the scene is empty.
      file.store.currentSceneEntry = store_.currentSceneEntry;
      file.result = kSceneCannotOpen;
      break;
  }
  sceneReading_.reset();
  report_.sceneResult = file.result;
  report_.sceneStopLine = file.stopLine;
  const std::size_t firstEntry = store_.sceneEntries.size();
  if (firstEntry == 0) {
    store_.sceneEntries = std::move(file.store.sceneEntries);
  } else {
    store_.sceneEntries.insert(store_.sceneEntries.end(), file.store.sceneEntries.begin(),
                               file.store.sceneEntries.end());
  }
  store_.currentSceneEntry = file.store.currentSceneEntry;
  store_.sceneEntryCount = file.store.sceneEntryCount;
  NameSceneLists(store_, firstEntry);
  if (StartupTimings* timings = Timings(mode_)) {
    timings->Add("reading scene.txt", file.wallSeconds, file.cpuSeconds,
                 "ours, on a thread of its own");
    timings->Add("naming the scene's lists", phaseClock_, "ours");
  }

  glShadeModel(GL_SMOOTH);
  glClearColor(0, 0, 0, 0);
  // LEQUAL lets the second pass of a two-texture blend, drawn at the very
  // same depth as the first, through the depth test.
  glDepthFunc(GL_LEQUAL);
  glDepthRange(0.0, 1.0);
  glEnable(GL_DEPTH_TEST);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  phase_ = Phase::kDone;
  return true;
}
