#include "models/reader_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>

#include "models/reader_answer.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The most an answer may take: a model of about 20 million triangles.
constexpr std::size_t kMaxAnswerBytes = std::size_t{2} << 30;

// Closes a descriptor when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { Close(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// Reaps a child that has been killed or is about to end. Killed children end
// at once; a child that closed the pipe is on its way out, and is given until
// `deadline` (in short naps, for its exit is a matter of microseconds) before
// it is killed.
int Reap(pid_t child, Clock::time_point deadline) {
  int status = 0;
  while (true) {
    const pid_t done = ::waitpid(child, &status, WNOHANG);
    if (done == child || (done < 0 && errno != EINTR)) return status;
    if (Clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ::kill(child, SIGKILL);
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%g s", seconds);
  return text;
}

// How long a wait for the reader goes before it looks at a stop request.
constexpr long long kStopTurnMs = 50;

// A copy of `fd` above the standard three (closed on exec), so that placing
// the child's standard streams cannot overwrite it; -1 when none is left.
int AboveStandardStreams(int fd) {
  return ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
}

// What the child does between the fork and the exec: system calls only, on
// what the parent prepared, for the heap and every lock may be in the state
// another thread of the parent left them in.
[[noreturn]] void ExecInChild(char* const* argv, int input, int output, pid_t parent) {
  // The reader dies with the program, whatever ends the program.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (::getppid() != parent) ::_exit(127);
  // The program may block or ignore signals (it waits for Ctrl-C on a thread
  // of its own); an exec keeps both, and the reader is to start as any
  // program does.
  sigset_t none;
  ::sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  for (int signal : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGCHLD})
    ::sigaction(signal, &byDefault, nullptr);
  if (::dup2(input, STDIN_FILENO) < 0 || ::dup2(output, STDOUT_FILENO) < 0) ::_exit(127);
  ::execv(argv[0], argv);
  ::_exit(127);
}

}  // namespace

std::uint64_t DefaultMemoryLimitMegabytes() {
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return 1024;
  const std::uint64_t half = static_cast<std::uint64_t>(pages) * pageSize / 2 >> 20;
  return std::max<std::uint64_t>(half, 256);
}

ChildOutcome RunChildProgram(const std::vector<std::string>& command, double seconds,
                             std::stop_token stop, std::size_t maxBytes) {
  ChildOutcome outcome;
  if (command.empty()) {
    outcome.problem = "no program to run";
    return outcome;
  }
  // Everything the child needs is made before the fork.
  std::vector<char*> argv;
  for (const std::string& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) {
    outcome.problem = std::string("no pipe to the model reader: ") + std::strerror(errno);
    return outcome;
  }
  Descriptor pipeRead(ends[0]), pipeWrite(ends[1]);
  Descriptor readEnd(AboveStandardStreams(pipeRead.get()));
  Descriptor writeEnd(AboveStandardStreams(pipeWrite.get()));
  pipeRead.Close();
  pipeWrite.Close();
  Descriptor nothing(::open("/dev/null", O_RDONLY | O_CLOEXEC));
  Descriptor input(nothing.get() < 0 ? -1 : AboveStandardStreams(nothing.get()));
  if (readEnd.get() < 0 || writeEnd.get() < 0 || input.get() < 0) {
    outcome.problem = std::string("no pipe to the model reader: ") + std::strerror(errno);
    return outcome;
  }
  const Clock::time_point deadline =
      Clock::now() + std::chrono::duration_cast<Clock::duration>(
                         std::chrono::duration<double>(std::max(seconds, 0.0)));
  const pid_t parent = ::getpid();
  const pid_t child = ::fork();
  if (child < 0) {
    outcome.problem = std::string("no process for the model reader: ") + std::strerror(errno);
    return outcome;
  }
  if (child == 0) ExecInChild(argv.data(), input.get(), writeEnd.get(), parent);
  writeEnd.Close();
  ::fcntl(readEnd.get(), F_SETFL, O_NONBLOCK);

  bool ended = false;
  std::uint8_t block[1 << 16];
  while (!ended) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      outcome.kind = ChildOutcome::Kind::kTimedOut;
      break;
    }
    pollfd ready{readEnd.get(), POLLIN, 0};
    if (stop.stop_requested()) {
      outcome.problem = "the reading was stopped";
      break;
    }
    // Short turns, so that a stop is seen soon.
    const int polled =
        ::poll(&ready, 1, static_cast<int>(std::min<long long>(left.count(), kStopTurnMs)));
    if (polled < 0 && errno != EINTR) {
      outcome.kind = ChildOutcome::Kind::kFailed;
      outcome.problem = std::string("cannot wait for the model reader: ") + std::strerror(errno);
      break;
    }
    if (polled <= 0) continue;
    while (true) {
      const ssize_t got = ::read(readEnd.get(), block, sizeof block);
      if (got > 0) {
        outcome.bytes.insert(outcome.bytes.end(), block, block + got);
        if (outcome.bytes.size() > maxBytes) break;
        continue;
      }
      if (got == 0) ended = true;  // every write end is closed: the child is ending
      if (got == 0 || errno != EINTR) break;
    }
    if (outcome.bytes.size() > maxBytes) {
      outcome.kind = ChildOutcome::Kind::kTooLarge;
      break;
    }
  }
  if (!ended) {
    ::kill(child, SIGKILL);
    outcome.bytes.clear();
    Reap(child, Clock::now());
    return outcome;
  }
  const int status = Reap(child, deadline);
  if (WIFSIGNALED(status)) {
    outcome.kind = ChildOutcome::Kind::kCrashed;
    outcome.status = WTERMSIG(status);
  } else if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
    outcome.kind = ChildOutcome::Kind::kExited;
    outcome.status = WEXITSTATUS(status);
  } else {
    outcome.kind = ChildOutcome::Kind::kFinished;
  }
  return outcome;
}

std::string ModelReaderProgram() {
  static const std::string found = [] {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error) return std::string();
    // The installed layout first, then a build's, which keeps the reader in
    // libexec/morvane beside the folders of the programs.
    for (const char* relative :
         {MORVANE_READER_FROM_BINDIR, "../libexec/morvane/morvane-model-reader"}) {
      const fs::path candidate = (self.parent_path() / relative).lexically_normal();
      if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return std::string();
  }();
  return found;
}

ModelReaderDescription DescribeModelReader() {
  static std::mutex guard;
  static ModelReaderDescription known;
  const std::lock_guard<std::mutex> lock(guard);
  if (!known.libraryVersion.empty()) return known;
  const std::string program = ModelReaderProgram();
  if (program.empty()) return {};
  const ChildOutcome outcome =
      RunChildProgram({program, "--describe"}, ReaderLimits{}.seconds, {}, kMaxAnswerTextBytes * 4);
  if (outcome.kind != ChildOutcome::Kind::kFinished) return {};
  // The version on the first line, the extensions on the second.
  const std::string text(outcome.bytes.begin(), outcome.bytes.end());
  const std::size_t newline = text.find('\n');
  if (newline == 0 || newline == std::string::npos) return {};
  known = {text.substr(0, newline), text.substr(newline + 1)};
  return known;
}

bool ReadModelInChild(const std::string& path, const ReaderLimits& limits, ImportedModel& model,
                      std::string& error) {
  const std::string program = ModelReaderProgram();
  if (program.empty()) {
    error = "the model reader, morvane-model-reader, is not installed beside this program";
    return false;
  }
  const std::uint64_t megabytes =
      limits.memoryMegabytes != 0 ? limits.memoryMegabytes : DefaultMemoryLimitMegabytes();
  const ChildOutcome outcome =
      RunChildProgram({program, "--memory-limit", std::to_string(megabytes), "--", path},
                      limits.seconds, limits.stop, kMaxAnswerBytes);
  using Kind = ChildOutcome::Kind;
  switch (outcome.kind) {
    case Kind::kFailed:
      error = outcome.problem;
      return false;
    case Kind::kCrashed:
      error =
          "the model reader crashed on this file (signal " + std::to_string(outcome.status) + ")";
      return false;
    case Kind::kTimedOut:
      error = "gave up after " + Seconds(limits.seconds);
      return false;
    case Kind::kTooLarge:
      error = "the model is too large to hand over (over " + std::to_string(kMaxAnswerBytes >> 20) +
              " MB of triangles and textures)";
      return false;
    case Kind::kExited:
      error = "the model reader stopped with status " + std::to_string(outcome.status) +
              " before it answered";
      return false;
    case Kind::kFinished:
      break;
  }
  ReaderAnswer answer;
  std::string damage;
  if (!DecodeReaderAnswer(outcome.bytes, answer, damage)) {
    error = "the model reader's answer is damaged: " + damage;
    return false;
  }
  switch (answer.kind) {
    case ReaderAnswer::Kind::kRefused:
      error = answer.reason;
      return false;
    case ReaderAnswer::Kind::kOutOfMemory: {
      error = "the model reader ran out of memory (limit " + std::to_string(megabytes) + " MB)";
      return false;
    }
    case ReaderAnswer::Kind::kModel:
      break;
  }
  model = std::move(answer.model);
  return true;
}
