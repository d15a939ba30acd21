#include "swf/player/hit_test.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "swf/player/timeline_runner.h"

namespace tavelin::swf::player {
namespace {

// Counts how often a ray from (x, y) to the right crosses the edge a-b.
int Crossings(double ax, double ay, double bx, double by, double x, double y) {
  if ((ay > y) == (by > y)) return 0;
  const double at = ax + (y - ay) * (bx - ax) / (by - ay);
  return at > x ? 1 : 0;
}

// The squared distance from (x, y) to the edge a-b.
double DistanceSquared(double ax, double ay, double bx, double by, double x, double y) {
  const double dx = bx - ax, dy = by - ay;
  const double length = dx * dx + dy * dy;
  double t = length > 0 ? ((x - ax) * dx + (y - ay) * dy) / length : 0;
  t = t < 0 ? 0 : (t > 1 ? 1 : t);
  const double px = ax + t * dx - x, py = ay + t * dy - y;
  return px * px + py * py;
}

// Calls `edge` with each straight piece of the path, curves cut into eight.
template <typename Edge>
bool AnyPiece(const ShapePath& path, Edge&& edge) {
  double px = path.start.x, py = path.start.y;
  for (const Segment& segment : path.segments) {
    if (segment.curved) {
      constexpr int kSteps = 8;
      double lx = px, ly = py;
      for (int i = 1; i <= kSteps; ++i) {
        const double t = static_cast<double>(i) / kSteps, u = 1 - t;
        const double nx = u * u * px + 2 * u * t * segment.control.x + t * t * segment.to.x;
        const double ny = u * u * py + 2 * u * t * segment.control.y + t * t * segment.to.y;
        if (edge(lx, ly, nx, ny)) return true;
        lx = nx;
        ly = ny;
      }
    } else if (edge(px, py, segment.to.x, segment.to.y)) {
      return true;
    }
    px = segment.to.x;
    py = segment.to.y;
  }
  return false;
}

// Whether (x, y) lies within half a line's width of the path (a hairline counts as one
// pixel wide).
bool OnStroke(const StyleGroup& group, const ShapePath& path, double x, double y) {
  if (path.line == 0 || path.line > group.lines.size()) return false;
  const double half = std::max<double>(group.lines[path.line - 1].width, 20) / 2;
  return AnyPiece(path, [&](double ax, double ay, double bx, double by) {
    return DistanceSquared(ax, ay, bx, by, x, y) <= half * half;
  });
}

}  // namespace

Matrix Inverse(const Matrix& m) {
  const double det = m.a * m.d - m.b * m.c;
  if (det == 0 || !std::isfinite(det)) return Matrix{};
  return Matrix{m.d / det, -m.b / det, -m.c / det, m.a / det, (m.c * m.ty - m.d * m.tx) / det, (m.b * m.tx - m.a * m.ty) / det};
}

bool ShapeContains(const Shape& shape, double x, double y) {
  if (x < shape.bounds.xMin || x > shape.bounds.xMax || y < shape.bounds.yMin || y > shape.bounds.yMax) return false;
  for (const StyleGroup& group : shape.groups) {
    // Per fill style, the parity of crossings by the edges that border it on one side.
    std::vector<int> parity(group.fills.size() + 1, 0);
    for (const ShapePath& path : group.paths) {
      if (OnStroke(group, path, x, y)) return true;
      if (path.fill0 == path.fill1) continue;
      AnyPiece(path, [&](double ax, double ay, double bx, double by) {
        if (Crossings(ax, ay, bx, by, x, y)) {
          if (path.fill0 && path.fill0 < parity.size()) parity[path.fill0] ^= 1;
          if (path.fill1 && path.fill1 < parity.size()) parity[path.fill1] ^= 1;
        }
        return false;
      });
    }
    for (std::size_t i = 1; i < parity.size(); ++i) {
      if (parity[i]) return true;
    }
  }
  return false;
}

bool ObjectContains(const DisplayObject& object, double x, double y, int nesting, bool evenHidden) {
  if (nesting > kMaxNesting || (!object.visible && !evenHidden)) return false;
  const Matrix toLocal = Inverse(object.matrix);
  const double lx = toLocal.a * x + toLocal.c * y + toLocal.tx;
  const double ly = toLocal.b * x + toLocal.d * y + toLocal.ty;
  if (const auto* shape = std::get_if<std::shared_ptr<const Shape>>(&object.character)) return ShapeContains(**shape, lx, ly);
  if (object.morphed) return ShapeContains(*object.morphed, lx, ly);
  if (const auto* text = std::get_if<std::shared_ptr<const TextCharacter>>(&object.character)) {
    const Rect& b = (*text)->bounds;
    return lx >= b.xMin && lx <= b.xMax && ly >= b.yMin && ly <= b.yMax;
  }
  if (!object.timeline) return false;
  if (const auto drawn = object.timeline->Drawn(); drawn && ShapeContains(*drawn, lx, ly)) return true;
  if (object.hitArea) {
    for (const auto& [depth, child] : object.hitArea->list) {
      if (ObjectContains(child, lx, ly, nesting + 1)) return true;
    }
    return false;
  }
  // A mask hides the depths up to its clip depth where it does not cover the point.
  struct Mask {
    std::int32_t depth, clipDepth;
    bool covers;
  };
  std::vector<Mask> masks;
  for (const auto& [depth, child] : object.timeline->list) {
    if (child.clipDepth > 0) {
      masks.push_back(Mask{depth, child.clipDepth, ObjectContains(child, lx, ly, nesting + 1)});
      continue;
    }
    const bool hidden = std::any_of(masks.begin(), masks.end(), [depth = depth](const Mask& mask) {
      return !mask.covers && depth > mask.depth && depth <= mask.clipDepth;
    });
    if (!hidden && ObjectContains(child, lx, ly, nesting + 1)) return true;
  }
  return false;
}

}  // namespace tavelin::swf::player
