#include "tools/snapshot_options.h"

#include <string_view>
#include <vector>

#include "store/decimal.h"

const char kSnapshotUsageText[] =
    "usage: morvane-snapshot [--frames N] [--keys SCRIPT] [--output FILE.png]\n"
    "                        [--ref REF.png [--threshold PCT]] [--quiet] [--timings]\n"
    "                        [DIR | MODEL]\n"
    "       morvane-snapshot --thumbnail SIZE [--timings] INPUT OUTPUT\n"
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
    "--thumbnail writes a thumbnail of INPUT (a MODEL or a DIR) to OUTPUT, as the\n"
    "desktop's thumbnailers ask: a SIZE x SIZE PNG (SIZE from 1 to 4096) with a\n"
    "transparent background, the scene unturned and framed to fill it. A model is\n"
    "read with at most 10 s and 1 GB and imported into a private folder under\n"
    "$TMPDIR that is removed again. Nothing is written but OUTPUT (no parse log,\n"
    "no ogllist.txt, nothing in the cache of imports), and no OUTPUT at all when\n"
    "INPUT cannot be read or draws nothing.\n"
    "Exit status: 0 on success, 1 when the model or thumbnail's input cannot be\n"
    "read or the picture cannot be written or differs from the reference, 2 on a\n"
    "usage error, an unreadable reference, or when no off-screen OpenGL context\n"
    "can be made.\n";

namespace {

// The operands once every option is known: a snapshot's one folder, or a
// thumbnail's input and output.
bool PlaceOperands(const std::vector<std::string>& operands, const std::string& snapshotOption,
                   SnapshotOptions& options, std::string& error) {
  if (options.thumbnailSize == 0) {
    if (operands.size() > 1) {
      error = "more than one folder given ('" + operands[0] + "' and '" + operands[1] + "')";
      return false;
    }
    if (operands.size() == 1 && operands[0].empty()) {
      error = "the folder name is empty";
      return false;
    }
    if (operands.size() == 1) options.directory = operands[0];
    return true;
  }
  if (!snapshotOption.empty()) {
    error = "--thumbnail takes no " + snapshotOption + " (see --help)";
    return false;
  }
  if (operands.size() != 2 || operands[0].empty() || operands[1].empty()) {
    error = "--thumbnail needs the names of an input and an output file (see --help)";
    return false;
  }
  options.directory = operands[0];
  options.output = operands[1];
  return true;
}

}  // namespace

SnapshotCommand ParseSnapshotArguments(int argc, const char* const* argv, SnapshotOptions& options,
                                       std::string& error) {
  std::vector<std::string> operands;
  std::string snapshotOption;  // the first option a thumbnail has no use for
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    const bool isOption = !optionsEnded && argument.size() > 1 && argument[0] == '-';
    if (!isOption) {
      operands.emplace_back(argument);
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
        name != "--threshold" && name != "--thumbnail") {
      error = "unknown option '" + std::string(name) + "' (see --help)";
      return SnapshotCommand::kUsageError;
    }
    if (name != "--thumbnail" && snapshotOption.empty()) snapshotOption = name;
    std::string_view value;
    if (equals != std::string_view::npos) {
      value = argument.substr(equals + 1);
    } else if (i + 1 < argc) {
      value = argv[++i];
    } else {
      error = std::string(name) + " needs a value";
      return SnapshotCommand::kUsageError;
    }

    if (name == "--thumbnail") {
      if (!ParseTickCount(value, options.thumbnailSize) ||
          options.thumbnailSize > kMostThumbnailSize) {
        error =
            "--thumbnail needs a size in pixels from 1 to 4096, not '" + std::string(value) + "'";
        return SnapshotCommand::kUsageError;
      }
    } else if (name == "--frames") {
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
  if (!PlaceOperands(operands, snapshotOption, options, error)) return SnapshotCommand::kUsageError;
  return SnapshotCommand::kRun;
}
