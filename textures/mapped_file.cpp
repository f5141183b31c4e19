#include "textures/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

MappedFile::~MappedFile() {
  if (data_ != nullptr) ::munmap(const_cast<std::uint8_t*>(data_), size_);
}

bool MappedFile::Open(const char* path) {
  if (data_ != nullptr || path == nullptr) return false;
  int fd = -1;
  do {
    // O_NONBLOCK keeps a FIFO from stalling the open; it is refused below.
    fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;

  struct stat status {};
  const bool mappable = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
                        status.st_size > 0 &&
                        static_cast<std::uintmax_t>(status.st_size) <= SIZE_MAX;
  void* mapping = MAP_FAILED;
  const std::size_t size = mappable ? static_cast<std::size_t>(status.st_size) : 0;
  if (mappable) mapping = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  ::close(fd);
  if (mapping == MAP_FAILED) return false;
  data_ = static_cast<const std::uint8_t*>(mapping);
  size_ = size;
  return true;
}
