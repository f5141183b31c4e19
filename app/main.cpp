// The morvane program: the viewer on the SDL platform, run in the scene folder
// named on the command line (or the working directory), which holds the
// scene's three text files and receives ogllist.txt.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/authoring.h"
#include "app/platform_sdl.h"
#include "app/settings.h"
#include "app/startup_timings.h"
#include "app/viewer.h"
#include "app/viewer_options.h"
#include "loading/interruption.h"
#include "models/model_cache.h"

int main(int argc, char** argv) {
  WatchForInterruptions();
  ViewerOptions options;
  std::string error;
  switch (ParseViewerArguments(argc, argv, options, error)) {
    case ViewerCommand::kHelp:
      std::fputs(kViewerUsageText, stdout);
      return 0;
    case ViewerCommand::kVersion:
      std::printf("morvane %s\n", MORVANE_VERSION);
      return 0;
    case ViewerCommand::kUsageError:
      // One line, as every line on standard error; --help has the rest.
      std::fprintf(stderr, "morvane: %s (see --help)\n", error.c_str());
      return 2;
    case ViewerCommand::kRun:
      break;
  }
  // Pictures go where the user started the viewer; the scene's files and its
  // bitmaps are named relative to the scene folder.
  char startFolder[4096];
  if (getcwd(startFolder, sizeof startFolder) != nullptr) theAuthoring.pictureFolder = startFolder;
  theAuthoring.watch = options.watch;
  // A model file is shown through the folder it is imported into.
  if (IsModelFile(options.directory)) {
    const auto folder =
        OpenModelArgument(options.directory, InterruptionToken(), "morvane", stderr);
    if (!folder) return 1;
    // Under --watch a change of the model or its files imports it anew.
    theAuthoring.model = std::filesystem::absolute(options.directory).string();
    theAuthoring.watcher.AlsoWatch(ModelSourceFiles(theAuthoring.model, *folder));
    options.directory = *folder;
  }
  if (chdir(options.directory.c_str()) != 0) {
    std::fprintf(stderr, "morvane: cannot enter folder '%s': %s\n", options.directory.c_str(),
                 std::strerror(errno));
    return 2;
  }
  theSettings.sceneFolder = options.directory.c_str();
  if (options.quiet) theSettings.parseLog = DiscardingStream();
  StartupTimings timings;
  if (options.timings) theSettings.timings = &timings;
  auto platform = CreateSdlPlatform(theSettings.programName);
  return RunViewer(*platform, options.screen);
}
