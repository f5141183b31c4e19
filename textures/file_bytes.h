// A whole bitmap file read into memory.
//
// Only a regular, non-empty file is read. A directory, a FIFO, a device or an
// empty file is refused, and opening never waits on a FIFO that has no writer.
//
// The file is copied, not mapped: another program may cut it short or rewrite
// it while it is read (an editor saving, a watched scene reloading), and a
// mapping would then fault on the pages that no longer exist. A copy holds
// whatever the reads returned, at most the size the file had when opened; a
// file that shrank meanwhile is simply shorter, and the decoder's bounds
// checks refuse what it lacks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "textures/dib_section.h"
#include "textures/little_endian.h"

// The largest bitmap file read: twice the largest picture's rows (a
// run-length stream can take two bytes a pixel) and room for the headers and
// the colour table. A larger file cannot hold a picture the loader takes, so
// its size is never allocated.
inline constexpr std::uint64_t kMaxBitmapFileBytes =
    2 * kMaxSectionBytes + (std::uint64_t{1} << 20);

class FileBytes {
 public:
  enum class Outcome { kRead, kCannotOpen, kTooLarge };

  // Reads `path`. kCannotOpen, with nothing held, when the file cannot be
  // opened, is not a regular file, or yields no bytes; kTooLarge, with
  // nothing allocated, when it is larger than `limit` bytes. May throw
  // std::bad_alloc when the memory for a file within the limit cannot be had.
  Outcome Read(const char* path, std::uint64_t limit = kMaxBitmapFileBytes);

  ByteSpan bytes() const { return ByteSpan(bytes_.data(), bytes_.size()); }

 private:
  std::vector<std::uint8_t> bytes_;
};
