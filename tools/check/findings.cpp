#include "tools/check/findings.h"

std::size_t PrintFindings(const Findings& findings, std::FILE* out) {
  std::size_t errors = 0;
  std::size_t warnings = 0;
  for (const Finding& f : findings) {
    const bool error = f.severity == Severity::kError;
    (error ? errors : warnings) += 1;
    std::fprintf(out, "%s:%zu: %s: %s\n", f.file.c_str(), f.line, error ? "error" : "warning",
                 f.message.c_str());
  }
  std::fprintf(out, "%zu error%s, %zu warning%s\n", errors, errors == 1 ? "" : "s", warnings,
               warnings == 1 ? "" : "s");
  return errors;
}
