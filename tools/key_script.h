// The keys the snapshot program holds, tick by tick: a script of tokens
// separated by blanks or commas, each KEYS or KEYS*COUNT, where KEYS is one or
// more of up, down, left, right, f1, escape and none joined by '+', and COUNT
// (at least 1, default 1) is how many ticks in a row hold them. The tokens
// cover the first ticks in order; every tick after them holds no key.
//
// Parsing only; the program decides how many ticks to run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/frame_tick.h"

// The largest COUNT (and tick total) a script or --frames may ask for.
inline constexpr std::uint64_t kMaxTicks = 1'000'000'000;

struct KeyRun {
  HeldKeys keys;
  std::uint64_t count = 1;
};

struct KeyScript {
  std::vector<KeyRun> runs;
  std::uint64_t length = 0;  // the ticks all runs cover together
};

// Parses `text` into `script`. Returns false with a one-line `error` naming
// the offending token on an unknown key name, an empty name, a COUNT that is
// not a whole number from 1 to kMaxTicks, or a script longer than kMaxTicks.
bool ParseKeyScript(std::string_view text, KeyScript& script, std::string& error);

// Parses a whole decimal number from 1 to kMaxTicks (digits only).
bool ParseTickCount(std::string_view text, std::uint64_t& count);

// Hands out the keys of one tick after another; past the script, no key.
class KeyScriptPlayer {
 public:
  explicit KeyScriptPlayer(const KeyScript& script) : script_(script) {}
  HeldKeys Next();

 private:
  const KeyScript& script_;
  std::size_t run_ = 0;
  std::uint64_t usedInRun_ = 0;
};
