// Triangles joined into strips.
//
// A triangle strip draws n triangles from n + 2 vertices where a list of
// triangles needs 3n, and every vertex the importer writes costs the viewer
// two lines of objects.txt to read and compile at every start. So the
// importer joins the triangles of an object that share edges into strips
// (greedily, from the first triangle not yet drawn, growing both ways, turned
// the way that makes the longest strip) and keeps a list only for those that join no
// other. The viewer draws without culling and the light is baked, so the
// order of a triangle's corners does not matter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct TriangleStrips {
  std::vector<std::vector<std::uint32_t>> strips;  // each draws size() - 2 triangles
  std::vector<std::uint32_t> triangles;            // three vertices per lone triangle
};

// Joins the triangles `corners` (three vertex indices each, every index below
// `vertexCount`). A triangle with a repeated vertex covers nothing and is
// left out.
TriangleStrips MakeTriangleStrips(std::span<const std::uint32_t> corners, std::size_t vertexCount);
