#include "loading/interruption.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

namespace {

std::stop_source interruption;
std::atomic<int> interruptingSignal = 0;

sigset_t InterruptionSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  return signals;
}

// Waits for the signals in short turns, so the thread can be asked to end.
void WaitForSignals(std::stop_token stop, int graceMs) {
  const sigset_t signals = InterruptionSignals();
  const timespec turn{0, 50'000'000};
  while (!stop.stop_requested()) {
    const int signal = sigtimedwait(&signals, nullptr, &turn);
    if (signal <= 0) continue;
    int none = 0;
    if (!interruptingSignal.compare_exchange_strong(none, signal)) continue;
    interruption.request_stop();
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(graceMs);
    while (!stop.stop_requested() && std::chrono::steady_clock::now() < giveUp) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!stop.stop_requested()) _exit(128 + signal);
  }
}

}  // namespace

void WatchForInterruptions(int graceMs) {
  const sigset_t signals = InterruptionSignals();
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
