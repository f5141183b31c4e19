// What morvane-import keeps of a model once the library has read it: baked
// triangles grouped into objects (one per mesh instance, each with one
// material), the materials' colours and textures, and a count of everything
// a scene folder cannot hold.
//
// Plain data only; nothing here reads files or talks to the library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// One corner of a triangle: position in the model's space with every node
// transform applied, and its texture coordinate (0, 0 when the mesh has none).
struct ImportedVertex {
  float x, y, z, s, t;
};

// A picture ready to be written, top row first, three bytes (red, green,
// blue) per pixel.
struct DecodedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};

// Where a material's texture comes from: a file beside the model, the bytes
// of an image file inside the model, or pixels stored in the model.
struct TextureSource {
  std::string name;            // as the model names it, for messages
  std::filesystem::path file;  // set for a texture in its own file
  std::vector<std::uint8_t> encoded;
  DecodedImage pixels;  // set (width > 0) for uncompressed embedded pixels
  bool pixelsHadAlpha = false;
};

struct ImportedMaterial {
  float colour[3] = {0.8f, 0.8f, 0.8f};  // diffuse or base colour, 0 to 1
  int texture = -1;                      // index into ImportedModel::textures
};

struct ImportedObject {
  std::string name;  // the mesh's or node's name as the model gives it
  std::size_t material = 0;
  bool hasTextureCoordinates = false;
  std::vector<ImportedVertex> vertices;  // three per triangle
};

// What the scene folder cannot hold; each count is reported, never hidden.
struct DroppedParts {
  std::size_t meshesWithVertexColours = 0;
  std::size_t linesAndPoints = 0;
  std::size_t invalidTriangles = 0;  // a corner that is not a finite number
  std::size_t animations = 0;
  std::size_t cameras = 0;
  std::size_t lights = 0;
};

struct ImportedModel {
  std::size_t meshCount = 0;
  std::size_t triangleCount = 0;
  std::vector<ImportedObject> objects;
  std::vector<ImportedMaterial> materials;
  std::vector<TextureSource> textures;
  DroppedParts dropped;
};
