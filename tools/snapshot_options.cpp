#include "tools/snapshot_options.h"

#include <string_view>

#include "store/decimal.h"

const char kSnapshotUsageText[] =
    "usage: morvane-snapshot [--frames N] [--keys SCRIPT] [--output FILE.png]\n"
    "                        [--ref REF.png [--threshold PCT]] [--quiet] [--timings]\n"
    "                        [DIR | MODEL]\n"
    "Runs the viewer's start-up in DIR (default: the current directory) without a\n"
    "window, draws N frame ticks (default 1) and writes the last frame as an\n"
    "800 x 600 PNG to FILE.png (default snapshot.png, relative to where it is run).\n"
    "A MODEL file in any format morvane-import reads is imported into the cache of\n"
    "imports ($XDG_CACHE_HOME/morvane, or ~/.cache/morvane) and that folder drawn;\n"
    "an unchanged model is imported only once.\n"
    "The parse log of objects.txt goes to standard output and ogllist.txt into DIR,\n"
    "as the viewer writes them (--quiet keeps the parse log off standard output).\n"
    "Standard error gets a line per bitmap that cannot be loaded and one line that\n"
    "counts the errors morvane-check DIR explains, naming the first.\n"
    "SCRIPT holds keys over the first ticks: tokens separated by blanks or commas,\n"
    "each KEYS or KEYS*COUNT, KEYS being up, down, left, right, f1, escape or none\n"
    "joined by '+' (for example \"up*20 left*5 none\"). N grows to the script's\n"
    "length; a tick that holds escape is the last one drawn.\n"
    "With --ref REF.png the picture is compared with REF.png: a pixel differs when a\n"
    "channel differs by more than 8; more than PCT percent (--threshold, default\n"
    "0.1) of differing pixels fails the run and writes FILE-diff.png beside it.\n"
    "--timings prints the wall-clock and CPU time of each start-up phase on\n"
    "standard error, and whether the time is mostly Mesa's or ours.\n"
    "Exit status: 0 on success, 1 when the model cannot be read or the picture\n"
    "cannot be written or differs from the reference, 2 on a usage error, an\n"
    "unreadable reference, or when no off-screen OpenGL context can be made.\n";

SnapshotCommand ParseSnapshotArguments(int argc, const char* const* argv, SnapshotOptions& options,
                                       std::string& error) {
  bool directoryGiven = false;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    const bool isOption = !optionsEnded && argument.size() > 1 && argument[0] == '-';
    if (!isOption) {
      if (directoryGiven) {
        error = "more than one folder given ('" + options.directory + "' and '" +
                std::string(argument) + "')";
        return SnapshotCommand::kUsageError;
      }
      if (argument.empty()) {
        error = "the folder name is empty";
        return SnapshotCommand::kUsageError;
      }
      options.directory = argument;
      directoryGiven = true;
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    if (argument == "--help") return SnapshotCommand::kHelp;
    if (argument == "--version") return SnapshotCommand::kVersion;
    if (argument == "--timings") {
      options.timings = true;
      continue;
    }
    if (argument == "--quiet") {
      options.quiet = true;
      continue;
    }

    const std::size_t equals = argument.find('=');
    const std::string_view name = argument.substr(0, equals);
    if (name != "--frames" && name != "--keys" && name != "--output" && name != "--ref" &&
        name != "--threshold") {
      error = "unknown option '" + std::string(name) + "' (see --help)";
      return SnapshotCommand::kUsageError;
    }
    std::string_view value;
    if (equals != std::string_view::npos) {
      value = argument.substr(equals + 1);
    } else if (i + 1 < argc) {
      value = argv[++i];
    } else {
      error = std::string(name) + " needs a value";
      return SnapshotCommand::kUsageError;
    }

    if (name == "--frames") {
      if (!ParseTickCount(value, options.frames)) {
        error =
            "--frames needs a whole number from 1 to 1000000000, not '" + std::string(value) + "'";
        return SnapshotCommand::kUsageError;
      }
    } else if (name == "--keys") {
      if (!ParseKeyScript(value, options.keys, error)) return SnapshotCommand::kUsageError;
    } else if (name == "--threshold") {
      const double percent = ParseDecimalPrefix(value);
      if (value.empty() || value.find_first_not_of("0123456789.") != std::string_view::npos ||
          !(percent >= 0 && percent <= 100)) {
        error = "--threshold needs a percentage from 0 to 100, not '" + std::string(value) + "'";
        return SnapshotCommand::kUsageError;
      }
      options.thresholdPercent = percent;
    } else if (name == "--ref") {
      if (value.empty()) {
        error = "--ref needs a file name";
        return SnapshotCommand::kUsageError;
      }
      options.reference = value;
    } else {
      if (value.empty()) {
        error = "--output needs a file name";
        return SnapshotCommand::kUsageError;
      }
      options.output = value;
    }
  }
  return SnapshotCommand::kRun;
}
