// What a user wrote, set beside what the readers made of it: the word of a
// vocabulary a misspelt key was probably meant to be, the blanks or tabs before
// a key, the byte-order mark some editors put first, and the components of a
// vector as written compared with the values read.
//
// The readers' own rules stay in the readers; these checks only describe the
// text, so that a finding can say what was meant and what happens instead.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

// The word of `vocabulary` nearest to `word` when it is one or two edits away
// (one for words of up to three characters), else empty.
std::string_view NearestWord(std::string_view word, std::span<const std::string_view> vocabulary);

// The three bytes of a UTF-8 byte-order mark.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// `text` without the blanks and tabs it begins with.
std::string_view WithoutIndent(std::string_view text);

// Describes how the vector value `value` (the text after "=", up to the ";"
// or the end of the line) was misread, given the `readCount` components a
// reader stored in `read` (at most `capacity` of them are kept), or returns ""
// when every component was read as the number written. `rule` completes
// "in '-2e0' ..." with what the reader keeps of a component.
std::string MisreadVector(std::string_view value, const float* read, std::size_t readCount,
                          std::size_t capacity, std::string_view rule);

// "(1, -2, 0.5)": components as a finding shows them.
std::string FormatValues(const float* values, std::size_t count);

// "%g" of one value.
std::string FormatValue(double value);
