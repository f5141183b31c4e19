#include "store/decimal.h"

#include <charconv>
#include <cstddef>
#include <limits>
#include <string>
#include <system_error>

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

double ParseDecimalPrefix(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

  const std::size_t mantissaStart = i;
  std::size_t integerDigits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++integerDigits;
  std::size_t fractionDigits = 0;
  if (i < text.size() && text[i] == '.') {
    std::size_t j = i + 1;
    while (j < text.size() && IsDigit(text[j])) ++j, ++fractionDigits;
    if (integerDigits + fractionDigits > 0) i = j;
  }
  if (integerDigits + fractionDigits == 0) return 0.0;
  const std::size_t mantissaEnd = i;

  // The exponent counts only when at least one digit follows its letter and sign.
  std::string_view exponentDigits;
  bool exponentNegative = false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
    std::size_t j = i + 1;
    bool signNegative = false;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) signNegative = text[j++] == '-';
    const std::size_t digitsStart = j;
    while (j < text.size() && IsDigit(text[j])) ++j;
    if (j > digitsStart) {
      exponentDigits = text.substr(digitsStart, j - digitsStart);
      exponentNegative = signNegative;
    }
  }

  // from_chars takes neither a leading sign nor "d", so the shape is rebuilt;
  // the text readers' numbers fit the stack buffer, anything longer goes to the heap.
  const std::string_view mantissa = text.substr(mantissaStart, mantissaEnd - mantissaStart);
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
