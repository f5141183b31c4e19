#include "loading/interruption.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

std::stop_source interruption;
std::atomic<int> interruptingSignal = 0;

// Wakes the waiting thread when the program ends, so it is joined at once.
constexpr int kWakeSignal = SIGUSR2;

sigset_t InterruptionSignals(bool withWake) {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  if (withWake) sigaddset(&signals, kWakeSignal);
  return signals;
}

// Ends the program's own child processes: a library may draw a modal box in
// a child of its own, which would outlive the program and keep its box up.
void EndChildren() {
  const pid_t self = getpid();
  DIR* processes = opendir("/proc");
  if (processes == nullptr) return;
  while (const dirent* entry = readdir(processes)) {
    char* end = nullptr;
    const long pid = std::strtol(entry->d_name, &end, 10);
    if (end == entry->d_name || *end != '\0') continue;
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%ld/stat", pid);
    std::FILE* stat = std::fopen(path, "r");
    if (stat == nullptr) continue;
    // "pid (name) state ppid": the name may hold blanks and parentheses, so
    // the fields are read after its last ')'.
    char line[512];
    const bool read = std::fgets(line, sizeof line, stat) != nullptr;
    std::fclose(stat);
    const char* close = read ? std::strrchr(line, ')') : nullptr;
    // After ") " come the state, one letter, a blank, and the parent's pid.
    if (close == nullptr || std::strlen(close) < 5) continue;
    char* parentEnd = nullptr;
    const long parent = std::strtol(close + 4, &parentEnd, 10);
    if (parentEnd != close + 4 && parent == self) kill(static_cast<pid_t>(pid), SIGKILL);
  }
  closedir(processes);
}

// Waits for the signals until the program ends, which wakes it.
void WaitForSignals(std::stop_token stop, int graceMs) {
  const sigset_t signals = InterruptionSignals(true);
  const pthread_t self = pthread_self();
  const std::stop_callback wake(stop, [self] { pthread_kill(self, kWakeSignal); });
  while (!stop.stop_requested()) {
    int signal = 0;
    if (sigwait(&signals, &signal) != 0 || signal == kWakeSignal) continue;
    int none = 0;
    if (!interruptingSignal.compare_exchange_strong(none, signal)) continue;
    interruption.request_stop();
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(graceMs);
    while (!stop.stop_requested() && std::chrono::steady_clock::now() < giveUp) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!stop.stop_requested()) {
      EndChildren();
      _exit(128 + signal);
    }
  }
}

}  // namespace

void WatchForInterruptions(int graceMs) {
  const sigset_t signals = InterruptionSignals(true);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  // Ends (and is joined) when the program returns from main.
  static std::jthread watcher;
  try {
    watcher = std::jthread(WaitForSignals, graceMs);
  } catch (...) {
    // Without a thread to take them, the signals end the program by default.
    pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
  }
}

std::stop_token InterruptionToken() {
  return interruption.get_token();
}

int InterruptionSignal() {
  return interruptingSignal.load();
}
