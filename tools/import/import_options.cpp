#include "tools/import/import_options.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string_view>

const char kImportUsageText[] =
    "usage: morvane-import [--force] [--flat] [--spin R] [--time-limit S]\n"
    "                      [--memory-limit MB] MODEL [DIR]\n"
    "       morvane-import --help | --version | --list-formats\n"
    "Reads MODEL in any format the Open Asset Import Library reads (glTF, OBJ,\n"
    "FBX, PLY, STL, 3DS, Collada and more) and writes the scene folder DIR\n"
    "(default: the model's name without extension): objects.txt, scene.txt,\n"
    "textures.txt and one bitmap per texture, for morvane and morvane-snapshot.\n"
    "The model is centred and scaled to fit the viewer's fixed camera, and lit\n"
    "by a light from the upper front left, baked into its bitmaps.\n"
    "  --force       replace files that already exist in DIR\n"
    "  --flat        no light: textures and colours as the model gives them\n"
    "  --spin R      turn the model about y at rate R (scene.txt's rotate: 0.1 * R\n"
    "                degrees per frame), -1000 to 1000\n"
    "  --time-limit S     give up reading the model after S seconds (default 60)\n"
    "  --memory-limit MB  let the model reader take at most MB megabytes of memory\n"
    "                     (default: half of the machine's memory)\n"
    "  --list-formats  print the file extensions that can be read\n"
    "The model is read in a process of its own, so that a file that crashes the\n"
    "library only ends that process. A summary goes to standard error. Exit\n"
    "status: 0 when the folder was written, 1 when the model cannot be read (the\n"
    "reader crashed, ran out of time or memory) or a file cannot be written or\n"
    "already exists, 2 on a usage error.\n";

namespace {

constexpr double kMaxSpin = 1000;
// A day, and a million megabytes: beyond either a limit means none.
constexpr double kMaxSeconds = 86400;
constexpr double kMaxMegabytes = 1e6;

bool ParseNumber(std::string_view text, double low, double high, double& number) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, number);
  return result.ec == std::errc() && result.ptr == end && std::isfinite(number) && number >= low &&
         number <= high;
}

// The value of an option given as "--name VALUE" or "--name=VALUE"; empty
// when there is none.
std::string_view OptionValue(std::string_view argument, std::string_view name, int argc,
                             const char* const* argv, int& i) {
  if (argument.size() > name.size()) return argument.substr(name.size() + 1);
  return i + 1 < argc ? std::string_view(argv[++i]) : std::string_view();
}

bool IsOption(std::string_view argument, std::string_view name) {
  return argument == name || (argument.starts_with(name) && argument.size() > name.size() &&
                              argument[name.size()] == '=');
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
    } else if (argument == "--flat") {
      options.settings.lit = false;
    } else if (IsOption(argument, "--spin")) {
      const std::string_view value = OptionValue(argument, "--spin", argc, argv, i);
      if (!ParseNumber(value, -kMaxSpin, kMaxSpin, options.settings.spin)) {
        error = "--spin needs a rate from -1000 to 1000, not '" + std::string(value) + "'";
        return ImportCommand::kUsageError;
      }
    } else if (IsOption(argument, "--time-limit")) {
      const std::string_view value = OptionValue(argument, "--time-limit", argc, argv, i);
      double& seconds = options.settings.limits.seconds;
      if (!ParseNumber(value, 0, kMaxSeconds, seconds) || seconds == 0) {
        error =
            "--time-limit needs seconds above 0, at most 86400, not '" + std::string(value) + "'";
        return ImportCommand::kUsageError;
      }
    } else if (IsOption(argument, "--memory-limit")) {
      const std::string_view value = OptionValue(argument, "--memory-limit", argc, argv, i);
      double megabytes = 0;
      if (!ParseNumber(value, 1, kMaxMegabytes, megabytes) || megabytes != std::floor(megabytes)) {
        error = "--memory-limit needs whole megabytes from 1 to 1000000, not '" +
                std::string(value) + "'";
        return ImportCommand::kUsageError;
      }
      options.settings.limits.memoryMegabytes = static_cast<std::uint64_t>(megabytes);
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
