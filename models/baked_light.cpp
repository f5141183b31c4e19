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

// Which way the normals made from the order of the triangles' corners point:
// models are written both ways round. For a closed surface the sign of the
// volume it encloses tells (and `closed` is set); for an open one, whose
// volume is next to nothing, the order counts as given, unless the node's
// transform mirrored it. Returns 1 for outwards, -1 for inwards.
float WindingSign(const ImportedObject& object, bool& closed) {
  closed = false;
  double low[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, high[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  for (const ImportedVertex& v : object.vertices) {
    const double p[3] = {v.x, v.y, v.z};
    for (int k = 0; k < 3; ++k) low[k] = std::min(low[k], p[k]), high[k] = std::max(high[k], p[k]);
  }
  if (object.vertices.empty()) return 1;
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
  closed = std::fabs(volume) > 1e-3 * size * size * size;
  if (closed) return volume < 0 ? -1.0f : 1.0f;
  return object.mirrored ? -1.0f : 1.0f;
}

bool HasOwnNormal(const ImportedObject& object, const ImportedVertex& v) {
  return object.hasNormals && (v.nx != 0.0f || v.ny != 0.0f || v.nz != 0.0f);
}

// A model's own normals can point inwards too (a file whose normals and
// corner order disagree). On a closed surface they are turned round when
// most triangles' normals point against the triangle's outward side.
float NormalSign(const ImportedObject& object, float windingSign) {
  std::size_t against = 0, along = 0;
  for (std::size_t first = 0; first + 2 < object.corners.size(); first += 3) {
    const ImportedVertex* corner[3];
    for (int k = 0; k < 3; ++k) corner[k] = &object.vertices[object.corners[first + k]];
    const Vector face = FaceNormal(*corner[0], *corner[1], *corner[2]);
    double agreement = 0;
    for (const ImportedVertex* v : corner) {
      if (HasOwnNormal(object, *v))
        agreement += double{v->nx} * face.x + double{v->ny} * face.y + double{v->nz} * face.z;
    }
    (agreement * windingSign < 0 ? against : along) += 1;
  }
  return against > along ? -1.0f : 1.0f;
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
  bool closed = false;
  const float facing = WindingSign(object, closed);
  const float normalSign = object.hasNormals && closed ? NormalSign(object, facing) : 1.0f;
  for (std::size_t first = 0; first + 2 < object.corners.size(); first += 3) {
    const ImportedVertex& a = v[object.corners[first]];
    const ImportedVertex& b = v[object.corners[first + 1]];
    const ImportedVertex& c = v[object.corners[first + 2]];
    const Vector face = FaceNormal(a, b, c);
    const float faceBrightness = Brightness(facing * face.x, facing * face.y, facing * face.z);
    for (int k = 0; k < 3; ++k) {
      const ImportedVertex& corner = v[object.corners[first + k]];
      brightness[first + k] =
          HasOwnNormal(object, corner)
              ? Brightness(normalSign * corner.nx, normalSign * corner.ny, normalSign * corner.nz)
              : faceBrightness;
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
