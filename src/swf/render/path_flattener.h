#pragma once
// Maps outlines from shape twips to device pixels and turns their curves into lines fine
// enough for the output: each quadratic curve is cut into pieces that stay within
// kFlatness of it on screen. Curves wholly outside the area of interest are replaced by
// their chord (which leaves the winding inside that area unchanged), so absurd
// coordinates cost no more than the visible part of a shape.

#include <cmath>
#include <cstdint>
#include <vector>

#include "swf/format/records.h"
#include "swf/render/edge_list.h"
#include "swf/render/prepared_shape.h"

namespace tavelin::swf::render {

// Largest distance in pixels between a curve and the lines that stand for it.
inline constexpr double kFlatness = 0.2;

struct DevicePoint {
  double x = 0, y = 0;
};

// One connected run of a stroke in device pixels.
struct DevicePolyline {
  std::vector<DevicePoint> points;
  bool closed = false;
};

// The area outside which curves need no detail, in device pixels.
struct CullBox {
  double x0, y0, x1, y1;
};

// Adds the region's lines to `edges` (which clips them); `cull` is the edge list's clip
// box and `pieces` scratch space.
void FlattenRegion(const ShapeOutline& outline, const Matrix& matrix, const CullBox& cull,
                   std::vector<DevicePoint>& pieces, EdgeList& edges);

// Where a pixel-hinted stroke's points go: each coordinate to the nearest whole number
// plus `offset` (0.5 puts an odd-width stroke's centre on pixel centres, 0 an even one's
// on pixel boundaries), so its sides fall on pixel boundaries.
struct PixelSnap {
  bool enabled = false;
  double offset = 0;
  DevicePoint operator()(DevicePoint p) const {
    if (!enabled) return p;
    return {std::floor(p.x - offset + 0.5) + offset, std::floor(p.y - offset + 0.5) + offset};
  }
};

// Calls `chain(polyline)` for each chain of `outline`; `scratch` is reused between calls.
// `snap` moves the chain's ends and corners (curves keep their shape between them).
template <class ChainFn>
void FlattenChains(const ShapeOutline& outline, const Matrix& matrix, const CullBox& cull,
                   DevicePolyline& scratch, ChainFn&& chain, PixelSnap snap = {});

// Appends the lines standing for the curve p0-p1-p2 (excluding p0) to `out`.
void FlattenQuad(DevicePoint p0, DevicePoint p1, DevicePoint p2, const CullBox& cull,
                 std::vector<DevicePoint>& out);

inline DevicePoint Transform(const Matrix& m, Point p) {
  const double x = p.x, y = p.y;
  return {m.a * x + m.c * y + m.tx, m.b * x + m.d * y + m.ty};
}

template <class ChainFn>
void FlattenChains(const ShapeOutline& outline, const Matrix& matrix, const CullBox& cull,
                   DevicePolyline& scratch, ChainFn&& chain, PixelSnap snap) {
  std::size_t point = 0;
  bool open = false;
  auto finish = [&] {
    if (open && scratch.points.size() > 0) chain(scratch);
    open = false;
  };
  for (ShapeOutline::Verb verb : outline.verbs) {
    switch (verb) {
      case ShapeOutline::kMove:
        finish();
        scratch.points.clear();
        scratch.closed = false;
        scratch.points.push_back(snap(Transform(matrix, outline.points[point++])));
        open = true;
        break;
      case ShapeOutline::kLine:
        scratch.points.push_back(snap(Transform(matrix, outline.points[point++])));
        break;
      case ShapeOutline::kQuad: {
        const DevicePoint from = scratch.points.back();
        const DevicePoint end = Transform(matrix, outline.points[point + 1]);
        const DevicePoint to = snap(end);
        // The control point moves with the end it is nearer to: the curve keeps its bend.
        DevicePoint control = Transform(matrix, outline.points[point]);
        if (snap.enabled) control = {control.x + (to.x - end.x) * 0.5, control.y + (to.y - end.y) * 0.5};
        point += 2;
        FlattenQuad(from, control, to, cull, scratch.points);
        break;
      }
      case ShapeOutline::kClose:
        scratch.closed = true;
        break;
    }
  }
  finish();
}

}  // namespace tavelin::swf::render
