#pragma once
// The lines of one region in device pixels, clipped to a box of the target. Lines left of
// the box become vertical lines on its left side (they still count for the pixels to
// their right); lines right of, above or below the box are dropped.

#include <cstdint>
#include <vector>

namespace tavelin::swf::render {

struct PixelBox {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // x1 and y1 exclusive
  bool Empty() const { return x0 >= x1 || y0 >= y1; }
  PixelBox Intersect(const PixelBox& o) const;
  PixelBox Union(const PixelBox& o) const;
};

class EdgeList {
 public:
  struct Line {
    float x0, y0, x1, y1;
  };

  // Forgets every line; later lines are clipped to `clip`.
  void Reset(const PixelBox& clip);
  void AddLine(double x0, double y0, double x1, double y1);

  bool Empty() const { return lines_.empty(); }
  const std::vector<Line>& Lines() const { return lines_; }
  // The pixels the stored lines touch, within the clip box.
  PixelBox Bounds() const;

 private:
  void Store(double x0, double y0, double x1, double y1);

  PixelBox clip_;
  std::vector<Line> lines_;
  double minX_ = 0, minY_ = 0, maxX_ = 0, maxY_ = 0;
  bool reachesRight_ = false;  // some piece lay right of the box
};

}  // namespace tavelin::swf::render
