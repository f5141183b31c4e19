// Finds a vertex again by its exact value, so that corners that hold the
// same vertex share one index.
//
// Model files often repeat a vertex for every triangle that uses it (OBJ
// does, through the library), which makes the reader's answer larger and
// keeps triangles from being joined into strips. Vertices are compared bit
// for bit, so what is merged is written exactly as before. `Vertex` is a
// struct of floats alone.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

template <typename Vertex>
class VertexTable {
  static_assert(std::is_trivially_copyable_v<Vertex> && sizeof(Vertex) % 4 == 0);
  using Bits = std::array<std::uint32_t, sizeof(Vertex) / 4>;

 public:
  // Adds to `vertices`, which it does not own; at most `most` different
  // vertices will be asked for.
  VertexTable(std::vector<Vertex>& vertices, std::size_t most)
      : vertices_(vertices), slots_(std::bit_ceil(most * 2 + 16), kEmpty) {}

  // The index of `v` in the vertices, appended if it is new.
  std::uint32_t Index(const Vertex& v) {
    const Bits bits = std::bit_cast<Bits>(v);
    std::uint64_t hash = 0x9e3779b97f4a7c15ull;
    for (std::uint32_t b : bits) hash = (hash ^ b) * 0xff51afd7ed558ccdull;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = (hash ^ hash >> 29) & mask;; at = (at + 1) & mask) {
      std::uint32_t& slot = slots_[at];
      if (slot == kEmpty) {
        slot = static_cast<std::uint32_t>(vertices_.size());
        vertices_.push_back(v);
        return slot;
      }
      if (std::bit_cast<Bits>(vertices_[slot]) == bits) return slot;
    }
  }

 private:
  static constexpr std::uint32_t kEmpty = UINT32_MAX;
  std::vector<Vertex>& vertices_;
  std::vector<std::uint32_t> slots_;
};
