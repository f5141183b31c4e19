// Reads textures.txt, one bitmap file name per line, into GL texture objects
// and records their names in the store's texture table: the texture of line k
// (counting from 0) lands in slot k, which is texture number k of the object
// description.
//
// Every line takes a slot, even one whose bitmap cannot be loaded: that slot
// gets a texture object, bound and with linear filters, but no image, so the
// lines after it keep their numbers. Lines come through the shared line
// reader (pieces of at most 254 characters, CR LF read as a line break); of
// each, one final newline or carriage return is removed and nothing else, so
// blanks stay part of the name and an empty line names no file. Rows are
// uploaded with an unpack alignment of 1, since the images' rows are packed
// with no gap whatever their width.
//
// Needs a current GL context. Does not enable texturing, build mipmaps, query
// GL errors or delete texture objects.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "loading/channel.h"
#include "loading/worker.h"
#include "store/line_reader.h"
#include "store/scene_store.h"
#include "textures/bitmap_loader.h"

// The bitmaps of textures.txt, read and decoded in order on a worker (they
// need no GL context), for the GL thread to take as they come. At most two
// decoded bitmaps wait at a time. A bitmap whose decoding fails with an
// exception (the memory to read it cannot be had) is an out-of-memory
// failure like any other, and the bitmaps after it are decoded all the same.
// Shows nothing: the failures are the taker's to show or report, in order.
class TextureFilesReading {
 public:
  // Reads the names of `fileName` now and starts decoding their bitmaps; a
  // file that cannot be opened names none. Waits end when `stop` is requested.
  explicit TextureFilesReading(const char* fileName, std::stop_token stop = {});
  explicit TextureFilesReading(std::vector<std::string> names, std::stop_token stop = {});
  // Stops the decoding wherever it is.
  ~TextureFilesReading();
  TextureFilesReading(const TextureFilesReading&) = delete;
  TextureFilesReading& operator=(const TextureFilesReading&) = delete;

  const std::vector<std::string>& Names() const { return names_; }
  // How many bitmaps have been taken.
  std::size_t Taken() const { return taken_; }

  // The bitmap of the next name, waiting for it until `deadline`. False when
  // it has not come by then, or the waiting was stopped (Stopped()).
  bool Next(BitmapDecodeResult& result, Deadline deadline = kNoDeadline);
  bool Stopped() const { return stopped_; }

 private:
  using Decoded = Channel<BitmapDecodeResult>;
  void StartDecoding();

  std::vector<std::string> names_;
  std::size_t taken_ = 0;
  std::stop_token stop_;
  bool stopped_ = false;
  std::unique_ptr<Decoded> decoded_;
  std::optional<Worker> decoder_;  // after the channel it fills, so it ends first
};

// Gives GL texture `slot` of `store.textures` (growing the table to hold it),
// bound, with linear filters and `image` (when there is one) as its picture.
void MakeTexture(SceneStore& store, std::size_t slot, const RgbImage* image);

// Gives GL one texture for each name of `files`, in order, into
// `store.textures` from slot 0, showing the message of each bitmap that
// failed. On return the texture of the last name is still bound to GL_TEXTURE_2D.
void MakeTextures(SceneStore& store, TextureFilesReading& files);

// Loads every line of `fileName` into `store.textures`, starting at slot 0.
// Always returns 0; a file that cannot be opened leaves the table as it was.
// On return the texture of the last line is still bound to GL_TEXTURE_2D.
std::int32_t LoadTextureTable(SceneStore& store, const char* fileName);

// The same for lines already open in `reader`: one slot per piece.
void LoadTexturePieces(SceneStore& store, LineReader& reader);

// The bitmap file name of each piece of `reader`, in order, as the table
// loads them (see TextureNameOfPiece). Touches neither the disk beyond the
// reader nor GL.
std::vector<std::string> ReadTextureNames(LineReader& reader);

// The bitmap file name one piece of textures.txt names: the piece with one
// final newline or carriage return removed and nothing else (blanks stay part
// of the name), up to a NUL byte.
std::string TextureNameOfPiece(std::string_view piece);
