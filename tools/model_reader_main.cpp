// morvane-model-reader: the one program that loads the model library. The
// other programs start it for every model they read (models/reader_process.h)
// so that a crash, a hang or a runaway allocation inside the library ends
// this process and not theirs.
//
//   morvane-model-reader --describe
//       writes the library's version on one line, then the extensions it
//       reads, as "*.obj;*.gltf;..."
//   morvane-model-reader --memory-limit MB -- FILE
//       reads FILE with at most MB megabytes more address space than the
//       program holds when it starts, and writes the answer
//       (models/reader_answer.h) to standard output
//
// Exit status 0 once the answer is written (a refusal is an answer too), 2
// for arguments it does not know, 1 when standard output cannot take the
// answer. A crash ends it by its signal, which the caller reports.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <exception>
#include <new>
#include <span>
#include <string>
#include <string_view>

#include "models/model_reader.h"
#include "models/reader_answer.h"

namespace {

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

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

// A crash is the library's and is reported by the caller: no core file in
// the user's folder, and the default end by signal even where a sanitizer
// would have caught it. The memory limit is on what the reading adds to what
// the program holds once started (its libraries, and a sanitizer's
// reservations in a test build), so that it means the same in every build.
void LimitTheReading(std::uint64_t megabytes) {
  const rlimit noCore{0, 0};
  ::setrlimit(RLIMIT_CORE, &noCore);
  for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) std::signal(signal, SIG_DFL);
  const rlim_t bytes = static_cast<rlim_t>(AddressSpaceInUse() + (megabytes << 20));
  const rlimit addressSpace{bytes, bytes};
  ::setrlimit(RLIMIT_AS, &addressSpace);
}

// Reads the model and writes the answer; false when the answer could not be
// delivered.
bool Answer(const std::string& path, int answerFd) {
  const AnswerSink put = [answerFd](std::span<const std::uint8_t> bytes) {
    return WriteAll(answerFd, bytes);
  };
  try {
    // Left to the end of the process, which frees it all at once.
    ImportedModel& read = *new ImportedModel;
    std::string reason;
    if (ReadModel(path, read, reason)) return EncodeModelAnswer(read, put);
    // The library catches its own failures to allocate and says so in words.
    const bool memory = reason.find("bad_alloc") != std::string::npos;
    return EncodeRefusal(memory ? ReaderAnswer::Kind::kOutOfMemory : ReaderAnswer::Kind::kRefused,
                         reason, put);
  } catch (const std::bad_alloc&) {
    return EncodeRefusal(ReaderAnswer::Kind::kOutOfMemory, "", put);
  } catch (const std::exception& failure) {
    return EncodeRefusal(ReaderAnswer::Kind::kRefused, failure.what(), put);
  }
}

}  // namespace

int main(int argc, char** argv) {
  // The answer goes where standard output went; the library gets /dev/null
  // there, so that nothing it prints can be taken for part of the answer.
  const int answerFd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (answerFd < 0 || null < 0 || ::dup2(null, STDOUT_FILENO) < 0) return 1;

  const std::span<char*> arguments(argv + 1, static_cast<std::size_t>(argc > 0 ? argc - 1 : 0));
  if (arguments.size() == 1 && std::string_view(arguments[0]) == "--describe") {
    const std::string text = LibraryVersion() + '\n' + ReadableExtensions();
    return WriteAll(answerFd, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()})
               ? 0
               : 1;
  }
  std::uint64_t megabytes = 0;
  if (arguments.size() != 4 || std::string_view(arguments[0]) != "--memory-limit" ||
      std::string_view(arguments[2]) != "--") {
    return 2;
  }
  const std::string_view limit = arguments[1];
  const auto [end, problem] = std::from_chars(limit.data(), limit.data() + limit.size(), megabytes);
  if (problem != std::errc() || end != limit.data() + limit.size() || megabytes == 0 ||
      megabytes > (std::uint64_t{1} << 30)) {
    return 2;
  }
  LimitTheReading(megabytes);
  const bool delivered = Answer(arguments[3], answerFd);
  // The model is left for the end of the process to free, and a leak check
  // at exit would only report it.
  ::_exit(delivered ? 0 : 1);
}
