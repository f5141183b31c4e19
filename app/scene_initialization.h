// The one-time filling of the store from the three input files in the working
// directory, and the fixed GL state every frame relies on.
//
// The loaders run in a chain of dependencies: the texture table first (the
// compiler binds its names), then objects.txt, then the compilation (which
// writes ogllist.txt and records the named lists), then scene.txt (which
// resolves list names against them). No loader's status is looked at: a
// missing or malformed file never stops start-up, and the frames show whatever
// the store then holds (at worst only the black clear colour).
//
// The work is SceneLoad's (app/scene_load.h): what needs no GL context is
// read on workers, the rest is done here in one go. Every output is the same
// as from reading each file in turn.
//
// Needs a current GL context; draws nothing, starts no timer and prints
// nothing beyond the parse log and a line per bitmap that cannot be loaded:
// what went wrong (with the check's sum, which it waits for) is handed back
// for the caller to report, and the phases' times go to theSettings.timings
// when it is set.
#pragma once

#include <cstdio>

#include "app/scene_load.h"
#include "app/startup_report.h"
#include "store/scene_store.h"

// Loads textures.txt, objects.txt (echoing the parse log to `parseLog`, the
// viewer's standard output), compiles the display lists into ogllist.txt,
// reads scene.txt, and sets smooth shading, the black clear colour, the
// GL_LEQUAL depth test over [0, 1] and the nicest perspective correction.
// Cannot fail; returns what the loaders and the check met.
StartupReport InitializeScene(SceneStore& store, std::FILE* parseLog = stdout);
