#include "store/text_writer.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

void TextWriter::NoteFailure() {
  if (!failed_) failureReason_ = errno != 0 ? errno : EIO;
  failed_ = true;
}

void TextWriter::Drain() {
  if (used_ > 0 && file_ != nullptr) {
    errno = 0;
    if (std::fwrite(buffer_, 1, used_, file_) != used_) NoteFailure();
  }
  used_ = 0;
}

void TextWriter::Flush() {
  Drain();
  errno = 0;
  if (file_ != nullptr && std::fflush(file_) != 0) NoteFailure();
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
  if (file_ == nullptr) return;
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  Write(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
}

namespace {

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};

// Where each decade from 10^-4 to 10^5 begins. No float lies between a power
// of ten and its nearest double, so comparing with these places every float
// in its true decade.
constexpr double kDecadeStarts[] = {1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1, 1e2, 1e3, 1e4, 1e5};
constexpr int kFirstDecade = -4;

// The short path of both number formats rests on one fact: a float has 24
// significant bits and 10^p = 2^p * 5^p with 5^p below 2^28 for p <= 12, so
// |value| * 10^p is exact in a double. Rounding that product to an integer,
// ties to even as the default rounding mode does, gives the same decimal
// digits as printf's correctly rounded conversion.
std::uint64_t ScaleExactly(double magnitude, int decimals) {
  return static_cast<std::uint64_t>(std::nearbyint(magnitude * kPowersOfTen[decimals]));
}

// Writes the `count` lowest decimal digits of `value`, leading zeros included,
// so that they end just before `end`; returns where they begin.
char* PutDigits(char* end, std::uint64_t value, int count) {
  for (int i = 0; i < count; ++i) {
    *--end = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return end;
}

// Writes the decimal digits of `value` (no leading zeros, "0" for 0) ending
// just before `end`; returns where they begin.
char* PutNumber(char* end, std::uint64_t value) {
  do {
    *--end = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  return end;
}

}  // namespace

void TextWriter::WriteGeneral(float value) {
  if (file_ == nullptr) return;
  const double magnitude = std::fabs(static_cast<double>(value));
  if (magnitude == 0) {
    Write(std::signbit(value) ? std::string_view("-0") : std::string_view("0"));
    return;
  }
  // From 10^-4 up to 10^6 the output is fixed notation with six significant
  // digits; anything else, and a value that rounds up into the next decade,
  // takes the general way below.
  if (magnitude >= kDecadeStarts[0] && magnitude < 1e6) {
    int decade = 9;
    while (magnitude < kDecadeStarts[decade]) --decade;
    const int decimals = 5 - (decade + kFirstDecade);
    const std::uint64_t significant = ScaleExactly(magnitude, decimals);
    if (significant < 1000000) {
      char text[24];
      char* const end = text + sizeof text;
      char* begin = end;
      std::uint64_t whole = significant;
      if (decimals > 0) {
        const auto unit = static_cast<std::uint64_t>(kPowersOfTen[decimals]);
        std::uint64_t fraction = significant % unit;
        whole = significant / unit;
        int fractionDigits = decimals;
        while (fraction % 10 == 0 && fractionDigits > 0) fraction /= 10, --fractionDigits;
        if (fractionDigits > 0) {
          begin = PutDigits(begin, fraction, fractionDigits);
          *--begin = '.';
        }
      }
      begin = PutNumber(begin, whole);
      if (value < 0) *--begin = '-';
      Write(std::string_view(begin, static_cast<std::size_t>(end - begin)));
      return;
    }
  }
  char digits[48];
  const auto result = std::to_chars(digits, digits + sizeof digits, static_cast<double>(value),
                                    std::chars_format::general, 6);
  Write(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
}

void TextWriter::WriteFixed62(float value) {
  if (file_ == nullptr) return;
  char digits[48];
  std::size_t length = 0;
  const double magnitude = std::fabs(static_cast<double>(value));
  if (magnitude < 1e15) {
    // Hundredths, rounded as printf rounds them (see ScaleExactly); the sign
    // stays even where the digits round to zero, as in "-0.00".
    const std::uint64_t hundredths = ScaleExactly(magnitude, 2);
    char* const end = digits + sizeof digits;
    char* begin = PutDigits(end, hundredths % 100, 2);
    *--begin = '.';
    begin = PutNumber(begin, hundredths / 100);
    if (std::signbit(value)) *--begin = '-';
    length = static_cast<std::size_t>(end - begin);
    for (std::size_t pad = length; pad < 6; ++pad) WriteChar(' ');
    Write(std::string_view(begin, length));
    return;
  }
  // A float has at most 39 integer digits, so 48 characters always suffice.
  const auto result = std::to_chars(digits, digits + sizeof digits, static_cast<double>(value),
                                    std::chars_format::fixed, 2);
  length = static_cast<std::size_t>(result.ptr - digits);
  for (std::size_t pad = length; pad < 6; ++pad) WriteChar(' ');
  Write(std::string_view(digits, length));
}
