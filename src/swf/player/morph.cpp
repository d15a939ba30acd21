#include "swf/player/morph.h"

#include <cmath>

namespace tavelin::swf::player {
namespace {

double Lerp(double a, double b, double t) { return a + (b - a) * t; }

std::int32_t LerpInt(std::int32_t a, std::int32_t b, double t) {
  return static_cast<std::int32_t>(std::lround(Lerp(a, b, t)));
}

std::uint8_t LerpByte(std::uint8_t a, std::uint8_t b, double t) {
  return static_cast<std::uint8_t>(std::lround(Lerp(a, b, t)));
}

Rgba LerpColor(Rgba a, Rgba b, double t) {
  return {LerpByte(a.r, b.r, t), LerpByte(a.g, b.g, t), LerpByte(a.b, b.b, t), LerpByte(a.a, b.a, t)};
}

Point LerpPoint(Point a, Point b, double t) { return {LerpInt(a.x, b.x, t), LerpInt(a.y, b.y, t)}; }

Matrix LerpMatrix(const Matrix& a, const Matrix& b, double t) {
  return {Lerp(a.a, b.a, t), Lerp(a.b, b.b, t), Lerp(a.c, b.c, t), Lerp(a.d, b.d, t), Lerp(a.tx, b.tx, t), Lerp(a.ty, b.ty, t)};
}

FillStyle LerpFill(const FillStyle& a, const FillStyle& b, double t) {
  FillStyle fill = a;
  fill.color = LerpColor(a.color, b.color, t);
  fill.matrix = LerpMatrix(a.matrix, b.matrix, t);
  for (std::size_t i = 0; i < fill.gradient.stops.size() && i < b.gradient.stops.size(); ++i) {
    fill.gradient.stops[i].ratio = LerpByte(a.gradient.stops[i].ratio, b.gradient.stops[i].ratio, t);
    fill.gradient.stops[i].color = LerpColor(a.gradient.stops[i].color, b.gradient.stops[i].color, t);
  }
  fill.gradient.focalPoint = static_cast<float>(Lerp(a.gradient.focalPoint, b.gradient.focalPoint, t));
  return fill;
}

// A straight edge as a curve, for blending with a curved partner.
Point Control(const Segment& s, Point from) {
  return s.curved ? s.control : Point{static_cast<std::int32_t>((std::int64_t{from.x} + s.to.x) / 2),
                                      static_cast<std::int32_t>((std::int64_t{from.y} + s.to.y) / 2)};
}

}  // namespace

std::shared_ptr<const Shape> MorphAt(const MorphCharacter& morph, std::uint16_t ratio) {
  const format::MorphShapeDefinition& def = morph.definition;
  const double t = ratio / 65535.0;
  auto shape = std::make_shared<Shape>();
  shape->bounds = {LerpInt(def.startBounds.xMin, def.endBounds.xMin, t), LerpInt(def.startBounds.xMax, def.endBounds.xMax, t),
                   LerpInt(def.startBounds.yMin, def.endBounds.yMin, t), LerpInt(def.startBounds.yMax, def.endBounds.yMax, t)};
  StyleGroup group;
  for (std::size_t i = 0; i < def.startFills.size(); ++i) group.fills.push_back(LerpFill(def.startFills[i], def.endFills[i], t));
  for (std::size_t i = 0; i < def.startLines.size(); ++i) {
    const LineStyle& a = def.startLines[i];
    const LineStyle& b = def.endLines[i];
    LineStyle line = a;
    line.width = static_cast<std::uint16_t>(std::lround(Lerp(a.width, b.width, t)));
    line.color = LerpColor(a.color, b.color, t);
    if (a.hasFill) line.fill = LerpFill(a.fill, b.fill, t);
    group.lines.push_back(line);
  }
  for (const format::MorphPath& path : def.paths) {
    ShapePath out;
    out.fill0 = path.fill0;
    out.fill1 = path.fill1;
    out.line = path.line;
    out.start = LerpPoint(path.start0, path.start1, t);
    Point from0 = path.start0, from1 = path.start1;
    for (const format::MorphSegment& s : path.segments) {
      Segment blended;
      blended.curved = s.start.curved || s.end.curved;
      blended.to = LerpPoint(s.start.to, s.end.to, t);
      blended.control = blended.curved ? LerpPoint(Control(s.start, from0), Control(s.end, from1), t) : blended.to;
      out.segments.push_back(blended);
      from0 = s.start.to;
      from1 = s.end.to;
    }
    group.paths.push_back(std::move(out));
  }
  shape->groups.push_back(std::move(group));
  return shape;
}

}  // namespace tavelin::swf::player
