// morvane-snapshot: a picture of a scene folder (or of a model file, through
// the cache of imports) as the viewer would show it, without a window or a
// display; or a thumbnail of either for the desktop.
#include <cstdio>
#include <string>

#include "loading/interruption.h"
#include "models/model_cache.h"
#include "tools/snapshot_options.h"
#include "tools/snapshot_run.h"
#include "tools/thumbnail_run.h"

int main(int argc, char** argv) {
  WatchForInterruptions();
  SnapshotOptions options;
  std::string error;
  switch (ParseSnapshotArguments(argc, argv, options, error)) {
    case SnapshotCommand::kHelp:
      std::fputs(kSnapshotUsageText, stdout);
      return 0;
    case SnapshotCommand::kVersion:
      std::printf("morvane-snapshot %s\n", MORVANE_VERSION);
      return 0;
    case SnapshotCommand::kUsageError:
      std::fprintf(stderr, "morvane-snapshot: %s\n", error.c_str());
      return kSnapshotUsageError;
    case SnapshotCommand::kRun:
      break;
  }
  if (options.thumbnailSize != 0) return RunThumbnail(options, stderr);
  if (IsModelFile(options.directory)) {
    const auto folder =
        OpenModelArgument(options.directory, InterruptionToken(), "morvane-snapshot", stderr);
    if (!folder) return kSnapshotCannotOpenModel;
    options.directory = *folder;
  }
  return RunSnapshot(options, stderr);
}
