// The fixed settings the application shell runs with. Only the full-screen
// flag changes at run time (the start-up question and the windowed fallback);
// the program's name, its scene folder (or the folder last dropped onto the
// window) and --timings come from the command line and only shape what is
// said on standard error, and --quiet sends the parse log nowhere.
#pragma once

#include <cstdint>
#include <cstdio>

class StartupTimings;

struct Settings {
  float moveStep = 0.15f;  // scene units per tick
  float turnStep = 0.04f;  // radians per tick
  // Radians per pixel dragged: a turn step per 10 pixels, so a drag across
  // the window turns the camera about half way round.
  float dragTurnPerPixel = 0.004f;
  // Scene units per wheel notch: four move steps, as 40 ms of Up; with one
  // step a notch, crossing a scene would take dozens of notches.
  float wheelMovePerNotch = 0.6f;
  bool fullScreen = true;
  std::int32_t width = 800;
  std::int32_t height = 600;
  std::uint32_t timerIntervalMs = 10;
  const char* programName = "morvane";
  const char* sceneFolder = ".";  // as the user named it, or the dropped folder
  std::FILE* parseLog = stdout;   // where every load writes the parse log
  StartupTimings* timings =
      nullptr;  // where --timings gathers the start-up phases; null without it
};

// The process's settings.
extern Settings theSettings;

// A stream that takes whatever is written to it and keeps nothing, opened on
// the first call for the rest of the process: where --quiet sends the parse
// log. Standard output when no such stream can be opened.
std::FILE* DiscardingStream();

// The colour depth the window and display mode are requested with.
inline constexpr int kColourBits = 32;
