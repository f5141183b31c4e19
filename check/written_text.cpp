#include "check/written_text.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "check/findings.h"
#include "store/decimal.h"

namespace {

// Edits (insertions, deletions, substitutions, swaps of neighbours) from a to b.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> before(b.size() + 1), previous(b.size() + 1), current(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) previous[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    current[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        current[j] = std::min(current[j], before[j - 2] + 1);
      }
    }
    before.swap(previous);
    previous.swap(current);
  }
  return previous[b.size()];
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string_view NearestWord(std::string_view word, std::span<const std::string_view> vocabulary) {
  const std::size_t allowed = word.size() <= 3 ? 1 : 2;
  std::string_view best;
  std::size_t bestDistance = allowed + 1;
  for (const std::string_view candidate : vocabulary) {
    const std::size_t distance = EditDistance(word, candidate);
    if (distance > 0 && distance < bestDistance) {
      best = candidate;
      bestDistance = distance;
    }
  }
  return best;
}

std::string_view WithoutIndent(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return text;
}

std::string FormatValue(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string FormatValues(const float* values, std::size_t count) {
  std::string text = "(";
  for (std::size_t i = 0; i < count; ++i) {
    text += (i > 0 ? ", " : "") + FormatValue(static_cast<double>(values[i]));
  }
  return text + ")";
}

std::string MisreadVector(std::string_view value, const float* read, std::size_t readCount,
                          std::size_t capacity, std::string_view rule) {
  // The components as written: between "(" and ")", split at every ",".
  const bool opened = !value.empty() && value.front() == '(';
  std::string_view inner = value;
  if (opened) inner.remove_prefix(1);
  const std::size_t close = inner.find(')');
  if (close != std::string_view::npos) inner = inner.substr(0, close);
  const std::size_t kept = std::min(readCount, capacity);
  // Only a misread vector is described; most are read as written.
  const auto readAs = [&] {
    const std::string_view shown =
        close == std::string_view::npos ? value : value.substr(0, close + 2);
    return Quoted(Trimmed(shown)) + " is read as " + FormatValues(read, kept) + ": ";
  };
  for (std::size_t i = 0, at = 0;; ++i) {
    const std::size_t comma = inner.find(',', at);
    const std::string_view written = Trimmed(inner.substr(at, comma - at));
    if (written.empty()) return readAs() + "component " + std::to_string(i + 1) + " is empty";
    std::size_t used = 0;
    const double meant = ParseDecimalPrefix(written, &used);
    if (used != written.size() || (i < kept && static_cast<float>(meant) != read[i])) {
      if (!opened) {
        return readAs() +
               "a vector starts with '(', and the reader skips the first character unread";
      }
      return readAs() + "in " + Quoted(written) + " " + std::string(rule);
    }
    if (comma == std::string_view::npos) return {};
    at = comma + 1;
  }
}
