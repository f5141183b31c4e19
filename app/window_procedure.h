// The window procedure of the viewer's one window and the frame tick it runs.
//
// Every timer message (and the creation message) runs one frame tick: the six
// keys are read as they are held at that moment, the shared RunFrameTick moves
// the camera and draws, and the frame is presented. Size messages set a new
// viewport, the close message asks the loop to end, and the screen saver and
// monitor power-saving are refused. Key messages change nothing but the
// authoring keys' requests: the keyboard is read by polling in the tick. Mouse
// drags and the wheel are gathered for the next tick, which turns and moves
// the camera by them; what is dropped onto the window is handed to the
// authoring loop. Everything else gets the platform's default handling.
#pragma once

#include <cstdint>

#include "app/platform.h"

// Handles one message of the window; returns the message's result.
std::intptr_t HandleWindowMessage(Platform& platform, const WindowMessage& message);

// One frame tick: keys, RunFrameTick, quit request on Escape, buffer swap. The
// GL drawing and the swap are skipped while no context is current; the tick's
// effects on the quit request, heading, camera and animation angle remain.
void RunWindowFrameTick(Platform& platform);
