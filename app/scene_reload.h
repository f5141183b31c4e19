// Loading a scene folder again while the viewer runs.
//
// A reload gives back everything the previous load made (its display lists,
// its texture objects and every record of the store) and then loads the
// folder exactly as start-up does, so any number of reloads keeps memory flat
// and the outputs (parse log, ogllist.txt, report) are those of a fresh start.
// The camera and the animation angle live outside the store and are kept.
//
// Needs the GL context the previous load used, current. Runs to the end before
// returning, so no frame ever sees a half-built scene.
#pragma once

#include <cstdio>

#include "app/startup_report.h"
#include "store/scene_store.h"

// Deletes what the last load of `store` made and loads the working directory's
// files into it again. Cannot fail; returns what the loaders met.
StartupReport ReloadScene(SceneStore& store, std::FILE* parseLog = stdout);
