#include "tools/scene_framing.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

#include "compiler/statement_roles.h"
#include "scene/renderer.h"

namespace {

using Point = std::array<double, 3>;
// As the statements hold them: a copy of the coordinates costs no more than they do.
using Vertex = std::array<float, 3>;

// The share of the side left empty at each edge, so that no edge pixel of the
// model is cut by rounding.
constexpr double kBorder = 0.02;
// Vertices placed in all, summed over the entries; a few seconds' work at most.
constexpr std::size_t kMostPlacedVertices = 20'000'000;
// The planes stand this much before the nearest and beyond the farthest point.
constexpr double kNearShare = 0.9;
constexpr double kFarShare = 1.1;

struct ListVertices {
  std::vector<Vertex> vertices;
  Point low{}, high{};
};

void Widen(Point& low, Point& high, const Point& p, bool first) {
  for (int a = 0; a < 3; ++a) {
    low[a] = first ? p[a] : std::min(low[a], p[a]);
    high[a] = first ? p[a] : std::max(high[a], p[a]);
  }
}

// The vertices of each list, by list id (slot 0 is no list), as the compiler
// makes the lists: a name opens the next id, and one met while a list is
// open opens nothing (GL refuses a list inside a list), so what follows goes
// on into the open list. The walk stops where the compiler stops.
std::vector<ListVertices> VerticesByList(const SceneStore& store) {
  std::vector<ListVertices> lists(1);
  std::size_t open = 0;
  for (const Statement& statement : store.statements) {
    const StatementRole role = DispatchRole(statement);
    if (role == StatementRole::kStop) break;
    if (role == StatementRole::kNewList) {
      lists.emplace_back();
      if (open == 0) open = lists.size() - 1;
    } else if (role == StatementRole::kEndList) {
      open = 0;
    } else if (open != 0 && IsVertexKey(statement.key)) {
      const Vertex v = {statement.vector[0], statement.vector[1], statement.vector[2]};
      const Point p = {v[0], v[1], v[2]};
      if (!std::isfinite(p[0] + p[1] + p[2])) continue;
      ListVertices& list = lists[open];
      Widen(list.low, list.high, p, list.vertices.empty());
      list.vertices.push_back(v);
    }
  }
  return lists;
}

// One drawn entry: its placement (column-major, as GL keeps it) and its
// list, framed by every vertex or by the corners of its box.
struct Placed {
  std::array<double, 16> m;
  const ListVertices* list;
  bool byCorners;
};

std::vector<Placed> PlaceEntries(const SceneStore& store, float animationAngle,
                                 const std::vector<ListVertices>& lists) {
  std::vector<Placed> placed;
  std::size_t budget = kMostPlacedVertices;
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  for (std::size_t i = 0; i < DrawnEntryCount(store); ++i) {
    const SceneEntry& entry = store.sceneEntries[i];
    const auto id = static_cast<std::size_t>(entry.listId);
    if (entry.listId <= 0 || id >= lists.size() || lists[id].vertices.empty()) continue;
    Placed& p = placed.emplace_back();
    PlaceEntry(entry, animationAngle);
    glGetDoublev(GL_MODELVIEW_MATRIX, p.m.data());
    p.list = &lists[id];
    p.byCorners = p.list->vertices.size() > budget;
    if (!p.byCorners) budget -= p.list->vertices.size();
  }
  glPopMatrix();
  return placed;
}

// Calls visit(point) for each placed point with finite coordinates, in the
// camera's space.
template <typename Visit>
void ForEachPoint(const std::vector<Placed>& placed, Visit visit) {
  const auto place = [&visit](const std::array<double, 16>& m, const Point& v) {
    const Point p = {m[0] * v[0] + m[4] * v[1] + m[8] * v[2] + m[12],
                     m[1] * v[0] + m[5] * v[1] + m[9] * v[2] + m[13],
                     m[2] * v[0] + m[6] * v[1] + m[10] * v[2] + m[14]};
    if (std::isfinite(p[0] + p[1] + p[2])) visit(p);
  };
  for (const Placed& entry : placed) {
    const ListVertices& list = *entry.list;
    if (!entry.byCorners) {
      for (const Vertex& v : list.vertices) place(entry.m, {v[0], v[1], v[2]});
      continue;
    }
    for (int corner = 0; corner < 8; ++corner) {
      place(entry.m,
            {corner & 1 ? list.high[0] : list.low[0], corner & 2 ? list.high[1] : list.low[1],
             corner & 4 ? list.high[2] : list.low[2]});
    }
  }
}

}  // namespace

bool FrameScene(const SceneStore& store, float animationAngle, SquareView& view) {
  const std::vector<ListVertices> lists = VerticesByList(store);
  const std::vector<Placed> placed = PlaceEntries(store, animationAngle, lists);

  Point low{}, high{};
  bool any = false;
  ForEachPoint(placed, [&](const Point& p) {
    Widen(low, high, p, !any);
    any = true;
  });
  if (!any) return false;
  // The nearest point stands at least half the scene's size in front of the
  // camera, so no part of it is stretched much nearer than the rest.
  const double size = std::hypot(high[0] - low[0], high[1] - low[1], high[2] - low[2]);
  const double gap = size > 0 && std::isfinite(size) ? size / 2 : 1;
  view.cameraBack = std::max(0.0, high[2] + gap);

  // Where each point meets the plane one unit in front of the camera.
  double across[2][2] = {
      {std::numeric_limits<double>::max(), std::numeric_limits<double>::lowest()},
      {std::numeric_limits<double>::max(), std::numeric_limits<double>::lowest()}};
  double nearest = std::numeric_limits<double>::max(), farthest = 0;
  ForEachPoint(placed, [&](const Point& p) {
    const double depth = view.cameraBack - p[2];
    for (int a = 0; a < 2; ++a) {
      across[a][0] = std::min(across[a][0], p[a] / depth);
      across[a][1] = std::max(across[a][1], p[a] / depth);
    }
    nearest = std::min(nearest, depth);
    farthest = std::max(farthest, depth);
  });
  double half = std::max(across[0][1] - across[0][0], across[1][1] - across[1][0]) / 2;
  // A scene that is a single point still gets a square around it.
  if (!(half > 0) || !std::isfinite(half)) half = 0.01;
  half /= 1 - 2 * kBorder;
  view.nearPlane = nearest * kNearShare;
  view.farPlane = farthest * kFarShare;
  const double centre[2] = {(across[0][0] + across[0][1]) / 2, (across[1][0] + across[1][1]) / 2};
  view.left = (centre[0] - half) * view.nearPlane;
  view.right = (centre[0] + half) * view.nearPlane;
  view.bottom = (centre[1] - half) * view.nearPlane;
  view.top = (centre[1] + half) * view.nearPlane;
  return true;
}

void LoadSquareView(const SquareView& view) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glFrustum(view.left, view.right, view.bottom, view.top, view.nearPlane, view.farPlane);
  glTranslated(0, 0, -view.cameraBack);
}
