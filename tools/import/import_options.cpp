#include "tools/import/import_options.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <string_view>

const char kImportUsageText[] =
    "usage: morvane-import [--force] [--spin R] MODEL [DIR]\n"
    "       morvane-import --help | --version | --list-formats\n"
    "Reads MODEL in any format the Open Asset Import Library reads (glTF, OBJ,\n"
    "FBX, PLY, STL, 3DS, Collada and more) and writes the scene folder DIR\n"
    "(default: the model's name without extension): objects.txt, scene.txt,\n"
    "textures.txt and one bitmap per texture, for morvane and morvane-snapshot.\n"
    "The model is centred and scaled to fit the viewer's fixed camera.\n"
    "  --force       replace files that already exist in DIR\n"
    "  --spin R      turn the model about y at rate R (scene.txt's rotate: 0.1 * R\n"
    "                degrees per frame), -1000 to 1000\n"
    "  --list-formats  print the file extensions that can be read\n"
    "A summary goes to standard error. Exit status: 0 when the folder was written,\n"
    "1 when the model cannot be read or a file cannot be written or already\n"
    "exists, 2 on a usage error.\n";

namespace {

constexpr double kMaxSpin = 1000;

bool ParseSpin(std::string_view text, double& spin) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, spin);
  return result.ec == std::errc() && result.ptr == end && std::isfinite(spin) &&
         std::fabs(spin) <= kMaxSpin;
}

}  // namespace

ImportCommand ParseImportArguments(int argc, const char* const* argv, ImportOptions& options,
                                   std::string& error) {
  int positional = 0;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      if (argument.empty()) {
        error = "an empty file or folder name";
        return ImportCommand::kUsageError;
      }
      if (positional == 2) {
        error = "more than a model and a folder given ('" + std::string(argument) + "')";
        return ImportCommand::kUsageError;
      }
      (positional++ == 0 ? options.model : options.directory) = argument;
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "--help") {
      return ImportCommand::kHelp;
    } else if (argument == "--version") {
      return ImportCommand::kVersion;
    } else if (argument == "--list-formats") {
      return ImportCommand::kListFormats;
    } else if (argument == "--force") {
      options.force = true;
    } else if (argument == "--spin" || argument.starts_with("--spin=")) {
      std::string_view value;
      if (argument.size() > 6) {
        value = argument.substr(7);
      } else if (i + 1 < argc) {
        value = argv[++i];
      }
      if (!ParseSpin(value, options.spin)) {
        error = "--spin needs a rate from -1000 to 1000, not '" + std::string(value) + "'";
        return ImportCommand::kUsageError;
      }
    } else {
      error = "unknown option '" + std::string(argument) + "' (see --help)";
      return ImportCommand::kUsageError;
    }
  }
  if (options.model.empty()) {
    error = "no model file given (see --help)";
    return ImportCommand::kUsageError;
  }
  if (options.directory.empty()) {
    options.directory = std::filesystem::path(options.model).stem().string();
    if (options.directory.empty() || options.directory == "." || options.directory == "..") {
      error = "cannot name a folder after '" + options.model + "'; give DIR";
      return ImportCommand::kUsageError;
    }
  }
  return ImportCommand::kRun;
}
