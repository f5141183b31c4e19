// The pieces a loader reads, with the lines an editor shows. A line longer
// than the reader's piece limit arrives as several pieces, so piece numbers
// and line numbers part ways after it; diagnostics name editor lines, and the
// objects.txt parse log names piece numbers counted from 0.
//
// Each piece is kept twice: as the loaders get it (they may change it in
// place, lower-casing it) and as it was read, for the checks that need what
// the user wrote.
#pragma once

#include <cstddef>
#include <stop_token>
#include <string_view>
#include <utility>

#include "store/line_reader.h"

class PieceLines {
 public:
  // `reader` must outlive this object. Once `stop` is requested the pieces
  // end, as if the data ended there.
  explicit PieceLines(LineReader& reader, std::stop_token stop = {})
      : reader_(reader), stop_(std::move(stop)) {}

  // Reads the next piece; false at the end of the data or once stopped.
  bool Next();

  // The piece for a loader to work on, NUL-terminated.
  char* Piece() { return piece_; }
  // The piece as read, up to its first NUL, as the loaders see it.
  std::string_view Raw() const { return {raw_, rawLength_}; }
  // Whether the piece ends with a line break.
  bool EndsLine() const { return rawLength_ > 0 && raw_[rawLength_ - 1] == '\n'; }

  std::size_t Line() const { return line_; }    // 1-based editor line of the piece
  std::size_t Index() const { return index_; }  // 0-based piece number
  // Whether the piece goes on with the line of the piece before it, cut at the
  // piece limit; FirstCut() is true for the first such piece of a line.
  bool Continues() const { return continues_; }
  bool FirstCut() const { return continues_ && !previousContinued_; }

 private:
  LineReader& reader_;
  std::stop_token stop_;
  LineReader::Piece piece_{};
  LineReader::Piece raw_{};
  std::size_t rawLength_ = 0;
  std::size_t line_ = 0;
  std::size_t index_ = 0;
  bool started_ = false;
  bool previousEnded_ = true;
  bool continues_ = false;
  bool previousContinued_ = false;
};
