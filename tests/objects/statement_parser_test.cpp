#include "objects/statement_parser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/test_files.h"

namespace {

// Every field of a statement in one line, so a table can say which fields an
// outcome writes and which it keeps: "kind|key|text|number|v0,v1,v2,v3".
std::string Describe(const Statement& s) {
  char text[160];
  std::snprintf(text, sizeof text, "%d|%s|%s|%g|%g,%g,%g,%g", static_cast<int>(s.kind), s.key,
                s.text, static_cast<double>(s.number), static_cast<double>(s.vector[0]),
                static_cast<double>(s.vector[1]), static_cast<double>(s.vector[2]),
                static_cast<double>(s.vector[3]));
  return text;
}

struct Case {
  std::string line;
  std::int32_t result;
  const char* statement;  // as Describe writes it, after parsing into a copy of Earlier()
  const char* log;
};

// A statement whose every field is set, as earlier lines leave the current one.
Statement Earlier() {
  Statement s;
  s.kind = kVector4;
  CopyBounded(s.key, "old");
  CopyBounded(s.text, "oldtext");
  s.number = 42;
  s.vector[0] = 10, s.vector[1] = 20, s.vector[2] = 30, s.vector[3] = 40;
  return s;
}

void ExpectOutcomes(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Statement statement = Earlier();
    std::string line = c.line;
    CapturedStream out;
    {
      TextWriter log(out.file());
      EXPECT_EQ(ParseStatement(line.data(), statement, log), c.result);
    }
    EXPECT_EQ(Describe(statement), c.statement);
    EXPECT_EQ(out.Text(), c.log);
  }
}

TEST(ParseStatement, AcceptedLines) {
  ExpectOutcomes({
      {"list;\n", kParsed, "0|list|oldtext|42|10,20,30,40",
       "Parse: 'list' | Value:  Einzelanweisung ohne Werte\n\n"},
      {";\n", kParsed, "0||oldtext|42|10,20,30,40",
       "Parse: '' | Value:  Einzelanweisung ohne Werte\n\n"},
      {"Type=GL_QUADS;\n", kParsed, "5|type|gl_quads|42|10,20,30,40",
       "Parse: 'type' | Value:  = Name = 'gl_quads'\n\n"},
      {"name=box\n", kParsed, "4|name|oldtext|42|10,20,30,40",
       "Parse: 'name' | Value:  = Name = \n\n"},
      {"name=abcdefghijklmnopqrstuvwxyz0123456789;\n", kParsed,
       "5|name|abcdefghijklmnopqrstuvwxyz01234|42|10,20,30,40",
       "Parse: 'name' | Value:  = Name = 'abcdefghijklmnopqrstuvwxyz01234'\n\n"},
      {"p=(1.5, -2,3);\n", kParsed, "3|p|oldtext|42|1.5,-2,3,40",
       "Parse: 'p' | Value:  = Vektor ( P[0]=1.5 P[1]=-2 P[2]=3 )\n\n"},
      {"p=(7);\n", kParsed, "1|p|oldtext|42|7,20,30,40",
       "Parse: 'p' | Value:  = Vektor ( P[0]=7 )\n\n"},
      {"p=(x1,y2,z3);\n", kParsed, "3|p|oldtext|42|1,2,3,40",
       "Parse: 'p' | Value:  = Vektor ( P[0]=1 P[1]=2 P[2]=3 )\n\n"},
      {"p=(1 2 3);\n", kParsed, "1|p|oldtext|42|1,20,30,40",
       "Parse: 'p' | Value:  = Vektor ( P[0]=1 )\n\n"},
      {"p=(1,2,);\n", kParsed, "4|p|oldtext|42|1,2,30,40",
       "Parse: 'p' | Value:  = Vektor ( P[0]=1 P[1]=2\n\n"},
      {"c=(1,2,3,4,5);\n", kParsed, "4|c|oldtext|42|1,2,3,4",
       "Parse: 'c' | Value:  = Vektor ( P[0]=1 P[1]=2 P[2]=3 P[3]=4 )\n\n"},
      {"c=(1,2,3,4,5\n", kParsed, "4|c|oldtext|42|1,2,3,4",
       "Parse: 'c' | Value:  = Vektor ( P[0]=1 P[1]=2 P[2]=3 P[3]=4\n\n"},
      {"s=12,5;\n", kParsed, "1|s|oldtext|12.5|10,20,30,40",
       "Parse: 's' | Value:  = Value = 12.5 )\n\n"},
      {"s=12.;\n", kParsed, "1|s|oldtext|12|10,20,30,40",
       "Parse: 's' | Value:  = Value = 12 )\n\n"},
      {"s=-0.25", kParsed, "1|s|oldtext|-0.25|10,20,30,40",
       "Parse: 's' | Value:  = Value = -0.25 )\n\n"},
      {"s=99999.99;\n", kParsed, "1|s|oldtext|100000|10,20,30,40",
       "Parse: 's' | Value:  = Value = 100000 )\n\n"},
      {"s=-12345;\n", kParsed, "1|s|oldtext|-12345|10,20,30,40",
       "Parse: 's' | Value:  = Value = -12345 )\n\n"},
      {"s=-.5;\n", kParsed, "1|s|oldtext|-5|10,20,30,40",
       "Parse: 's' | Value:  = Value = -5 )\n\n"},
      {"s=--5;\n", kParsed, "1|s|oldtext|0|10,20,30,40", "Parse: 's' | Value:  = Value = 0 )\n\n"},
      {"s=-", kParsed, "1|s|oldtext|0|10,20,30,40", "Parse: 's' | Value:  = Value = 0 )\n\n"},
      {"abcdefghijklmnopqrs=5;\n", kParsed, "1|abcdefghijklmnopqrs|oldtext|5|10,20,30,40",
       "Parse: 'abcdefghijklmnopqrs' | Value:  = Value = 5 )\n\n"},
      {"k=" + std::string(297, 'x') + "\n", kParsed,
       "4|k|oldtext|42|10,20,30,40",  // 300 characters
       "Parse: 'k' | Value:  = Name = \n\n"},
  });
}

TEST(ParseStatement, RejectedLines) {
  ExpectOutcomes({
      {std::string(301, 'a'), kLineTooLong, "10|old|Large Input|42|10,20,30,40", ""},
      {"abcdefghijklmnopqrst=5;\n", kKeyTooLong, "10|old|Large CMD|42|10,20,30,40", ""},
      {"p=(1,2,12345678901);\n", kComponentTooLong, "10|p|Large value 2|42|1,2,30,40",
       "Parse: 'p' | Value:  = Vektor ( P[0]=1 P[1]=2"},
      // An open component is measured in full however long it grows.
      {"p=(1" + std::string(100, '0') + ");\n", kComponentTooLong,
       "10|p|Large value 0|42|10,20,30,40", "Parse: 'p' | Value:  = Vektor ("},
      {"s=.5;\n", kBadValue, "10|s|bad values|42|10,20,30,40", "Parse: 's' | Value: "},
      {"s= 5;\n", kBadValue, "10|s|bad values|42|10,20,30,40", "Parse: 's' | Value: "},
      {"s=123456;\n", kNumberTooLong, "10|s|Large Value|42|10,20,30,40",
       "Parse: 's' | Value:  = Value = "},
      {"s=1.234;\n", kNumberTooLong, "10|s|After . Large|42|10,20,30,40",
       "Parse: 's' | Value:  = Value = "},
      {"\n", kNoKeyTerminator, "10|old|Missing = or ;|42|10,20,30,40", ""},
      {"endlist\n", kNoKeyTerminator, "10|old|Missing = or ;|42|10,20,30,40", ""},
  });
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
