// What each fuzz harness does with its bytes, kept apart from libFuzzer so the
// normal test suite can replay the seeds and every past finding through
// exactly the same code.
#pragma once

#include <cstddef>
#include <cstdint>

// objects.txt bytes through the reading thread and the compile walk that
// takes its statements as they arrive, on a real context, with a texture
// table of 0 to 3 slots chosen by the input's length, and through
// morvane-check's objects.txt check.
void FuzzObjects(const std::uint8_t* data, std::size_t size);

// scene.txt bytes through the scene reader against a fixed set of named lists,
// naming the lists while reading and afterwards (which must agree), and
// through morvane-check's scene.txt check against the same names.
void FuzzScene(const std::uint8_t* data, std::size_t size);

// textures.txt bytes through the reader of bitmap names (the bitmaps
// themselves have a harness of their own).
void FuzzTextureList(const std::uint8_t* data, std::size_t size);

// Bitmap file bytes through the bitmap decoder and its explanation.
void FuzzBitmap(const std::uint8_t* data, std::size_t size);

// Bytes as the model reader's answer, through the decoding that checks it;
// an answer that passes goes on through what the importer does with it,
// unlit and lit (names, fitting, light, strips, embedded pictures decoded by
// stb_image), into objects.txt and scene.txt, which morvane-check must pass
// without an error. Texture files the answer names are never opened.
void FuzzModelAnswer(const std::uint8_t* data, std::size_t size);
