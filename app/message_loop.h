// The viewer's message loop: hands every message to the window procedure
// until the quit request arrives.
//
// Between messages it sleeps in the platform's wait until the frame timer is
// due, so frames are paced by the timer and a still scene costs no processor
// time. An interruption (Ctrl-C, SIGTERM) is taken as the close button is:
// the loop ends with exit code 0. It draws nothing itself.
#pragma once

#include "app/platform.h"

// Runs until the quit request is taken and returns its exit code.
int RunMessageLoop(Platform& platform);
