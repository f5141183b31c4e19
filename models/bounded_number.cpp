#include "models/bounded_number.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9, 1e10,
                                   1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20};

// A scene of a million vertices writes millions of numbers, and the general
// conversion costs most of the writing. Most values take the first count of
// decimals tried, and for them the digits come from one multiplication: the
// product carries an error below 2^-13 while its magnitude stays under
// 2^40, so where its fraction is further than 2^-12 from one half, rounding
// it gives the same digits as rounding the exact value, which is what the
// general conversion does. Returns false for any other value.
bool FormatQuickly(double value, int maxChars, int decimals, BoundedNumber& result) {
  const double scaled = std::fabs(value) * kPowersOfTen[decimals];
  if (!(scaled < 0x1p40)) return false;
  const double whole = std::floor(scaled);
  const double fraction = scaled - whole;
  if (std::fabs(fraction - 0.5) <= 0x1p-12) return false;
  std::uint64_t digits = static_cast<std::uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
  // Written backwards: the decimals, the point, the integer part, the sign.
  char reversed[32];
  int length = 0;
  bool significant = false;  // a decimal other than a trailing zero was met
  for (int d = 0; d < decimals; ++d, digits /= 10) {
    const char digit = static_cast<char>('0' + digits % 10);
    significant = significant || digit != '0';
    if (significant) reversed[length++] = digit;
  }
  // The general conversion writes the point and every decimal, so the length
  // that must fit counts them all.
  int written = decimals > 0 ? decimals + 1 : 0;
  if (significant) reversed[length++] = '.';
  do {
    reversed[length++] = static_cast<char>('0' + digits % 10);
    ++written;
    digits /= 10;
  } while (digits > 0);
  // A value that rounds to zero is written without its sign.
  const bool zero = length == 1 && reversed[0] == '0';
  if (value < 0 && !zero) reversed[length++] = '-', ++written;
  if (written > maxChars) return false;
  for (int i = 0; i < length; ++i) result.text[i] = reversed[length - 1 - i];
  result.view = std::string_view(result.text, static_cast<std::size_t>(length));
  return true;
}

}  // namespace

BoundedNumber FormatBounded(double value, int maxChars, int maxDecimals) {
  BoundedNumber result{};
  if (!std::isfinite(value)) value = 0;
  // The sign takes one character, so maxChars - 1 digits remain for the
  // integer part.
  const double limit = kPowersOfTen[maxChars - 1] - 1;
  value = std::fmax(-limit, std::fmin(limit, value));
  if (FormatQuickly(value, maxChars, maxDecimals, result)) return result;
  std::size_t length = 0;
  for (int decimals = maxDecimals; decimals >= 0; --decimals) {
    const auto written = std::to_chars(result.text, result.text + sizeof result.text, value,
                                       std::chars_format::fixed, decimals);
    length = static_cast<std::size_t>(written.ptr - result.text);
    if (length <= static_cast<std::size_t>(maxChars)) break;
  }
  std::string_view text(result.text, length);
  if (text.find('.') != std::string_view::npos) {
    while (text.back() == '0') text.remove_suffix(1);
    if (text.back() == '.') text.remove_suffix(1);
  }
  // A value that rounds to zero is written without its sign.
  if (text == "-0") text.remove_prefix(1);
  result.view = text;
  return result;
}
