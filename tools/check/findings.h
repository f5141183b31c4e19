// What morvane-check reports: one finding per problem, with the file and the
// line (counted from 1, as editors count) where a user should look.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

enum class Severity { kWarning, kError };

struct Finding {
  std::string file;
  std::size_t line = 0;  // 1-based; 0 when the finding is about the whole file
  Severity severity = Severity::kError;
  std::string message;
};

using Findings = std::vector<Finding>;

inline void AddFinding(Findings& findings, const char* file, std::size_t line, Severity severity,
                       std::string message) {
  findings.push_back({file, line, severity, std::move(message)});
}

// Writes each finding as "FILE:LINE: error: MESSAGE" (or "warning:"), then the
// summary line. Returns the number of errors.
std::size_t PrintFindings(const Findings& findings, std::FILE* out);
