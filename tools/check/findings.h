// What morvane-check reports: one finding per problem, with the file and the
// line (counted from 1, as editors count) where a user should look, and notes
// that point at the lines it involves, as compilers do.
//
// A finding may belong to a group: the same mistake repeated over many lines
// (one unknown key on every object, a run of vertices outside a primitive).
// Only the first of a group is printed, with a note that counts the others,
// so a mistake made 50,000 times reads as one.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

enum class Severity { kWarning, kError };

struct Note {
  std::size_t line;
  std::string message;
};

struct Finding {
  std::string file;
  std::size_t line = 0;  // 1-based
  Severity severity = Severity::kError;
  std::string message;
  std::vector<Note> notes;
  std::string group;  // findings of one file with the same non-empty group fold into the first
};

using Findings = std::vector<Finding>;

inline Finding& AddFinding(Findings& findings, const char* file, std::size_t line,
                           Severity severity, std::string message, std::string group = {}) {
  findings.push_back({file, line, severity, std::move(message), {}, std::move(group)});
  return findings.back();
}

// Puts the findings in file order (textures.txt, objects.txt, scene.txt) and
// line order, keeping the order of findings on one line.
void SortFindings(Findings& findings);

// Writes each printed finding as "FILE:LINE: error: MESSAGE" (or "warning:"),
// each note as "FILE:LINE: note: MESSAGE", then the summary line, which counts
// the printed findings. Returns the number of errors printed.
std::size_t PrintFindings(const Findings& findings, std::FILE* out);

// `text` between single quotes, with tabs, control bytes and bytes above 127
// written as escapes, so that what the user cannot see can be read.
std::string Quoted(std::string_view text);
