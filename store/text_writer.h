// Buffered text output for the parse log and the transcript.
//
// Both outputs are written line by line in the millions for large scenes, so
// they are gathered in a fixed buffer and handed to the stdio stream in large
// blocks: no system call and no allocation per line. Number formats are the
// ones the two outputs promise, produced without the process locale:
// - WriteGeneral: a float as a standard output stream writes it by default
//   (general notation, 6 significant digits: 1.5, -2, 100000);
// - WriteFixed62: printf's "%6.2f" of the float widened to double.
// A failed write (a full disk) is remembered in Failed() and never stops the
// writer; later writes keep being attempted. A writer without a file
// discards everything without formatting it, so a reader run only for what
// it finds (the checker) pays nothing for a log nobody reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

class TextWriter {
 public:
  // `file` is not owned; it must stay open while the writer is alive.
  explicit TextWriter(std::FILE* file) : file_(file) {}
  ~TextWriter() { Flush(); }
  TextWriter(const TextWriter&) = delete;
  TextWriter& operator=(const TextWriter&) = delete;

  void Write(std::string_view text) {
    if (file_ == nullptr) return;
    // Most writes are a few characters: one copy into the buffer, no call.
    if (text.size() <= kBufferSize && used_ <= kBufferSize - text.size()) {
      std::memcpy(buffer_ + used_, text.data(), text.size());
      used_ += text.size();
      return;
    }
    WriteAcrossDrains(text);
  }
  void WriteChar(char c) {
    if (file_ == nullptr) return;
    if (used_ == kBufferSize) Drain();
    buffer_[used_++] = c;
  }
  void WriteInt(std::int64_t value);
  void WriteGeneral(float value);
  void WriteFixed62(float value);

  // Hands everything buffered to the stream and flushes the stream.
  void Flush();
  bool Failed() const { return failed_; }
  // The system's reason for the first failed write (an errno), 0 when none failed.
  int FailureReason() const { return failureReason_; }

 private:
  void Drain();
  void NoteFailure();
  void WriteAcrossDrains(std::string_view text);

  static constexpr std::size_t kBufferSize = 64 * 1024;
  std::FILE* file_;
  std::size_t used_ = 0;
  bool failed_ = false;
  int failureReason_ = 0;
  char buffer_[kBufferSize];
};
