// The command line of morvane-import:
//
//   morvane-import [--force] [--flat] [--spin R] [--time-limit S]
//                  [--memory-limit MB] MODEL [DIR]
//   morvane-import --help | --version | --list-formats
//
// Options with a value also take it as --option=VALUE; "--" ends the options.
// Parsing only: nothing is opened or printed here.
#pragma once

#include <string>

#include "models/model_import.h"

struct ImportOptions {
  std::string model;
  std::string directory;  // default: the model's file name without extension
  bool force = false;
  ModelImportSettings settings;
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
