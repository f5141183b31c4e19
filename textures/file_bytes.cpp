#include "textures/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

FileBytes::Outcome FileBytes::Read(const char* path, std::uint64_t limit) {
  bytes_.clear();
  if (path == nullptr) return Outcome::kCannotOpen;
  int fd = -1;
  do {
    // O_NONBLOCK keeps a FIFO from stalling the open; it is refused below.
    fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return Outcome::kCannotOpen;

  struct stat status {};
  const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0;
  if (regular && static_cast<std::uintmax_t>(status.st_size) > limit) {
    ::close(fd);
    return Outcome::kTooLarge;
  }
  if (regular) {
    bytes_.resize(static_cast<std::size_t>(status.st_size));
    std::size_t got = 0;
    while (got < bytes_.size()) {
      const ssize_t n = ::read(fd, bytes_.data() + got, bytes_.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;  // the end came early (the file shrank) or reading failed
      got += static_cast<std::size_t>(n);
    }
    bytes_.resize(got);
  }
  ::close(fd);
  return bytes_.empty() ? Outcome::kCannotOpen : Outcome::kRead;
}
