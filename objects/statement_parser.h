// The statement parser of objects.txt: one line of text into one Statement.
//
// A line is key ";" (a bare keyword), key "=" "(" components ")" (a vector),
// key "=" number, or key "=" name ";". The parser lowers the line's case in
// place, writes only the Statement fields its outcome uses (every other field
// keeps what earlier lines left there), and writes its part of the parse log.
// It gives keys and names no meaning; the display list compiler does that.
#pragma once

#include <cstdint>

#include "store/records.h"
#include "store/text_writer.h"

// Result codes of ParseStatement. Code 3 is never returned.
enum ParseResult : std::int32_t {
  kParsed = 0,
  kLineTooLong = 1,       // "Large Input": more than 300 characters
  kKeyTooLong = 2,        // "Large CMD": a key of 20 or more characters
  kComponentTooLong = 4,  // "Large value %d": a vector component of more than 10 characters
  kBadValue = 5,          // "bad values": nothing after "=" begins a value
  kNumberTooLong = 6,     // "Large Value" or "After . Large"
  kNoKeyTerminator = 7,   // "Missing = or ;": the line holds neither
};

// The error texts a rejected statement carries; code 6 has two. The first
// component of "Large value %d" is filled with the component's index.
inline constexpr const char* kLargeInputText = "Large Input";
inline constexpr const char* kLargeKeyText = "Large CMD";
inline constexpr const char* kLargeComponentFormat = "Large value %d";
inline constexpr const char* kBadValueText = "bad values";
inline constexpr const char* kLargeIntegerText = "Large Value";
inline constexpr const char* kLargeFractionText = "After . Large";
inline constexpr const char* kNoKeyTerminatorText = "Missing = or ;";

inline constexpr int kMaxLineLength = 300;
inline constexpr int kMaxVectorComponents = 4;
// The longest text a vector component may have (sign, digits and point).
inline constexpr int kMaxComponentLength = 10;

// Parses the NUL-terminated `line` (lower-casing it in place) into `statement`
// and logs what it made of it. Never reads past the terminator and never writes
// past a Statement field. Returns one of the ParseResult codes; on a failure the
// statement's kind is kRejected and its text holds the error text.
std::int32_t ParseStatement(char* line, Statement& statement, TextWriter& log);
