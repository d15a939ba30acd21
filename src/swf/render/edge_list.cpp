#include "swf/render/edge_list.h"

#include <algorithm>
#include <cmath>

namespace tavelin::swf::render {

PixelBox PixelBox::Intersect(const PixelBox& o) const {
  return {std::max(x0, o.x0), std::max(y0, o.y0), std::min(x1, o.x1), std::min(y1, o.y1)};
}

PixelBox PixelBox::Union(const PixelBox& o) const {
  if (Empty()) return o;
  if (o.Empty()) return *this;
  return {std::min(x0, o.x0), std::min(y0, o.y0), std::max(x1, o.x1), std::max(y1, o.y1)};
}

void EdgeList::Reset(const PixelBox& clip) {
  clip_ = clip;
  lines_.clear();
  minX_ = minY_ = 1e300;
  maxX_ = maxY_ = -1e300;
  reachesRight_ = false;
}

void EdgeList::AddLine(double x0, double y0, double x1, double y1) {
  if (y0 == y1) return;  // horizontal lines cover nothing
  const double top = clip_.y0, bottom = clip_.y1, left = clip_.x0, right = clip_.x1;
  // Most lines lie inside the box (this also refuses NaN, which fails every comparison).
  if (x0 >= left && x0 <= right && x1 >= left && x1 <= right && y0 >= top && y0 <= bottom && y1 >= top &&
      y1 <= bottom) {
    Store(x0, y0, x1, y1);
    return;
  }
  if (clip_.Empty()) return;
  if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return;
  if ((y0 <= top && y1 <= top) || (y0 >= bottom && y1 >= bottom)) return;
  if (x0 >= right && x1 >= right) {
    reachesRight_ = true;
    return;
  }

  // Clip to the rows, keeping the direction (it carries the winding).
  const double dxdy = (x1 - x0) / (y1 - y0);
  auto xAt = [&](double y) { return x0 + (y - y0) * dxdy; };
  double ax = x0, ay = y0, bx = x1, by = y1;
  if (ay < top) ax = xAt(top), ay = top;
  if (ay > bottom) ax = xAt(bottom), ay = bottom;
  if (by < top) bx = xAt(top), by = top;
  if (by > bottom) bx = xAt(bottom), by = bottom;

  // Split where the line crosses the left and right sides; pieces right of the box
  // change no visible pixel, pieces left of it become vertical lines on its left side.
  double cuts[4] = {0, 0, 0, 1};
  int count = 1;
  if ((ax < left) != (bx < left)) cuts[count++] = (left - ax) / (bx - ax);
  if ((ax > right) != (bx > right)) cuts[count++] = (right - ax) / (bx - ax);
  if (count == 3 && cuts[1] > cuts[2]) std::swap(cuts[1], cuts[2]);
  cuts[count++] = 1;
  for (int i = 0; i + 1 < count; ++i) {
    const double ta = cuts[i], tb = cuts[i + 1];
    if (tb <= ta) continue;
    const double midX = ax + (bx - ax) * (ta + tb) * 0.5;
    if (midX >= right) {
      reachesRight_ = true;
      continue;
    }
    const double pax = std::clamp(ax + (bx - ax) * ta, left, right);
    const double pbx = std::clamp(ax + (bx - ax) * tb, left, right);
    const double pay = ay + (by - ay) * ta, pby = ay + (by - ay) * tb;
    Store(midX <= left ? left : pax, pay, midX <= left ? left : pbx, pby);
  }
}

void EdgeList::Store(double x0, double y0, double x1, double y1) {
  if (y0 == y1) return;
  lines_.push_back({static_cast<float>(x0), static_cast<float>(y0), static_cast<float>(x1),
                    static_cast<float>(y1)});
  minX_ = std::min({minX_, x0, x1});
  maxX_ = std::max({maxX_, x0, x1});
  minY_ = std::min({minY_, y0, y1});
  maxY_ = std::max({maxY_, y0, y1});
}

PixelBox EdgeList::Bounds() const {
  if (lines_.empty()) return {};
  const PixelBox touched{static_cast<int>(std::floor(minX_)), static_cast<int>(std::floor(minY_)),
                         static_cast<int>(std::ceil(maxX_)), static_cast<int>(std::ceil(maxY_))};
  // When lines were dropped right of the box, the winding right of the last kept line
  // need not return to zero: the region then reaches the box's right side.
  PixelBox box = touched;
  if (reachesRight_) box.x1 = clip_.x1;
  return box.Intersect(clip_);
}

}  // namespace tavelin::swf::render
