// The three text files of an imported scene folder.
//
// objects.txt holds one display list per object: for each of its passes a
// texture binding and its primitives (triangle strips, then one list of
// lone triangles), each with a texture coordinate line and a vertex line per
// vertex. scene.txt places every object at the same spot in front of the
// camera, turning at the same rate about y. textures.txt names the bitmaps in
// texture-number order.
//
// The writers only format; opening, replacing and error reporting belong to
// the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "store/text_writer.h"

// One vertex as objects.txt holds it: position and texture coordinate.
struct WrittenVertex {
  float x, y, z;
  float s, t;
};

// When a vertex's texture coordinate line is written.
enum class CoordinateLines {
  kOnce,         // once, before the first vertex: the whole pass shows one colour
  kEveryVertex,  // before every vertex
  kWhenChanged,  // before a primitive's first vertex, then when it differs from the last
};

// Vertices drawn with one texture binding.
struct DrawPass {
  int texture = 0;
  // At 0 or more, every primitive is drawn as a blended pair: `texture`
  // multiplies what is drawn already, then `addedTexture` is added to it.
  int addedTexture = -1;
  CoordinateLines coordinates = CoordinateLines::kEveryVertex;
  std::vector<WrittenVertex> vertices;
  std::vector<std::vector<std::uint32_t>> strips;  // indices into `vertices`
  std::vector<std::uint32_t> triangles;            // three per triangle, drawn after the strips
};

struct ObjectDrawing {
  std::string name;
  std::vector<DrawPass> passes;
};

// Writes objects.txt. Returns the number of lines written.
std::size_t WriteObjectsText(TextWriter& out, const std::vector<ObjectDrawing>& objects);

// Writes scene.txt: one entry per object name, at `distance` along -z,
// turning about y at `spin` (0 for none). Returns the number of lines written.
std::size_t WriteSceneText(TextWriter& out, const std::vector<ObjectDrawing>& objects,
                           double distance, double spin);

// Writes textures.txt, one bitmap name per line. Returns the number of lines.
std::size_t WriteTexturesText(TextWriter& out, const std::vector<std::string>& bitmapNames);
