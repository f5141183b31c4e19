// What the importer keeps of a model once the library has read it: triangles
// grouped into objects (one per mesh instance, each with one material), the
// materials' colours and textures, the other files the reading opened, and a
// count of everything a scene folder cannot hold.
//
// The model reader fills it in a child process; the parent gets it back
// through the reader's answer and checks every count and index there. Plain
// data only; nothing here reads files or talks to the library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// One vertex of a mesh instance: position and normal in the model's space
// with the node's transform applied, and the texture coordinate (0, 0 when
// the mesh has none). The normal is (0, 0, 0) when the mesh has none.
struct ImportedVertex {
  float x, y, z;
  float nx, ny, nz;
  float s, t;
};

// A picture ready to be written, top row first, three bytes (red, green,
// blue) per pixel.
struct DecodedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};

// Where a material's texture comes from: a file the model names, the bytes of
// an image file inside the model, or pixels stored in the model.
enum class TextureOrigin : std::uint8_t { kFile, kEncoded, kPixels };

struct TextureSource {
  std::string name;  // as the model names it: a file name, or the embedded texture's key
  TextureOrigin origin = TextureOrigin::kFile;
  std::filesystem::path file;  // where a kFile texture was found (LocateTextureFiles)
  std::vector<std::uint8_t> encoded;
  DecodedImage pixels;  // set (width > 0) for kPixels
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
  bool hasNormals = false;
  // The node's transform turns the mesh inside out (a negative determinant):
  // a normal made from the order of a triangle's corners then points the
  // other way.
  bool mirrored = false;
  std::vector<ImportedVertex> vertices;
  std::vector<std::uint32_t> corners;  // three indices into `vertices` per triangle
};

// What the scene folder cannot hold; each count is reported, never hidden.
struct DroppedParts {
  std::uint64_t meshesWithVertexColours = 0;
  std::uint64_t linesAndPoints = 0;
  std::uint64_t invalidTriangles = 0;  // a corner that is not a finite number
  std::uint64_t animations = 0;
  std::uint64_t cameras = 0;
  std::uint64_t lights = 0;
};

struct ImportedModel {
  std::uint64_t meshCount = 0;
  std::uint64_t triangleCount = 0;
  std::vector<ImportedObject> objects;
  std::vector<ImportedMaterial> materials;
  std::vector<TextureSource> textures;
  DroppedParts dropped;
  // Every file the library opened or looked for besides the model itself
  // (an OBJ's .mtl, a glTF's .bin), as it named them.
  std::vector<std::string> otherFiles;
};
