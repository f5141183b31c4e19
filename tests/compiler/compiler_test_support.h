// Shared helpers of the compiler tests: statements made by running objects.txt
// text through the real reader, a compile whose transcript is captured in
// memory, real textures on the current context, and a read-back of what a
// display list really draws through GL's feedback mode.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/scene_store.h"

inline constexpr std::string_view kTranscriptHeader = "OPENGL-Diplay-Listen:\n\n";

// A fresh store holding the statements the object reader makes of `objectsText`.
SceneStore StoreFromObjects(std::string_view objectsText);

struct CompileOutcome {
  std::int32_t result;
  std::string transcript;  // everything written, header included
  std::string body;        // the transcript after the header
};

// Runs the compiler's walk over `store` with the transcript captured in memory.
CompileOutcome CompileToText(SceneStore& store);

// Creates a 2D texture of `width` x `height` RGB texels (bottom row first) with
// nearest filtering and repeat wrapping, and returns its GL name.
std::uint32_t MakeTexture(int width, int height, const std::vector<std::uint8_t>& rgb);
std::uint32_t MakeSolidTexture(std::uint8_t r, std::uint8_t g, std::uint8_t b);

// One vertex as GL received it: object coordinates and texture coordinates.
struct FedBackVertex {
  float x, y, z, s, t;
};

// Calls display list `list` in feedback mode and returns every vertex of every
// polygon GL produced, in order. The projection is set so that object
// coordinates from -10 to 10 on each axis are neither clipped nor distorted.
std::vector<FedBackVertex> VerticesDrawnByList(std::uint32_t list);
