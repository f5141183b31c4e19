// The viewer from start to end on a given platform: the full-screen question
// (unless the command line answered it), the window and scene, the message
// loop, and the release of everything.
//
// It wires the other parts together and does no work of its own. The bitmap
// loader's boxes reach the platform through the message-box seam of the core
// for as long as the viewer runs.
#pragma once

#include "app/platform.h"
#include "app/viewer_options.h"

// The exit code of a start that could not open its window.
inline constexpr int kViewerNoWindow = 1;

// Runs the viewer, full screen or windowed as `screen` says (kAsk: as the
// user answers the question), and returns the process exit code: 0 after a
// normal quit, kViewerNoWindow (after one line on standard error saying why)
// when the window could not be opened. Without a display that one line is
// all it writes: no box is tried.
int RunViewer(Platform& platform, ScreenChoice screen = ScreenChoice::kAsk);
