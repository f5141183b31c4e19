// The fixed settings the application shell runs with. Only the full-screen
// flag changes at run time (the start-up question and the windowed fallback);
// the program's name, its scene folder and --timings come from the command
// line and only shape what is said on standard error.
#pragma once

#include <cstdint>

class StartupTimings;

struct Settings {
  float moveStep = 0.15f;  // scene units per tick
  float turnStep = 0.04f;  // radians per tick
  bool fullScreen = true;
  std::int32_t width = 800;
  std::int32_t height = 600;
  std::uint32_t timerIntervalMs = 10;
  const char* programName = "morvane";
  const char* sceneFolder = ".";  // as the user named it
  StartupTimings* timings =
      nullptr;  // where --timings gathers the start-up phases; null without it
};

// The process's settings.
extern Settings theSettings;

// The colour depth the window and display mode are requested with.
inline constexpr int kColourBits = 32;
