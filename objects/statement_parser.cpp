#include "objects/statement_parser.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "store/ascii.h"
#include "store/decimal.h"

namespace {

bool IsLetter(char c) {
  return c >= 'a' && c <= 'z';
}

// The value text of one component, number or name: at most 31 characters are
// kept, but the full length is counted so the length rules still see it.
struct ValueText {
  char chars[kTextSize]{};
  std::size_t kept = 0;
  std::size_t length = 0;

  void Clear() { kept = length = 0; }
  void Append(char c) {
    if (kept < kTextSize - 1) chars[kept++] = c;
    ++length;
  }
  std::string_view View() const { return {chars, kept}; }
};

std::int32_t Reject(Statement& statement, std::string_view errorText, std::int32_t code) {
  statement.kind = kRejected;
  CopyBounded(statement.text, errorText);
  return code;
}

std::int32_t ParseVector(const char* p, Statement& statement, TextWriter& log) {
  log.Write(" = Vektor (");
  ++p;  // past "("
  int index = 0;
  bool open = false;
  ValueText component;
  for (; *p != '\0'; ++p) {
    const char c = *p;
    if (!open) {
      if (IsAsciiDigit(c) || c == '-') {
        open = true;
        component.Clear();
        component.Append(c);
      }
      continue;
    }
    if (c != ',' && c != ')') {
      component.Append(c);
      continue;
    }
    open = false;
    if (component.length > kMaxComponentLength) {
      char errorText[kTextSize];
      std::snprintf(errorText, sizeof errorText, kLargeComponentFormat, index);
      return Reject(statement, errorText, kComponentTooLong);
    }
    const float value = ParseDecimalFloat(component.View());
    statement.vector[index] = value;
    log.Write(" P[");
    log.WriteInt(index);
    log.Write("]=");
    log.WriteGeneral(value);
    if (c == ')') {
      statement.kind = static_cast<StatementKind>(index + 1);
      log.Write(" )");
      return kParsed;
    }
    if (++index == kMaxVectorComponents) {
      // A statement has four slots: components past the fourth are passed over
      // up to the closing parenthesis, and the vector keeps four.
      for (++p; *p != '\0' && *p != ')'; ++p) {
      }
      if (*p == ')') {
        statement.kind = static_cast<StatementKind>(kMaxVectorComponents);
        log.Write(" )");
      }
      return kParsed;
    }
  }
  return kParsed;  // the line ended inside the vector: the kind is kept
}

std::int32_t ParseNumber(const char* p, Statement& statement, TextWriter& log) {
  log.Write(" = Value = ");
  ValueText text;
  if (*p == '-') text.Append(*p++);
  // After a sign exactly one character that is neither digit nor sign is
  // passed over, so "- 5" and "-.5" both read as -5.
  if (*p != '\0' && !IsAsciiDigit(*p) && *p != '-') ++p;
  int integerDigits = 0;
  for (; IsAsciiDigit(*p); ++p) {
    if (integerDigits == 5) return Reject(statement, kLargeIntegerText, kNumberTooLong);
    text.Append(*p);
    ++integerDigits;
  }
  if ((*p == '.' || *p == ',') && IsAsciiDigit(p[1])) {
    text.Append('.');
    int fractionDigits = 0;
    for (++p; IsAsciiDigit(*p); ++p) {
      if (fractionDigits == 2) return Reject(statement, kLargeFractionText, kNumberTooLong);
      text.Append(*p);
      ++fractionDigits;
    }
  }
  statement.kind = kNumber;
  statement.number = ParseDecimalFloat(text.View());
  log.WriteGeneral(statement.number);
  log.Write(" )");
  return kParsed;
}

std::int32_t ParseName(const char* p, Statement& statement, TextWriter& log) {
  log.Write(" = Name = ");
  const char* end = std::strchr(p, ';');
  if (end == nullptr) return kParsed;  // no ";" on the line: nothing is stored
  // Names longer than the text field are cut to its 31 characters.
  CopyBounded(statement.text, std::string_view(p, static_cast<std::size_t>(end - p)));
  statement.kind = kName;
  log.Write("'");
  log.Write(statement.text);
  log.Write("'");
  return kParsed;
}

}  // namespace

std::int32_t ParseStatement(char* line, Statement& statement, TextWriter& log) {
  const std::size_t length = std::strlen(line);
  if (length > kMaxLineLength) return Reject(statement, kLargeInputText, kLineTooLong);
  // One pass lowers the case and finds where the key ends.
  std::size_t keyLength = length;
  for (std::size_t i = 0; i < length; ++i) {
    const char c = line[i] = LowerAscii(line[i]);
    if ((c == '=' || c == ';') && keyLength == length) keyLength = i;
  }

  if (keyLength == length) return Reject(statement, kNoKeyTerminatorText, kNoKeyTerminator);
  if (keyLength >= kKeySize) return Reject(statement, kLargeKeyText, kKeyTooLong);
  const std::string_view key(line, keyLength);
  CopyBounded(statement.key, key);
  log.Write("Parse: '");
  log.Write(key);
  log.Write("' | Value: ");

  const char* value = line + keyLength + 1;
  std::int32_t result = kParsed;
  if (line[keyLength] == ';') {
    log.Write(" Einzelanweisung ohne Werte");
    statement.kind = kBareKeyword;
  } else if (*value == '(') {
    result = ParseVector(value, statement, log);
  } else if (IsAsciiDigit(*value) || *value == '-') {
    result = ParseNumber(value, statement, log);
  } else if (IsLetter(*value)) {
    result = ParseName(value, statement, log);
  } else {
    return Reject(statement, kBadValueText, kBadValue);
  }
  if (result == kParsed) log.Write("\n\n");
  return result;
}
