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

#include "textures/little_endian.h"

class FileBytes {
 public:
  // Reads `path`. False, with nothing held, when the file cannot be opened, is
  // not a regular file, or yields no bytes.
  bool Read(const char* path);

  ByteSpan bytes() const { return ByteSpan(bytes_.data(), bytes_.size()); }

 private:
  std::vector<std::uint8_t> bytes_;
};
