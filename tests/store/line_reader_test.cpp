#include "store/line_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "tests/support/test_files.h"

namespace {

std::vector<std::string> Pieces(LineReader& reader) {
  std::vector<std::string> pieces;
  LineReader::Piece piece;
  std::size_t length = 0;
  while (reader.ReadPiece(piece, length)) pieces.emplace_back(piece, length);
  return pieces;
}

std::vector<std::string> PiecesOf(const std::string& bytes) {
  LineReader reader{std::string_view(bytes)};
  return Pieces(reader);
}

struct PieceCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> pieces;
};

TEST(LineReader, SplitsIntoPieces) {
  const std::string a253(253, 'a');
  const std::string a254(254, 'a');
  const std::string a255(255, 'a');
  const std::vector<PieceCase> cases = {
      {"empty file", "", {}},
      {"LF lines", "ab\ncd\n", {"ab\n", "cd\n"}},
      {"CR LF reads as LF", "ab\r\ncd\r\n", {"ab\n", "cd\n"}},
      {"lone CR stays", "ab\rcd\n", {"ab\rcd\n"}},
      {"CR at end of file stays", "ab\r", {"ab\r"}},
      {"CR CR LF", "a\r\r\n", {"a\r\n"}},
      {"no final line break", "ab\ncd", {"ab\n", "cd"}},
      {"empty lines", "\n\r\n\n", {"\n", "\n", "\n"}},
      {"253 + LF fits", a253 + "\n", {a253 + "\n"}},
      {"253 + CR LF fits after translation", a253 + "\r\n", {a253 + "\n"}},
      {"254 + LF splits", a254 + "\n", {a254, "\n"}},
      {"254 + CR LF splits", a254 + "\r\n", {a254, "\n"}},
      {"255 without break", a255, {a254, "a"}},
      {"lone CR as the 254th character", a253 + "\rb\n", {a253 + "\r", "b\n"}},
      {"CR LF right after a split", a254 + "\r\nb", {a254, "\n", "b"}},
      {"NUL bytes pass through", std::string("a\0b\n", 4), {std::string("a\0b\n", 4)}},
  };
  for (const PieceCase& c : cases) EXPECT_EQ(PiecesOf(c.bytes), c.pieces) << c.name;
}

TEST(LineReader, ReadsFilesAcrossBufferBoundaries) {
  TempDir dir;
  // Lines of 7 characters with CR LF, enough to cross the 64 KiB refill many
  // times, including a CR that ends one buffer and an LF that begins the next.
  std::string bytes;
  for (int i = 0; i < 40000; ++i) bytes += "line" + std::to_string(i % 10) + "xx\r\n";
  LineReader reader(dir.Write("f.txt", bytes).c_str());
  ASSERT_TRUE(reader.IsOpen());
  const std::vector<std::string> pieces = Pieces(reader);
  ASSERT_EQ(pieces.size(), 40000u);
  EXPECT_EQ(reader.PiecesRead(), 40000u);
  EXPECT_EQ(reader.SizeHint(), bytes.size());
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    ASSERT_EQ(pieces[i], "line" + std::to_string(i % 10) + "xx\n") << i;
  }
}

TEST(LineReader, AFifoWithoutWriterReadsAsEmpty) {
  TempDir dir;
  const std::string fifo = (dir.path() / "objects.txt").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  LineReader reader(fifo.c_str());
  ASSERT_TRUE(reader.IsOpen());
  EXPECT_EQ(reader.SizeHint(), 0u);  // nothing to size a list by
  EXPECT_TRUE(Pieces(reader).empty());
}

TEST(LineReader, MissingFileAndDirectory) {
  TempDir dir;
  EXPECT_FALSE(LineReader((dir.path() / "missing.txt").c_str()).IsOpen());
  // A directory opens but yields nothing, like a read error.
  LineReader folder(dir.path().c_str());
  EXPECT_TRUE(Pieces(folder).empty());
}

}  // namespace
