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
#include <string>
#include <string_view>
#include <vector>

#include "store/line_reader.h"
#include "store/scene_store.h"

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
