// The child process that runs the model library, with real processes: what
// it writes comes back whole, and a child that crashes, hangs, writes too
// much or asks for too much memory is reported as such, within the time
// limit.
#include "models/reader_process.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr std::size_t kLimit = 1 << 20;

void Write(int fd, const std::vector<std::uint8_t>& bytes) {
  ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

TEST(ReaderProcess, BringsBackWhatTheChildWrote) {
  std::vector<std::uint8_t> bytes(300000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
  const ChildOutcome outcome = RunInChild({5, 0, {}}, kLimit, [&](int fd) { Write(fd, bytes); });
  EXPECT_EQ(outcome.kind, ChildOutcome::Kind::kFinished);
  EXPECT_EQ(outcome.bytes, bytes);
}

TEST(ReaderProcess, ReportsACrashAndAnExitStatus) {
  ChildOutcome outcome = RunInChild({5, 0, {}}, kLimit, [](int) { std::raise(SIGSEGV); });
  EXPECT_EQ(outcome.kind, ChildOutcome::Kind::kCrashed);
  EXPECT_EQ(outcome.status, SIGSEGV);
  outcome = RunInChild({5, 0, {}}, kLimit, [](int) { ::_exit(3); });
  EXPECT_EQ(outcome.kind, ChildOutcome::Kind::kExited);
  EXPECT_EQ(outcome.status, 3);
}

// A child that never ends, with the pipe open or closed, is killed at the
// time limit: the parent's wait ends there.
TEST(ReaderProcess, KillsAChildAtTheTimeLimit) {
  for (const bool closePipe : {false, true}) {
    const auto start = std::chrono::steady_clock::now();
    const ChildOutcome outcome = RunInChild({0.3, 0, {}}, kLimit, [&](int fd) {
      if (closePipe) ::close(fd);
      while (true) ::pause();
    });
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // With the pipe closed, the child has to be killed all the same.
    EXPECT_EQ(outcome.kind,
              closePipe ? ChildOutcome::Kind::kCrashed : ChildOutcome::Kind::kTimedOut);
    if (closePipe) {
      EXPECT_EQ(outcome.status, SIGKILL);
    }
    EXPECT_LT(seconds, 5);
  }
}

// A stop (a newer drop, a close, Ctrl-C) ends the wait long before the limit.
TEST(ReaderProcess, AStopEndsTheWaitAtOnce) {
  std::stop_source stop;
  stop.request_stop();
  const auto start = std::chrono::steady_clock::now();
  const ChildOutcome outcome = RunInChild({30, 0, stop.get_token()}, kLimit, [](int) {
    while (true) ::pause();
  });
  EXPECT_EQ(outcome.kind, ChildOutcome::Kind::kFailed);
  EXPECT_EQ(outcome.problem, "the reading was stopped");
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5);
}

TEST(ReaderProcess, StopsAChildThatWritesTooMuch) {
  const ChildOutcome outcome = RunInChild({5, 0, {}}, kLimit, [](int fd) {
    const std::vector<std::uint8_t> block(kLimit / 4, 1);
    for (int i = 0; i < 100; ++i) Write(fd, block);
  });
  EXPECT_EQ(outcome.kind, ChildOutcome::Kind::kTooLarge);
  EXPECT_TRUE(outcome.bytes.empty());
}

// The memory limit holds in the child only, and only for what it adds.
TEST(ReaderProcess, LimitsTheChildsMemory) {
  const auto allocates = [](std::size_t megabytes) {
    return RunInChild({5, 64, {}}, kLimit, [=](int fd) {
      try {
        std::vector<char> block(megabytes << 20, 1);
        Write(fd, {static_cast<std::uint8_t>(block[megabytes])});
      } catch (const std::bad_alloc&) {
      }
    });
  };
  EXPECT_EQ(allocates(16).bytes.size(), 1u);
  EXPECT_TRUE(allocates(256).bytes.empty());
  std::vector<char> parent(std::size_t{256} << 20, 1);
  EXPECT_EQ(parent[1000], 1);
}

}  // namespace
