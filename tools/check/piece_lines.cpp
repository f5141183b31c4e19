#include "tools/check/piece_lines.h"

#include <cstring>

#include "store/line_reader.h"

std::vector<PieceText> SplitIntoPieces(std::string_view bytes) {
  std::vector<PieceText> pieces;
  LineReader reader(bytes);
  LineReader::Piece piece;
  std::size_t length = 0;
  std::size_t line = 1;
  while (reader.ReadPiece(piece, length)) {
    pieces.push_back({line, std::string(piece, std::strlen(piece))});
    if (piece[length - 1] == '\n') ++line;
  }
  return pieces;
}
