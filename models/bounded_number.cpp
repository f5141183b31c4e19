#include "models/bounded_number.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

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
  const double scaled = (value < 0 ? -value : value) * kPowersOfTen[decimals];
  if (!(scaled < 0x1p40)) return false;
  std::uint64_t digits = static_cast<std::uint64_t>(scaled);  // the floor: scaled >= 0
  const double fraction = scaled - static_cast<double>(digits);
  if (fraction > 0.5 - 0x1p-12 && fraction < 0.5 + 0x1p-12) return false;
  digits += fraction > 0.5 ? 1 : 0;
  // Written backwards from the end of a scratch buffer: the decimals without
  // trailing zeros, the point, the integer part, the sign.
  char scratch[32];
  char* const end = scratch + sizeof scratch;
  char* at = end;
  int d = 0;
  for (; d < decimals && digits % 10 == 0; ++d) digits /= 10;
  const bool fractional = d < decimals;
  for (; d < decimals; ++d, digits /= 10) *--at = static_cast<char>('0' + digits % 10);
  if (fractional) *--at = '.';
  int integerDigits = 0;
  do {
    *--at = static_cast<char>('0' + digits % 10);
    ++integerDigits;
    digits /= 10;
  } while (digits > 0);
  // A value that rounds to zero is written without its sign.
  const bool zero = integerDigits == 1 && !fractional && *at == '0';
  if (value < 0 && !zero) *--at = '-';
  // The general conversion writes the point and every decimal: that length
  // must fit for it to keep this many decimals.
  const int general =
      (value < 0 && !zero ? 1 : 0) + integerDigits + (decimals > 0 ? decimals + 1 : 0);
  if (general > maxChars) return false;
  const auto length = static_cast<std::size_t>(end - at);
  std::memcpy(result.text, at, length);
  result.view = std::string_view(result.text, length);
  return true;
}

}  // namespace

BoundedNumber FormatBounded(double value, int maxChars, int maxDecimals) {
  BoundedNumber result{};
  if (!std::isfinite(value)) value = 0;
  // The sign takes one character, so maxChars - 1 digits remain for the
  // integer part.
  const double limit = kPowersOfTen[maxChars - 1] - 1;
  if (value > limit) value = limit;
  if (value < -limit) value = -limit;
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
