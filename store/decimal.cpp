#include "store/decimal.h"

#include "store/ascii.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>

namespace {

// Powers of ten that doubles hold exactly.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kLargestExactPower = 22;
constexpr std::uint64_t kLargestExactInteger = std::uint64_t{1} << 53;

// The short texts the readers see (a few digits, maybe a fraction) take a
// quick way: when the digits form an integer a double holds exactly and the
// power of ten is exact too, one multiplication or division rounds correctly,
// so the result is the very double the general conversion finds.
bool ConvertExactly(std::string_view mantissa, int exponent, double& value) {
  std::uint64_t digits = 0;
  int fractionDigits = 0;
  bool inFraction = false;
  for (char c : mantissa) {
    if (c == '.') {
      inFraction = true;
      continue;
    }
    digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
    if (digits > kLargestExactInteger) return false;
    if (inFraction) ++fractionDigits;
  }
  const int scale = exponent - fractionDigits;
  if (scale < -kLargestExactPower || scale > kLargestExactPower) return false;
  const double whole = static_cast<double>(digits);
  value = scale < 0 ? whole / kExactPowersOfTen[-scale] : whole * kExactPowersOfTen[scale];
  return true;
}

}  // namespace

double ParseDecimalPrefix(std::string_view text, std::size_t* used) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

  const std::size_t mantissaStart = i;
  std::size_t integerDigits = 0;
  while (i < text.size() && IsAsciiDigit(text[i])) ++i, ++integerDigits;
  std::size_t fractionDigits = 0;
  if (i < text.size() && text[i] == '.') {
    std::size_t j = i + 1;
    while (j < text.size() && IsAsciiDigit(text[j])) ++j, ++fractionDigits;
    if (integerDigits + fractionDigits > 0) i = j;
  }
  if (used != nullptr) *used = 0;
  if (integerDigits + fractionDigits == 0) return 0.0;
  const std::size_t mantissaEnd = i;
  if (used != nullptr) *used = i;

  // The exponent counts only when at least one digit follows its letter and sign.
  std::string_view exponentDigits;
  bool exponentNegative = false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
    std::size_t j = i + 1;
    bool signNegative = false;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) signNegative = text[j++] == '-';
    const std::size_t digitsStart = j;
    while (j < text.size() && IsAsciiDigit(text[j])) ++j;
    if (j > digitsStart) {
      exponentDigits = text.substr(digitsStart, j - digitsStart);
      exponentNegative = signNegative;
      if (used != nullptr) *used = j;
    }
  }

  const std::string_view mantissa = text.substr(mantissaStart, mantissaEnd - mantissaStart);
  if (exponentDigits.size() <= 3) {
    int exponent = 0;
    for (char c : exponentDigits) exponent = exponent * 10 + (c - '0');
    double value = 0.0;
    if (ConvertExactly(mantissa, exponentNegative ? -exponent : exponent, value)) {
      return negative ? -value : value;
    }
  }

  // from_chars takes neither a leading sign nor "d", so the shape is rebuilt;
  // the text readers' numbers fit the stack buffer, anything longer goes to the heap.
  char stackBuffer[64];
  std::string heapBuffer;
  const std::size_t needed = mantissa.size() + exponentDigits.size() + 2;
  char* buffer = stackBuffer;
  if (needed > sizeof stackBuffer) {
    heapBuffer.resize(needed);
    buffer = heapBuffer.data();
  }
  std::size_t length = 0;
  for (char c : mantissa) buffer[length++] = c;
  if (!exponentDigits.empty()) {
    buffer[length++] = 'e';
    if (exponentNegative) buffer[length++] = '-';
    for (char c : exponentDigits) buffer[length++] = c;
  }

  double value = 0.0;
  const auto [end, error] = std::from_chars(buffer, buffer + length, value);
  (void)end;
  if (error == std::errc::result_out_of_range) {
    // Out of range means overflow for a positive exponent and underflow for a
    // negative or missing one (the mantissas these readers see are short).
    const bool overflow = !exponentDigits.empty() && !exponentNegative;
    value = overflow ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (error != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}
