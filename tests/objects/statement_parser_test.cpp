#include "objects/statement_parser.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/test_files.h"

namespace {

struct Parsed {
  std::int32_t result;
  Statement statement;
  std::string log;
};

// Parses `line` into a copy of `before`, as the reader does with its current statement.
Parsed Parse(std::string line, const Statement& before = {}) {
  Parsed parsed{0, before, {}};
  CapturedStream out;
  {
    TextWriter log(out.file());
    parsed.result = ParseStatement(line.data(), parsed.statement, log);
  }
  parsed.log = out.Text();
  return parsed;
}

// A statement whose every field is set, to see which fields an outcome keeps.
Statement Earlier() {
  Statement s;
  s.kind = kVector4;
  CopyBounded(s.key, "old");
  CopyBounded(s.text, "oldtext");
  s.number = 42;
  s.vector[0] = 10, s.vector[1] = 20, s.vector[2] = 30, s.vector[3] = 40;
  return s;
}

TEST(ParseStatement, Successes) {
  struct Case {
    const char* line;
    StatementKind kind;
    const char* key;
    const char* text;
    float number;
    float vector[4];
    const char* log;
  };
  const Case cases[] = {
      {"list;\n",
       kBareKeyword,
       "list",
       "oldtext",
       42,
       {10, 20, 30, 40},
       "Parse: 'list' | Value:  Einzelanweisung ohne Werte\n\n"},
      {"Name=Cube;\n",
       kName,
       "name",
       "cube",
       42,
       {10, 20, 30, 40},
       "Parse: 'name' | Value:  = Name = 'cube'\n\n"},
      {"Type=GL_QUADS;\n",
       kName,
       "type",
       "gl_quads",
       42,
       {10, 20, 30, 40},
       "Parse: 'type' | Value:  = Name = 'gl_quads'\n\n"},
      {"p=(1.5, -2,3);\n",
       kVector3,
       "p",
       "oldtext",
       42,
       {1.5f, -2, 3, 40},
       "Parse: 'p' | Value:  = Vektor ( P[0]=1.5 P[1]=-2 P[2]=3 )\n\n"},
      {"p=(7);\n",
       kNumber,
       "p",
       "oldtext",
       42,
       {7, 20, 30, 40},
       "Parse: 'p' | Value:  = Vektor ( P[0]=7 )\n\n"},
      {"p=(x1,y2,z3);\n",
       kVector3,
       "p",
       "oldtext",
       42,
       {1, 2, 3, 40},
       "Parse: 'p' | Value:  = Vektor ( P[0]=1 P[1]=2 P[2]=3 )\n\n"},
      {"p=(1 2 3);\n",
       kNumber,
       "p",
       "oldtext",
       42,
       {1, 20, 30, 40},
       "Parse: 'p' | Value:  = Vektor ( P[0]=1 )\n\n"},
      {"p=(1,2,);\n",
       kVector4,
       "p",
       "oldtext",
       42,
       {1, 2, 30, 40},
       "Parse: 'p' | Value:  = Vektor ( P[0]=1 P[1]=2\n\n"},
      {"c=(1,2,3,4);\n",
       kVector4,
       "c",
       "oldtext",
       42,
       {1, 2, 3, 4},
       "Parse: 'c' | Value:  = Vektor ( P[0]=1 P[1]=2 P[2]=3 P[3]=4 )\n\n"},
      // A statement has four slots: a fifth component is passed over.
      {"c=(1,2,3,4,5);\n",
       kVector4,
       "c",
       "oldtext",
       42,
       {1, 2, 3, 4},
       "Parse: 'c' | Value:  = Vektor ( P[0]=1 P[1]=2 P[2]=3 P[3]=4 )\n\n"},
      {"c=(1,2,3,4,5\n",
       kVector4,
       "c",
       "oldtext",
       42,
       {1, 2, 3, 4},
       "Parse: 'c' | Value:  = Vektor ( P[0]=1 P[1]=2 P[2]=3 P[3]=4\n\n"},
      {"s=12,5;\n",
       kNumber,
       "s",
       "oldtext",
       12.5f,
       {10, 20, 30, 40},
       "Parse: 's' | Value:  = Value = 12.5 )\n\n"},
      {"s=12.5;\n",
       kNumber,
       "s",
       "oldtext",
       12.5f,
       {10, 20, 30, 40},
       "Parse: 's' | Value:  = Value = 12.5 )\n\n"},
      {"s=12.;\n",
       kNumber,
       "s",
       "oldtext",
       12,
       {10, 20, 30, 40},
       "Parse: 's' | Value:  = Value = 12 )\n\n"},
      {"s=-0.25",
       kNumber,
       "s",
       "oldtext",
       -0.25f,
       {10, 20, 30, 40},
       "Parse: 's' | Value:  = Value = -0.25 )\n\n"},
      {"s=99999.99;\n",
       kNumber,
       "s",
       "oldtext",
       99999.99f,
       {10, 20, 30, 40},
       "Parse: 's' | Value:  = Value = 100000 )\n\n"},
      {"s=-12345;\n",
       kNumber,
       "s",
       "oldtext",
       -12345,
       {10, 20, 30, 40},
       "Parse: 's' | Value:  = Value = -12345 )\n\n"},
      {"s=-.5;\n",
       kNumber,
       "s",
       "oldtext",
       -5,
       {10, 20, 30, 40},
       "Parse: 's' | Value:  = Value = -5 )\n\n"},
      {"s=- 5;\n",
       kNumber,
       "s",
       "oldtext",
       -5,
       {10, 20, 30, 40},
       "Parse: 's' | Value:  = Value = -5 )\n\n"},
      {"s=--5;\n",
       kNumber,
       "s",
       "oldtext",
       0,
       {10, 20, 30, 40},
       "Parse: 's' | Value:  = Value = 0 )\n\n"},
      {"s=-",
       kNumber,
       "s",
       "oldtext",
       0,
       {10, 20, 30, 40},
       "Parse: 's' | Value:  = Value = 0 )\n\n"},
      {"=5;\n",
       kNumber,
       "",
       "oldtext",
       5,
       {10, 20, 30, 40},
       "Parse: '' | Value:  = Value = 5 )\n\n"},
      {";\n",
       kBareKeyword,
       "",
       "oldtext",
       42,
       {10, 20, 30, 40},
       "Parse: '' | Value:  Einzelanweisung ohne Werte\n\n"},
      {"abcdefghijklmnopqrs=5;\n",
       kNumber,
       "abcdefghijklmnopqrs",
       "oldtext",
       5,
       {10, 20, 30, 40},
       "Parse: 'abcdefghijklmnopqrs' | Value:  = Value = 5 )\n\n"},
      // A name without ";" stores nothing and keeps the kind.
      {"name=box\n",
       kVector4,
       "name",
       "oldtext",
       42,
       {10, 20, 30, 40},
       "Parse: 'name' | Value:  = Name = \n\n"},
      // Names past 31 characters are cut to the text field.
      {"name=abcdefghijklmnopqrstuvwxyz0123456789;\n",
       kName,
       "name",
       "abcdefghijklmnopqrstuvwxyz01234",
       42,
       {10, 20, 30, 40},
       "Parse: 'name' | Value:  = Name = 'abcdefghijklmnopqrstuvwxyz01234'\n\n"},
  };
  for (const Case& c : cases) {
    const Parsed p = Parse(c.line, Earlier());
    SCOPED_TRACE(c.line);
    EXPECT_EQ(p.result, kParsed);
    EXPECT_EQ(p.statement.kind, c.kind);
    EXPECT_STREQ(p.statement.key, c.key);
    EXPECT_STREQ(p.statement.text, c.text);
    EXPECT_EQ(p.statement.number, c.number);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(p.statement.vector[i], c.vector[i]) << i;
    EXPECT_EQ(p.log, c.log);
  }
}

TEST(ParseStatement, Failures) {
  struct Case {
    std::string line;
    std::int32_t result;
    const char* key;  // the key left in the statement
    const char* text;
    float vector[4];
    const char* log;
  };
  const Case cases[] = {
      {std::string(301, 'a'), kLineTooLong, "old", "Large Input", {10, 20, 30, 40}, ""},
      {"abcdefghijklmnopqrst=5;\n", kKeyTooLong, "old", "Large CMD", {10, 20, 30, 40}, ""},
      {"p=(1,2,12345678901);\n",
       kComponentTooLong,
       "p",
       "Large value 2",
       {1, 2, 30, 40},
       "Parse: 'p' | Value:  = Vektor ( P[0]=1 P[1]=2"},
      {"s=.5;\n", kBadValue, "s", "bad values", {10, 20, 30, 40}, "Parse: 's' | Value: "},
      {"s= 5;\n", kBadValue, "s", "bad values", {10, 20, 30, 40}, "Parse: 's' | Value: "},
      {"s=;\n", kBadValue, "s", "bad values", {10, 20, 30, 40}, "Parse: 's' | Value: "},
      {"s=123456;\n",
       kNumberTooLong,
       "s",
       "Large Value",
       {10, 20, 30, 40},
       "Parse: 's' | Value:  = Value = "},
      {"s=1.234;\n",
       kNumberTooLong,
       "s",
       "After . Large",
       {10, 20, 30, 40},
       "Parse: 's' | Value:  = Value = "},
      {"\n", kNoKeyTerminator, "old", "Missing = or ;", {10, 20, 30, 40}, ""},
      {"", kNoKeyTerminator, "old", "Missing = or ;", {10, 20, 30, 40}, ""},
      {"endlist\n", kNoKeyTerminator, "old", "Missing = or ;", {10, 20, 30, 40}, ""},
  };
  for (const Case& c : cases) {
    const Parsed p = Parse(c.line, Earlier());
    SCOPED_TRACE(c.line);
    EXPECT_EQ(p.result, c.result);
    EXPECT_EQ(p.statement.kind, kRejected);
    EXPECT_STREQ(p.statement.key, c.key);
    EXPECT_STREQ(p.statement.text, c.text);
    EXPECT_EQ(p.statement.number, 42);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(p.statement.vector[i], c.vector[i]) << i;
    EXPECT_EQ(p.log, c.log);
  }
}

TEST(ParseStatement, ALineOfExactly300CharactersIsParsed) {
  std::string line = "k=" + std::string(297, 'x') + "\n";
  ASSERT_EQ(line.size(), 300u);
  EXPECT_EQ(Parse(line).result, kParsed);
}

TEST(ParseStatement, LongValueTextsStayInsideTheirBuffers) {
  // An open component of 100 characters closed by ")" is too long, not a crash.
  const Parsed vector = Parse("p=(1" + std::string(100, '0') + ");\n");
  EXPECT_EQ(vector.result, kComponentTooLong);
  EXPECT_STREQ(vector.statement.text, "Large value 0");
  // An unclosed long component leaves the statement as it was.
  const Parsed open = Parse("p=(1" + std::string(200, '0') + "\n", Earlier());
  EXPECT_EQ(open.result, kParsed);
  EXPECT_EQ(open.statement.kind, kVector4);
}

TEST(ParseStatement, LowerCasesOnlyAsciiLetters) {
  std::string line = "NAME=Box\xC4Z;\n";
  Statement statement;
  CapturedStream out;
  TextWriter log(out.file());
  ParseStatement(line.data(), statement, log);
  EXPECT_STREQ(statement.text, "box\xC4z");
  EXPECT_EQ(line, "name=box\xC4z;\n");
}

}  // namespace
