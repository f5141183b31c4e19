#include "models/bounded_number.h"

#include <charconv>
#include <cmath>
#include <cstddef>

BoundedNumber FormatBounded(double value, int maxChars, int maxDecimals) {
  BoundedNumber result{};
  if (!std::isfinite(value)) value = 0;
  // The sign takes one character, so maxChars - 1 digits remain for the
  // integer part.
  const double limit = std::pow(10.0, maxChars - 1) - 1;
  value = std::fmax(-limit, std::fmin(limit, value));
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
