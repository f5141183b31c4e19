// The run of morvane-snapshot: the viewer's whole start-up and frame ticks on
// an off-screen 800 × 600 context instead of a window, then the last frame as
// a PNG.
//
// It uses the process-wide store, frame-tick state, camera and settings, as
// the viewer does, so it runs once per process. Standard output carries
// nothing but the parse log; every line on standard error begins with
// "morvane-snapshot:". No message box is shown, since nobody is there to
// answer it: the one box of a load, a bitmap that cannot be loaded, has the
// load's own line on standard error, which names the file and its line.
#pragma once

#include <cstdio>

#include "tools/snapshot_options.h"

// Exit codes of the program.
inline constexpr int kSnapshotWritten = 0;
inline constexpr int kSnapshotCannotWrite = 1;      // the PNG could not be written
inline constexpr int kSnapshotDiffers = 1;          // more pixels than allowed differ from --ref
inline constexpr int kSnapshotCannotOpenModel = 1;  // the model file cannot be imported
inline constexpr int kSnapshotUsageError = 2;       // bad arguments, folder or GL context

// Runs the snapshot described by `options` and returns the exit code; every
// failure first writes one line "morvane-snapshot: REASON" to `errors`.
int RunSnapshot(const SnapshotOptions& options, std::FILE* errors);
