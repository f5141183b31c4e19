#include "tools/check/findings.h"

#include <algorithm>
#include <map>
#include <utility>

namespace {

int FileRank(const std::string& file) {
  if (file == "textures.txt") return 0;
  if (file == "objects.txt") return 1;
  return 2;
}

struct GroupTally {
  std::size_t more = 0;
  std::size_t lastLine = 0;
};

}  // namespace

void SortFindings(Findings& findings) {
  std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
    const int rankA = FileRank(a.file);
    const int rankB = FileRank(b.file);
    return rankA != rankB ? rankA < rankB : a.line < b.line;
  });
}

std::size_t PrintFindings(const Findings& findings, std::FILE* out) {
  std::map<std::pair<std::string, std::string>, GroupTally> groups;
  std::vector<bool> folded(findings.size(), false);
  std::map<std::pair<std::string, std::string>, std::size_t> first;
  for (std::size_t i = 0; i < findings.size(); ++i) {
    const Finding& f = findings[i];
    if (f.group.empty()) continue;
    const auto key = std::make_pair(f.file, f.group);
    if (first.emplace(key, i).second) continue;
    folded[i] = true;
    GroupTally& tally = groups[key];
    ++tally.more;
    tally.lastLine = std::max(tally.lastLine, f.line);
  }

  std::size_t errors = 0;
  std::size_t warnings = 0;
  for (std::size_t i = 0; i < findings.size(); ++i) {
    if (folded[i]) continue;
    const Finding& f = findings[i];
    const bool error = f.severity == Severity::kError;
    (error ? errors : warnings) += 1;
    std::fprintf(out, "%s:%zu: %s: %s\n", f.file.c_str(), f.line, error ? "error" : "warning",
                 f.message.c_str());
    for (const Note& note : f.notes) {
      std::fprintf(out, "%s:%zu: note: %s\n", f.file.c_str(), note.line, note.message.c_str());
    }
    const auto tally = groups.find(std::make_pair(f.file, f.group));
    if (!f.group.empty() && tally != groups.end()) {
      std::fprintf(out, "%s:%zu: note: the same on %zu more line%s, the last of them line %zu\n",
                   f.file.c_str(), f.line, tally->second.more, tally->second.more == 1 ? "" : "s",
                   tally->second.lastLine);
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
