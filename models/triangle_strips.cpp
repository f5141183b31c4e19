#include "models/triangle_strips.h"

#include <array>

namespace {

constexpr std::uint32_t kNone = UINT32_MAX;

class StripBuilder {
 public:
  StripBuilder(std::span<const std::uint32_t> corners, std::size_t vertexCount)
      : corners_(corners), mark_(corners.size() / 3, kFree) {
    // The triangles at each vertex, as one array cut into runs.
    start_.assign(vertexCount + 1, 0);
    for (std::uint32_t v : corners) ++start_[v + 1];
    for (std::size_t v = 0; v < vertexCount; ++v) start_[v + 1] += start_[v];
    around_.resize(corners.size());
    std::vector<std::uint32_t> filled(start_.begin(), start_.end() - 1);
    for (std::size_t c = 0; c < corners.size(); ++c)
      around_[filled[corners[c]]++] = static_cast<std::uint32_t>(c / 3);
  }

  TriangleStrips Build() {
    TriangleStrips result;
    const std::size_t count = mark_.size();
    for (std::size_t t = 0; t < count; ++t) {
      if (mark_[t] != kFree) continue;
      const std::array<std::uint32_t, 3> v = Corners(t);
      if (v[0] == v[1] || v[1] == v[2] || v[0] == v[2]) {
        mark_[t] = kDrawn;
        continue;
      }
      // The strip may leave the first triangle by any of its three edges.
      std::size_t bestLength = 0;
      int best = 0;
      for (int turn = 0; turn < 3; ++turn) {
        const std::size_t length = Extend(t, Turned(v, turn), nullptr);
        if (length > bestLength) bestLength = length, best = turn;
      }
      std::vector<std::uint32_t> strip;
      Extend(t, Turned(v, best), &strip);
      if (strip.size() == 3) {
        result.triangles.insert(result.triangles.end(), strip.begin(), strip.end());
      } else {
        result.strips.push_back(std::move(strip));
      }
    }
    return result;
  }

 private:
  static constexpr std::uint32_t kFree = 0, kDrawn = 1;

  std::array<std::uint32_t, 3> Corners(std::size_t t) const {
    return {corners_[t * 3], corners_[t * 3 + 1], corners_[t * 3 + 2]};
  }
  static std::array<std::uint32_t, 3> Turned(const std::array<std::uint32_t, 3>& v, int turn) {
    return {v[turn], v[(turn + 1) % 3], v[(turn + 2) % 3]};
  }

  // A free triangle other than those of the strip being tried that has the
  // edge (a, b), and its third vertex; kNone when there is none.
  std::uint32_t Across(std::uint32_t a, std::uint32_t b, std::uint32_t& third) const {
    for (std::uint32_t i = start_[a]; i < start_[a + 1]; ++i) {
      const std::uint32_t t = around_[i];
      if (mark_[t] != kFree) continue;
      const std::array<std::uint32_t, 3> v = Corners(t);
      if (v[0] == v[1] || v[1] == v[2] || v[0] == v[2]) continue;
      for (int k = 0; k < 3; ++k) {
        if (v[k] != a && v[k] != b && (v[(k + 1) % 3] == b || v[(k + 2) % 3] == b)) {
          third = v[k];
          return t;
        }
      }
    }
    return kNone;
  }

  // Grows a strip from triangle `first` drawn as `v` through free
  // triangles, forwards across its edge (v1, v2) and backwards across (v0,
  // v1). Returns its length in triangles; with `strip`, the strip's vertices
  // are written there and its triangles marked drawn, otherwise the marks are
  // put back.
  std::size_t Extend(std::size_t first, const std::array<std::uint32_t, 3>& v,
                     std::vector<std::uint32_t>* strip) {
    taken_.assign(1, static_cast<std::uint32_t>(first));
    mark_[first] = kTrying;
    std::vector<std::uint32_t> forward, backward;
    Grow(v[1], v[2], forward);
    Grow(v[1], v[0], backward);
    if (strip != nullptr) {
      strip->assign(backward.rbegin(), backward.rend());
      strip->insert(strip->end(), v.begin(), v.end());
      strip->insert(strip->end(), forward.begin(), forward.end());
    }
    for (std::uint32_t t : taken_) mark_[t] = strip != nullptr ? kDrawn : kFree;
    return taken_.size();
  }

  // Appends to `added` the third vertex of each free triangle across the
  // strip's last edge, starting from the edge (a, b).
  void Grow(std::uint32_t a, std::uint32_t b, std::vector<std::uint32_t>& added) {
    while (true) {
      std::uint32_t third = kNone;
      const std::uint32_t next = Across(a, b, third);
      if (next == kNone) return;
      mark_[next] = kTrying;
      taken_.push_back(next);
      added.push_back(third);
      a = b;
      b = third;
    }
  }

  static constexpr std::uint32_t kTrying = 2;
  std::span<const std::uint32_t> corners_;
  std::vector<std::uint32_t> mark_;
  std::vector<std::uint32_t> start_;
  std::vector<std::uint32_t> around_;
  std::vector<std::uint32_t> taken_;
};

}  // namespace

TriangleStrips MakeTriangleStrips(std::span<const std::uint32_t> corners, std::size_t vertexCount) {
  return StripBuilder(corners.first(corners.size() / 3 * 3), vertexCount).Build();
}
