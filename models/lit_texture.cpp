#include "models/lit_texture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// A lit copy has at least this many texels on its longer side, and a texture
// is never enlarged past the largest side the importer writes.
constexpr int kMinLitSide = 256;
constexpr int kMaxLitSide = 4096;
// Brightnesses closer than this are the same to the eye.
constexpr float kSameBrightness = 0.05f;
// Places that share texels on more than this share of the covered texels
// make the copy wrong rather than slightly blurred at a seam.
constexpr double kMostConflicts = 0.01;
// Texture positions are rasterised exactly, in 1/256 of a texel, so that two
// triangles that share an edge never both take a texel centre on it.
constexpr std::int64_t kSubTexel = 256;

struct Point {
  std::int64_t x, y;
};

std::int64_t Orient(Point a, Point b, Point c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// A texel centre exactly on the edge from a to b belongs to the triangle on
// one side of it only: reversing the edge reverses the answer.
bool OwnsEdge(Point a, Point b) {
  return b.y - a.y > 0 || (b.y == a.y && b.x - a.x < 0);
}

class BrightnessMap {
 public:
  BrightnessMap(int width, int height)
      : width_(width), height_(height), values_(static_cast<std::size_t>(width) * height, -1.0f) {}

  // Gives the texel at (x, y), taken modulo the size as the repeat of the
  // texture does, the brightness `b`; false once too many texels are claimed
  // with different brightnesses for the copy to be right.
  bool Claim(std::int64_t x, std::int64_t y, float b) {
    x %= width_, y %= height_;
    if (x < 0) x += width_;
    if (y < 0) y += height_;
    float& value = values_[static_cast<std::size_t>(y) * width_ + x];
    if (value < 0) {
      value = b;
      ++claimed_;
    } else if (std::fabs(value - b) > kSameBrightness) {
      ++conflicts_;
    }
    return static_cast<double>(conflicts_) <= kMostConflicts * static_cast<double>(values_.size());
  }
  bool Consistent() const {
    return static_cast<double>(conflicts_) <= kMostConflicts * static_cast<double>(claimed_);
  }

  // Texels no triangle covers take their covered neighbours' brightness (the
  // linear filter reads one texel beyond a triangle's edge); those still
  // uncovered stay at full brightness.
  const std::vector<float>& Filled() {
    for (int pass = 0; pass < 2; ++pass) {
      std::vector<float> next = values_;
      for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
          if (values_[Index(x, y)] >= 0) continue;
          float sum = 0;
          int count = 0;
          for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
            const float neighbour = values_[Index(x + dx, y + dy)];
            if (neighbour >= 0) sum += neighbour, ++count;
          }
          if (count > 0) next[Index(x, y)] = sum / static_cast<float>(count);
        }
      }
      values_ = std::move(next);
    }
    for (float& value : values_) value = value < 0 ? 1.0f : value;
    return values_;
  }

 private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>((y + height_) % height_) * width_ + (x + width_) % width_;
  }
  int width_, height_;
  std::vector<float> values_;
  std::size_t claimed_ = 0, conflicts_ = 0;
};

// Rasterises one triangle given in texel units into `map`; false when the
// map gives up. `work` counts the texels looked at.
bool ClaimTriangle(const double (&x)[3], const double (&y)[3], const float (&b)[3], int width,
                   int height, BrightnessMap& map, std::uint64_t& work) {
  // Moved by whole repeats of the texture so that it starts in the first one.
  const double shiftX = std::floor(std::min({x[0], x[1], x[2]}) / width) * width;
  const double shiftY = std::floor(std::min({y[0], y[1], y[2]}) / height) * height;
  Point p[3];
  for (int i = 0; i < 3; ++i) {
    p[i] = {std::llround((x[i] - shiftX) * kSubTexel), std::llround((y[i] - shiftY) * kSubTexel)};
  }
  float bright[3] = {b[0], b[1], b[2]};
  std::int64_t area = Orient(p[0], p[1], p[2]);
  if (area < 0) {
    std::swap(p[1], p[2]);
    std::swap(bright[1], bright[2]);
    area = -area;
  }
  const std::int64_t left = std::min({p[0].x, p[1].x, p[2].x});
  const std::int64_t right = std::max({p[0].x, p[1].x, p[2].x});
  const std::int64_t top = std::min({p[0].y, p[1].y, p[2].y});
  const std::int64_t bottom = std::max({p[0].y, p[1].y, p[2].y});
  // Texels whose centres (i + 1/2) lie within the box.
  const std::int64_t half = kSubTexel / 2;
  const std::int64_t firstX = (left - half + kSubTexel - 1) / kSubTexel;
  const std::int64_t lastX = (right - half) / kSubTexel;
  const std::int64_t firstY = (top - half + kSubTexel - 1) / kSubTexel;
  const std::int64_t lastY = (bottom - half) / kSubTexel;
  bool covered = false;
  if (area > 0) {
    const bool owns[3] = {OwnsEdge(p[1], p[2]), OwnsEdge(p[2], p[0]), OwnsEdge(p[0], p[1])};
    for (std::int64_t ty = firstY; ty <= lastY; ++ty) {
      for (std::int64_t tx = firstX; tx <= lastX; ++tx) {
        ++work;
        const Point centre{tx * kSubTexel + half, ty * kSubTexel + half};
        const std::int64_t w[3] = {Orient(p[1], p[2], centre), Orient(p[2], p[0], centre),
                                   Orient(p[0], p[1], centre)};
        bool inside = true;
        for (int e = 0; e < 3; ++e) inside = inside && (w[e] > 0 || (w[e] == 0 && owns[e]));
        if (!inside) continue;
        covered = true;
        const double value =
            (static_cast<double>(w[0]) * bright[0] + static_cast<double>(w[1]) * bright[1] +
             static_cast<double>(w[2]) * bright[2]) /
            static_cast<double>(area);
        if (!map.Claim(tx, ty, static_cast<float>(value))) return false;
      }
    }
  }
  // A triangle too small to cover a texel centre still shows the texel under
  // its middle.
  if (!covered) {
    const std::int64_t cx = (p[0].x + p[1].x + p[2].x) / 3, cy = (p[0].y + p[1].y + p[2].y) / 3;
    return map.Claim(cx / kSubTexel, cy / kSubTexel, (bright[0] + bright[1] + bright[2]) / 3);
  }
  return true;
}

// The texture's colour at the centre of texel (x, y) of a copy `factor`
// times larger, as the linear filter with repeat shows it.
void SampleEnlarged(const DecodedImage& texture, int factor, int x, int y, double (&rgb)[3]) {
  const double u = (x + 0.5) / factor - 0.5, v = (y + 0.5) / factor - 0.5;
  const double u0 = std::floor(u), v0 = std::floor(v);
  const double fu = u - u0, fv = v - v0;
  const int w = texture.width, h = texture.height;
  const auto texel = [&](double tx, double ty, int channel) {
    const int ix = (static_cast<int>(tx) % w + w) % w, iy = (static_cast<int>(ty) % h + h) % h;
    return static_cast<double>(texture.rgb[(static_cast<std::size_t>(iy) * w + ix) * 3 + channel]);
  };
  for (int c = 0; c < 3; ++c) {
    rgb[c] = (1 - fv) * ((1 - fu) * texel(u0, v0, c) + fu * texel(u0 + 1, v0, c)) +
             fv * ((1 - fu) * texel(u0, v0 + 1, c) + fu * texel(u0 + 1, v0 + 1, c));
  }
}

}  // namespace

bool BakeLitTexture(const DecodedImage& texture, std::span<const LitCorner> corners,
                    DecodedImage& lit) {
  if (texture.width <= 0 || texture.height <= 0) return false;
  const int longer = std::max(texture.width, texture.height);
  const int factor = longer >= kMinLitSide
                         ? 1
                         : std::min((kMinLitSide + longer - 1) / longer, kMaxLitSide / longer);
  const int width = texture.width * factor, height = texture.height * factor;
  const double texels = static_cast<double>(width) * height;
  const std::size_t triangles = corners.size() / 3;

  // Triangles that together cover more than the picture once, or one that
  // covers more than one repeat of it, must share texels.
  double covered = 0;
  for (std::size_t i = 0; i < triangles; ++i) {
    const LitCorner* c = &corners[i * 3];
    const double area =
        ((c[1].s - c[0].s) * (c[2].t - c[0].t) - (c[1].t - c[0].t) * (c[2].s - c[0].s));
    covered += std::fabs(area) / 2 * texels;
    const auto [sLow, sHigh] = std::minmax({c[0].s, c[1].s, c[2].s});
    const auto [tLow, tHigh] = std::minmax({c[0].t, c[1].t, c[2].t});
    if (sHigh - sLow > 1 || tHigh - tLow > 1) return false;
  }
  if (covered > 1.02 * texels) return false;

  BrightnessMap map(width, height);
  // Long thin triangles cost their whole box: past this much work the copy
  // is given up for the second pass, which costs nothing to decide.
  const std::uint64_t mostWork = static_cast<std::uint64_t>(16 * texels) + 64 * triangles;
  std::uint64_t work = 0;
  for (std::size_t i = 0; i < triangles; ++i) {
    double x[3], y[3];
    float b[3];
    for (int k = 0; k < 3; ++k) {
      const LitCorner& c = corners[i * 3 + k];
      x[k] = double{c.s} * width;
      y[k] = (1.0 - double{c.t}) * height;  // the picture's top row is t = 1
      b[k] = c.brightness;
    }
    if (!ClaimTriangle(x, y, b, width, height, map, work) || work > mostWork) return false;
  }
  if (!map.Consistent()) return false;

  const std::vector<float>& brightness = map.Filled();
  lit.width = width;
  lit.height = height;
  lit.rgb.resize(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::size_t at = static_cast<std::size_t>(y) * width + x;
      double rgb[3];
      if (factor == 1) {
        for (int c = 0; c < 3; ++c) rgb[c] = texture.rgb[at * 3 + c];
      } else {
        SampleEnlarged(texture, factor, x, y, rgb);
      }
      for (int c = 0; c < 3; ++c)
        lit.rgb[at * 3 + c] = static_cast<std::uint8_t>(std::lround(rgb[c] * brightness[at]));
    }
  }
  return true;
}
