#include "swf/render/span_compositor.h"

#include <cstring>

#include "swf/render/pixel.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tavelin::swf::render {
namespace {

inline void CompositeOne(std::uint32_t& dst, std::uint32_t src, std::uint32_t k) {
  if (k == 0) return;
  if (k != 255) src = ScalePixel(src, CoverageFactor(k));
  const std::uint32_t a = src >> 24;
  if (a == 255) {
    dst = src;
  } else if (a != 0) {  // premultiplied: a clear source adds nothing
    dst = SourceOver(src, dst);
  }
}

#if defined(__SSE2__)
// Two pixels in 16-bit lanes scaled by per-pixel factors (0..256) in the same lanes.
inline __m128i Scale16(__m128i pixels16, __m128i factors16) {
  return _mm_srli_epi16(_mm_mullo_epi16(pixels16, factors16), 8);
}

// 256 - alpha for each of two pixels, spread over its four lanes.
inline __m128i InverseAlpha16(__m128i pixels16) {
  const __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(pixels16, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
  return _mm_sub_epi16(_mm_set1_epi16(256), alpha);
}

// Four pixels: src scaled by their coverage (four bytes), then over dst.
inline __m128i Over4(__m128i src, __m128i dst, std::uint32_t coverage4) {
  const __m128i zero = _mm_setzero_si128();
  __m128i k = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(coverage4)), zero);  // 4 x 16 bits
  k = _mm_add_epi16(k, _mm_srli_epi16(k, 7));                                           // 255 -> 256
  const __m128i pairs = _mm_unpacklo_epi16(k, k);                                        // k0 k0 k1 k1 k2 k2 k3 k3
  const __m128i f01 = _mm_unpacklo_epi32(pairs, pairs);
  const __m128i f23 = _mm_unpackhi_epi32(pairs, pairs);
  const __m128i s01 = Scale16(_mm_unpacklo_epi8(src, zero), f01);
  const __m128i s23 = Scale16(_mm_unpackhi_epi8(src, zero), f23);
  const __m128i d01 = Scale16(_mm_unpacklo_epi8(dst, zero), InverseAlpha16(s01));
  const __m128i d23 = Scale16(_mm_unpackhi_epi8(dst, zero), InverseAlpha16(s23));
  return _mm_packus_epi16(_mm_add_epi16(s01, d01), _mm_add_epi16(s23, d23));
}
// Four fully covered pixels: src over dst.
inline __m128i OverFull4(__m128i src, __m128i dst) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i s01 = _mm_unpacklo_epi8(src, zero);
  const __m128i s23 = _mm_unpackhi_epi8(src, zero);
  const __m128i d01 = Scale16(_mm_unpacklo_epi8(dst, zero), InverseAlpha16(s01));
  const __m128i d23 = Scale16(_mm_unpackhi_epi8(dst, zero), InverseAlpha16(s23));
  return _mm_packus_epi16(_mm_add_epi16(s01, d01), _mm_add_epi16(s23, d23));
}
#endif

}  // namespace

void CompositeSpan(std::uint32_t* dst, const std::uint32_t* src, const std::uint8_t* coverage, int count) {
  int i = 0;
#if defined(__SSE2__)
  for (; i + 4 <= count; i += 4) {
    std::uint32_t k4;
    std::memcpy(&k4, coverage + i, 4);
    if (k4 == 0) continue;
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    if (k4 == 0xFFFFFFFFu) {
      // Fully covered: opaque sources replace what is below, others need no scaling.
      const __m128i alphas = _mm_srli_epi32(s, 24);
      if (_mm_movemask_epi8(_mm_cmpeq_epi32(alphas, _mm_set1_epi32(255))) == 0xFFFF) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), s);
      } else {
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), OverFull4(s, d));
      }
      continue;
    }
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i out = Over4(s, d, k4);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), out);
  }
#endif
  for (; i < count; ++i) CompositeOne(dst[i], src[i], coverage[i]);
}

void CompositeSolidSpan(std::uint32_t* dst, std::uint32_t color, const std::uint8_t* coverage, int count) {
  const bool opaque = (color >> 24) == 255;
  int i = 0;
#if defined(__SSE2__)
  const __m128i s = _mm_set1_epi32(static_cast<int>(color));
  for (; i + 4 <= count; i += 4) {
    std::uint32_t k4;
    std::memcpy(&k4, coverage + i, 4);
    if (k4 == 0) continue;
    if (k4 == 0xFFFFFFFFu) {
      if (opaque) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), s);
      } else {
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), OverFull4(s, d));
      }
      continue;
    }
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i out = Over4(s, d, k4);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), out);
  }
#endif
  for (; i < count; ++i) CompositeOne(dst[i], color, coverage[i]);
}

}  // namespace tavelin::swf::render
