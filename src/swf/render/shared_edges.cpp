#include "swf/render/shared_edges.h"

#include <algorithm>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "swf/render/pixel.h"

namespace tavelin::swf::render {
namespace {

constexpr std::size_t kFirstTableSize = 1024;

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

}  // namespace

void SharedEdges::Begin(int width, int height) {
  width_ = width;
  height_ = height;
  const std::size_t area = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  if (covered_.size() != area) covered_.assign(area, 0);
  touched_ = {};
  used_ = 0;
  if (++generation_ == 0) {
    for (Entry& entry : entries_) entry.generation = 0;
    generation_ = 1;
  }
}

void SharedEdges::End() {
  const PixelBox box = touched_.Intersect({0, 0, width_, height_});
  for (int y = box.y0; y < box.y1; ++y) {
    std::uint8_t* row = covered_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
    std::fill(row + box.x0, row + box.x1, std::uint8_t{0});
  }
  touched_ = {};
}

SharedEdges::Entry* SharedEdges::Find(std::uint32_t key) {
  if (entries_.empty()) return nullptr;
  const std::size_t mask = entries_.size() - 1;
  for (std::size_t slot = (key * 2654435761u) & mask;; slot = (slot + 1) & mask) {
    Entry& entry = entries_[slot];
    if (entry.generation != generation_) return nullptr;
    if (entry.key == key) return &entry;
  }
}

SharedEdges::Entry& SharedEdges::Insert(std::uint32_t key) {
  if ((used_ + 1) * 2 > entries_.size()) Grow();
  const std::size_t mask = entries_.size() - 1;
  for (std::size_t slot = (key * 2654435761u) & mask;; slot = (slot + 1) & mask) {
    Entry& entry = entries_[slot];
    if (entry.generation != generation_) {
      entry = {key, generation_, 0, 0};
      ++used_;
      return entry;
    }
    if (entry.key == key) return entry;
  }
}

void SharedEdges::Grow() {
  std::vector<Entry> old = std::move(entries_);
  entries_.assign(std::max(kFirstTableSize, old.size() * 2), Entry{});
  used_ = 0;
  for (const Entry& entry : old) {
    if (entry.generation != generation_) continue;
    Entry& moved = Insert(entry.key);
    moved.below = entry.below;
    moved.sum = entry.sum;
  }
}

void SharedEdges::NextFill(const PixelBox& fill, const PixelBox& earlier, const PixelBox& later) {
  const PixelBox inside = fill.Intersect({0, 0, width_, height_});
  watch_ = inside.Intersect(earlier.Union(later));
  record_ = inside.Intersect(later);
}


// Notes the pixels of a run of up to 16 that the fill covers wholly and returns one bit
// per pixel that needs a closer look: covered in part, and not already covered wholly.
std::uint32_t SharedEdges::Sort(const std::uint8_t* coverage, std::uint8_t* covered, int n) {
#if defined(__SSE2__)
  if (n == 16) {
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coverage));
    const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(covered));
    const __m128i all = _mm_set1_epi8(-1);
    const __m128i whole = _mm_cmpeq_epi8(c, all);
    const __m128i none = _mm_cmpeq_epi8(c, _mm_setzero_si128());
    const __m128i done = _mm_cmpeq_epi8(before, all);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(covered), _mm_or_si128(before, whole));
    return ~static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(whole, none), done))) & 0xFFFFu;
  }
#endif
  std::uint32_t bits = 0;
  for (int i = 0; i < n; ++i) {
    if (coverage[i] == 255) {
      covered[i] = 255;
    } else if (coverage[i] != 0 && covered[i] != 255) {
      bits |= 1u << i;
    }
  }
  return bits;
}

void SharedEdges::ColorRow(int y, int x0, int count, std::uint8_t* coverage, std::uint32_t* dst,
                           const std::uint32_t* source, std::uint32_t solid) {
  int skip = 0;
  if (!Clip(y, x0, count, skip)) return;
  coverage += skip;
  dst += skip;
  if (source != nullptr) source += skip;
  touched_ = touched_.Union({x0, y, x0 + count, y + 1});
  const std::size_t rowStart = static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x0);
  std::uint8_t* covered = covered_.data() + rowStart;

  for (int run = 0; run < count; run += 16) {
    for (std::uint32_t bits = Sort(coverage + run, covered + run, std::min(16, count - run)); bits != 0;
         bits &= bits - 1) {
      const int i = run + std::countr_zero(bits);
      const std::uint32_t c = coverage[i];
      std::uint8_t& before = covered[i];
      const std::uint32_t key = static_cast<std::uint32_t>(rowStart) + static_cast<std::uint32_t>(i);
      const std::uint32_t color = source != nullptr ? source[i] : solid;
      if (before == 0) {
        // The group's first share of this pixel: composited as usual, but remembered in
        // case a later fill takes another share.
        before = static_cast<std::uint8_t>(c);
        if (Later(x0 + i, y)) {
          Entry& entry = Insert(key);
          entry.below = dst[i];
          entry.sum = MulPixel(color, c);
        }
        continue;
      }
      Entry* entry = Find(key);
      const std::uint32_t total = std::min<std::uint32_t>(255, before + c);
      if (entry == nullptr) {
        before = static_cast<std::uint8_t>(total);
        continue;
      }
      // The part of this share beyond what the pixel has left lies over earlier fills:
      // there it is painted over them, so their sum keeps only what shows through.
      std::uint32_t sum = entry->sum;
      const std::uint32_t overlap = before + c > 255 ? before + c - 255 : 0;
      if (overlap > 0) sum = MulPixel(sum, 255 - (overlap * (color >> 24) + before / 2u) / before);
      sum = AddPremultiplied(sum, MulPixel(color, c));
      dst[i] = SourceOver(sum, entry->below);
      coverage[i] = 0;
      before = static_cast<std::uint8_t>(total);
      if (Later(x0 + i, y)) entry->sum = sum;
    }
  }
}

void SharedEdges::MaskRow(int y, int x0, int count, std::uint8_t* coverage, std::uint8_t* dst) {
  int skip = 0;
  if (!Clip(y, x0, count, skip)) return;
  coverage += skip;
  dst += skip;
  touched_ = touched_.Union({x0, y, x0 + count, y + 1});
  const std::size_t rowStart = static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x0);
  std::uint8_t* covered = covered_.data() + rowStart;
  for (int run = 0; run < count; run += 16) {
    for (std::uint32_t bits = Sort(coverage + run, covered + run, std::min(16, count - run)); bits != 0;
         bits &= bits - 1) {
      const int i = run + std::countr_zero(bits);
      const std::uint32_t c = coverage[i];
      std::uint8_t& before = covered[i];
      const std::uint32_t key = static_cast<std::uint32_t>(rowStart) + static_cast<std::uint32_t>(i);
      if (before == 0) {
        before = static_cast<std::uint8_t>(c);
        if (Later(x0 + i, y)) Insert(key).below = dst[i];
        continue;
      }
      const std::uint32_t total = std::min<std::uint32_t>(255, before + c);
      before = static_cast<std::uint8_t>(total);
      if (const Entry* entry = Find(key)) {
        dst[i] = static_cast<std::uint8_t>(entry->below + Mul255(total, 255 - entry->below));
        coverage[i] = 0;
      }
    }
  }
}

}  // namespace tavelin::swf::render
