#include "swf/render/path_flattener.h"

#include <algorithm>
#include <cmath>

namespace tavelin::swf::render {
namespace {

// Beyond this many pieces a curve is halved first, so that only its visible parts are
// cut finely.
constexpr int kMaxUniformPieces = 64;
constexpr int kMaxSplitDepth = 40;

bool OutsideCull(const DevicePoint& p0, const DevicePoint& p1, const DevicePoint& p2, const CullBox& cull) {
  return (p0.x < cull.x0 && p1.x < cull.x0 && p2.x < cull.x0) ||
         (p0.x > cull.x1 && p1.x > cull.x1 && p2.x > cull.x1) ||
         (p0.y < cull.y0 && p1.y < cull.y0 && p2.y < cull.y0) ||
         (p0.y > cull.y1 && p1.y > cull.y1 && p2.y > cull.y1);
}

void FlattenQuadAt(const DevicePoint& p0, const DevicePoint& p1, const DevicePoint& p2, const CullBox& cull,
                   std::vector<DevicePoint>& out, int depth) {
  if (OutsideCull(p0, p1, p2, cull)) {
    out.push_back(p2);
    return;
  }
  // Cutting a quadratic into n equal steps of t strays at most |p0 - 2p1 + p2| / (4 n^2),
  // so it takes the fewest n with n^4 >= |p0 - 2p1 + p2|^2 / (4 kFlatness)^2: found by
  // counting up (a curve needs a few pieces), not with two dependent square roots.
  const double ddx = p0.x - 2 * p1.x + p2.x, ddy = p0.y - 2 * p1.y + p2.y;
  const double wantedFourth = (ddx * ddx + ddy * ddy) * (1.0 / (16 * kFlatness * kFlatness));
  constexpr double kMaxFourth = double(kMaxUniformPieces) * kMaxUniformPieces * kMaxUniformPieces * kMaxUniformPieces;
  const bool few = wantedFourth <= kMaxFourth;
  if (!few && depth < kMaxSplitDepth) {
    const DevicePoint a{(p0.x + p1.x) * 0.5, (p0.y + p1.y) * 0.5};
    const DevicePoint b{(p1.x + p2.x) * 0.5, (p1.y + p2.y) * 0.5};
    const DevicePoint mid{(a.x + b.x) * 0.5, (a.y + b.y) * 0.5};
    FlattenQuadAt(p0, a, mid, cull, out, depth + 1);
    FlattenQuadAt(mid, b, p2, cull, out, depth + 1);
    return;
  }
  int pieces = 1;
  if (!few) {
    pieces = kMaxUniformPieces;  // past the split depth (or not a number): the most
  } else {
    while (double(pieces) * pieces * pieces * pieces < wantedFourth) ++pieces;
  }
  const double step = 1.0 / pieces;
  for (int i = 1; i < pieces; ++i) {
    const double t = i * step, u = 1 - t;
    out.push_back({u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x, u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y});
  }
  out.push_back(p2);
}

}  // namespace

void FlattenQuad(DevicePoint p0, DevicePoint p1, DevicePoint p2, const CullBox& cull,
                 std::vector<DevicePoint>& out) {
  FlattenQuadAt(p0, p1, p2, cull, out, 0);
}

void FlattenRegion(const ShapeOutline& outline, const Matrix& matrix, const CullBox& cull,
                   std::vector<DevicePoint>& pieces, EdgeList& edges) {
  std::size_t point = 0;
  DevicePoint pen{};
  for (ShapeOutline::Verb verb : outline.verbs) {
    switch (verb) {
      case ShapeOutline::kMove:
        pen = Transform(matrix, outline.points[point++]);
        break;
      case ShapeOutline::kLine: {
        const DevicePoint to = Transform(matrix, outline.points[point++]);
        edges.AddLine(pen.x, pen.y, to.x, to.y);
        pen = to;
        break;
      }
      case ShapeOutline::kQuad: {
        const DevicePoint control = Transform(matrix, outline.points[point]);
        const DevicePoint to = Transform(matrix, outline.points[point + 1]);
        point += 2;
        pieces.clear();
        FlattenQuadAt(pen, control, to, cull, pieces, 0);
        for (const DevicePoint& p : pieces) {
          edges.AddLine(pen.x, pen.y, p.x, p.y);
          pen = p;
        }
        break;
      }
      case ShapeOutline::kClose:
        break;
    }
  }
}

}  // namespace tavelin::swf::render
