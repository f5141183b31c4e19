// A whole file mapped read-only into memory, released when the object goes.
//
// Only a regular, non-empty file can be mapped. A directory, a FIFO, a device
// or an empty file is refused, and opening never waits on a FIFO that has no
// writer. The file descriptor is closed as soon as the mapping exists; the
// mapping keeps the bytes reachable until the object is destroyed.
//
// The bytes are the file's as they are on disk while mapped: a file cut short
// by another process during the mapping is not guarded against.
#pragma once

#include <cstddef>
#include <cstdint>

#include "textures/little_endian.h"

class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // Maps `path`. False, with nothing held, when the file cannot be opened, is
  // not a regular file, is empty, or cannot be mapped.
  bool Open(const char* path);

  ByteSpan bytes() const { return ByteSpan(data_, size_); }

 private:
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};
