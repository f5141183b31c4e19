// morvane-check: explains what the viewer would silently do with a scene
// folder (or with the folder a model file is imported into), or how its
// loader decodes one bitmap.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "check/check_folder.h"
#include "models/model_cache.h"
#include "tools/check/describe_bitmap.h"

namespace {

constexpr const char* kUsage =
    "usage: morvane-check [DIR | MODEL]\n"
    "       morvane-check --bitmap FILE [--png OUT.png]\n"
    "Checks textures.txt, objects.txt and scene.txt in DIR (default: the current\n"
    "directory) as the viewer reads them and prints each problem as\n"
    "FILE:LINE: error|warning: MESSAGE, then a summary. A MODEL file is imported\n"
    "as the viewer opens it (into the cache of imports) and that folder checked.\n"
    "Exit 0 without errors, 1 with any or when the model cannot be read, 2 on a\n"
    "usage error. With --bitmap, decodes one bitmap as the viewer's loader does\n"
    "and describes it (--png writes the decoded picture).\n";

int UsageError(const char* reason) {
  std::fprintf(stderr, "morvane-check: %s\n%s", reason, kUsage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir = ".";
  std::string bitmap;
  std::string png;
  bool dirGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--version") {
      std::printf("morvane-check %s\n", MORVANE_VERSION);
      return 0;
    }
    if (arg == "--bitmap" || arg == "--png") {
      if (i + 1 == argc) return UsageError((arg + " needs a file name").c_str());
      (arg == "--bitmap" ? bitmap : png) = argv[++i];
    } else if (!arg.empty() && arg[0] == '-') {
      return UsageError(("unknown option " + arg).c_str());
    } else if (dirGiven) {
      return UsageError("only one folder can be checked at a time");
    } else {
      dir = arg;
      dirGiven = true;
    }
  }
  if (!png.empty() && bitmap.empty()) return UsageError("--png needs --bitmap");
  if (!bitmap.empty()) {
    if (dirGiven) return UsageError("--bitmap takes no folder");
    return DescribeBitmap(bitmap, png, stdout, stderr);
  }
  if (IsModelFile(dir)) {
    std::string problem;
    const auto folder = OpenModelAsSceneFolder(dir, ModelImportSettings{}, problem);
    if (!folder) {
      std::fprintf(stderr, "morvane-check: cannot read %s: %s\n", dir.c_str(), problem.c_str());
      return 1;
    }
    dir = *folder;
  }
  std::error_code error;
  if (!std::filesystem::is_directory(dir, error)) {
    if (std::filesystem::exists(dir, error)) {
      return UsageError((dir + " is a file, not a folder: give the folder that holds "
                               "textures.txt, objects.txt and scene.txt")
                            .c_str());
    }
    return UsageError(("no such folder: " + dir).c_str());
  }
  // Whatever the files hold, the exit status stays 0, 1 or 2: a check that
  // cannot be completed (memory runs out) is reported like a usage error.
  try {
    TextWriter out(stdout);
    return PrintFindings(CheckSceneFolder(dir), out) > 0 ? 1 : 0;
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "morvane-check: the check could not be completed: %s\n", failure.what());
    return 2;
  }
}
