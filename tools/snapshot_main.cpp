// morvane-snapshot: a picture of a scene folder as the viewer would show it,
// without a window or a display.
#include <cstdio>
#include <string>

#include "app/scene_initialization.h"
#include "loading/interruption.h"
#include "tools/snapshot_options.h"
#include "tools/snapshot_run.h"

int main(int argc, char** argv) {
  UseOneHeapForAllThreads();
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
  return RunSnapshot(options, stderr);
}
