#include "tools/thumbnail_run.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "app/scene_load.h"
#include "app/settings.h"
#include "app/startup_timings.h"
#include "loading/interruption.h"
#include "models/model_cache.h"
#include "models/model_import.h"
#include "offscreen/framebuffer.h"
#include "offscreen/offscreen_context.h"
#include "offscreen/png_io.h"
#include "scene/renderer.h"
#include "store/phase_clock.h"
#include "store/scene_store.h"
#include "tools/scene_framing.h"
#include "tools/snapshot_run.h"

namespace {

namespace fs = std::filesystem;

int Fail(std::FILE* errors, int code, const std::string& reason) {
  std::fprintf(errors, "morvane-snapshot: %s\n", reason.c_str());
  return code;
}

// A folder of this process's own under $TMPDIR (or /tmp), removed with
// everything in it when Remove is called or the object goes.
class PrivateFolder {
 public:
  PrivateFolder() = default;
  ~PrivateFolder() { Remove(); }
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  // Makes the folder; false with `error` saying why.
  bool Make(std::string& error) {
    std::error_code code;
    fs::path base = fs::temp_directory_path(code);
    if (code) base = "/tmp";
    std::string pattern = (base / "morvane-thumbnail-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      error = "cannot make a folder in " + base.string() + ": " + std::strerror(errno);
      return false;
    }
    path_ = pattern;
    return true;
  }
  void Remove() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
    path_.clear();
  }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

// Reads the model at `path` with a thumbnail's limits and writes its scene
// folder into `folder`. False with `error` saying why.
bool ImportForThumbnail(const std::string& path, PrivateFolder& folder, std::string& error) {
  ModelImportSettings settings;
  settings.limits.seconds = kThumbnailSeconds;
  settings.limits.memoryMegabytes = kThumbnailMegabytes;
  ModelImport import;
  std::size_t objectLines = 0;
  return PrepareModelImport(path, settings, import, error) && folder.Make(error) &&
         WriteSceneFolder(import.plan, settings.spin, folder.Path(), objectLines, error);
}

}  // namespace

int RunThumbnail(const SnapshotOptions& options, std::FILE* errors) {
  const PhaseClock whole;
  StartupTimings timings;
  const std::string& input = options.directory;
  std::error_code failure;
  const fs::path output = fs::absolute(options.output, failure);
  if (failure) return Fail(errors, kSnapshotUsageError, "bad output name '" + options.output + "'");

  PhaseClock phase;
  PrivateFolder imported;
  fs::path folder = input;
  if (IsModelFile(input)) {
    std::string error;
    if (!ImportForThumbnail(input, imported, error)) {
      return Fail(errors, kSnapshotCannotOpenModel, "cannot read " + input + ": " + error);
    }
    folder = imported.Path();
    timings.Add("import", phase, "the model library's in a child process; the folder's ours");
  } else if (!fs::is_directory(input, failure)) {
    return Fail(errors, kSnapshotCannotOpenModel,
                "cannot read " + input + ": neither a model file nor a scene folder");
  }
  fs::current_path(folder, failure);
  if (failure) {
    return Fail(errors, kSnapshotCannotOpenModel,
                "cannot enter folder '" + input + "': " + failure.message());
  }

  // No parse log, no ogllist.txt, no check: the folder is the user's, or is about
  // to go. Nor Mesa's cache of compiled shaders in the user's cache folder:
  // a thumbnail's few shaders are compiled in less time than they are found.
  ::setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
  SceneLoad load(theSceneStore, SceneLoad::Mode::kStartUp, nullptr, InterruptionToken(),
                 SceneLoad::Outputs::kPictureOnly);
  phase = PhaseClock();
  const int size = static_cast<int>(options.thumbnailSize);
  std::string contextError;
  auto context = OffscreenContext::Create(size, size, &contextError);
  if (context == nullptr) {
    return Fail(errors, kSnapshotUsageError, "no off-screen OpenGL context: " + contextError);
  }
  timings.Add("context", phase, "Mesa's; the files are read beside it");
  theSettings.programName = "morvane-snapshot";
  theSettings.timings = &timings;
  load.Advance();
  theSettings.timings = nullptr;
  // Interrupted: the signal ends the program as it would have.
  if (load.Stopped()) return 128 + InterruptionSignal();
  imported.Remove();

  phase = PhaseClock();
  // The scene as placed: a turning entry is shown unturned.
  constexpr float kUnturned = 0;
  SquareView view;
  if (!FrameScene(theSceneStore, kUnturned, view)) {
    return Fail(errors, kSnapshotCannotOpenModel, "cannot read " + input + ": it draws nothing");
  }
  LoadSquareView(view);
  DrawScene(theSceneStore, kUnturned);
  const RgbPicture picture = ReadFramebufferTopDown(size, size, 4);
  timings.Add("frame", phase, "framing ours, drawing and reading back Mesa's");
  phase = PhaseClock();
  std::string pngError;
  if (InterruptionSignal() != 0) return 128 + InterruptionSignal();
  if (!ReplacePng(output.string(), picture, &pngError)) {
    return Fail(errors, kSnapshotCannotWrite,
                "cannot write '" + output.string() + "': " + pngError);
  }
  timings.Add("PNG", phase, "libpng's");
  timings.Add("total", whole, "from the program's start, not counting loading it");
  if (options.timings) timings.Print(errors, theSettings.programName);
  return kSnapshotWritten;
}
