#include "swf/render/prepared_shape.h"

#include <algorithm>
#include <memory>

namespace tavelin::swf::render {
namespace {

void AppendForward(const ShapePath& path, ShapeOutline& out) {
  out.verbs.push_back(ShapeOutline::kMove);
  out.points.push_back(path.start);
  for (const Segment& segment : path.segments) {
    if (segment.curved) {
      out.verbs.push_back(ShapeOutline::kQuad);
      out.points.push_back(segment.control);
    } else {
      out.verbs.push_back(ShapeOutline::kLine);
    }
    out.points.push_back(segment.to);
  }
}

// The same edges run the other way, so that a fill on their left ends up on their right.
void AppendReversed(const ShapePath& path, ShapeOutline& out) {
  const auto& segments = path.segments;
  out.verbs.push_back(ShapeOutline::kMove);
  out.points.push_back(segments.back().to);
  for (std::size_t i = segments.size(); i-- > 0;) {
    const Point from = i == 0 ? path.start : segments[i - 1].to;
    if (segments[i].curved) {
      out.verbs.push_back(ShapeOutline::kQuad);
      out.points.push_back(segments[i].control);
    } else {
      out.verbs.push_back(ShapeOutline::kLine);
    }
    out.points.push_back(from);
  }
}

Point EndOf(const ShapePath& path) { return path.segments.empty() ? path.start : path.segments.back().to; }

// Strokes: paths with the same line style that continue where the previous one ended
// (a style change without a move) form one chain, so their corner is joined.
void BuildStrokes(const StyleGroup& group, PreparedGroup& prepared) {
  const std::size_t lineCount = group.lines.size();
  prepared.strokes.assign(lineCount, {});
  std::uint32_t chainStyle = 0;
  Point chainStart, chainEnd;
  auto closeChain = [&] {
    if (chainStyle == 0) return;
    ShapeOutline& out = prepared.strokes[chainStyle - 1];
    const bool noClose = group.lines[chainStyle - 1].noClose;
    if (!noClose && chainStart == chainEnd && out.verbs.back() != ShapeOutline::kMove) {
      out.verbs.push_back(ShapeOutline::kClose);
    }
    chainStyle = 0;
  };
  for (const ShapePath& path : group.paths) {
    if (path.line == 0 || path.line > lineCount || path.segments.empty()) {
      closeChain();
      continue;
    }
    ShapeOutline& out = prepared.strokes[path.line - 1];
    if (chainStyle == path.line && path.start == chainEnd) {
      // Continue the chain: drop this path's move.
      for (const Segment& segment : path.segments) {
        out.verbs.push_back(segment.curved ? ShapeOutline::kQuad : ShapeOutline::kLine);
        if (segment.curved) out.points.push_back(segment.control);
        out.points.push_back(segment.to);
      }
    } else {
      closeChain();
      AppendForward(path, out);
      chainStyle = path.line;
      chainStart = path.start;
    }
    chainEnd = EndOf(path);
  }
  closeChain();
}

std::shared_ptr<const PreparedShape> Build(const Shape& shape) {
  auto prepared = std::make_shared<PreparedShape>();
  bool first = true;
  auto include = [&](Point p) {
    if (first) {
      prepared->minX = prepared->maxX = p.x;
      prepared->minY = prepared->maxY = p.y;
      first = false;
      return;
    }
    prepared->minX = std::min(prepared->minX, p.x);
    prepared->maxX = std::max(prepared->maxX, p.x);
    prepared->minY = std::min(prepared->minY, p.y);
    prepared->maxY = std::max(prepared->maxY, p.y);
  };
  for (const StyleGroup& group : shape.groups) {
    PreparedGroup& out = prepared->groups.emplace_back();
    const std::size_t fillCount = group.fills.size();
    out.fillRegions.assign(fillCount, {});
    out.fillColors.assign(fillCount, {});
    out.lineColors.assign(group.lines.size(), {});
    out.pathCount = group.paths.size();
    for (const ShapePath& path : group.paths) {
      if (path.segments.empty()) continue;
      // An edge with the same fill on both sides lies inside that fill: no boundary.
      if (path.fill0 != path.fill1) {
        if (path.fill0 != 0 && path.fill1 != 0 && path.fill0 <= fillCount && path.fill1 <= fillCount) out.fillsMeet = true;
        if (path.fill1 != 0 && path.fill1 <= fillCount) AppendForward(path, out.fillRegions[path.fill1 - 1]);
        if (path.fill0 != 0 && path.fill0 <= fillCount) AppendReversed(path, out.fillRegions[path.fill0 - 1]);
      }
      include(path.start);
      for (const Segment& segment : path.segments) {
        if (segment.curved) include(segment.control);
        include(segment.to);
      }
    }
    out.fillExtents.assign(fillCount, {});
    for (std::size_t i = 0; i < fillCount; ++i) {
      TwipsBox& box = out.fillExtents[i];
      for (const Point& p : out.fillRegions[i].points) {
        if (box.Empty()) {
          box = {p.x, p.y, p.x, p.y};
          continue;
        }
        box.minX = std::min(box.minX, p.x), box.minY = std::min(box.minY, p.y);
        box.maxX = std::max(box.maxX, p.x), box.maxY = std::max(box.maxY, p.y);
      }
    }
    BuildStrokes(group, out);
    for (const LineStyle& line : group.lines) {
      const double miter = line.join == JoinStyle::kMiter && line.miterLimit > 1.5f ? std::min(line.miterLimit, 1000.0f) : 1.5;
      prepared->strokeReach = std::max(prepared->strokeReach, line.width * 0.5 * miter);
    }
  }
  prepared->hasPoints = !first;
  return prepared;
}

bool Matches(const PreparedShape& prepared, const Shape& shape) {
  if (prepared.groups.size() != shape.groups.size()) return false;
  for (std::size_t i = 0; i < shape.groups.size(); ++i) {
    const PreparedGroup& group = prepared.groups[i];
    if (group.fillRegions.size() != shape.groups[i].fills.size() ||
        group.strokes.size() != shape.groups[i].lines.size() ||
        group.pathCount != shape.groups[i].paths.size()) {
      return false;
    }
  }
  return true;
}

}  // namespace

const PreparedShape& PrepareShape(const Shape& shape) {
  auto* existing = static_cast<const PreparedShape*>(shape.prepared.get());
  if (existing != nullptr && Matches(*existing, shape)) return *existing;
  auto built = Build(shape);
  shape.prepared = built;
  return *built;
}

}  // namespace tavelin::swf::render
