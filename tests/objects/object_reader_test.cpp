// What the object reader appends, which the parse log does not show: one
// statement per piece, a rejected one too. The log itself is a start-up case
// (tests/cases/startup).
#include "objects/object_reader.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ReadObjectPieces, AppendsOneStatementForEveryPiece) {
  // A 300-character line is two pieces; a NUL byte empties a piece's text.
  const std::string bytes =
      "ok;\nabcdefghijklmnopqrstu;\nk=" + std::string(297, 'x') + "\n" + std::string("\0\n", 2);
  SceneStore store;
  LineReader reader(bytes);
  TextWriter log(nullptr);
  ReadObjectPieces(store, reader, log);
  ASSERT_EQ(store.statements.size(), 5u);
  // A too-long key leaves the previous line's key in the appended statement.
  EXPECT_STREQ(store.statements[1].key, "ok");
  EXPECT_STREQ(store.statements[1].text, "Large CMD");
  EXPECT_EQ(store.statements[4].kind, kRejected);
}

}  // namespace
