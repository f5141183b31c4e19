// morvane-import: turns a model file into a scene folder the viewer shows.
#include <cstdio>
#include <string>

#include "models/reader_process.h"
#include "tools/import/import_options.h"
#include "tools/import/import_run.h"

int main(int argc, char** argv) {
  ImportOptions options;
  std::string error;
  switch (ParseImportArguments(argc, argv, options, error)) {
    case ImportCommand::kHelp:
      std::fputs(kImportUsageText, stdout);
      return 0;
    case ImportCommand::kVersion:
      std::printf("morvane-import %s\n", MORVANE_VERSION);
      return 0;
    case ImportCommand::kListFormats: {
      // One extension per line, without the "*." the library puts before it.
      const std::string list = DescribeModelReader().extensions;
      std::size_t start = 0;
      while (start < list.size()) {
        std::size_t end = list.find(';', start);
        if (end == std::string::npos) end = list.size();
        std::string extension = list.substr(start, end - start);
        if (extension.starts_with("*.")) extension.erase(0, 2);
        if (!extension.empty()) std::printf("%s\n", extension.c_str());
        start = end + 1;
      }
      return 0;
    }
    case ImportCommand::kUsageError:
      std::fprintf(stderr, "morvane-import: %s\n", error.c_str());
      return 2;
    case ImportCommand::kRun:
      break;
  }
  return RunImport(options, stderr);
}
