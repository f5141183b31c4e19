#include "check/findings.h"

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

FindingCounts CountFindings(const Findings& findings) {
  FindingCounts counts;
  for (const Finding& f : findings.All()) {
    (f.severity == Severity::kError ? counts.errors : counts.warnings) += 1;
  }
  return counts;
}

const Finding* FirstError(const Findings& findings) {
  for (const Finding& f : findings.All()) {
    if (f.severity == Severity::kError) return &f;
  }
  return nullptr;
}

std::size_t PrintFindings(const Findings& findings, TextWriter& out) {
  const auto place = [&out](const std::string& file, std::size_t line, const char* kind) {
    out.Write(file);
    out.WriteChar(':');
    out.WriteInt(static_cast<std::int64_t>(line));
    out.Write(": ");
    out.Write(kind);
    out.Write(": ");
  };
  const auto plural = [](std::size_t n) { return n == 1 ? "" : "s"; };
  for (const Finding& f : findings.All()) {
    const bool error = f.severity == Severity::kError;
    place(f.file, f.line, error ? "error" : "warning");
    out.Write(f.message);
    out.WriteChar('\n');
    for (const Note& note : f.notes) {
      place(f.file, note.line, "note");
      out.Write(note.message);
      out.WriteChar('\n');
    }
    if (f.repeats > 0) {
      place(f.file, f.line, "note");
      out.Write("the same on ");
      out.WriteInt(static_cast<std::int64_t>(f.repeats));
      out.Write(" more line");
      out.Write(plural(f.repeats));
      out.Write(", the last of them line ");
      out.WriteInt(static_cast<std::int64_t>(f.lastLine));
      out.WriteChar('\n');
    }
  }
  const FindingCounts counts = CountFindings(findings);
  out.WriteInt(static_cast<std::int64_t>(counts.errors));
  out.Write(" error");
  out.Write(plural(counts.errors));
  out.Write(", ");
  out.WriteInt(static_cast<std::int64_t>(counts.warnings));
  out.Write(" warning");
  out.Write(plural(counts.warnings));
  out.WriteChar('\n');
  out.Flush();
  return counts.errors;
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
