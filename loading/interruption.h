// Ctrl-C (SIGINT), SIGTERM and SIGHUP as one stop request that the whole
// program sees, so that an interrupted program ends promptly and cleanly at
// any moment: at its question, while loading, or while it shows a scene.
//
// WatchForInterruptions blocks the three signals in the calling thread, and
// so in every thread it starts later, and starts one thread that waits for
// them. The first to arrive is recorded and requests the stop of
// InterruptionToken(): every wait given the token ends, and the programs'
// loops, which look at InterruptionSignal(), end. A program still running
// `graceMs` later is stuck in a library's long call (a modal box, a very
// large list being drawn) and is ended by that thread with 128 + the signal,
// as the signal's default action would end it. A signal that arrives before
// the call ends the program by default, so none is ever lost.
//
// Linux signals and the C++ standard library only.
#pragma once

#include <stop_token>

// Call first in main, before any other thread exists.
void WatchForInterruptions(int graceMs = 150);

// Stop is requested once an interruption has arrived.
std::stop_token InterruptionToken();

// The signal that interrupted the program, 0 while none has.
int InterruptionSignal();
