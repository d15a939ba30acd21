#include "swf/render/coverage_rasterizer.h"

#include <algorithm>
#include <cmath>

namespace tavelin::swf::render {

void CoverageRasterizer::Accumulate(const EdgeList& edges, const PixelBox& box, CoverageMode mode) {
  width_ = box.x1 - box.x0;
  height_ = box.y1 - box.y0;
  // Two spare cells: a line on the right side writes one and two cells past the last pixel.
  stride_ = width_ + 2;
  const std::size_t needed = static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height_);
  if (cells_.size() < needed) cells_.resize(needed, 0.0f);
  if (coverage_.size() < static_cast<std::size_t>(width_)) coverage_.resize(static_cast<std::size_t>(width_));

  const float ox = static_cast<float>(box.x0), oy = static_cast<float>(box.y0);
  const float maxX = static_cast<float>(width_), maxY = static_cast<float>(height_);
  for (const EdgeList::Line& line : edges.Lines()) {
    // The lines are already inside the box; the clamps only absorb float rounding.
    const float x0 = std::clamp(line.x0 - ox, 0.0f, maxX), y0 = std::clamp(line.y0 - oy, 0.0f, maxY);
    const float x1 = std::clamp(line.x1 - ox, 0.0f, maxX), y1 = std::clamp(line.y1 - oy, 0.0f, maxY);
    if (mode == CoverageMode::kCentre) {
      AddCentreLine(x0, y0, x1, y1);
    } else {
      AddAreaLine(x0, y0, x1, y1);
    }
  }
}

void CoverageRasterizer::AddAreaLine(float x0, float y0, float x1, float y1) {
  if (y0 == y1) return;
  float dir = 1.0f;
  if (y0 > y1) {
    std::swap(x0, x1);
    std::swap(y0, y1);
    dir = -1.0f;
  }
  const float dxdy = (x1 - x0) / (y1 - y0);
  const int rowEnd = std::min(height_, static_cast<int>(std::ceil(y1)));
  float xTop = x0;
  for (int row = static_cast<int>(y0); row < rowEnd; ++row) {
    const float top = std::max(static_cast<float>(row), y0);
    const float bottom = std::min(static_cast<float>(row + 1), y1);
    if (bottom <= top) continue;
    const float xBottom = bottom == y1 ? x1 : x0 + (bottom - y0) * dxdy;
    const float height = (bottom - top) * dir;
    float* cells = cells_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(stride_);
    const float left = std::min(xTop, xBottom), right = std::max(xTop, xBottom);
    const int first = static_cast<int>(left);  // left >= 0
    const int last = static_cast<int>(std::ceil(right));
    if (last <= first + 1) {
      // Inside one column: the pixel keeps the part right of the line's mean x.
      const float inside = (static_cast<float>(first) + 1.0f) - (left + right) * 0.5f;
      cells[first] += height * inside;
      cells[first + 1] += height * (1.0f - inside);
    } else {
      // Across columns: the covered part of the band grows linearly from `left` to
      // `right`; its integral from the left gives each column's share.
      const float span = right - left;
      auto integral = [&](float x) {
        if (x <= left) return 0.0f;
        if (x >= right) return span * 0.5f + (x - right);
        const float d = x - left;
        return d * d / (2.0f * span);
      };
      float previous = 0.0f;
      float below = integral(static_cast<float>(first));
      for (int column = first; column < last; ++column) {
        const float above = integral(static_cast<float>(column + 1));
        const float covered = above - below;
        cells[column] += height * (covered - previous);
        previous = covered;
        below = above;
      }
      cells[last] += height * (1.0f - previous);
    }
    xTop = xBottom;
  }
}

void CoverageRasterizer::AddCentreLine(float x0, float y0, float x1, float y1) {
  if (y0 == y1) return;
  const float dir = y0 < y1 ? 1.0f : -1.0f;
  if (y0 > y1) {
    std::swap(x0, x1);
    std::swap(y0, y1);
  }
  const float dxdy = (x1 - x0) / (y1 - y0);
  // Rows whose centre lies in [y0, y1): the crossing counts for every pixel whose
  // centre lies right of it.
  const int rowBegin = static_cast<int>(std::ceil(y0 - 0.5f));
  const int rowEnd = std::min(height_, static_cast<int>(std::ceil(y1 - 0.5f)));
  for (int row = std::max(rowBegin, 0); row < rowEnd; ++row) {
    const float x = x0 + (static_cast<float>(row) + 0.5f - y0) * dxdy;
    const int column = std::clamp(static_cast<int>(std::floor(x + 0.5f)), 0, width_ + 1);
    cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(stride_) + static_cast<std::size_t>(column)] += dir;
  }
}

void CoverageRasterizer::SweepRow(int row, FillRule rule, CoverageMode mode, int& first, int& count) {
  float* cells = cells_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(stride_);
  std::uint8_t* out = coverage_.data();
  int lo = width_, hi = -1;
  float winding = 0.0f;
  for (int x = 0; x < width_; ++x) {
    winding += cells[x];
    cells[x] = 0.0f;
    float amount = std::fabs(winding);
    if (rule == FillRule::kEvenOdd) {
      if (amount > 1.0f) {
        amount = std::fmod(amount, 2.0f);
        if (amount > 1.0f) amount = 2.0f - amount;
      }
    } else if (amount > 1.0f) {
      amount = 1.0f;
    }
    int value;
    if (mode == CoverageMode::kCentre) {
      value = amount > 0.5f ? 255 : 0;
    } else if (mode == CoverageMode::kQuarterArea) {
      value = static_cast<int>(amount * 4.0f + 0.5f) * 255 / 4;
    } else {
      value = static_cast<int>(amount * 255.0f + 0.5f);
    }
    out[x] = static_cast<std::uint8_t>(value);
    if (value != 0) {
      if (x < lo) lo = x;
      hi = x;
    }
  }
  cells[width_] = 0.0f;
  cells[width_ + 1] = 0.0f;
  first = lo;
  count = hi >= lo ? hi - lo + 1 : 0;
}

}  // namespace tavelin::swf::render
