#include "store/line_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

LineReader::LineReader(const char* path) {
  // A FIFO named like a scene file must not block the viewer until some other
  // program writes to it: opened without blocking, an idle one reads as empty.
  do {
    fd_ = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd_ < 0 && errno == EINTR);
  if (fd_ >= 0) {
    buffer_ = new (std::nothrow) char[kBufferSize];
    if (buffer_ == nullptr) {
      ::close(fd_);
      fd_ = -1;
    }
    data_ = buffer_;
    struct stat status {};
    if (fd_ >= 0 && ::fstat(fd_, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
      sizeHint_ = static_cast<std::size_t>(status.st_size);
    }
  }
}

LineReader::LineReader(std::string_view bytes)
    : inMemory_(true), data_(bytes.data()), size_(bytes.size()), sizeHint_(bytes.size()) {}

LineReader::~LineReader() {
  if (fd_ >= 0) ::close(fd_);
  delete[] buffer_;
}

bool LineReader::Fill() {
  if (position_ < size_) return true;
  if (inMemory_ || exhausted_ || fd_ < 0) return false;
  for (;;) {
    const ssize_t got = ::read(fd_, buffer_, kBufferSize);
    if (got > 0) {
      size_ = static_cast<std::size_t>(got);
      position_ = 0;
      return true;
    }
    if (got < 0 && errno == EINTR) continue;
    exhausted_ = true;  // end of file, or an error such as reading a directory
    return false;
  }
}

bool LineReader::ReadPiece(Piece& piece, std::size_t& length) {
  // Copies whole runs of ordinary characters at once; only a CR needs a look
  // at the byte after it, which may lie in the next buffer.
  std::size_t count = 0;
  bool lineEnded = false;
  while (!lineEnded && count < kPieceLimit && Fill()) {
    const char* run = data_ + position_;
    const std::size_t available = std::min(size_ - position_, kPieceLimit - count);
    const void* lineFeed = std::memchr(run, '\n', available);
    std::size_t take = lineFeed == nullptr
                           ? available
                           : static_cast<std::size_t>(static_cast<const char*>(lineFeed) - run) + 1;
    const void* carriageReturn = std::memchr(run, '\r', take);
    if (carriageReturn != nullptr) {
      take = static_cast<std::size_t>(static_cast<const char*>(carriageReturn) - run);
      std::memcpy(piece + count, run, take);
      count += take;
      position_ += take + 1;
      if (Fill() && data_[position_] == '\n') {
        ++position_;
        piece[count++] = '\n';
        lineEnded = true;
      } else {
        piece[count++] = '\r';
      }
      continue;
    }
    std::memcpy(piece + count, run, take);
    count += take;
    position_ += take;
    lineEnded = lineFeed != nullptr;
  }
  if (count == 0) return false;
  piece[count] = '\0';
  length = count;
  ++piecesRead_;
  return true;
}
