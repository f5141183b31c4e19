// The viewer's message loop: takes every message without waiting and hands it
// to the window procedure until the quit request arrives.
//
// It never blocks: with nothing waiting it polls again at once, so frames are
// paced by the frame timer alone. It draws nothing itself.
#pragma once

#include "app/platform.h"

// Runs until the quit request is taken and returns its exit code.
int RunMessageLoop(Platform& platform);
