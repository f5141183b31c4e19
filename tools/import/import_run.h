// One run of morvane-import: read the model, plan the folder, refuse to
// replace existing files unless forced, write the folder, and print the
// summary.
#pragma once

#include <cstdio>

#include "tools/import/import_options.h"

// Returns the exit status: 0 when the folder was written, 1 when the model
// cannot be read, a file exists (without --force) or cannot be written.
// Messages and the summary go to `err`.
int RunImport(const ImportOptions& options, std::FILE* err);
