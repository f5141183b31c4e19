#include "tools/key_script.h"

#include <utility>

namespace {

bool IsSeparator(char c) {
  return c == ' ' || c == '\t' || c == ',' || c == '\n' || c == '\r';
}

bool HoldKey(std::string_view name, HeldKeys& keys) {
  if (name == "up") {
    keys.up = true;
  } else if (name == "down") {
    keys.down = true;
  } else if (name == "left") {
    keys.left = true;
  } else if (name == "right") {
    keys.right = true;
  } else if (name == "f1") {
    keys.f1 = true;
  } else if (name == "escape") {
    keys.escape = true;
  } else if (name != "none") {
    return false;
  }
  return true;
}

bool ParseToken(std::string_view token, KeyRun& run, std::string& error) {
  const auto fail = [&](const std::string& why) {
    error = "bad key script token '" + std::string(token) + "': " + why;
    return false;
  };
  std::string_view keys = token;
  const std::size_t star = token.find('*');
  if (star != std::string_view::npos) {
    keys = token.substr(0, star);
    if (!ParseTickCount(token.substr(star + 1), run.count)) {
      return fail("the count after '*' must be a whole number from 1 to 1000000000");
    }
  }
  for (;;) {
    const std::size_t plus = keys.find('+');
    const std::string_view name = keys.substr(0, plus);
    if (name.empty()) return fail("a key name is missing");
    if (!HoldKey(name, run.keys)) {
      return fail("unknown key '" + std::string(name) +
                  "' (keys: up, down, left, right, f1, escape, none)");
    }
    if (plus == std::string_view::npos) break;
    keys.remove_prefix(plus + 1);
  }
  return true;
}

}  // namespace

bool ParseTickCount(std::string_view text, std::uint64_t& count) {
  if (text.empty()) return false;
  std::uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > kMaxTicks) return false;  // stops long before the type could overflow
  }
  if (value == 0) return false;
  count = value;
  return true;
}

bool ParseKeyScript(std::string_view text, KeyScript& script, std::string& error) {
  KeyScript parsed;
  std::size_t position = 0;
  while (position < text.size()) {
    if (IsSeparator(text[position])) {
      ++position;
      continue;
    }
    std::size_t end = position;
    while (end < text.size() && !IsSeparator(text[end])) ++end;
    KeyRun run;
    if (!ParseToken(text.substr(position, end - position), run, error)) return false;
    parsed.length += run.count;
    if (parsed.length > kMaxTicks) {
      error = "the key script covers more than 1000000000 ticks";
      return false;
    }
    parsed.runs.push_back(run);
    position = end;
  }
  script = std::move(parsed);
  return true;
}

HeldKeys KeyScriptPlayer::Next() {
  while (run_ < script_.runs.size() && usedInRun_ == script_.runs[run_].count) {
    ++run_;
    usedInRun_ = 0;
  }
  if (run_ == script_.runs.size()) return HeldKeys{};
  ++usedInRun_;
  return script_.runs[run_].keys;
}
