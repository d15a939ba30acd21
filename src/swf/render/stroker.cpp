#include "swf/render/stroker.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tavelin::swf::render {
namespace {

// Bounds the pieces of a round cap or join on huge strokes.
constexpr int kMaxArcPieces = 128;
// Arcs are cut finer than curves: on thin strokes a cap or join is only a few pixels
// across, and the area an inscribed polygon loses would show.
constexpr double kArcFlatness = kFlatness / 4;

struct Vec {
  double x, y;
};

Vec Direction(DevicePoint from, DevicePoint to) {
  const double dx = to.x - from.x, dy = to.y - from.y;
  const double length = std::sqrt(dx * dx + dy * dy);
  return {dx / length, dy / length};
}

// Emits one closed outline through the edge list.
class OutlinePen {
 public:
  OutlinePen(EdgeList& edges, const StrokeGeometry& g) : edges_(edges), g_(g) {
    // Angle per arc piece so that a piece strays at most kFlatness from the circle.
    const double r = g.halfWidth;
    arcStep_ = r > kArcFlatness ? 2 * std::acos(1 - kArcFlatness / r) : std::numbers::pi / 2;
    arcStep_ = std::max(arcStep_, std::numbers::pi / kMaxArcPieces);
    cosArcStep_ = std::cos(arcStep_);
    // A turn is gentle when the two offset lines' crossing lies within kArcFlatness of
    // where any join would put the outline: r (1 / cos(turn / 2) - 1) <= flatness.
    const double halfTurnCos = r / (r + kArcFlatness);
    cosGentle_ = 2 * halfTurnCos * halfTurnCos - 1;
  }

  bool Gentle(Vec u0, Vec u1) const { return u0.x * u1.x + u0.y * u1.y >= cosGentle_; }

  // Where the offset lines of the runs along u0 and u1 cross, near `corner`.
  DevicePoint Crossing(DevicePoint corner, Vec u0, Vec u1) const {
    const double scale = g_.halfWidth / (1 + u0.x * u1.x + u0.y * u1.y);
    return {corner.x - (u0.y + u1.y) * scale, corner.y + (u0.x + u1.x) * scale};
  }

  // Whether turning by the angle between unit vectors with this dot product needs more
  // than the single chord.
  bool NeedsArc(double dot) const { return dot < cosArcStep_; }

  void MoveTo(DevicePoint p) { start_ = pen_ = p; }
  void LineTo(DevicePoint p) {
    edges_.AddLine(pen_.x, pen_.y, p.x, p.y);
    pen_ = p;
  }
  void Close() { LineTo(start_); }

  DevicePoint Offset(DevicePoint p, Vec u) const { return {p.x - u.y * g_.halfWidth, p.y + u.x * g_.halfWidth}; }

  // From the pen (at the start offset of `radius` turned by `from`) along the circle
  // round `centre` by `sweep` radians.
  void Arc(DevicePoint centre, Vec from, double sweep) {
    const int pieces = std::clamp(static_cast<int>(std::ceil(std::fabs(sweep) / arcStep_)), 1, kMaxArcPieces);
    const double step = sweep / pieces;
    const double r = g_.halfWidth;
    // Turn the radius step by step; the error over at most kMaxArcPieces rotations stays
    // far below a pixel's fraction.
    const double c = std::cos(step), s = std::sin(step);
    Vec at = from;
    for (int i = 1; i <= pieces; ++i) {
      at = {at.x * c - at.y * s, at.x * s + at.y * c};
      LineTo({centre.x + at.x * r, centre.y + at.y * r});
    }
  }

  // At the end of a run going along `u`, from its offset side to the other.
  void Cap(DevicePoint end, Vec u, CapStyle cap) {
    const double r = g_.halfWidth;
    const DevicePoint other{end.x + u.y * r, end.y - u.x * r};
    switch (cap) {
      case CapStyle::kRound:
        Arc(end, {-u.y, u.x}, -std::numbers::pi);
        break;
      case CapStyle::kSquare:
        LineTo({pen_.x + u.x * r, pen_.y + u.y * r});
        LineTo({other.x + u.x * r, other.y + u.y * r});
        LineTo(other);
        break;
      case CapStyle::kNone:
        LineTo(other);
        break;
    }
  }

  // At `corner`, from the offset of the run along u0 to the offset of the run along u1.
  void Join(DevicePoint corner, Vec u0, Vec u1) {
    const double cross = u0.x * u1.y - u0.y * u1.x;
    const double dot = u0.x * u1.x + u0.y * u1.y;
    const DevicePoint next = Offset(corner, u1);
    if (std::fabs(cross) < 1e-9 && dot > 0) {
      LineTo(next);
      return;
    }
    if (cross > 0) {
      // The inner side of the turn: through the corner, which the non-zero rule fills.
      LineTo(corner);
      LineTo(next);
      return;
    }
    const double r = g_.halfWidth;
    switch (g_.join) {
      case JoinStyle::kRound:
        if (!NeedsArc(dot)) {
          LineTo(next);  // a gentle turn: the arc is within the flatness of its chord
        } else {
          // Always round the outside: a full reversal gives atan2 = +pi, the wrong way.
          Arc(corner, {-u0.y, u0.x}, -std::fabs(std::atan2(cross, dot)));
        }
        break;
      case JoinStyle::kBevel:
        LineTo(next);
        break;
      case JoinStyle::kMiter: {
        // The miter's tip lies along the bisector of the two offsets, 1/cos(turn/2)
        // half widths away; past the limit the tip is cut off square to the bisector.
        Vec bisector{(-u0.y - u1.y), (u0.x + u1.x)};
        double length = std::sqrt(bisector.x * bisector.x + bisector.y * bisector.y);
        if (length < 1e-9) {
          bisector = u0;
          length = 1;
        }
        bisector = {bisector.x / length, bisector.y / length};
        const double halfTurnCos = length * 0.5;  // |n0 + n1| / 2 for unit normals
        const double reach = halfTurnCos > 1e-9 ? 1 / halfTurnCos : 1e9;
        if (reach <= g_.miterLimit) {
          LineTo({corner.x + bisector.x * r * reach, corner.y + bisector.y * r * reach});
        } else {
          // Along each offset line up to the cut: (n + s u) . bisector = limit.
          const double along0 = u0.x * bisector.x + u0.y * bisector.y;
          const double off0 = -u0.y * bisector.x + u0.x * bisector.y;
          const double s = along0 > 1e-9 ? (g_.miterLimit - off0) / along0 : 0;
          LineTo({pen_.x + u0.x * s * r, pen_.y + u0.y * s * r});
          LineTo({next.x - u1.x * s * r, next.y - u1.y * s * r});
        }
        LineTo(next);
        break;
      }
    }
  }

 private:
  EdgeList& edges_;
  const StrokeGeometry& g_;
  DevicePoint start_{}, pen_{};
  double arcStep_ = 0.1;
  double cosArcStep_ = 1;
  double cosGentle_ = 1;
};

// Runs along `points` on the offset side: from the first run's offset to the last run's
// offset at the last point, joining at each inner point. Gentle turns (most of a
// flattened curve's) go straight to the offset lines' crossing: one line, not two or three.
void Side(OutlinePen& pen, const std::vector<DevicePoint>& points, bool forward) {
  const std::size_t n = points.size();
  auto at = [&](std::size_t i) { return forward ? points[i] : points[n - 1 - i]; };
  Vec u = Direction(at(0), at(1));
  for (std::size_t i = 0; i + 1 < n; ++i) {
    if (i + 2 >= n) {
      pen.LineTo(pen.Offset(at(i + 1), u));
      break;
    }
    const Vec next = Direction(at(i + 1), at(i + 2));
    if (pen.Gentle(u, next)) {
      pen.LineTo(pen.Crossing(at(i + 1), u, next));
    } else {
      pen.LineTo(pen.Offset(at(i + 1), u));
      pen.Join(at(i + 1), u, next);
    }
    u = next;
  }
}

void ClosedLoop(OutlinePen& pen, const std::vector<DevicePoint>& points, bool forward) {
  const std::size_t n = points.size();
  auto at = [&](std::size_t i) { return forward ? points[i % n] : points[n - 1 - (i % n)]; };
  pen.MoveTo(pen.Offset(at(0), Direction(at(0), at(1))));
  Vec u = Direction(at(0), at(1));
  for (std::size_t i = 0; i < n; ++i) {
    const Vec next = Direction(at(i + 1), at(i + 2));
    if (pen.Gentle(u, next)) {
      pen.LineTo(pen.Crossing(at(i + 1), u, next));
    } else {
      pen.LineTo(pen.Offset(at(i + 1), u));
      pen.Join(at(i + 1), u, next);
    }
    u = next;
  }
  pen.Close();
}

}  // namespace

void StrokePolyline(const DevicePolyline& line, const StrokeGeometry& geometry,
                    std::vector<DevicePoint>& points, EdgeList& edges) {
  // Repeated points have no direction.
  points.clear();
  for (const DevicePoint& p : line.points) {
    if (!points.empty() && std::fabs(p.x - points.back().x) < 1e-9 && std::fabs(p.y - points.back().y) < 1e-9) continue;
    points.push_back(p);
  }
  bool closed = line.closed;
  if (closed && points.size() > 1 && std::fabs(points.front().x - points.back().x) < 1e-9 &&
      std::fabs(points.front().y - points.back().y) < 1e-9) {
    points.pop_back();
  }
  OutlinePen pen(edges, geometry);
  if (points.size() == 1) {
    // A dot: what the caps make of a line of no length.
    const DevicePoint p = points[0];
    const double r = geometry.halfWidth;
    if (geometry.startCap == CapStyle::kRound) {
      pen.MoveTo({p.x + r, p.y});
      pen.Arc(p, {1, 0}, 2 * std::numbers::pi);
      pen.Close();
    } else if (geometry.startCap == CapStyle::kSquare) {
      pen.MoveTo({p.x - r, p.y - r});
      pen.LineTo({p.x + r, p.y - r});
      pen.LineTo({p.x + r, p.y + r});
      pen.LineTo({p.x - r, p.y + r});
      pen.Close();
    }
    return;
  }
  if (closed && points.size() >= 2) {
    ClosedLoop(pen, points, true);
    ClosedLoop(pen, points, false);
    return;
  }
  const std::size_t n = points.size();
  pen.MoveTo(pen.Offset(points[0], Direction(points[0], points[1])));
  Side(pen, points, true);
  pen.Cap(points[n - 1], Direction(points[n - 2], points[n - 1]), geometry.endCap);
  Side(pen, points, false);
  pen.Cap(points[0], Direction(points[1], points[0]), geometry.startCap);
  pen.Close();
}

}  // namespace tavelin::swf::render
