// The --timings report: one line per start-up phase on standard error, with
// its wall-clock and CPU time and whose work the time mostly is (ours, or
// Mesa's: the GL driver's work for the calls we make).
//
// Phases are gathered while start-up runs and printed once it is over, so the
// lines never come between message boxes or the start-up summary. Off unless
// the program was asked for it: then theSettings.timings points at one.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "store/phase_clock.h"

class StartupTimings {
 public:
  // Records a phase that took `wallSeconds` and `cpuSeconds`.
  void Add(const char* phase, double wallSeconds, double cpuSeconds, const char* whose);
  // Records a phase that began when `clock` was started and ends now.
  void Add(const char* phase, const PhaseClock& clock, const char* whose) {
    Add(phase, clock.WallSeconds(), clock.CpuSeconds(), whose);
  }
  // Writes "PROGRAM: timing: PHASE: W ms wall, C ms CPU (WHOSE)" per phase.
  void Print(std::FILE* errors, const char* programName) const;

 private:
  struct Phase {
    std::string name;
    double wallSeconds;
    double cpuSeconds;
    std::string whose;
  };
  std::vector<Phase> phases_;
};
