// Running the model reader's process, with real programs standing in for it:
// what it writes comes back whole, and a program that crashes, hangs or
// writes too much is reported as such, within the time limit, whatever
// threads and blocked signals the caller has.
#include "models/reader_process.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/test_files.h"

namespace {

using Kind = ChildOutcome::Kind;
constexpr std::size_t kLimit = 1 << 20;

ChildOutcome Shell(const std::string& script, double seconds = 5, std::stop_token stop = {}) {
  return RunChildProgram({"/bin/sh", "-c", script}, seconds, std::move(stop), kLimit);
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(ReaderProcess, BringsBackWhatTheProgramWrote) {
  TempDir dir;
  std::string bytes(300000, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  const std::string file = dir.Write("answer", bytes);
  const ChildOutcome outcome = RunChildProgram({"/bin/cat", file}, 5, {}, kLimit);
  EXPECT_EQ(outcome.kind, Kind::kFinished);
  EXPECT_EQ(std::string(outcome.bytes.begin(), outcome.bytes.end()), bytes);
}

// The viewer waits for Ctrl-C on a thread of its own, with the signal blocked
// everywhere else: the reader must not inherit that, nor read the terminal.
TEST(ReaderProcess, ReportsACrashAndAnExitStatus) {
  ChildOutcome outcome = Shell("kill -SEGV $$");
  EXPECT_EQ(outcome.kind, Kind::kCrashed);
  EXPECT_EQ(outcome.status, SIGSEGV);
  sigset_t interrupt, before;
  sigemptyset(&interrupt);
  sigaddset(&interrupt, SIGINT);
  pthread_sigmask(SIG_BLOCK, &interrupt, &before);
  outcome = Shell("kill -INT $$; exit 0");
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  EXPECT_EQ(outcome.kind, Kind::kCrashed);
  EXPECT_EQ(outcome.status, SIGINT);
  outcome = Shell("read line; exit 3");
  EXPECT_EQ(outcome.kind, Kind::kExited);
  EXPECT_EQ(outcome.status, 3);
  outcome = RunChildProgram({"/nonexistent/morvane-model-reader"}, 5, {}, kLimit);
  EXPECT_EQ(outcome.kind, Kind::kExited);
  EXPECT_EQ(outcome.status, 127);
}

// A program that never ends, with its output open or closed, is killed at the
// time limit: the wait ends there.
TEST(ReaderProcess, KillsAProgramAtTheTimeLimit) {
  for (const bool closeOutput : {false, true}) {
    const auto start = std::chrono::steady_clock::now();
    const ChildOutcome outcome = Shell(closeOutput ? "exec sleep 100 >&-" : "exec sleep 100", 0.3);
    // With its output closed, the program has to be killed all the same.
    EXPECT_EQ(outcome.kind, closeOutput ? Kind::kCrashed : Kind::kTimedOut);
    if (closeOutput) {
      EXPECT_EQ(outcome.status, SIGKILL);
    }
    EXPECT_LT(SecondsSince(start), 5);
  }
}

// A stop (a newer drop, a close, Ctrl-C) ends the wait long before the limit.
TEST(ReaderProcess, AStopEndsTheWaitAtOnce) {
  std::stop_source stop;
  stop.request_stop();
  const auto start = std::chrono::steady_clock::now();
  const ChildOutcome outcome = Shell("exec sleep 100", 30, stop.get_token());
  EXPECT_EQ(outcome.kind, Kind::kFailed);
  EXPECT_EQ(outcome.problem, "the reading was stopped");
  EXPECT_LT(SecondsSince(start), 5);
}

TEST(ReaderProcess, StopsAProgramThatWritesTooMuch) {
  const ChildOutcome outcome = Shell("exec cat /dev/zero");
  EXPECT_EQ(outcome.kind, Kind::kTooLarge);
  EXPECT_TRUE(outcome.bytes.empty());
}

// Readers started from several threads at once, while another thread keeps
// the heap busy, all come back: nothing between the fork and the exec waits
// for a lock another thread held.
TEST(ReaderProcess, StartsFromManyThreadsAtOnce) {
  std::atomic<bool> done = false;
  std::jthread allocating([&] {
    std::vector<std::vector<int>> held;
    while (!done) {
      held.emplace_back(1000);
      if (held.size() > 64) held.clear();
    }
  });
  std::vector<std::jthread> starting;
  std::atomic<int> finished = 0;
  for (int t = 0; t < 4; ++t) {
    starting.emplace_back([&] {
      for (int i = 0; i < 15; ++i) finished += Shell("echo x", 20).kind == Kind::kFinished;
    });
  }
  starting.clear();
  done = true;
  EXPECT_EQ(finished, 60);
}

}  // namespace
