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
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/background_job.h"
#include "store/batch_hand_over.h"
#include "store/line_reader.h"
#include "store/scene_store.h"
#include "textures/bitmap_loader.h"

// The bitmaps of textures.txt, read and decoded in order on a thread of their
// own (they need no GL context), for MakeTextures to give to GL as they come.
// At most two decoded bitmaps wait at a time. Shows nothing: the failures'
// messages are MakeTextures' to show, in order.
class TextureFilesReading {
 public:
  // Reads the names of `fileName` now and starts decoding their bitmaps; a
  // file that cannot be opened names none.
  explicit TextureFilesReading(const char* fileName);
  explicit TextureFilesReading(std::vector<std::string> names);
  // Stops the decoding wherever it is.
  ~TextureFilesReading();
  TextureFilesReading(const TextureFilesReading&) = delete;
  TextureFilesReading& operator=(const TextureFilesReading&) = delete;

  const std::vector<std::string>& Names() const { return names_; }
  // The bitmap of the next name, waiting for it to be decoded.
  BitmapDecodeResult Next();

 private:
  void Decode();

  std::vector<std::string> names_;
  std::size_t taken_ = 0;
  BatchHandOver<BitmapDecodeResult> decoded_{1, 2};
  std::optional<BackgroundJob> decoder_;  // while the bitmaps are decoded on its thread
};

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
