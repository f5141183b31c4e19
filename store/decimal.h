// The one decimal conversion of the text readers.
//
// Accepted shape: optional sign ("+" or "-"), digits, optionally "." and more
// digits (at least one digit in all), then optionally an exponent written "e"
// or "d" (either case) with an optional sign and at least one digit. The
// longest prefix of the text with that shape is converted and the rest is
// ignored; a text without such a prefix converts to 0. The conversion does not
// depend on the process locale. Values too large for a double become infinity,
// values too small become zero, both with the text's sign.
#pragma once

#include <cstddef>
#include <string_view>

// Converts the longest prefix of `text` of the accepted shape. When `used` is
// given it receives that prefix's length (0 when there is none), which tells
// whether a text was a number through and through.
double ParseDecimalPrefix(std::string_view text, std::size_t* used = nullptr);

// The same conversion, narrowed to a 32-bit float as the records store it.
inline float ParseDecimalFloat(std::string_view text) {
  return static_cast<float>(ParseDecimalPrefix(text));
}
