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
#include <new>
#include <thread>

#include "models/model_reader.h"
#include "models/reader_answer.h"

namespace {

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

// The address space the process holds now, in bytes, from /proc/self/statm;
// 0 when it cannot be read.
std::uint64_t AddressSpaceInUse() {
  char text[128] = {};
  const int fd = ::open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  const ssize_t length = ::read(fd, text, sizeof text - 1);
  ::close(fd);
  if (length <= 0) return 0;
  std::uint64_t pages = 0;
  for (const char* c = text; *c >= '0' && *c <= '9'; ++c) pages = pages * 10 + (*c - '0');
  return pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

// Everything the child does before it starts on the work.
void EnterChild(const ReaderLimits& limits, pid_t parent) {
  // The reader dies with the program, whatever ends the program.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (::getppid() != parent) ::_exit(1);
  // A crash is the reader's own and is reported by the parent: no core file
  // in the user's folder, and the default end by signal even where a
  // sanitizer would have caught it.
  const rlimit noCore{0, 0};
  ::setrlimit(RLIMIT_CORE, &noCore);
  for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGPIPE})
    std::signal(signal, SIG_DFL);
  // The limit is on what the reader adds to the address space the program
  // already holds (its libraries, and a sanitizer's reservations in a test
  // build), so that it means the same in every program.
  const std::uint64_t megabytes =
      limits.memoryMegabytes != 0 ? limits.memoryMegabytes : DefaultMemoryLimitMegabytes();
  const rlim_t bytes = static_cast<rlim_t>(AddressSpaceInUse() + (megabytes << 20));
  const rlimit addressSpace{bytes, bytes};
  ::setrlimit(RLIMIT_AS, &addressSpace);
  // Standard output may carry the viewer's parse log: the library must not
  // write into it.
  const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (null >= 0) ::dup2(null, STDOUT_FILENO);
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

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

}  // namespace

std::uint64_t DefaultMemoryLimitMegabytes() {
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return 1024;
  const std::uint64_t half = static_cast<std::uint64_t>(pages) * pageSize / 2 >> 20;
  return std::max<std::uint64_t>(half, 256);
}

ChildOutcome RunInChild(const ReaderLimits& limits, std::size_t maxBytes,
                        const std::function<void(int writeFd)>& work) {
  ChildOutcome outcome;
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) {
    outcome.problem = std::string("no pipe to the model reader: ") + std::strerror(errno);
    return outcome;
  }
  Descriptor readEnd(ends[0]), writeEnd(ends[1]);
  const Clock::time_point deadline =
      Clock::now() + std::chrono::duration_cast<Clock::duration>(
                         std::chrono::duration<double>(std::max(limits.seconds, 0.0)));
  const pid_t parent = ::getpid();
  const pid_t child = ::fork();
  if (child < 0) {
    outcome.problem = std::string("no process for the model reader: ") + std::strerror(errno);
    return outcome;
  }
  if (child == 0) {
    readEnd.Close();
    EnterChild(limits, parent);
    work(writeEnd.get());
    ::_exit(0);
  }
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
    if (limits.stop.stop_requested()) {
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

std::string ListReadableExtensions() {
  const ChildOutcome outcome = RunInChild({}, kMaxAnswerTextBytes * 4, [](int fd) {
    const std::string list = ReadableExtensions();
    WriteAll(fd, {reinterpret_cast<const std::uint8_t*>(list.data()), list.size()});
  });
  if (outcome.kind != ChildOutcome::Kind::kFinished) return "";
  return std::string(outcome.bytes.begin(), outcome.bytes.end());
}

bool ReadModelInChild(const std::string& path, const ReaderLimits& limits, ImportedModel& model,
                      std::string& error) {
  const ChildOutcome outcome = RunInChild(limits, kMaxAnswerBytes, [&](int fd) {
    const AnswerSink put = [fd](std::span<const std::uint8_t> bytes) {
      return WriteAll(fd, bytes);
    };
    try {
      // Left to the end of the process, which frees it all at once.
      ImportedModel& read = *new ImportedModel;
      std::string reason;
      if (ReadModel(path, read, reason)) {
        EncodeModelAnswer(read, put);
      } else {
        // The library catches its own failures to allocate and says so in words.
        const bool memory = reason.find("bad_alloc") != std::string::npos;
        EncodeRefusal(memory ? ReaderAnswer::Kind::kOutOfMemory : ReaderAnswer::Kind::kRefused,
                      reason, put);
      }
    } catch (const std::bad_alloc&) {
      EncodeRefusal(ReaderAnswer::Kind::kOutOfMemory, "", put);
    } catch (const std::exception& failure) {
      EncodeRefusal(ReaderAnswer::Kind::kRefused, failure.what(), put);
    }
  });
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
      const std::uint64_t megabytes =
          limits.memoryMegabytes != 0 ? limits.memoryMegabytes : DefaultMemoryLimitMegabytes();
      error = "the model reader ran out of memory (limit " + std::to_string(megabytes) + " MB)";
      return false;
    }
    case ReaderAnswer::Kind::kModel:
      break;
  }
  model = std::move(answer.model);
  return true;
}
