// The command line of morvane-snapshot:
//
//   morvane-snapshot [--frames N] [--keys SCRIPT] [--output FILE.png]
//                    [--ref REF.png [--threshold PCT]] [--quiet] [--timings]
//                    [DIR | MODEL]
//   morvane-snapshot --thumbnail SIZE [--timings] INPUT OUTPUT
//
// Each option also takes its value as --option=VALUE; "--" ends the options.
// Parsing only: nothing is opened, checked on disk or printed here.
#pragma once

#include <cstdint>
#include <string>

#include "tools/key_script.h"

struct SnapshotOptions {
  std::uint64_t frames = 1;  // timer ticks after start-up; the key script may add more
  KeyScript keys;
  std::string output = "snapshot.png";  // relative to the caller's working directory
  std::string directory = ".";          // the scene folder the start-up runs in, or a model file
  std::string reference;                // a picture to compare with; empty for none
  double thresholdPercent = 0.1;        // share of differing pixels still accepted
  bool quiet = false;                   // keep the parse log off standard output
  bool timings = false;                 // print the start-up phases' times on standard error
  // --thumbnail: the side of a square thumbnail of `directory` (a model or a
  // folder) written to `output`; 0 for a snapshot.
  std::uint64_t thumbnailSize = 0;
};

// The largest thumbnail: four times the largest size the desktop's
// thumbnail cache asks for.
inline constexpr std::uint64_t kMostThumbnailSize = 4096;

enum class SnapshotCommand {
  kRun,
  kHelp,
  kVersion,
  kUsageError,
};

// Reads argv[1..argc-1] into `options`. On kUsageError `error` holds a
// one-line reason (an unknown option, a missing or bad value, a second folder,
// a thumbnail without its two files or with an option of snapshots).
SnapshotCommand ParseSnapshotArguments(int argc, const char* const* argv, SnapshotOptions& options,
                                       std::string& error);

// The --help text.
extern const char kSnapshotUsageText[];
