#include "objects/object_reader.h"

#include <cstring>
#include <string_view>

#include "objects/statement_parser.h"

void ReadObjectPieces(SceneStore& store, LineReader& reader, TextWriter& log) {
  LineReader::Piece piece;
  std::size_t pieceLength = 0;
  std::int32_t lineNumber = 0;
  while (reader.ReadPiece(piece, pieceLength)) {
    // The piece is text up to its first NUL; that is what is echoed and parsed.
    const std::size_t textLength = std::strlen(piece);
    log.Write(std::string_view(piece, textLength));
    if (textLength == 0 || (piece[textLength - 1] != '\n' && piece[textLength - 1] != '\r')) {
      log.WriteChar('\n');
    }
    const std::int32_t result = ParseStatement(piece, store.currentStatement, log);
    store.AppendCurrentStatement();
    if (result != kParsed) {
      log.Write("Parse-Error: ");
      log.WriteInt(result);
      log.Write(" in Line: ");
      log.WriteInt(lineNumber);
      log.Write(".\n");
    }
    ++lineNumber;
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
