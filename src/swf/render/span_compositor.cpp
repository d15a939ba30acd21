#include "swf/render/span_compositor.h"

#include <cstring>

#include "swf/render/cpu_features.h"
#include "swf/render/pixel.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(TAVELIN_RENDER_AVX2)
#include <immintrin.h>
#endif

namespace tavelin::swf::render {
namespace {

inline void CompositeOne(std::uint32_t& dst, std::uint32_t src, std::uint32_t k) {
  if (k == 0) return;
  if (k != 255) src = MulPixel(src, k);
  const std::uint32_t a = src >> 24;
  if (a == 255) {
    dst = src;
  } else if (a != 0) {  // premultiplied: a clear source adds nothing
    dst = SourceOver(src, dst);
  }
}

#if defined(__SSE2__)
// Two pixels in 16-bit lanes times per-lane factors (0..255) / 255, rounded as Mul255.
inline __m128i Mul255x16(__m128i pixels16, __m128i factors16) {
  const __m128i t = _mm_add_epi16(_mm_mullo_epi16(pixels16, factors16), _mm_set1_epi16(128));
  return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}

// 255 - alpha for each of two pixels, spread over its four lanes.
inline __m128i InverseAlpha16(__m128i pixels16) {
  const __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(pixels16, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
  return _mm_sub_epi16(_mm_set1_epi16(255), alpha);
}

// Four pixels: src times their coverage (four bytes), then over dst.
inline __m128i Over4(__m128i src, __m128i dst, std::uint32_t coverage4) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i k = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(coverage4)), zero);  // 4 x 16 bits
  const __m128i pairs = _mm_unpacklo_epi16(k, k);                                            // k0 k0 k1 k1 k2 k2 k3 k3
  const __m128i s01 = Mul255x16(_mm_unpacklo_epi8(src, zero), _mm_unpacklo_epi32(pairs, pairs));
  const __m128i s23 = Mul255x16(_mm_unpackhi_epi8(src, zero), _mm_unpackhi_epi32(pairs, pairs));
  const __m128i d01 = Mul255x16(_mm_unpacklo_epi8(dst, zero), InverseAlpha16(s01));
  const __m128i d23 = Mul255x16(_mm_unpackhi_epi8(dst, zero), InverseAlpha16(s23));
  return _mm_packus_epi16(_mm_add_epi16(s01, d01), _mm_add_epi16(s23, d23));
}

// Four fully covered pixels: src over dst.
inline __m128i OverFull4(__m128i src, __m128i dst) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i s01 = _mm_unpacklo_epi8(src, zero);
  const __m128i s23 = _mm_unpackhi_epi8(src, zero);
  const __m128i d01 = Mul255x16(_mm_unpacklo_epi8(dst, zero), InverseAlpha16(s01));
  const __m128i d23 = Mul255x16(_mm_unpackhi_epi8(dst, zero), InverseAlpha16(s23));
  return _mm_packus_epi16(_mm_add_epi16(s01, d01), _mm_add_epi16(s23, d23));
}
#endif

#if defined(TAVELIN_RENDER_AVX2)
TAVELIN_TARGET_AVX2 inline __m256i Mul255x16x2(__m256i pixels16, __m256i factors16) {
  const __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(pixels16, factors16), _mm256_set1_epi16(128));
  return _mm256_srli_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(t, 8)), 8);
}

TAVELIN_TARGET_AVX2 inline __m256i InverseAlpha16x2(__m256i pixels16) {
  const __m256i alpha =
      _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(pixels16, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
  return _mm256_sub_epi16(_mm256_set1_epi16(255), alpha);
}

// The same arithmetic as Over4 on eight pixels. 256-bit unpacks work inside each 128-bit
// half, so the coverage factors are laid out to match: pixels 0, 1 | 4, 5 and 2, 3 | 6, 7.
TAVELIN_TARGET_AVX2 inline __m256i Over8(__m256i src, __m256i dst, const std::uint8_t* coverage, bool full) {
  const __m256i zero = _mm256_setzero_si256();
  __m256i s01 = _mm256_unpacklo_epi8(src, zero);
  __m256i s23 = _mm256_unpackhi_epi8(src, zero);
  if (!full) {
    __m256i k = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(coverage)));
    k = _mm256_or_si256(k, _mm256_slli_epi32(k, 16));  // both 16-bit halves
    s01 = Mul255x16x2(s01, _mm256_unpacklo_epi32(k, k));
    s23 = Mul255x16x2(s23, _mm256_unpackhi_epi32(k, k));
  }
  const __m256i d01 = Mul255x16x2(_mm256_unpacklo_epi8(dst, zero), InverseAlpha16x2(s01));
  const __m256i d23 = Mul255x16x2(_mm256_unpackhi_epi8(dst, zero), InverseAlpha16x2(s23));
  return _mm256_packus_epi16(_mm256_add_epi16(s01, d01), _mm256_add_epi16(s23, d23));
}

TAVELIN_TARGET_AVX2 inline bool AllOpaque8(__m256i pixels) {
  return _mm256_movemask_epi8(_mm256_cmpeq_epi32(_mm256_srli_epi32(pixels, 24), _mm256_set1_epi32(255))) == -1;
}

// Paints whole groups of eight; returns how many pixels it painted.
TAVELIN_TARGET_AVX2 int CompositeSpan8(std::uint32_t* dst, const std::uint32_t* src, const std::uint8_t* coverage,
                                      int count) {
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    std::uint64_t k8;
    std::memcpy(&k8, coverage + i, 8);
    if (k8 == 0) continue;
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    const bool full = k8 == ~std::uint64_t{0};
    if (full && AllOpaque8(s)) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), s);
      continue;
    }
    const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), Over8(s, d, coverage + i, full));
  }
  return i;
}

TAVELIN_TARGET_AVX2 int CompositeSolidSpan8(std::uint32_t* dst, std::uint32_t color, const std::uint8_t* coverage,
                                           int count) {
  const __m256i s = _mm256_set1_epi32(static_cast<int>(color));
  const bool opaque = (color >> 24) == 255;
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    std::uint64_t k8;
    std::memcpy(&k8, coverage + i, 8);
    if (k8 == 0) continue;
    const bool full = k8 == ~std::uint64_t{0};
    if (full && opaque) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), s);
      continue;
    }
    const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), Over8(s, d, coverage + i, full));
  }
  return i;
}
#endif

}  // namespace

void CompositeSpan(std::uint32_t* dst, const std::uint32_t* src, const std::uint8_t* coverage, int count) {
  int i = 0;
#if defined(TAVELIN_RENDER_AVX2)
  if (HasAvx2()) i = CompositeSpan8(dst, src, coverage, count);
#endif
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
#if defined(TAVELIN_RENDER_AVX2)
  if (HasAvx2()) i = CompositeSolidSpan8(dst, color, coverage, count);
#endif
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
