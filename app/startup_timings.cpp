#include "app/startup_timings.h"

void StartupTimings::Add(const char* phase, double wallSeconds, double cpuSeconds,
                         const char* whose) {
  phases_.push_back({phase, wallSeconds, cpuSeconds, whose});
}

void StartupTimings::Print(std::FILE* errors, const char* programName) const {
  for (const Phase& phase : phases_) {
    std::fprintf(errors, "%s: timing: %s: %.1f ms wall, %.1f ms CPU (%s)\n", programName,
                 phase.name.c_str(), phase.wallSeconds * 1e3, phase.cpuSeconds * 1e3,
                 phase.whose.c_str());
  }
}
