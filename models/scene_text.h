// The three text files of an imported scene folder.
//
// objects.txt holds one display list per object: its texture, one triangle
// primitive, and a texture coordinate and a vertex line per corner (a single
// coordinate line when the whole object shows one colour). scene.txt places
// every object at the same spot in front of the camera, turning at the same
// rate about y. textures.txt names the bitmaps in texture-number order.
//
// The writers only format; opening, replacing and error reporting belong to
// the caller.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "store/text_writer.h"
#include "models/imported_model.h"

// How one object is drawn: its name, its texture number, and whether its own
// texture coordinates are written (otherwise one coordinate serves all).
struct ObjectLook {
  std::string name;
  int textureNumber = 0;
  bool perCornerCoordinates = false;
};

// Writes objects.txt for `objects` (drawn as `looks`, one per object).
// Returns the number of lines written.
std::size_t WriteObjectsText(TextWriter& out, const std::vector<ImportedObject>& objects,
                             const std::vector<ObjectLook>& looks);

// Writes scene.txt: one entry per object, at `distance` along -z, turning
// about y at `spin` (0 for none). Returns the number of lines written.
std::size_t WriteSceneText(TextWriter& out, const std::vector<ObjectLook>& looks, double distance,
                           double spin);

// Writes textures.txt, one bitmap name per line. Returns the number of lines.
std::size_t WriteTexturesText(TextWriter& out, const std::vector<std::string>& bitmapNames);
