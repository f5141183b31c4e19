// The viewer from start to end on a given platform: the full-screen question,
// the window and scene, the message loop, and the release of everything.
//
// It wires the other parts together and does no work of its own. The bitmap
// loader's boxes reach the platform through the message-box seam of the core
// for as long as the viewer runs.
#pragma once

#include "app/platform.h"

// Runs the viewer and returns the process exit code, which is 0 after a normal
// quit and after a failed start alike.
int RunViewer(Platform& platform);
