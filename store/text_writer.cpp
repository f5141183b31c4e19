#include "store/text_writer.h"

#include <charconv>
#include <cstring>

void TextWriter::Drain() {
  if (used_ > 0 && file_ != nullptr) {
    if (std::fwrite(buffer_, 1, used_, file_) != used_) failed_ = true;
  }
  used_ = 0;
}

void TextWriter::Flush() {
  Drain();
  if (file_ != nullptr && std::fflush(file_) != 0) failed_ = true;
}

void TextWriter::WriteAcrossDrains(std::string_view text) {
  while (!text.empty()) {
    if (used_ == kBufferSize) Drain();
    const std::size_t room = kBufferSize - used_;
    const std::size_t take = text.size() < room ? text.size() : room;
    std::memcpy(buffer_ + used_, text.data(), take);
    used_ += take;
    text.remove_prefix(take);
  }
}

void TextWriter::WriteInt(std::int64_t value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  Write(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
}

void TextWriter::WriteGeneral(float value) {
  char digits[48];
  const auto result = std::to_chars(digits, digits + sizeof digits, static_cast<double>(value),
                                    std::chars_format::general, 6);
  Write(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
}

void TextWriter::WriteFixed62(float value) {
  // A float has at most 39 integer digits, so 48 characters always suffice.
  char digits[48];
  const auto result = std::to_chars(digits, digits + sizeof digits, static_cast<double>(value),
                                    std::chars_format::fixed, 2);
  const std::size_t length = static_cast<std::size_t>(result.ptr - digits);
  for (std::size_t pad = length; pad < 6; ++pad) WriteChar(' ');
  Write(std::string_view(digits, length));
}
