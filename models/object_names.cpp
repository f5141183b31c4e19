#include "models/object_names.h"

#include <cstddef>
#include <set>

#include "store/records.h"

namespace {

// The longest name a compiled object keeps.
constexpr std::size_t kMaxNameLength = kListNameSize - 1;

std::string Sanitized(const std::string& modelName) {
  std::string name;
  for (char c : modelName) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    const bool usable = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    // Runs of anything else become one "_".
    if (usable) {
      name += c;
    } else if (!name.empty() && name.back() != '_') {
      name += '_';
    }
  }
  while (!name.empty() && name.back() == '_') name.pop_back();
  if (name.empty()) return "mesh";
  if (name[0] < 'a' || name[0] > 'z') name = "m" + name;
  if (name.size() > kMaxNameLength) name.resize(kMaxNameLength);
  return name;
}

}  // namespace

std::vector<std::string> MakeObjectNames(const std::vector<std::string>& modelNames) {
  std::vector<std::string> names;
  std::set<std::string> taken;
  for (const std::string& modelName : modelNames) {
    const std::string base = Sanitized(modelName);
    std::string name = base;
    for (std::size_t n = 2; taken.count(name) > 0; ++n) {
      std::string suffix(1, '_');
      suffix += std::to_string(n);
      name = base.substr(0, kMaxNameLength - suffix.size()) + suffix;
    }
    taken.insert(name);
    names.push_back(name);
  }
  return names;
}
