// The command line of morvane-import:
//
//   morvane-import [--force] [--spin R] MODEL [DIR]
//   morvane-import --help | --version | --list-formats
//
// --spin also takes its value as --spin=R; "--" ends the options. Parsing
// only: nothing is opened or printed here.
#pragma once

#include <string>

struct ImportOptions {
  std::string model;
  std::string directory;  // default: the model's file name without extension
  bool force = false;
  double spin = 0;  // turning rate about y of every entry, as scene.txt's rotate
};

enum class ImportCommand {
  kRun,
  kHelp,
  kVersion,
  kListFormats,
  kUsageError,
};

// Reads argv[1..argc-1] into `options`. On kUsageError `error` holds a
// one-line reason.
ImportCommand ParseImportArguments(int argc, const char* const* argv, ImportOptions& options,
                                   std::string& error);

// The --help text.
extern const char kImportUsageText[];
