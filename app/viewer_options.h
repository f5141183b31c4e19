// The command line of morvane:
//
//   morvane [--windowed | --fullscreen] [--watch] [--quiet] [--timings] [DIR]
//
// DIR is the scene folder (default: the working directory); "--" ends the
// options. Parsing only: nothing is opened or printed here.
#pragma once

#include <string>

// How the start chooses between full screen and a window: by asking, or by
// the answer given on the command line.
enum class ScreenChoice { kAsk, kWindowed, kFullScreen };

struct ViewerOptions {
  std::string directory = ".";  // the scene folder the viewer runs in
  ScreenChoice screen = ScreenChoice::kAsk;
  bool watch = false;    // reload when the scene's files change
  bool quiet = false;    // keep the parse log off standard output
  bool timings = false;  // print the start-up phases' times on standard error
};

enum class ViewerCommand { kRun, kHelp, kVersion, kUsageError };

// Reads argv[1..argc-1] into `options`. On kUsageError `error` holds a
// one-line reason (an unknown option, --windowed with --fullscreen, an empty
// or second folder).
ViewerCommand ParseViewerArguments(int argc, const char* const* argv, ViewerOptions& options,
                                   std::string& error);

// The --help text.
extern const char kViewerUsageText[];
