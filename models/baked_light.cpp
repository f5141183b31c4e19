#include "models/baked_light.h"

#include <algorithm>
#include <cmath>

namespace {

// Towards the light: left (-x), up (+y) and towards the camera (+z), at
// unequal angles so that the faces of a box seen from any side get
// different brightnesses.
constexpr float kLight[3] = {-1.0f, 1.5f, 2.0f};
constexpr float kDiffuseLight = 1.0f - kAmbientLight;

constexpr int kRampWidth = 64;
constexpr int kRampHeight = 4;

struct Vector {
  float x, y, z;
};

Vector FaceNormal(const ImportedVertex& a, const ImportedVertex& b, const ImportedVertex& c) {
  const Vector u{b.x - a.x, b.y - a.y, b.z - a.z};
  const Vector v{c.x - a.x, c.y - a.y, c.z - a.z};
  return {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
}

// Whether the order of the triangles' corners makes their normals point
// inwards. Models are written both ways round, so for a closed surface the
// sign of the volume it encloses decides; for an open one, whose volume is
// next to nothing, the order counts as given, unless the node's transform
// mirrored it.
bool WoundInwards(const ImportedObject& object) {
  double low[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, high[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  for (const ImportedVertex& v : object.vertices) {
    const double p[3] = {v.x, v.y, v.z};
    for (int k = 0; k < 3; ++k) low[k] = std::min(low[k], p[k]), high[k] = std::max(high[k], p[k]);
  }
  if (object.vertices.empty()) return false;
  const double centre[3] = {(low[0] + high[0]) / 2, (low[1] + high[1]) / 2, (low[2] + high[2]) / 2};
  const double size = std::hypot(high[0] - low[0], high[1] - low[1], high[2] - low[2]);
  double volume = 0;  // six times the enclosed volume
  for (std::size_t first = 0; first + 2 < object.corners.size(); first += 3) {
    double p[3][3];
    for (int c = 0; c < 3; ++c) {
      const ImportedVertex& v = object.vertices[object.corners[first + c]];
      p[c][0] = v.x - centre[0], p[c][1] = v.y - centre[1], p[c][2] = v.z - centre[2];
    }
    volume += p[0][0] * (p[1][1] * p[2][2] - p[1][2] * p[2][1]) -
              p[0][1] * (p[1][0] * p[2][2] - p[1][2] * p[2][0]) +
              p[0][2] * (p[1][0] * p[2][1] - p[1][1] * p[2][0]);
  }
  if (std::fabs(volume) > 1e-3 * size * size * size) return volume < 0;
  return object.mirrored;
}

}  // namespace

float Brightness(float nx, float ny, float nz) {
  const double length = std::sqrt(double{nx} * nx + double{ny} * ny + double{nz} * nz);
  static const double lightLength =
      std::sqrt(double{kLight[0]} * kLight[0] + double{kLight[1]} * kLight[1] +
                double{kLight[2]} * kLight[2]);
  if (!(length > 1e-30) || !std::isfinite(length)) return Brightness(0, 0, 1);
  const double facing = (nx * kLight[0] + ny * kLight[1] + nz * kLight[2]) / (length * lightLength);
  return kAmbientLight + kDiffuseLight * static_cast<float>(std::max(0.0, facing));
}

std::vector<float> CornerBrightness(const ImportedObject& object) {
  std::vector<float> brightness(object.corners.size());
  const std::vector<ImportedVertex>& v = object.vertices;
  const float facing = WoundInwards(object) ? -1.0f : 1.0f;
  for (std::size_t first = 0; first + 2 < object.corners.size(); first += 3) {
    const ImportedVertex& a = v[object.corners[first]];
    const ImportedVertex& b = v[object.corners[first + 1]];
    const ImportedVertex& c = v[object.corners[first + 2]];
    const Vector face = FaceNormal(a, b, c);
    const float faceBrightness = Brightness(facing * face.x, facing * face.y, facing * face.z);
    for (int k = 0; k < 3; ++k) {
      const ImportedVertex& corner = v[object.corners[first + k]];
      const bool ownNormal =
          object.hasNormals && (corner.nx != 0.0f || corner.ny != 0.0f || corner.nz != 0.0f);
      brightness[first + k] =
          ownNormal ? Brightness(corner.nx, corner.ny, corner.nz) : faceBrightness;
    }
  }
  return brightness;
}

DecodedImage MakeShadingRamp(const std::uint8_t (&rgb)[3]) {
  DecodedImage ramp;
  ramp.width = kRampWidth;
  ramp.height = kRampHeight;
  ramp.rgb.reserve(kRampWidth * kRampHeight * 3);
  for (int y = 0; y < kRampHeight; ++y) {
    for (int x = 0; x < kRampWidth; ++x) {
      for (std::uint8_t channel : rgb) {
        ramp.rgb.push_back(
            static_cast<std::uint8_t>(std::lround(channel * x / double{kRampWidth - 1})));
      }
    }
  }
  return ramp;
}

float RampS(float brightness) {
  const float b = std::isfinite(brightness) ? std::clamp(brightness, 0.0f, 1.0f) : 1.0f;
  return (0.5f + b * (kRampWidth - 1)) / kRampWidth;
}
