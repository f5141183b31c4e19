// Maps the pieces a loader reads to the lines an editor shows. A line longer
// than the reader's piece limit arrives as several pieces, so piece numbers
// and line numbers part ways after it; diagnostics must name editor lines.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct PieceText {
  std::size_t line;  // 1-based editor line the piece belongs to
  std::string text;  // the piece up to its first NUL, as the loaders see it
};

// Splits `bytes` exactly as the shared line reader does.
std::vector<PieceText> SplitIntoPieces(std::string_view bytes);
