// The platform on SDL2 (and, on X11, the X server SDL draws on): the only
// place in the system that knows SDL or X11.
//
// Message boxes are SDL's; where none can be shown the text goes to standard
// error as one line, "PROGRAM: CAPTION: TEXT". The window is an SDL OpenGL
// window whose X11 class is the window class's name; the display mode of a
// full-screen run is one the display lists, applied when the full-screen
// window is shown. The frame timer and the quit request live in the message
// queue itself, so timer messages are made when the queue is looked at and
// never pile up. Held keys come from the X server's keymap where there is
// one, else from SDL's keyboard state. The window takes drops (on X11
// through the drag-and-drop protocol SDL speaks): each dropped file, folder
// or text becomes one kDrop message.
#pragma once

#include <memory>

#include "app/platform.h"

// The SDL platform of the program `programName` (a string that outlives it).
// Destroying it shuts SDL down.
std::unique_ptr<Platform> CreateSdlPlatform(const char* programName);
