// The command line of morvane-snapshot:
//
//   morvane-snapshot [--frames N] [--keys SCRIPT] [--output FILE.png]
//                    [--ref REF.png [--threshold PCT]] [--quiet] [--timings]
//                    [DIR | MODEL]
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
};

enum class SnapshotCommand {
  kRun,
  kHelp,
  kVersion,
  kUsageError,
};

// Reads argv[1..argc-1] into `options`. On kUsageError `error` holds a
// one-line reason (an unknown option, a missing or bad value, a second folder).
SnapshotCommand ParseSnapshotArguments(int argc, const char* const* argv, SnapshotOptions& options,
                                       std::string& error);

// The --help text.
extern const char kSnapshotUsageText[];
