// Wall-clock and CPU time since a starting point, for the programs' --timings
// report of start-up.
//
// CPU time is either the whole process's (every thread, Mesa's rasterising
// threads included) or only the calling thread's, for work that runs on a
// worker beside other work. Reads the POSIX clocks only; prints nothing.
#pragma once

#include <time.h>

class PhaseClock {
 public:
  enum class Cpu { kProcess, kThisThread };

  // Starts the clock now.
  explicit PhaseClock(Cpu cpu = Cpu::kProcess)
      : cpuClock_(cpu == Cpu::kProcess ? CLOCK_PROCESS_CPUTIME_ID : CLOCK_THREAD_CPUTIME_ID),
        wallStart_(Seconds(CLOCK_MONOTONIC)),
        cpuStart_(Seconds(cpuClock_)) {}

  double WallSeconds() const { return Seconds(CLOCK_MONOTONIC) - wallStart_; }
  // A thread clock must be read on the thread that started it.
  double CpuSeconds() const { return Seconds(cpuClock_) - cpuStart_; }

 private:
  static double Seconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
  }

  clockid_t cpuClock_;
  double wallStart_;
  double cpuStart_;
};
