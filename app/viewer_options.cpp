#include "app/viewer_options.h"

#include <string_view>

const char kViewerUsageText[] =
    "usage: morvane [--windowed | --fullscreen] [--watch] [--quiet] [--timings]\n"
    "               [DIR | MODEL]\n"
    "Shows the scene in DIR (default: the current directory): textures.txt,\n"
    "objects.txt and scene.txt. The parse log of objects.txt goes to standard\n"
    "output and ogllist.txt into DIR; problems with the files are summed up in one\n"
    "line on standard error (morvane-check DIR explains each). A MODEL file in\n"
    "any format morvane-import reads is imported into the cache of imports\n"
    "($XDG_CACHE_HOME/morvane) and shown from there; with --watch a change of\n"
    "the model or its files imports it again.\n"
    "  --windowed    open an 800 x 600 window without asking about full screen\n"
    "  --fullscreen  run full screen without asking (if the display has no\n"
    "                800 x 600 mode, a box offers the window instead)\n"
    "  --watch       load the scene again whenever one of its files (or a bitmap\n"
    "                that textures.txt names) changes on disk\n"
    "  --quiet       keep the parse log off standard output\n"
    "  --timings     print each start-up phase's wall-clock and CPU time, up to the\n"
    "                first frame, on standard error\n"
    "Keys: Up/Down move, Left/Right turn, F1 looks ahead again, F5 loads the scene\n"
    "again, F12 saves the picture as morvane-YYYYMMDD-HHMMSS.png in the folder the\n"
    "viewer was started from, Escape quits.\n"
    "Mouse: dragging with the left button turns (the scene follows the pointer),\n"
    "the wheel moves forward and back. A scene folder or model file dropped onto\n"
    "the window is shown in place of the scene.\n"
    "Exit status: 0 after a normal quit, 1 when no window could be opened, 2 on a\n"
    "usage error or a folder that cannot be entered.\n";

ViewerCommand ParseViewerArguments(int argc, const char* const* argv, ViewerOptions& options,
                                   std::string& error) {
  bool directoryGiven = false;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
      if (argument == "--") {
        optionsEnded = true;
      } else if (argument == "--help") {
        return ViewerCommand::kHelp;
      } else if (argument == "--version") {
        return ViewerCommand::kVersion;
      } else if (argument == "--windowed" || argument == "--fullscreen") {
        const ScreenChoice choice =
            argument == "--windowed" ? ScreenChoice::kWindowed : ScreenChoice::kFullScreen;
        if (options.screen != ScreenChoice::kAsk && options.screen != choice) {
          error = "--windowed and --fullscreen exclude each other";
          return ViewerCommand::kUsageError;
        }
        options.screen = choice;
      } else if (argument == "--watch") {
        options.watch = true;
      } else if (argument == "--quiet") {
        options.quiet = true;
      } else if (argument == "--timings") {
        options.timings = true;
      } else {
        error = "unknown option '" + std::string(argument) + "'";
        return ViewerCommand::kUsageError;
      }
      continue;
    }
    if (directoryGiven || argument.empty()) {
      error = argument.empty() ? "the folder name is empty"
                               : "more than one folder given ('" + options.directory + "' and '" +
                                     std::string(argument) + "')";
      return ViewerCommand::kUsageError;
    }
    options.directory = argument;
    directoryGiven = true;
  }
  return ViewerCommand::kRun;
}
