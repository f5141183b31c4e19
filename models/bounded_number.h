// Numbers as the scene files can hold them: fixed notation (never an
// exponent), in at most a given number of characters.
//
// objects.txt rejects a vector component of more than 10 characters and
// scene.txt reads at most 8 characters of a number, so every number the
// importer writes goes through here.
#pragma once

#include <string_view>

struct BoundedNumber {
  char text[32];
  std::string_view view;
};

// `value` with as many digits after the point as fit into `maxChars`, at most
// `maxDecimals`, trailing zeros dropped ("0.5", "-2", "9.123457"). A value
// whose integer part does not fit is clamped to the largest one that does; a
// value that is not a number gives "0". `maxChars` is 2 to 20.
BoundedNumber FormatBounded(double value, int maxChars, int maxDecimals);
