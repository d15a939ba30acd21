#pragma once
// Builds shapes in code the way the tag decoders hand them over: style groups of fill and
// line styles and paths of edges in twips. Closed outlines drawn clockwise on screen
// (the y axis points down) have their inside on the right, so they carry their fill as
// fill1.

#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>

#include "swf/format/records.h"

namespace tavelin::testing {

class ShapeBuilder {
 public:
  ShapeBuilder() { shape_.groups.emplace_back(); }

  std::uint32_t AddFill(swf::FillStyle fill) {
    Group().fills.push_back(std::move(fill));
    return static_cast<std::uint32_t>(Group().fills.size());
  }
  std::uint32_t AddSolidFill(swf::Rgba color) {
    swf::FillStyle fill;
    fill.color = color;
    return AddFill(fill);
  }
  std::uint32_t AddLine(swf::LineStyle line) {
    Group().lines.push_back(std::move(line));
    return static_cast<std::uint32_t>(Group().lines.size());
  }
  // Later styles and paths go into a new group, drawn above the earlier ones.
  ShapeBuilder& NewGroup() {
    shape_.groups.emplace_back();
    return *this;
  }

  // The styles of the paths started from now on.
  ShapeBuilder& Styles(std::uint32_t fill0, std::uint32_t fill1, std::uint32_t line) {
    fill0_ = fill0, fill1_ = fill1, line_ = line;
    return *this;
  }
  // Starts a path here with the current styles.
  ShapeBuilder& MoveTo(std::int32_t x, std::int32_t y) {
    swf::ShapePath& path = Group().paths.emplace_back();
    path.fill0 = fill0_, path.fill1 = fill1_, path.line = line_;
    path.start = {x, y};
    pen_ = {x, y};
    return *this;
  }
  // Changes styles without moving: the next edges start a new path where the pen is.
  ShapeBuilder& ChangeStyles(std::uint32_t fill0, std::uint32_t fill1, std::uint32_t line) {
    Styles(fill0, fill1, line);
    return MoveTo(pen_.x, pen_.y);
  }
  ShapeBuilder& LineTo(std::int32_t x, std::int32_t y) {
    Group().paths.back().segments.push_back({{}, {x, y}, false});
    pen_ = {x, y};
    return *this;
  }
  ShapeBuilder& CurveTo(std::int32_t cx, std::int32_t cy, std::int32_t x, std::int32_t y) {
    Group().paths.back().segments.push_back({{cx, cy}, {x, y}, true});
    pen_ = {x, y};
    return *this;
  }
  // A clockwise rectangle with the current styles.
  ShapeBuilder& Rect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) {
    return MoveTo(x0, y0).LineTo(x1, y0).LineTo(x1, y1).LineTo(x0, y1).LineTo(x0, y0);
  }
  // A clockwise ellipse of eight quadratic curves with the current styles.
  ShapeBuilder& Ellipse(double cx, double cy, double rx, double ry) {
    constexpr int kPieces = 8;
    const double step = 2 * std::numbers::pi / kPieces;
    const double reach = 1 / std::cos(step / 2);  // control points on the tangents' crossing
    auto at = [&](double angle, double r) {
      return std::pair<std::int32_t, std::int32_t>{static_cast<std::int32_t>(std::lround(cx + rx * r * std::cos(angle))),
                                                   static_cast<std::int32_t>(std::lround(cy + ry * r * std::sin(angle)))};
    };
    const auto [sx, sy] = at(0, 1);
    MoveTo(sx, sy);
    for (int i = 0; i < kPieces; ++i) {
      const auto [qx, qy] = at(step * (i + 0.5), reach);
      const auto [ex, ey] = at(step * (i + 1), 1);
      CurveTo(qx, qy, ex, ey);
    }
    return *this;
  }

  swf::Shape Build() const { return shape_; }

 private:
  swf::StyleGroup& Group() { return shape_.groups.back(); }

  swf::Shape shape_;
  std::uint32_t fill0_ = 0, fill1_ = 0, line_ = 0;
  swf::Point pen_;
};

// Twips in a pixel, for coordinates given in pixels.
constexpr std::int32_t kTwips = 20;

}  // namespace tavelin::testing
