#pragma once
// What the renderer works out once per shape and keeps in Shape::prepared: each fill
// style's region as oriented outlines, each line style's strokes as connected chains,
// the extent of all points, and a colour table cache per gradient.

#include <array>
#include <cstdint>
#include <vector>

#include "swf/format/records.h"
#include "swf/render/gradient_colors.h"

namespace tavelin::swf::render {

// Outlines in shape twips. kMove starts a chain at one point; kLine and kQuad continue it
// (one and two points); kClose marks the chain as a closed loop (its last point is its
// first), which strokes join instead of capping.
struct ShapeOutline {
  enum Verb : std::uint8_t { kMove, kLine, kQuad, kClose };
  std::vector<Point> points;
  std::vector<Verb> verbs;
  bool Empty() const { return verbs.empty(); }
};

// The colour table of a gradient fill for the colour transform it was last built for.
struct GradientColors {
  bool valid = false;
  ColorTransform cxform;
  GradientTable colors;  // empty until a gradient fill is first drawn
};

// The extent of an outline's points (control points included), in twips.
struct TwipsBox {
  std::int32_t minX = 0, minY = 0, maxX = -1, maxY = -1;
  bool Empty() const { return maxX < minX; }
};

struct PreparedGroup {
  std::vector<ShapeOutline> fillRegions;  // one per fill style, edges with the fill on their right
  std::vector<TwipsBox> fillExtents;      // one per fill style
  bool fillsMeet = false;                 // some edge has a different fill on each side
  std::vector<ShapeOutline> strokes;      // one per line style
  // Caches for gradient fills (one per fill style and one per line style); filled in
  // while drawing, hence mutable.
  mutable std::vector<GradientColors> fillColors;
  mutable std::vector<GradientColors> lineColors;
  std::size_t pathCount = 0;  // to notice a shape changed after it was prepared
};

struct PreparedShape {
  std::vector<PreparedGroup> groups;
  bool hasPoints = false;
  std::int32_t minX = 0, minY = 0, maxX = 0, maxY = 0;  // every point, control points included
  // How far any stroke's paint reaches from its centre line, in twips: half the widest
  // width, times the miter limit where miters may stick out.
  double strokeReach = 0;
};

// The shape's prepared data, building (or rebuilding, when the shape's lists no longer
// match) it on first use.
const PreparedShape& PrepareShape(const Shape& shape);

}  // namespace tavelin::swf::render
