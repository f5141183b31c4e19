// What morvane-check reports: one finding per problem, with the file and the
// line (counted from 1, as editors count) where a user should look, and notes
// that point at the lines it involves, as compilers do.
//
// The same mistake repeated over many lines (one misspelt key on every
// object, a file indented throughout) is kept once, at its first line, and
// counted: it prints as one finding and a note that counts the others, and a
// scene of a million faulty lines costs no more memory than one.
#pragma once

#include "store/text_writer.h"

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_map>
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
  std::string group;         // findings of one file with one group are one mistake; empty:
                             // the message is the group
  std::size_t repeats = 0;   // how many more lines made the same mistake
  std::size_t lastLine = 0;  // the last of all those lines
};

class Findings {
 public:
  // Adds a finding, or counts it on the finding of its group already added,
  // keeping the one of the earliest line. Returns the finding to put notes on;
  // notes put on a finding that was only counted are dropped.
  Finding& Add(Finding finding);

  // Puts the findings in file order (textures.txt, objects.txt, scene.txt)
  // and line order, keeping the order of findings on one line. Nothing may be
  // added afterwards.
  void Sort();

  const std::vector<Finding>& All() const { return list_; }

 private:
  std::vector<Finding> list_;
  std::unordered_map<std::string, std::size_t> groups_;  // file and group to index in list_
  Finding counted_;                                      // what Add returns for a counted one
};

inline Finding& AddFinding(Findings& findings, const char* file, std::size_t line,
                           Severity severity, std::string message, std::string group = {}) {
  return findings.Add({file, line, severity, std::move(message), {}, std::move(group), 0, line});
}

// How many of the findings are errors and how many warnings: the numbers of
// the checker's summary line (a mistake repeated on many lines counts once).
struct FindingCounts {
  std::size_t errors = 0;
  std::size_t warnings = 0;
};
FindingCounts CountFindings(const Findings& findings);

// The first error in the findings' order (after Sort, the first in file and
// line order); null when there is none.
const Finding* FirstError(const Findings& findings);

// Writes each finding as "FILE:LINE: error: MESSAGE" (or "warning:"), each
// note as "FILE:LINE: note: MESSAGE" (with one that counts the repeats), then
// the summary line, which counts the findings printed. Returns the number of
// errors printed.
std::size_t PrintFindings(const Findings& findings, TextWriter& out);

// `text` between single quotes, with tabs, control bytes and bytes above 127
// written as escapes, so that what the user cannot see can be read.
std::string Quoted(std::string_view text);
