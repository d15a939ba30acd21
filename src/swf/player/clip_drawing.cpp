#include "swf/player/clip_drawing.h"

#include <algorithm>
#include <cmath>

namespace tavelin::swf::player {
namespace {

Point Clamped(Point p) {
  return {std::clamp(p.x, -ClipDrawing::kMaxCoordinate, ClipDrawing::kMaxCoordinate),
          std::clamp(p.y, -ClipDrawing::kMaxCoordinate, ClipDrawing::kMaxCoordinate)};
}

// Where a quadratic curve's coordinate turns back, as a fraction along it (-1: nowhere inside).
double Turn(double from, double control, double to) {
  const double denominator = from - 2 * control + to;
  if (denominator == 0) return -1;
  const double t = (from - control) / denominator;
  return t > 0 && t < 1 ? t : -1;
}

}  // namespace

void ClipDrawing::Clear() { *this = ClipDrawing(); }

Shape& ClipDrawing::Edit() {
  if (!shape_) {
    shape_ = std::make_shared<Shape>();
  } else if (shape_.use_count() > 1) {
    // Shared with a copy of this drawing (a duplicated clip): each goes on with its own.
    shape_ = std::make_shared<Shape>(*shape_);
  }
  shape_->prepared.reset();
  return *shape_;
}

StyleGroup& ClipDrawing::Group() {
  Shape& shape = Edit();
  if (shape.groups.empty()) shape.groups.emplace_back();
  return shape.groups.back();
}

// A group without paths is taken over rather than followed by another, so calls that
// draw nothing add nothing.
void ClipDrawing::StartGroup() {
  Shape& shape = Edit();
  if (shape.groups.empty() || !shape.groups.back().paths.empty()) {
    shape.groups.emplace_back();
  } else {
    shape.groups.back() = StyleGroup();
  }
  lineIndex_ = 0;
  pathOpen_ = false;
}

void ClipDrawing::SetLineStyle(const std::optional<LineStyle>& style) {
  DropProvisionalClose();
  line_ = style;
  lineIndex_ = 0;
  pathOpen_ = false;
  // Outside fills, each line style gets a group of its own so that strokes keep the
  // order they were drawn in (a group paints its line styles one after another).
  if (!filling_ && shape_) StartGroup();
  AddProvisionalClose();
}

void ClipDrawing::BeginFill(const std::optional<FillStyle>& fill) {
  CloseFill();
  if (!fill) return;
  StartGroup();
  Group().fills.push_back(*fill);
  filling_ = true;
  outlineStart_ = pen_;
}

void ClipDrawing::EndFill() { CloseFill(); }

void ClipDrawing::MoveTo(Point to) {
  to = Clamped(to);
  if (filling_) CloseOutline();
  pen_ = to;
  outlineStart_ = to;
  pathOpen_ = false;
}

void ClipDrawing::LineTo(Point to) {
  if (edges_ >= kMaxEdges) return;
  DropProvisionalClose();
  AddEdge(Segment{{}, Clamped(to), false});
  AddProvisionalClose();
}

void ClipDrawing::CurveTo(Point control, Point to) {
  if (edges_ >= kMaxEdges) return;
  DropProvisionalClose();
  AddEdge(Segment{Clamped(control), Clamped(to), true});
  AddProvisionalClose();
}

std::shared_ptr<const Shape> ClipDrawing::AsShape() const { return hasBounds_ ? shape_ : nullptr; }

void ClipDrawing::CloseFill() {
  if (!filling_) return;
  CloseOutline();
  filling_ = false;
  pathOpen_ = false;
}

void ClipDrawing::CloseOutline() {
  DropProvisionalClose();
  // The closing edge is stroked like the others, with the line style now in force.
  if (pen_ != outlineStart_) AddEdge(Segment{{}, outlineStart_, false});
  pathOpen_ = false;
}

void ClipDrawing::AddEdge(const Segment& segment) {
  const bool stroked = line_.has_value();
  if (!stroked && !filling_) {
    // Neither filled nor stroked: the pen just moves.
    pen_ = segment.to;
    pathOpen_ = false;
    return;
  }
  StyleGroup& group = Group();
  if (stroked && lineIndex_ == 0) {
    group.lines.push_back(*line_);
    lineIndex_ = static_cast<std::uint32_t>(group.lines.size());
    pathOpen_ = false;
  }
  if (!pathOpen_ || group.paths.empty()) {
    ShapePath& path = group.paths.emplace_back();
    path.fill1 = filling_ ? 1 : 0;
    path.line = stroked ? lineIndex_ : 0;
    path.start = pen_;
    pathOpen_ = true;
  }
  group.paths.back().segments.push_back(segment);
  ++edges_;

  const double margin = stroked ? std::max<double>(line_->width, 20) / 2 : 0;
  Include(pen_.x, pen_.y, margin);
  Include(segment.to.x, segment.to.y, margin);
  if (segment.curved) {
    const double x0 = pen_.x, y0 = pen_.y, cx = segment.control.x, cy = segment.control.y;
    const double x1 = segment.to.x, y1 = segment.to.y;
    for (const double t : {Turn(x0, cx, x1), Turn(y0, cy, y1)}) {
      if (t < 0) continue;
      const double u = 1 - t;
      Include(u * u * x0 + 2 * u * t * cx + t * t * x1, u * u * y0 + 2 * u * t * cy + t * t * y1, margin);
    }
  }
  pen_ = segment.to;
}

// While a fill is open its outline is shown closed by an edge back to its start, kept as
// the group's last path and taken away before the next edge is added.
void ClipDrawing::AddProvisionalClose() {
  if (!filling_ || provisionalClose_ || pen_ == outlineStart_ || !shape_) return;
  // Stroked with the line style in force once that style has drawn an edge in this
  // group (adding styles here would let calls that draw nothing pile them up).
  ShapePath& path = Group().paths.emplace_back();
  path.fill1 = 1;
  path.line = line_ ? lineIndex_ : 0;
  path.start = pen_;
  path.segments.push_back(Segment{{}, outlineStart_, false});
  provisionalClose_ = true;
}

void ClipDrawing::DropProvisionalClose() {
  if (!provisionalClose_) return;
  provisionalClose_ = false;
  StyleGroup& group = Group();
  if (!group.paths.empty()) group.paths.pop_back();
}

void ClipDrawing::Include(double x, double y, double margin) {
  Rect& bounds = Edit().bounds;
  const auto low = [](double v) { return static_cast<std::int32_t>(std::floor(v)); };
  const auto high = [](double v) { return static_cast<std::int32_t>(std::ceil(v)); };
  const Rect point{low(x - margin), high(x + margin), low(y - margin), high(y + margin)};
  bounds = hasBounds_ ? Enclosing(bounds, point) : point;
  hasBounds_ = true;
}

}  // namespace tavelin::swf::player
