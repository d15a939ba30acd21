#include "swf/render/shared_edges.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "swf/render/pixel.h"

namespace tavelin::swf::render {
namespace {

// Past this many shares in a row (only shapes of hundreds of fills get there) further
// pixels are composited one fill after the other, so that the cost stays bounded.
constexpr std::size_t kMaxSharesPerRow = 512;

// a + b on each channel, no channel above the sum's alpha (so it stays premultiplied
// however the two roundings fell).
std::uint32_t AddPremultiplied(std::uint32_t a, std::uint32_t b) {
  const std::uint32_t alpha = std::min<std::uint32_t>(255, (a >> 24) + (b >> 24));
  std::uint32_t result = alpha << 24;
  for (int shift = 0; shift < 24; shift += 8) {
    const std::uint32_t channel = std::min(alpha, ((a >> shift) & 0xFF) + ((b >> shift) & 0xFF));
    result |= channel << shift;
  }
  return result;
}

// One bit per pixel of a run of up to 16 whose coverage is neither 0 nor 255.
std::uint32_t PartBits(const std::uint8_t* coverage, int n) {
#if defined(__SSE2__)
  alignas(16) std::uint8_t tail[16] = {};
  if (n < 16) coverage = static_cast<const std::uint8_t*>(std::memcpy(tail, coverage, static_cast<std::size_t>(n)));
  {
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coverage));
    const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(c, _mm_setzero_si128()), _mm_cmpeq_epi8(c, _mm_set1_epi8(-1)));
    return ~static_cast<std::uint32_t>(_mm_movemask_epi8(ends)) & 0xFFFFu;
  }
#endif
  std::uint32_t bits = 0;
  for (int i = 0; i < n; ++i) bits |= static_cast<std::uint32_t>(coverage[i] != 0 && coverage[i] != 255) << i;
  return bits;
}

bool Contains(const PixelBox& box, int y) { return y >= box.y0 && y < box.y1 && box.x0 < box.x1; }

}  // namespace

void SharedEdges::Begin(int height) {
  if (rows_.size() != static_cast<std::size_t>(height)) rows_.resize(static_cast<std::size_t>(height));
  firstRow_ = height;
  endRow_ = 0;
}

void SharedEdges::End() {
  for (int y = firstRow_; y < endRow_; ++y) rows_[static_cast<std::size_t>(y)].clear();
  firstRow_ = static_cast<int>(rows_.size());
  endRow_ = 0;
}

void SharedEdges::NextFill(const PixelBox& fill, const PixelBox& earlier, const PixelBox& later) {
  watch_ = fill.Intersect(earlier);
  record_ = fill.Intersect(later);
}

template <class NoteFn>
void SharedEdges::ForNewShares(int y, int x0, int count, const std::uint8_t* coverage, std::size_t earlierShares,
                               NoteFn&& note) {
  if (!Contains(record_, y)) return;
  std::vector<Share>& shares = rows_[static_cast<std::size_t>(y)];
  const int from = std::max(x0, record_.x0) - x0, to = std::min(x0 + count, record_.x1) - x0;
  for (int run = from; run < to; run += 16) {
    for (std::uint32_t bits = PartBits(coverage + run, std::min(16, to - run)); bits != 0; bits &= bits - 1) {
      const int i = run + std::countr_zero(bits);
      if (shares.size() >= kMaxSharesPerRow) return;
      const auto noted = shares.begin() + static_cast<std::ptrdiff_t>(earlierShares);
      if (std::find_if(shares.begin(), noted, [&](const Share& s) { return s.x == x0 + i; }) != noted) continue;
      note(i);
    }
  }
  if (shares.size() > earlierShares) {
    firstRow_ = std::min(firstRow_, y);
    endRow_ = std::max(endRow_, y + 1);
  }
}

void SharedEdges::ColorRow(int y, int x0, int count, std::uint8_t* coverage, std::uint32_t* dst,
                           const std::uint32_t* source, std::uint32_t solid) {
  if (y < 0 || y >= static_cast<int>(rows_.size())) return;
  std::vector<Share>& shares = rows_[static_cast<std::size_t>(y)];
  const std::size_t earlierShares = shares.size();
  if (earlierShares > 0 && Contains(watch_, y)) {
    for (Share& share : shares) {
      const int i = share.x - x0;
      if (i < 0 || i >= count || share.covered == 255) continue;
      const std::uint32_t c = coverage[i];
      if (c == 0) continue;
      if (c == 255) {
        share.covered = 255;  // painting over the whole pixel is already right
        continue;
      }
      // The part of this share beyond what the pixel has left lies over earlier fills:
      // there it is painted over them, so their sum keeps only what shows through.
      const std::uint32_t color = source != nullptr ? source[i] : solid;
      const std::uint32_t overlap = share.covered + c > 255 ? share.covered + c - 255 : 0;
      std::uint32_t sum = share.sum;
      if (overlap > 0) sum = MulPixel(sum, 255 - (overlap * (color >> 24) + share.covered / 2) / share.covered);
      share.sum = AddPremultiplied(sum, MulPixel(color, c));
      share.covered = std::min<std::uint32_t>(255, share.covered + c);
      dst[i] = SourceOver(share.sum, share.below);
      coverage[i] = 0;
    }
  }
  ForNewShares(y, x0, count, coverage, earlierShares, [&](int i) {
    const std::uint32_t color = source != nullptr ? source[i] : solid;
    shares.push_back({x0 + i, dst[i], MulPixel(color, coverage[i]), coverage[i]});
  });
}

void SharedEdges::MaskRow(int y, int x0, int count, std::uint8_t* coverage, std::uint8_t* dst) {
  if (y < 0 || y >= static_cast<int>(rows_.size())) return;
  std::vector<Share>& shares = rows_[static_cast<std::size_t>(y)];
  const std::size_t earlierShares = shares.size();
  if (earlierShares > 0 && Contains(watch_, y)) {
    for (Share& share : shares) {
      const int i = share.x - x0;
      if (i < 0 || i >= count || share.covered == 255) continue;
      const std::uint32_t c = coverage[i];
      if (c == 0) continue;
      share.covered = std::min<std::uint32_t>(255, share.covered + c);
      if (c == 255) continue;
      dst[i] = static_cast<std::uint8_t>(share.below + Mul255(share.covered, 255 - share.below));
      coverage[i] = 0;
    }
  }
  ForNewShares(y, x0, count, coverage, earlierShares,
               [&](int i) { shares.push_back({x0 + i, dst[i], 0, coverage[i]}); });
}

}  // namespace tavelin::swf::render
