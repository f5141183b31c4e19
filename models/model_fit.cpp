#include "models/model_fit.h"

#include <algorithm>
#include <cmath>
#include <limits>

void FitModelToView(ImportedModel& model) {
  double low[3], high[3];
  std::fill(low, low + 3, std::numeric_limits<double>::max());
  std::fill(high, high + 3, std::numeric_limits<double>::lowest());
  for (const ImportedObject& object : model.objects) {
    for (const ImportedVertex& v : object.vertices) {
      const double p[3] = {v.x, v.y, v.z};
      for (int a = 0; a < 3; ++a)
        low[a] = std::min(low[a], p[a]), high[a] = std::max(high[a], p[a]);
    }
  }
  if (low[0] > high[0]) return;  // no vertex at all
  double centre[3];
  for (int a = 0; a < 3; ++a) centre[a] = low[a] + (high[a] - low[a]) / 2;
  double radius = 0;
  for (const ImportedObject& object : model.objects) {
    for (const ImportedVertex& v : object.vertices) {
      radius = std::max(radius, std::hypot(v.x - centre[0], v.y - centre[1], v.z - centre[2]));
    }
  }
  const double scale = radius > 0 && std::isfinite(radius) ? kModelRadius / radius : 1;
  for (ImportedObject& object : model.objects) {
    for (ImportedVertex& v : object.vertices) {
      v.x = static_cast<float>((v.x - centre[0]) * scale);
      v.y = static_cast<float>((v.y - centre[1]) * scale);
      v.z = static_cast<float>((v.z - centre[2]) * scale);
    }
  }
}
