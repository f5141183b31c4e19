#include "objects/object_reader.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "objects/statement_parser.h"

namespace {

// Lines of converted scenes are longer than this ("t3=(0.50,1.00);" is 16
// bytes with its break, a vertex line about 30), so sizing the list at one
// statement per 16 bytes allocates it once instead of doubling it some twenty
// times, each time copying every statement. Pages the list never fills are
// never touched and cost no memory. Beyond the cap the list grows as before,
// so an absurdly large file reserves no more than a few hundred megabytes of
// address space up front.
constexpr std::size_t kBytesPerStatementGuess = 16;
constexpr std::size_t kMostStatementsReserved = std::size_t{4} << 20;

}  // namespace

void ReserveStatements(SceneStore& store, std::size_t sizeHint) {
  const std::size_t expected =
      std::min(sizeHint / kBytesPerStatementGuess, kMostStatementsReserved);
  store.statements.reserve(store.statements.size() + expected);
}

std::int32_t ParseObjectPiece(char* piece, std::int32_t lineNumber, Statement& current,
                              TextWriter& log) {
  // The piece is text up to its first NUL; that is what is echoed and parsed.
  const std::size_t textLength = std::strlen(piece);
  log.Write(std::string_view(piece, textLength));
  if (textLength == 0 || (piece[textLength - 1] != '\n' && piece[textLength - 1] != '\r')) {
    log.WriteChar('\n');
  }
  const std::int32_t result = ParseStatement(piece, current, log);
  if (result != kParsed) {
    log.Write("Parse-Error: ");
    log.WriteInt(result);
    log.Write(" in Line: ");
    log.WriteInt(lineNumber);
    log.Write(".\n");
  }
  return result;
}

std::int32_t ReadObjectPiece(SceneStore& store, char* piece, std::int32_t lineNumber,
                             TextWriter& log) {
  const std::int32_t result = ParseObjectPiece(piece, lineNumber, store.currentStatement, log);
  store.AppendCurrentStatement();
  return result;
}

void ReadObjectPieces(SceneStore& store, LineReader& reader, TextWriter& log) {
  ReserveStatements(store, reader.SizeHint());
  LineReader::Piece piece;
  std::size_t pieceLength = 0;
  for (std::int32_t lineNumber = 0; reader.ReadPiece(piece, pieceLength); ++lineNumber) {
    ReadObjectPiece(store, piece, lineNumber, log);
  }
}

std::int32_t ReadObjectFile(SceneStore& store, const char* fileName, std::FILE* log) {
  LineReader reader(fileName);
  if (!reader.IsOpen()) return 1;
  TextWriter writer(log);
  ReadObjectPieces(store, reader, writer);
  writer.Flush();
  return 0;
}
