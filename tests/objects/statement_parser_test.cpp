// What the statement parser leaves in the record, which the parse log does
// not show: the kind, the error text, and which fields each outcome writes
// and which it keeps from earlier lines. The log of every outcome is a
// start-up case (tests/cases/startup/statement-outcomes).
#include "objects/statement_parser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// Every field of a statement in one line: "kind|key|text|number|v0,v1,v2,v3".
std::string Describe(const Statement& s) {
  char text[160];
  std::snprintf(text, sizeof text, "%d|%s|%s|%g|%g,%g,%g,%g", static_cast<int>(s.kind), s.key,
                s.text, static_cast<double>(s.number), static_cast<double>(s.vector[0]),
                static_cast<double>(s.vector[1]), static_cast<double>(s.vector[2]),
                static_cast<double>(s.vector[3]));
  return text;
}

TEST(ParseStatement, WritesOnlyTheFieldsOfItsOutcome) {
  const struct {
    std::string line;
    std::int32_t result;
    const char* statement;  // as Describe writes it
  } cases[] = {
      {"list;\n", kParsed, "0|list|oldtext|42|10,20,30,40"},
      {"s=12,5;\n", kParsed, "1|s|oldtext|12.5|10,20,30,40"},
      {"p=(7);\n", kParsed, "1|p|oldtext|42|7,20,30,40"},
      {"p=(1.5, -2,3);\n", kParsed, "3|p|oldtext|42|1.5,-2,3,40"},
      {"p=(1,2,);\n", kParsed, "4|p|oldtext|42|1,2,30,40"},
      {"c=(1,2,3,4,5);\n", kParsed, "4|c|oldtext|42|1,2,3,4"},
      {"Type=GL_QUADS;\n", kParsed, "5|type|gl_quads|42|10,20,30,40"},
      {"name=box\n", kParsed, "4|name|oldtext|42|10,20,30,40"},
      // Only a caller other than the file reader can pass more than 254 characters.
      {"k=" + std::string(297, 'x') + "\n", kParsed, "4|k|oldtext|42|10,20,30,40"},
      {std::string(301, 'a'), kLineTooLong, "10|old|Large Input|42|10,20,30,40"},
      {"abcdefghijklmnopqrst=5;\n", kKeyTooLong, "10|old|Large CMD|42|10,20,30,40"},
      {"p=(1,2,12345678901);\n", kComponentTooLong, "10|p|Large value 2|42|1,2,30,40"},
      {"s= 5;\n", kBadValue, "10|s|bad values|42|10,20,30,40"},
      {"s=123456;\n", kNumberTooLong, "10|s|Large Value|42|10,20,30,40"},
      {"s=1.234;\n", kNumberTooLong, "10|s|After . Large|42|10,20,30,40"},
      {"endlist\n", kNoKeyTerminator, "10|old|Missing = or ;|42|10,20,30,40"},
  };
  for (const auto& c : cases) {
    // Every field set, as earlier lines leave the current statement.
    Statement statement;
    statement.kind = kVector4;
    CopyBounded(statement.key, "old");
    CopyBounded(statement.text, "oldtext");
    statement.number = 42;
    statement.vector[0] = 10, statement.vector[1] = 20, statement.vector[2] = 30;
    statement.vector[3] = 40;
    std::string line = c.line;
    TextWriter log(nullptr);
    EXPECT_EQ(ParseStatement(line.data(), statement, log), c.result) << c.line;
    EXPECT_EQ(Describe(statement), c.statement) << c.line;
  }
}

}  // namespace
