#include "objects/object_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_files.h"

namespace {

struct ReadResult {
  std::int32_t result;
  SceneStore store;
  std::string log;
};

ReadResult ReadFile(const std::string& path) {
  ReadResult r{};
  CapturedStream out;
  r.result = ReadObjectFile(r.store, path.c_str(), out.file());
  r.log = out.Text();
  return r;
}

ReadResult ReadBytes(const std::string& bytes) {
  TempDir dir;
  return ReadFile(dir.Write("objects.txt", bytes));
}

TEST(ReadObjectFile, WorkedExample) {
  const ReadResult r = ReadBytes("list;\nName=Cube;\np=(1.5, -2,3);\ns=123456;\n");
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.log,
            "list;\n"
            "Parse: 'list' | Value:  Einzelanweisung ohne Werte\n\n"
            "Name=Cube;\n"
            "Parse: 'name' | Value:  = Name = 'cube'\n\n"
            "p=(1.5, -2,3);\n"
            "Parse: 'p' | Value:  = Vektor ( P[0]=1.5 P[1]=-2 P[2]=3 )\n\n"
            "s=123456;\n"
            "Parse: 's' | Value:  = Value = Parse-Error: 6 in Line: 3.\n");
  ASSERT_EQ(r.store.statements.size(), 4u);
  const auto& s = r.store.statements;
  EXPECT_EQ(s[0].kind, kBareKeyword);
  EXPECT_STREQ(s[0].key, "list");
  EXPECT_EQ(s[1].kind, kName);
  EXPECT_STREQ(s[1].text, "cube");
  EXPECT_EQ(s[2].kind, kVector3);
  EXPECT_EQ(s[2].vector[0], 1.5f);
  EXPECT_EQ(s[2].vector[1], -2.f);
  EXPECT_EQ(s[2].vector[2], 3.f);
  EXPECT_EQ(s[3].kind, kRejected);
  EXPECT_STREQ(s[3].key, "s");
  EXPECT_STREQ(s[3].text, "Large Value");
  // Fields an outcome does not write ride along from earlier lines.
  EXPECT_STREQ(s[2].text, "cube");
}

TEST(ReadObjectFile, ErrorsAreNumberedFromLineZero) {
  const ReadResult r = ReadBytes("s=.5;\nok;\nabcdefghijklmnopqrstu;\n");
  EXPECT_EQ(r.log,
            "s=.5;\nParse: 's' | Value: Parse-Error: 5 in Line: 0.\n"
            "ok;\nParse: 'ok' | Value:  Einzelanweisung ohne Werte\n\n"
            "abcdefghijklmnopqrstu;\nParse-Error: 2 in Line: 2.\n");
  ASSERT_EQ(r.store.statements.size(), 3u);
  // A too-long key leaves the previous line's key in the appended statement.
  EXPECT_STREQ(r.store.statements[2].key, "ok");
  EXPECT_STREQ(r.store.statements[2].text, "Large CMD");
}

TEST(ReadObjectFile, LongLinesArriveInPieces) {
  const std::string first = "k=" + std::string(252, 'x');   // 254 characters
  const std::string second = std::string(45, 'x') + ";\n";  // the rest of a 300-character line
  const ReadResult r = ReadBytes(first + second + "s=1;\n");
  ASSERT_EQ(r.store.statements.size(), 3u);
  EXPECT_EQ(r.log, first + "\n" + "Parse: 'k' | Value:  = Name = \n\n" +  //
                       second + "Parse-Error: 2 in Line: 1.\n" +          //
                       "s=1;\nParse: 's' | Value:  = Value = 1 )\n\n");
}

TEST(ReadObjectFile, LinesWithoutKeyTerminatorAreRejected) {
  // A NUL byte makes the piece's text empty; an empty line holds no "=" or ";".
  const ReadResult r = ReadBytes(std::string("\nname=a;\n\0\n", 11));
  EXPECT_EQ(r.log,
            "\nParse-Error: 7 in Line: 0.\n"
            "name=a;\nParse: 'name' | Value:  = Name = 'a'\n\n"
            "\nParse-Error: 7 in Line: 2.\n");
  ASSERT_EQ(r.store.statements.size(), 3u);
  EXPECT_EQ(r.store.statements[0].kind, kRejected);
  EXPECT_EQ(r.store.statements[2].kind, kRejected);
}

}  // namespace
