// The one line reader of the three text loaders (objects.txt, scene.txt,
// textures.txt).
//
// Policy:
// - A piece is at most 254 characters: the characters up to and including the
//   next line break, or the first 254 characters of a longer line (the rest
//   arrives as further pieces), or the last characters of a file that does not
//   end in a line break.
// - A CR LF pair reads as one "\n", whatever platform wrote the file; a lone
//   "\r" stays as it is. The translation happens as characters are read, so the
//   254 count is taken after it.
// - Bytes are passed on unchanged otherwise, NUL bytes included; the piece is
//   NUL-terminated after its last character.
// - Reading stops at the end of the data or at the first read error.
//
// The reader works over an open file or over bytes in memory; the second form
// lets the loaders' parsing layers be driven without touching the disk.
#pragma once

#include <cstddef>
#include <string_view>

class LineReader {
 public:
  static constexpr std::size_t kPieceLimit = 254;
  using Piece = char[kPieceLimit + 1];

  // Opens `path` for reading; IsOpen() tells whether that worked.
  explicit LineReader(const char* path);
  // Reads from `bytes`, which must outlive the reader.
  explicit LineReader(std::string_view bytes);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  bool IsOpen() const { return fd_ >= 0 || inMemory_; }

  // Reads the next piece into `piece` and terminates it. Returns false, leaving
  // `piece` untouched, when no character could be read. `length` receives the
  // number of characters read, which exceeds strlen(piece) when the data holds
  // a NUL byte.
  bool ReadPiece(Piece& piece, std::size_t& length);

  // How many pieces have been read so far; after a loader stops at a failing
  // piece, this is that piece's 1-based number, which is what diagnostics show.
  std::size_t PiecesRead() const { return piecesRead_; }

  // How many bytes the data holds in all, when that is known before reading
  // (bytes in memory, a regular file); 0 otherwise. Only a hint for sizing
  // what the pieces fill: the file may change while it is read.
  std::size_t SizeHint() const { return sizeHint_; }

 private:
  // Makes at least one unread byte available; false at end of data or error.
  bool Fill();

  static constexpr std::size_t kBufferSize = 64 * 1024;
  int fd_ = -1;
  bool inMemory_ = false;
  bool exhausted_ = false;
  const char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t position_ = 0;
  std::size_t piecesRead_ = 0;
  std::size_t sizeHint_ = 0;
  char* buffer_ = nullptr;
};
