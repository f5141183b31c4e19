#include "tools/snapshot_run.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "app/frame_tick.h"
#include "app/scene_check.h"
#include "app/scene_load.h"
#include "app/settings.h"
#include "app/startup_timings.h"
#include "loading/interruption.h"
#include "loading/worker.h"
#include "offscreen/offscreen_context.h"
#include "offscreen/png_io.h"
#include "scene/renderer.h"
#include "store/phase_clock.h"
#include "store/scene_store.h"
#include "textures/message_box.h"
#include "tools/key_script.h"
#include "tools/picture_compare.h"

namespace {

// Boxes nobody can answer are not shown: a bitmap that cannot be loaded (the
// only box of a load) already has its line on standard error, with the file
// and line the box does not name.
class NoMessageBoxes final : public MessageBoxService {
 public:
  NoMessageBoxes() { SetMessageBoxService(this); }
  ~NoMessageBoxes() override { SetMessageBoxService(nullptr); }
  NoMessageBoxes(const NoMessageBoxes&) = delete;
  NoMessageBoxes& operator=(const NoMessageBoxes&) = delete;

  void ShowMessage(const char*, const char*) override {}
};

// An interrupted run ends as the signal would have ended it.
int Interrupted() {
  return 128 + InterruptionSignal();
}

int Fail(std::FILE* errors, int code, const std::string& reason) {
  std::fprintf(errors, "morvane-snapshot: %s\n", reason.c_str());
  return code;
}

// Compares the written picture with the reference; on failure says by how
// much on `errors` and writes the difference map beside the picture.
int CompareWithReference(const RgbPicture& picture, const RgbPicture& reference,
                         const SnapshotOptions& options, const std::filesystem::path& output,
                         std::FILE* errors) {
  const PictureDifference difference = ComparePictures(picture, reference);
  if (difference.Percent() <= options.thresholdPercent) return kSnapshotWritten;
  std::filesystem::path map = output;
  map.replace_filename(output.stem().string() + "-diff.png");
  std::string mapError;
  const bool mapWritten = WritePng(map.string(), difference.map, &mapError);
  char numbers[96];
  std::snprintf(numbers, sizeof numbers, "%.3f%% of the pixels (%llu of %llu; %.3g%% allowed)",
                difference.Percent(), static_cast<unsigned long long>(difference.differing),
                static_cast<unsigned long long>(difference.total), options.thresholdPercent);
  return Fail(errors, kSnapshotDiffers,
              std::string(numbers) + " differ from " + options.reference +
                  (mapWritten ? "; differences shown in " + map.string() : "; " + mapError));
}

}  // namespace

int RunSnapshot(const SnapshotOptions& options, std::FILE* errors) {
  const PhaseClock whole;
  const NoMessageBoxes boxes;
  StartupTimings timings;
  // The pictures' names are the caller's; the start-up's files are the folder's.
  std::error_code failure;
  const std::filesystem::path output = std::filesystem::absolute(options.output, failure);
  if (failure) {
    return Fail(errors, kSnapshotUsageError, "bad output name '" + options.output + "'");
  }
  RgbPicture reference;
  if (!options.reference.empty()) {
    std::string referenceError;
    if (!ReadPng(options.reference, reference, &referenceError)) {
      return Fail(errors, kSnapshotUsageError, "cannot use the reference: " + referenceError);
    }
  }
  std::filesystem::current_path(options.directory, failure);
  if (failure) {
    return Fail(errors, kSnapshotUsageError,
                "cannot enter folder '" + options.directory + "': " + failure.message());
  }

  // The window's creation message runs a tick before any context exists: no
  // key is held and nothing is drawn, but the animation angle advances.
  RunFrameTick(theSceneStore, theFrameTickState, theCamera, HeldKeys{}, false);

  // The files are read while the context is made; without a context the
  // reading stops and leaves no parse log.
  if (options.quiet) theSettings.parseLog = DiscardingStream();
  SceneLoad load(theSceneStore, SceneLoad::Mode::kStartUp, theSettings.parseLog,
                 InterruptionToken());
  std::string contextError;
  PhaseClock phase;
  auto context = OffscreenContext::Create(theSettings.width, theSettings.height, &contextError);
  if (context == nullptr) {
    return Fail(errors, kSnapshotUsageError, "no off-screen OpenGL context: " + contextError);
  }
  timings.Add("context", phase, "Mesa's; the files are read beside it");
  theSettings.programName = "morvane-snapshot";
  theSettings.sceneFolder = options.directory.c_str();
  theSettings.timings = &timings;
  load.Advance();
  theSettings.timings = nullptr;
  // Interrupted: nothing more is written, and ogllist.txt stays as it was.
  if (load.Stopped()) return Interrupted();
  // The check goes on beside the frames; its sum is taken once they are
  // done, for the summary line.
  StartupReport report = load.Report();
  const std::unique_ptr<SceneCheck> check = load.TakeCheck();

  const std::uint64_t ticks = std::max(options.frames, options.keys.length);
  KeyScriptPlayer player(options.keys);
  for (std::uint64_t tick = 0; tick < ticks; ++tick) {
    phase = PhaseClock();
    if (InterruptionSignal() != 0) return Interrupted();
    const bool quit =
        RunFrameTick(theSceneStore, theFrameTickState, theCamera, player.Next(), true);
    // Where the viewer swaps buffers, the frame is finished: without that
    // point the software renderer queues frame after frame, and a long run
    // grows by megabytes a second.
    glFinish();
    if (tick == 0) timings.Add("first frame", phase, "Mesa's");
    // The viewer ends after the tick that saw Escape; that frame is still drawn.
    if (quit) break;
  }

  // The sum is taken before the picture is written: a program interrupted
  // while it waits writes nothing, as at any other moment.
  phase = PhaseClock();
  check->TakeInto(report, kNoDeadline, InterruptionToken());
  if (InterruptionSignal() != 0) return Interrupted();
  timings.Add("waiting for the check", phase,
              "the checker's rules over the three files, ours, on a thread of its own since the "
              "lists were compiled");
  phase = PhaseClock();
  const RgbPicture picture{context->width(), context->height(), context->ReadRgbTopDown()};
  std::string pngError;
  bool written = false;
  if (InterruptionSignal() != 0) return Interrupted();
  {
    // The picture is encoded while the context, with every list compiled in
    // it, is taken apart: neither needs the other any more.
    Worker encoding(
        [&](std::stop_token) { written = WritePng(output.string(), picture, &pngError); },
        [&](std::exception_ptr) { pngError = "the memory to encode it cannot be had"; });
    context.reset();
    encoding.Join();
  }
  timings.Add("PNG", phase, "reading back Mesa's, encoding libpng's beside the context's teardown");
  PrintStartupReport(report, errors);
  timings.Add("total", whole, "from the program's start, not counting loading it");
  if (options.timings) timings.Print(errors, theSettings.programName);
  if (!written) {
    return Fail(errors, kSnapshotCannotWrite,
                "cannot write '" + output.string() + "': " + pngError);
  }
  if (options.reference.empty()) return kSnapshotWritten;
  return CompareWithReference(picture, reference, options, output, errors);
}
