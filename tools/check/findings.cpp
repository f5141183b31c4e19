#include "tools/check/findings.h"

#include <algorithm>

namespace {

int FileRank(const std::string& file) {
  if (file == "textures.txt") return 0;
  if (file == "objects.txt") return 1;
  return 2;
}

}  // namespace

Finding& Findings::Add(Finding finding) {
  const std::string key =
      finding.file + '\n' + (finding.group.empty() ? finding.message : finding.group);
  const auto [at, added] = groups_.emplace(key, list_.size());
  if (added) {
    finding.lastLine = finding.line;
    list_.push_back(std::move(finding));
    return list_.back();
  }
  Finding& kept = list_[at->second];
  ++kept.repeats;
  kept.lastLine = std::max(kept.lastLine, finding.line);
  if (finding.line < kept.line) {
    // The earlier line speaks for the group; the one it replaces is counted.
    kept.line = finding.line;
    kept.message = std::move(finding.message);
    kept.notes.clear();
    return kept;
  }
  counted_ = Finding{};
  return counted_;
}

void Findings::Sort() {
  std::stable_sort(list_.begin(), list_.end(), [](const Finding& a, const Finding& b) {
    const int rankA = FileRank(a.file);
    const int rankB = FileRank(b.file);
    return rankA != rankB ? rankA < rankB : a.line < b.line;
  });
  groups_.clear();
}

std::size_t PrintFindings(const Findings& findings, std::FILE* out) {
  std::size_t errors = 0;
  std::size_t warnings = 0;
  for (const Finding& f : findings.All()) {
    const bool error = f.severity == Severity::kError;
    (error ? errors : warnings) += 1;
    std::fprintf(out, "%s:%zu: %s: %s\n", f.file.c_str(), f.line, error ? "error" : "warning",
                 f.message.c_str());
    for (const Note& note : f.notes) {
      std::fprintf(out, "%s:%zu: note: %s\n", f.file.c_str(), note.line, note.message.c_str());
    }
    if (f.repeats > 0) {
      std::fprintf(out, "%s:%zu: note: the same on %zu more line%s, the last of them line %zu\n",
                   f.file.c_str(), f.line, f.repeats, f.repeats == 1 ? "" : "s", f.lastLine);
    }
  }
  std::fprintf(out, "%zu error%s, %zu warning%s\n", errors, errors == 1 ? "" : "s", warnings,
               warnings == 1 ? "" : "s");
  return errors;
}

std::string Quoted(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string quoted = "'";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\t') {
      quoted += "\\t";
    } else if (c == '\\' || c == '\'') {
      quoted += '\\';
      quoted += c;
    } else if (byte < 0x20 || byte >= 0x7f) {
      quoted += "\\x";
      quoted += kHex[byte >> 4];
      quoted += kHex[byte & 15];
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}
