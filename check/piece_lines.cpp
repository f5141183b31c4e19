#include "check/piece_lines.h"

#include <cstring>

bool PieceLines::Next() {
  std::size_t length = 0;
  if (stop_.stop_requested() || !reader_.ReadPiece(raw_, length)) return false;
  rawLength_ = std::strlen(raw_);
  std::memcpy(piece_, raw_, length + 1);
  if (started_) ++index_;
  if (previousEnded_) ++line_;
  previousContinued_ = started_ && continues_;
  continues_ = started_ && !previousEnded_;
  started_ = true;
  // A piece without a line break is the last of the data, or cut at the limit.
  previousEnded_ = length == 0 || raw_[length - 1] == '\n' || length < LineReader::kPieceLimit;
  return true;
}
