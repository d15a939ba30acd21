#include "swf/render/coverage_rasterizer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "swf/render/cpu_features.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(TAVELIN_RENDER_AVX2)
#include <immintrin.h>
#endif

namespace tavelin::swf::render {
namespace {

// Floor and ceiling of values known to be >= 0 and in int range; truncation avoids the
// library calls std::floor and std::ceil become without SSE4.1.
inline int FloorOf(float v) { return static_cast<int>(v); }
inline int CeilOf(float v) {
  const int i = static_cast<int>(v);
  return static_cast<float>(i) < v ? i + 1 : i;
}

}  // namespace

void CoverageRasterizer::Accumulate(const EdgeList& edges, const PixelBox& box, CoverageMode mode) {
  width_ = box.x1 - box.x0;
  height_ = box.y1 - box.y0;
  // Spare cells: a line on the right side writes up to three cells past the last pixel,
  // and the sweep reads whole groups of eight.
  stride_ = (width_ + 3 + 7) / 8 * 8 + 8;
  // One spare row: a line along the bottom writes zeros into the row below it.
  const std::size_t needed = static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height_ + 1);
  if (cells_.size() < needed) cells_.resize(needed, 0.0f);
  if (coverage_.size() < static_cast<std::size_t>(stride_)) coverage_.resize(static_cast<std::size_t>(stride_));
  blockWords_ = (stride_ + kBlockCells * 64 - 1) / (kBlockCells * 64);
  touchedBlocks_.assign(static_cast<std::size_t>(height_ + 1) * static_cast<std::size_t>(blockWords_), 0);

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
  const int rowEnd = std::min(height_, CeilOf(y1));
  if (std::fabs(dxdy) < 1.0f) {
    AddSteepLine(x0, y0, x1, y1, dxdy, dir, rowEnd);
    return;
  }
  if (std::fabs(dxdy) <= kColumnWiseSlope) {
    AddShallowLine(x0, y0, x1, y1, dxdy, dir);
    return;
  }
  float xTop = x0;
  for (int row = FloorOf(y0); row < rowEnd; ++row) {
    const float top = std::max(static_cast<float>(row), y0);
    const float bottom = std::min(static_cast<float>(row + 1), y1);
    if (bottom <= top) continue;
    const float xBottom = bottom == y1 ? x1 : x0 + (bottom - y0) * dxdy;
    const float height = (bottom - top) * dir;
    float* cells = cells_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(stride_);
    const float left = std::min(xTop, xBottom), right = std::max(xTop, xBottom);
    const int first = FloorOf(left);
    const int last = CeilOf(right);
    if (last <= first + 1) {
      // Inside one column: the pixel keeps the part right of the line's mean x.
      const float inside = (static_cast<float>(first) + 1.0f) - (left + right) * 0.5f;
      cells[first] += height * inside;
      cells[first + 1] += height * (1.0f - inside);
      TouchFew(row, first, first + 1);
    } else {
      // Across columns: the covered part of the band grows linearly from `left` to
      // `right`. With H(x) its integral from the left, column j keeps H(j + 1) - H(j):
      // a square at the first column, a constant step 1/span per column in between, and
      // the rest at the last.
      const float perUnit = 1.0f / (right - left);
      const float halfPerUnit = 0.5f * perUnit;
      const float perColumn = height * perUnit;
      const float lead = static_cast<float>(first + 1) - left;
      const float firstCovered = lead * lead * halfPerUnit;
      cells[first] += height * firstCovered;
      // H(first + 2) - H(first + 1) - firstCovered, when first + 2 <= right.
      float previous = firstCovered;
      if (last > first + 2) {
        const float second = (2.0f * lead + 1.0f) * halfPerUnit;
        cells[first + 1] += height * (second - previous);
        previous = second + static_cast<float>(last - first - 3) * perUnit;
        for (int column = first + 2; column < last - 1; ++column) cells[column] += perColumn;
      }
      // Column last - 1 keeps H(last) - H(last - 1) = 1 - q^2 / (2 span), where q is the
      // part of that column left of `right`.
      const float q = right - static_cast<float>(last - 1);
      const float lastCovered = 1.0f - q * q * halfPerUnit;
      cells[last - 1] += height * (lastCovered - previous);
      cells[last] += height * (1.0f - lastCovered);
      Touch(row, first, last);
    }
    xTop = xBottom;
  }
}

// A line moving less than a pixel sideways per row stays within two columns in each
// row, so each row's share is found without branching on where it crosses a column
// (which varies from row to row and defeats branch prediction). With the line spanning
// `left`..`right` in the row, `e` of that in column `first` and the rest in the next:
//   column first keeps (e / w) * (first + 1 - left - e / 2),
//   column first + 1 keeps e / w + (g / w) * (1 - g / 2), with g = w - e,
// and every column after that the whole band.
void CoverageRasterizer::AddSteepLine(float x0, float y0, float x1, float y1, float dxdy, float dir, int rowEnd) {
  const float w = std::fabs(dxdy);  // how far the line moves sideways in a whole row
  const float perWidth = w > 1e-6f ? 1.0f / w : 0.0f;
  // One row: the line runs from xTop to xBottom over `height` (signed) of it; `span` is
  // how far it moves sideways there and `perSpan` its inverse (0 when it hardly moves).
  auto addRow = [&](float* cells, int row, float xTop, float xBottom, float height, float span, float perSpan) {
    const float left = std::min(xTop, xBottom), right = std::max(xTop, xBottom);
    const int first = FloorOf(left);
    const float boundary = static_cast<float>(first + 1);
    const float e = std::min(right, boundary) - left;
    const float g = span - e;
    const float inFirst = perSpan > 0.0f ? e * perSpan : 1.0f;
    const float c0 = inFirst * (boundary - left - e * 0.5f);
    const float c1 = inFirst + (1.0f - inFirst) * (1.0f - g * 0.5f);
    cells[first] += height * c0;
    cells[first + 1] += height * (c1 - c0);
    cells[first + 2] += height * (1.0f - c1);
    TouchFew(row, first, first + 2);
  };
  int row = FloorOf(y0);
  float* cells = cells_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(stride_);
  const int lastRow = rowEnd - 1;
  if (row >= lastRow) {
    const float span = std::fabs(x1 - x0);
    addRow(cells, row, x0, x1, (y1 - y0) * dir, span, span > 1e-6f ? 1.0f / span : 0.0f);
    return;
  }
  // The first row from y0 down to its bottom, whole rows between, the last from its top
  // to y1: only the two ends need their own heights and widths.
  float xTop = x0 + (static_cast<float>(row + 1) - y0) * dxdy;
  {
    const float span = std::fabs(xTop - x0);
    addRow(cells, row, x0, xTop, (static_cast<float>(row + 1) - y0) * dir, span, span > 1e-6f ? 1.0f / span : 0.0f);
  }
  for (++row, cells += stride_; row < lastRow; ++row, cells += stride_) {
    const float xBottom = xTop + dxdy;
    addRow(cells, row, xTop, xBottom, dir, w, perWidth);
    xTop = xBottom;
  }
  const float span = std::fabs(x1 - xTop);
  addRow(cells, row, xTop, x1, (y1 - static_cast<float>(row)) * dir, span, span > 1e-6f ? 1.0f / span : 0.0f);
}

// A line moving at least a pixel sideways per row, taken a column at a time: within one
// column it rises less than a row, so it lies in at most two rows, r and r + 1. Each part
// gives its height to its row, split between the column and the next by its mean x, like
// a line inside one column. Nothing here depends on where the line crosses a row, so no
// branch mispredicts; parts of no height write zeros (the spare row takes those below the
// last row).
void CoverageRasterizer::AddShallowLine(float x0, float y0, float x1, float y1, float dxdy, float dir) {
  if (x0 > x1) {
    std::swap(x0, x1);
    std::swap(y0, y1);
  }
  const float dydx = (y1 - y0) / (x1 - x0);
  const int columnEnd = CeilOf(x1);
  for (int column = FloorOf(x0); column < columnEnd; ++column) {
    const float left = std::max(static_cast<float>(column), x0);
    const float right = std::min(static_cast<float>(column + 1), x1);
    const float yLeft = left == x0 ? y0 : y0 + (left - x0) * dydx;
    const float yRight = right == x1 ? y1 : y0 + (right - x0) * dydx;
    const bool rising = yLeft <= yRight;
    const float low = rising ? yLeft : yRight, high = rising ? yRight : yLeft;
    const float xLow = rising ? left : right, xHigh = rising ? right : left;
    const int row = std::min(FloorOf(low), height_ - 1);
    const float split = std::min(high, static_cast<float>(row + 1));
    const float xSplit = xLow + (split - low) * dxdy;
    const float below = (split - low) * dir, above = (high - split) * dir;
    const float base = static_cast<float>(column);
    const float meanBelow = (xLow + xSplit) * 0.5f - base, meanAbove = (xSplit + xHigh) * 0.5f - base;
    float* cells = cells_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(stride_) +
                   static_cast<std::size_t>(column);
    cells[0] += below * (1.0f - meanBelow);
    cells[1] += below * meanBelow;
    cells[stride_] += above * (1.0f - meanAbove);
    cells[stride_ + 1] += above * meanAbove;
    TouchFew(row, column, column + 1);
    TouchFew(row + 1, column, column + 1);
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
  // centre lies on it or right of it, so a centre on a left or top edge is inside and
  // one on a right or bottom edge outside, and two shapes sharing an edge never both
  // take (or both miss) the pixels along it.
  const int rowBegin = CeilOf(std::max(y0 - 0.5f, 0.0f));
  const int rowEnd = std::min(height_, CeilOf(std::max(y1 - 0.5f, 0.0f)));
  for (int row = std::max(rowBegin, 0); row < rowEnd; ++row) {
    const float x = x0 + (static_cast<float>(row) + 0.5f - y0) * dxdy;
    const int column = std::clamp(CeilOf(std::max(x - 0.5f, 0.0f)), 0, width_ + 1);
    cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(stride_) + static_cast<std::size_t>(column)] += dir;
    TouchFew(row, column, column);
  }
}

namespace {

template <FillRule kRule, CoverageMode kMode>
inline std::uint8_t CoverageOf(float winding) {
  float amount = std::fabs(winding);
  if constexpr (kRule == FillRule::kEvenOdd) {
    if (amount > 1.0f) {
      amount = std::fmod(amount, 2.0f);
      if (amount > 1.0f) amount = 2.0f - amount;
    }
  } else {
    amount = std::min(amount, 1.0f);
  }
  if constexpr (kMode == CoverageMode::kCentre) {
    return amount > 0.5f ? 255 : 0;
  } else if constexpr (kMode == CoverageMode::kQuarterArea) {
    return static_cast<std::uint8_t>(static_cast<int>(amount * 4.0f + 0.5f) * 255 / 4);
  } else {
    return static_cast<std::uint8_t>(amount * 255.0f + 0.5f);
  }
}

// Running sum over cells [from, to] into out[from..to], clearing the cells; returns the
// winding after `to`.
template <FillRule kRule, CoverageMode kMode>
float Sweep(float* cells, std::uint8_t* out, int from, int to) {
  float winding = 0.0f;
  for (int x = from; x <= to; ++x) {
    winding += cells[x];
    cells[x] = 0.0f;
    out[x] = CoverageOf<kRule, kMode>(winding);
  }
  return winding;
}

// How many blocks from `block` on no line wrote, up to the end of its word of bits (at
// least one when `block` is such a block): the sweep fills longer runs in one go.
inline int UntouchedBlocks(const std::uint64_t* blocks, int block) {
  const std::uint64_t word = blocks[block / 64] >> (block % 64);
  return word == 0 ? 64 - block % 64 : std::countr_zero(word);
}

// Writes `value` over the run of untouched blocks starting at group `x`, no further than
// the group holding `to`; returns the start of the run's last group, after which the
// sweep goes on.
inline int FillUntouched(const std::uint64_t* blocks, int x, int to, std::uint8_t value, std::uint8_t* out) {
  const int run = UntouchedBlocks(blocks, x / 8);
  if (run == 1) {
    std::memset(out + x, value, 8);
    return x;
  }
  const int end = std::min(x + run * 8, (to / 8 + 1) * 8);
  std::memset(out + x, value, static_cast<std::size_t>(end - x));
  return end - 8;
}

#if defined(__SSE2__)
// Sums of the four cells up to each lane.
inline __m128 PrefixSum4(__m128 v) {
  v = _mm_add_ps(v, _mm_castsi128_ps(_mm_slli_si128(_mm_castps_si128(v), 4)));
  return _mm_add_ps(v, _mm_castsi128_ps(_mm_slli_si128(_mm_castps_si128(v), 8)));
}

inline __m128 LastLane(__m128 v) { return _mm_shuffle_ps(v, v, _MM_SHUFFLE(3, 3, 3, 3)); }

template <FillRule kRule>
inline void StoreCoverage4(__m128 winding, std::uint8_t* out) {
  const __m128 half = _mm_set1_ps(0.5f);
  __m128 amount = _mm_andnot_ps(_mm_set1_ps(-0.0f), winding);
  if constexpr (kRule == FillRule::kEvenOdd) {
    // Windings are small whole numbers plus a fraction: fold them into 0..1..0 (needed
    // only past 1, where parts of a region overlap).
    if (_mm_movemask_ps(_mm_cmpgt_ps(amount, _mm_set1_ps(1.0f))) != 0) {
      const __m128 two = _mm_set1_ps(2.0f);
      const __m128 pairs = _mm_cvtepi32_ps(_mm_cvttps_epi32(_mm_mul_ps(amount, half)));
      amount = _mm_sub_ps(amount, _mm_mul_ps(pairs, two));
      amount = _mm_min_ps(amount, _mm_sub_ps(two, amount));
    }
  } else {
    amount = _mm_min_ps(amount, _mm_set1_ps(1.0f));
  }
  const __m128i values = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(amount, _mm_set1_ps(255.0f)), half));
  const int packed = _mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(values, values), _mm_setzero_si128()));
  std::memcpy(out, &packed, 4);
}

// The exact-area sweep eight cells at a time. The running winding is the only chain
// from one group to the next, and it costs one addition per eight cells. Blocks no line
// wrote are all zero: their pixels share the running winding's coverage.
template <FillRule kRule>
float SweepArea8(float* cells, std::uint8_t* out, const std::uint64_t* blocks, int from, int to) {
  // Whole groups, past `to` if need be: the cells there are clear or lie beyond the box,
  // and the coverage written for them is never painted.
  __m128 carry = _mm_setzero_ps();
  int x = from - from % 8;
  for (; x <= to; x += 8) {
    const int block = x / 8;
    if (((blocks[block / 64] >> (block % 64)) & 1) == 0) {
      x = FillUntouched(blocks, x, to, CoverageOf<kRule, CoverageMode::kArea>(_mm_cvtss_f32(carry)), out);
      continue;
    }
    const __m128 a = PrefixSum4(_mm_loadu_ps(cells + x));
    const __m128 b = _mm_add_ps(PrefixSum4(_mm_loadu_ps(cells + x + 4)), LastLane(a));
    _mm_storeu_ps(cells + x, _mm_setzero_ps());
    _mm_storeu_ps(cells + x + 4, _mm_setzero_ps());
    StoreCoverage4<kRule>(_mm_add_ps(a, carry), out + x);
    StoreCoverage4<kRule>(_mm_add_ps(b, carry), out + x + 4);
    carry = _mm_add_ps(carry, LastLane(b));
  }
  return _mm_cvtss_f32(carry);
}
#endif

#if defined(TAVELIN_RENDER_AVX2)
// The same sweep with one 256-bit vector per group of eight.
TAVELIN_TARGET_AVX2 inline __m256 PrefixSum8(__m256 v) {
  v = _mm256_add_ps(v, _mm256_castsi256_ps(_mm256_slli_si256(_mm256_castps_si256(v), 4)));
  v = _mm256_add_ps(v, _mm256_castsi256_ps(_mm256_slli_si256(_mm256_castps_si256(v), 8)));
  // The shifts stay inside each half: carry the low half's total into the high half.
  const __m256 lowTotal = _mm256_permute2f128_ps(v, v, 0x08);  // zero | low half
  return _mm256_add_ps(v, _mm256_shuffle_ps(lowTotal, lowTotal, _MM_SHUFFLE(3, 3, 3, 3)));
}

template <FillRule kRule>
TAVELIN_TARGET_AVX2 inline void StoreCoverage8(__m256 winding, std::uint8_t* out) {
  const __m256 half = _mm256_set1_ps(0.5f);
  __m256 amount = _mm256_andnot_ps(_mm256_set1_ps(-0.0f), winding);
  if constexpr (kRule == FillRule::kEvenOdd) {
    // Mostly no part of a region overlaps another: the fold is needed only past 1.
    const __m256 one = _mm256_set1_ps(1.0f);
    if (_mm256_movemask_ps(_mm256_cmp_ps(amount, one, _CMP_GT_OQ)) != 0) {
      const __m256 two = _mm256_set1_ps(2.0f);
      const __m256 pairs = _mm256_floor_ps(_mm256_mul_ps(amount, half));
      amount = _mm256_sub_ps(amount, _mm256_mul_ps(pairs, two));
      amount = _mm256_min_ps(amount, _mm256_sub_ps(two, amount));
    }
  } else {
    amount = _mm256_min_ps(amount, _mm256_set1_ps(1.0f));
  }
  const __m256i values = _mm256_cvttps_epi32(_mm256_add_ps(_mm256_mul_ps(amount, _mm256_set1_ps(255.0f)), half));
  const __m128i words = _mm_packs_epi32(_mm256_castsi256_si128(values), _mm256_extracti128_si256(values, 1));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(words, words));
}

template <FillRule kRule>
TAVELIN_TARGET_AVX2 float SweepArea8Wide(float* cells, std::uint8_t* out, const std::uint64_t* blocks, int from, int to) {
  __m256 carry = _mm256_setzero_ps();
  const __m256i last = _mm256_set1_epi32(7);
  for (int x = from - from % 8; x <= to; x += 8) {
    const int block = x / 8;
    if (((blocks[block / 64] >> (block % 64)) & 1) == 0) {
      x = FillUntouched(blocks, x, to, CoverageOf<kRule, CoverageMode::kArea>(_mm256_cvtss_f32(carry)), out);
      continue;
    }
    const __m256 sums = _mm256_add_ps(PrefixSum8(_mm256_loadu_ps(cells + x)), carry);
    _mm256_storeu_ps(cells + x, _mm256_setzero_ps());
    StoreCoverage8<kRule>(sums, out + x);
    carry = _mm256_permutevar8x32_ps(sums, last);
  }
  return _mm256_cvtss_f32(carry);
}
#endif

template <FillRule kRule>
float SweepIn(CoverageMode mode, float* cells, std::uint8_t* out, [[maybe_unused]] const std::uint64_t* blocks,
              int from, int to) {
#if defined(TAVELIN_RENDER_AVX2)
  if (mode == CoverageMode::kArea && HasAvx2()) return SweepArea8Wide<kRule>(cells, out, blocks, from, to);
#endif
#if defined(__SSE2__)
  if (mode == CoverageMode::kArea) return SweepArea8<kRule>(cells, out, blocks, from, to);
#endif
  switch (mode) {
    case CoverageMode::kCentre:
      return Sweep<kRule, CoverageMode::kCentre>(cells, out, from, to);
    case CoverageMode::kQuarterArea:
      return Sweep<kRule, CoverageMode::kQuarterArea>(cells, out, from, to);
    case CoverageMode::kArea:
      break;
  }
  return Sweep<kRule, CoverageMode::kArea>(cells, out, from, to);
}

}  // namespace

void CoverageRasterizer::SweepRow(int row, FillRule rule, CoverageMode mode, int& first, int& count) {
  float* cells = cells_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(stride_);
  std::uint8_t* out = coverage_.data();
  const std::uint64_t* touched =
      touchedBlocks_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(blockWords_);
  int firstBlock = -1, lastBlock = -1;
  for (int word = 0; word < blockWords_; ++word) {
    if (touched[word] == 0) continue;
    if (firstBlock < 0) firstBlock = word * 64 + std::countr_zero(touched[word]);
    lastBlock = word * 64 + 63 - std::countl_zero(touched[word]);
  }
  if (firstBlock < 0) {
    first = count = 0;
    return;
  }
  const int from = firstBlock * kBlockCells;
  const int touchedTo = lastBlock * kBlockCells + kBlockCells - 1;
  // Cells past the last pixel hold only what lies beyond the box: cleared, not summed.
  const int to = std::min(touchedTo, width_ - 1);
  float winding = 0.0f;
  if (from <= to) {
    const std::uint64_t* blocks = touched;
    winding = rule == FillRule::kEvenOdd ? SweepIn<FillRule::kEvenOdd>(mode, cells, out, blocks, from, to)
                                         : SweepIn<FillRule::kNonZero>(mode, cells, out, blocks, from, to);
  }
  // The few cells past the last pixel (a call to memset would cost more than they do).
  int x = std::max(from, to + 1);
#if defined(__SSE2__)
  if (touchedTo + 1 - x >= 4) {
    for (; x + 4 <= touchedTo + 1; x += 4) _mm_storeu_ps(cells + x, _mm_setzero_ps());
    if (x <= touchedTo) _mm_storeu_ps(cells + touchedTo - 3, _mm_setzero_ps());
    x = touchedTo + 1;
  }
#endif
  for (; x <= touchedTo; ++x) cells[x] = 0.0f;
  int end = to + 1;
  // Past the last touched cell the winding stays as it is: a region cut by the box's
  // right side goes on to it.
  if (end < width_ && from <= to) {
    const std::uint8_t rest = rule == FillRule::kEvenOdd ? CoverageOf<FillRule::kEvenOdd, CoverageMode::kArea>(winding)
                                                         : CoverageOf<FillRule::kNonZero, CoverageMode::kArea>(winding);
    if (rest != 0) {
      std::fill(out + end, out + width_, mode == CoverageMode::kArea ? rest : std::uint8_t{255});
      end = width_;
    }
  }
  int lo = std::max(from, 0);
  int hi = end - 1;
  // Leading and trailing pixels without coverage, eight at a time where they can be.
  while (lo + 8 <= hi + 1) {
    std::uint64_t word;
    std::memcpy(&word, out + lo, 8);
    if (word != 0) {
      if constexpr (std::endian::native == std::endian::little) lo += std::countr_zero(word) / 8;
      break;
    }
    lo += 8;
  }
  while (lo <= hi && out[lo] == 0) ++lo;
  // Trailing ones a group at a time, reading the groups the sweep stored whole (a read
  // across two of its stores would wait for both to land). The bytes of a group before
  // `lo` are zero, and those past `hi` are masked off.
  if constexpr (std::endian::native == std::endian::little) {
    while (hi >= lo && hi >= 0) {
      const int group = hi - hi % 8;
      std::uint64_t word;
      std::memcpy(&word, out + group, 8);
      const int kept = hi - group + 1;
      if (kept < 8) word &= (std::uint64_t{1} << (kept * 8)) - 1;
      if (word != 0) {
        hi = group + 7 - std::countl_zero(word) / 8;
        break;
      }
      hi = group - 1;
    }
  } else {
    while (hi >= lo && out[hi] == 0) --hi;
  }
  first = lo;
  count = hi >= lo ? hi - lo + 1 : 0;
  // Runs of whole groups of eight where the box has room, widened with pixels of no
  // coverage: the painters then take a row eight pixels at a time, without the pixel by
  // pixel tail that costs small shapes as much as their insides.
  const int grouped = (count + 7) / 8 * 8;
  if (count > 0 && grouped != count && grouped <= width_) {
    const int start = std::min(first, width_ - grouped);
    std::memset(out + start, 0, static_cast<std::size_t>(first - start));
    std::memset(out + first + count, 0, static_cast<std::size_t>(start + grouped - first - count));
    first = start;
    count = grouped;
  }
}

}  // namespace tavelin::swf::render
