#include "swf/render/paint_source.h"

#include <algorithm>
#include <cmath>

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

constexpr double kGradientHalfSize = 16384.0;

// Keeps fill coordinates far outside any fill within int range before they are rounded.
constexpr float kCoordinateLimit = 1.0e9f;

float Bounded(float v) {
  if (!(v > -kCoordinateLimit)) return -kCoordinateLimit;
  if (!(v < kCoordinateLimit)) return kCoordinateLimit;
  return v;
}

// Floor of a value within int range, without the library call std::floor becomes
// without SSE4.1.
inline float FloorOf(float v) {
  const float t = static_cast<float>(static_cast<int>(v));
  return t > v ? t - 1.0f : t;
}

// Within this distance of the gradient square every t stays exact enough and in int
// range; rows reaching farther bound each t first.
constexpr float kNearLimit = 1.0e6f;

template <SpreadMode kSpread, bool kFar>
inline std::uint32_t Lookup(const GradientLookup& colors, float t) {
  if constexpr (kFar) t = std::clamp(Bounded(t), -kNearLimit, kNearLimit);
  if constexpr (kSpread == SpreadMode::kRepeat) {
    t -= FloorOf(t);
  } else if constexpr (kSpread == SpreadMode::kReflect) {
    t = std::fabs(t - 2.0f * FloorOf(t * 0.5f + 0.5f));  // distance to the nearest even number
  }
  float index = t * colors.perT + colors.offset;
  index = index < 0.0f ? 0.0f : index;
  index = index > colors.last ? colors.last : index;
  return colors.entries[static_cast<int>(index)];
}

#if defined(__SSE2__)
inline __m128 Floor4(__m128 v) {
  const __m128 t = _mm_cvtepi32_ps(_mm_cvttps_epi32(v));
  return _mm_sub_ps(t, _mm_and_ps(_mm_cmpgt_ps(t, v), _mm_set1_ps(1.0f)));
}

// Four table lookups for t values near the gradient square (the kFar == false case).
template <SpreadMode kSpread>
inline void Lookup4(const GradientLookup& colors, __m128 t, std::uint32_t* out) {
  if constexpr (kSpread == SpreadMode::kRepeat) {
    t = _mm_sub_ps(t, Floor4(t));
  } else if constexpr (kSpread == SpreadMode::kReflect) {
    const __m128 even = _mm_mul_ps(Floor4(_mm_add_ps(_mm_mul_ps(t, _mm_set1_ps(0.5f)), _mm_set1_ps(0.5f))), _mm_set1_ps(2.0f));
    t = _mm_andnot_ps(_mm_set1_ps(-0.0f), _mm_sub_ps(t, even));
  }
  __m128 index = _mm_add_ps(_mm_mul_ps(t, _mm_set1_ps(colors.perT)), _mm_set1_ps(colors.offset));
  index = _mm_min_ps(_mm_max_ps(index, _mm_setzero_ps()), _mm_set1_ps(colors.last));
  alignas(16) std::int32_t i[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(i), _mm_cvttps_epi32(index));
  out[0] = colors.entries[i[0]], out[1] = colors.entries[i[1]], out[2] = colors.entries[i[2]], out[3] = colors.entries[i[3]];
}

// sqrt(v) as v / sqrt(v) from the fast reciprocal estimate and one Newton step: about
// 22 bits, far finer than the 256 colours need, and cheaper than a full square root.
inline __m128 SquareRoot4(__m128 v) {
  const __m128 safe = _mm_max_ps(v, _mm_set1_ps(1e-30f));
  const __m128 y = _mm_rsqrt_ps(safe);
  const __m128 refined =
      _mm_mul_ps(y, _mm_sub_ps(_mm_set1_ps(1.5f), _mm_mul_ps(_mm_mul_ps(_mm_set1_ps(0.5f), safe), _mm_mul_ps(y, y))));
  return _mm_mul_ps(v, refined);
}

inline __m128 Steps4(float start, float step) {
  return _mm_add_ps(_mm_set1_ps(start), _mm_mul_ps(_mm_set1_ps(step), _mm_set_ps(3.0f, 2.0f, 1.0f, 0.0f)));
}

// The same rows as below, four pixels at a time, for the first count & ~3 pixels.
template <SpreadMode kSpread>
int LinearRow4(const GradientLookup& colors, float t, float dt, int count, std::uint32_t* out) {
  int i = 0;
  for (; i + 4 <= count; i += 4) Lookup4<kSpread>(colors, Steps4(t + dt * static_cast<float>(i), dt), out + i);
  return i;
}

template <SpreadMode kSpread>
int RadialRow4(const GradientLookup& colors, float u, float v, float du, float dv, int count, std::uint32_t* out) {
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128 x = Steps4(u + du * static_cast<float>(i), du), y = Steps4(v + dv * static_cast<float>(i), dv);
    Lookup4<kSpread>(colors, SquareRoot4(_mm_add_ps(_mm_mul_ps(x, x), _mm_mul_ps(y, y))), out + i);
  }
  return i;
}

template <SpreadMode kSpread>
int FocalRow4(const GradientLookup& colors, float focal, float u, float v, float du, float dv, int count,
              std::uint32_t* out) {
  const __m128 f = _mm_set1_ps(focal), inside = _mm_set1_ps(1.0f - focal * focal);
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128 dx = _mm_sub_ps(Steps4(u + du * static_cast<float>(i), du), f);
    const __m128 dy = Steps4(v + dv * static_cast<float>(i), dv);
    const __m128 fd = _mm_mul_ps(f, dx);
    const __m128 dd = _mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dy, dy));
    const __m128 denominator = _mm_sub_ps(_mm_sqrt_ps(_mm_add_ps(_mm_mul_ps(fd, fd), _mm_mul_ps(inside, dd))), fd);
    const __m128 positive = _mm_cmpgt_ps(denominator, _mm_setzero_ps());
    // Where the denominator is zero the pixel is the focal point itself: t = 0.
    const __m128 t = _mm_and_ps(positive, _mm_div_ps(dd, _mm_or_ps(denominator, _mm_andnot_ps(positive, _mm_set1_ps(1.0f)))));
    Lookup4<kSpread>(colors, t, out + i);
  }
  return i;
}
#endif

#if defined(TAVELIN_RENDER_AVX2)
// Eight pixels at a time; the same values as the four-pixel version. The table is read
// with plain loads: on the processors measured they beat the gather instruction.
template <SpreadMode kSpread>
TAVELIN_TARGET_AVX2 inline void Lookup8(const GradientLookup& colors, __m256 t, std::uint32_t* out) {
  if constexpr (kSpread == SpreadMode::kRepeat) {
    t = _mm256_sub_ps(t, _mm256_floor_ps(t));
  } else if constexpr (kSpread == SpreadMode::kReflect) {
    const __m256 even = _mm256_mul_ps(_mm256_floor_ps(_mm256_add_ps(_mm256_mul_ps(t, _mm256_set1_ps(0.5f)), _mm256_set1_ps(0.5f))),
                                      _mm256_set1_ps(2.0f));
    t = _mm256_andnot_ps(_mm256_set1_ps(-0.0f), _mm256_sub_ps(t, even));
  }
  __m256 index = _mm256_add_ps(_mm256_mul_ps(t, _mm256_set1_ps(colors.perT)), _mm256_set1_ps(colors.offset));
  index = _mm256_min_ps(_mm256_max_ps(index, _mm256_setzero_ps()), _mm256_set1_ps(colors.last));
  alignas(32) std::int32_t i[8];
  _mm256_store_si256(reinterpret_cast<__m256i*>(i), _mm256_cvttps_epi32(index));
  out[0] = colors.entries[i[0]], out[1] = colors.entries[i[1]], out[2] = colors.entries[i[2]], out[3] = colors.entries[i[3]];
  out[4] = colors.entries[i[4]], out[5] = colors.entries[i[5]], out[6] = colors.entries[i[6]], out[7] = colors.entries[i[7]];
}

TAVELIN_TARGET_AVX2 inline __m256 Steps8(float start, float step) {
  return _mm256_add_ps(_mm256_set1_ps(start),
                       _mm256_mul_ps(_mm256_set1_ps(step), _mm256_set_ps(7.0f, 6.0f, 5.0f, 4.0f, 3.0f, 2.0f, 1.0f, 0.0f)));
}

TAVELIN_TARGET_AVX2 inline __m256 SquareRoot8(__m256 v) {
  const __m256 safe = _mm256_max_ps(v, _mm256_set1_ps(1e-30f));
  const __m256 y = _mm256_rsqrt_ps(safe);
  const __m256 refined = _mm256_mul_ps(
      y, _mm256_sub_ps(_mm256_set1_ps(1.5f), _mm256_mul_ps(_mm256_mul_ps(_mm256_set1_ps(0.5f), safe), _mm256_mul_ps(y, y))));
  return _mm256_mul_ps(v, refined);
}

// Whole groups of eight of a gradient row near its square; returns how many it made.
template <SpreadMode kSpread>
TAVELIN_TARGET_AVX2 int GradientRow8(PaintSource::Kind kind, const GradientLookup& colors, float focal, float u, float v,
                                     float du, float dv, int count, std::uint32_t* out) {
  const __m256 f = _mm256_set1_ps(focal), inside = _mm256_set1_ps(1.0f - focal * focal);
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256 x = Steps8(u + du * static_cast<float>(i), du);
    if (kind == PaintSource::Kind::kLinear) {
      Lookup8<kSpread>(colors, x, out + i);
      continue;
    }
    const __m256 y = Steps8(v + dv * static_cast<float>(i), dv);
    if (kind == PaintSource::Kind::kRadial) {
      Lookup8<kSpread>(colors, SquareRoot8(_mm256_add_ps(_mm256_mul_ps(x, x), _mm256_mul_ps(y, y))), out + i);
      continue;
    }
    const __m256 dx = _mm256_sub_ps(x, f);
    const __m256 fd = _mm256_mul_ps(f, dx);
    const __m256 dd = _mm256_add_ps(_mm256_mul_ps(dx, dx), _mm256_mul_ps(y, y));
    const __m256 denominator = _mm256_sub_ps(_mm256_sqrt_ps(_mm256_add_ps(_mm256_mul_ps(fd, fd), _mm256_mul_ps(inside, dd))), fd);
    const __m256 positive = _mm256_cmp_ps(denominator, _mm256_setzero_ps(), _CMP_GT_OQ);
    const __m256 t = _mm256_and_ps(positive, _mm256_div_ps(dd, _mm256_blendv_ps(_mm256_set1_ps(1.0f), denominator, positive)));
    Lookup8<kSpread>(colors, t, out + i);
  }
  return i;
}
#endif

template <SpreadMode kSpread, bool kFar>
void LinearRow(const GradientLookup& colors, float t, float dt, int count, std::uint32_t* out) {
  for (int i = 0; i < count; ++i) out[i] = Lookup<kSpread, kFar>(colors, t + dt * static_cast<float>(i));
}

template <SpreadMode kSpread, bool kFar>
void RadialRow(const GradientLookup& colors, float u, float v, float du, float dv, int count, std::uint32_t* out) {
  for (int i = 0; i < count; ++i) {
    const float x = u + du * static_cast<float>(i), y = v + dv * static_cast<float>(i);
    out[i] = Lookup<kSpread, kFar>(colors, std::sqrt(x * x + y * y));
  }
}

// The fraction of the way from the focal point to the circle, along the ray through the
// pixel: with d = p - F, t = |d|^2 / (-F.d + sqrt((F.d)^2 + (1 - |F|^2) |d|^2)).
template <SpreadMode kSpread, bool kFar>
void FocalRow(const GradientLookup& colors, float focal, float u, float v, float du, float dv, int count,
              std::uint32_t* out) {
  const float inside = 1.0f - focal * focal;
  for (int i = 0; i < count; ++i) {
    const float dx = u + du * static_cast<float>(i) - focal, dy = v + dv * static_cast<float>(i);
    const float fd = focal * dx;
    const float dd = dx * dx + dy * dy;
    const float denominator = -fd + std::sqrt(fd * fd + inside * dd);
    out[i] = Lookup<kSpread, kFar>(colors, denominator > 0.0f ? dd / denominator : 0.0f);
  }
}

inline int Wrap(int i, int size) {
  const int m = i % size;
  return m < 0 ? m + size : m;
}

}  // namespace

bool Invert(const Matrix& m, Matrix& inverse) {
  const double det = m.a * m.d - m.b * m.c;
  if (!std::isfinite(det) || std::fabs(det) < 1e-12) return false;
  inverse = {m.d / det, -m.b / det, -m.c / det, m.a / det, (m.c * m.ty - m.d * m.tx) / det,
             (m.b * m.tx - m.a * m.ty) / det};
  return std::isfinite(inverse.a) && std::isfinite(inverse.b) && std::isfinite(inverse.c) &&
         std::isfinite(inverse.d) && std::isfinite(inverse.tx) && std::isfinite(inverse.ty);
}

PaintSource PaintSource::Solid(std::uint32_t premultiplied) {
  PaintSource s;
  s.kind_ = Kind::kSolid;
  s.solid_ = premultiplied;
  return s;
}

PaintSource PaintSource::ForGradient(FillKind kind, const Gradient& gradient, const Matrix& toDevice,
                                     const GradientTable& colors) {
  PaintSource s;
  const Matrix unit = toDevice * Matrix{kGradientHalfSize, 0, 0, kGradientHalfSize, 0, 0};
  Matrix inverse;
  if (!Invert(unit, inverse)) {
    // A gradient squashed to a line or a point shows its outermost colour.
    return Solid(colors.back());
  }
  s.kind_ = kind == FillKind::kLinearGradient ? Kind::kLinear : kind == FillKind::kRadialGradient ? Kind::kRadial : Kind::kFocal;
  s.ua_ = inverse.a, s.ub_ = inverse.b, s.uc_ = inverse.c, s.ud_ = inverse.d, s.utx_ = inverse.tx, s.uty_ = inverse.ty;
  if (s.kind_ == Kind::kLinear) {
    // t = (u + 1) / 2 directly.
    s.ua_ *= 0.5, s.uc_ *= 0.5, s.utx_ = s.utx_ * 0.5 + 0.5;
  }
  // Where t (0..1 across the gradient square) falls in the table: the square holds 256
  // equal steps, one per ratio, and ratio r is met at the middle of step r.
  const float last = static_cast<float>(colors.size() - 1);
  s.colors_ = {colors.data(), 256.0f * last / 255.0f, 0.5f - 0.5f * last / 255.0f, last};
  s.spread_ = gradient.spread;
  // A focal point on the circle itself leaves no room for the ray; keep it just inside.
  s.focal_ = std::clamp(gradient.focalPoint, -0.98f, 0.98f);
  return s;
}

PaintSource PaintSource::ForBitmap(const Bitmap& bitmap, const Matrix& toDevice, bool repeat, SampleQuality sampling,
                                   const ColorTransform& cxform) {
  PaintSource s;
  Matrix inverse;
  if (bitmap.width <= 0 || bitmap.height <= 0 ||
      bitmap.pixels.size() < static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height) ||
      !Invert(toDevice, inverse)) {
    return s;
  }
  s.kind_ = Kind::kBitmap;
  s.ua_ = inverse.a, s.ub_ = inverse.b, s.uc_ = inverse.c, s.ud_ = inverse.d, s.utx_ = inverse.tx, s.uty_ = inverse.ty;
  s.bitmap_ = &bitmap;
  s.repeat_ = repeat;
  s.sampling_ = sampling;
  s.transformTexels_ = !IsIdentity(cxform);
  s.cxform_ = cxform;
  return s;
}

void PaintSource::Generate(int y, int x0, int count, std::uint32_t* out) const {
  switch (kind_) {
    case Kind::kNothing:
      std::fill(out, out + count, 0u);
      break;
    case Kind::kSolid:
      std::fill(out, out + count, solid_);
      break;
    case Kind::kLinear:
    case Kind::kRadial:
    case Kind::kFocal:
      GenerateGradient(y, x0, count, out);
      break;
    case Kind::kBitmap:
      GenerateBitmap(y, x0, count, out);
      break;
  }
}

void PaintSource::GenerateGradient(int y, int x0, int count, std::uint32_t* out) const {
  const double px = x0 + 0.5, py = y + 0.5;
  const double u0 = ua_ * px + uc_ * py + utx_, v0 = ub_ * px + ud_ * py + uty_;
  const double u1 = u0 + ua_ * count, v1 = v0 + ub_ * count;
  const bool far = !(std::fabs(u0) < kNearLimit && std::fabs(v0) < kNearLimit && std::fabs(u1) < kNearLimit &&
                     std::fabs(v1) < kNearLimit);
  const float u = Bounded(static_cast<float>(u0)), v = Bounded(static_cast<float>(v0));
  const float du = static_cast<float>(ua_), dv = static_cast<float>(ub_);
  auto run = [&]<SpreadMode kSpread, bool kFar>() {
#if defined(__SSE2__)
    if constexpr (!kFar) {
      int done = 0;
#if defined(TAVELIN_RENDER_AVX2)
      if (HasAvx2()) done = GradientRow8<kSpread>(kind_, colors_, focal_, u, v, du, dv, count, out);
#endif
      const float uRest = u + du * static_cast<float>(done), vRest = v + dv * static_cast<float>(done);
      const int rest = count - done;
      std::uint32_t* outRest = out + done;
      int four = 0;
      switch (kind_) {
        case Kind::kLinear:
          four = LinearRow4<kSpread>(colors_, uRest, du, rest, outRest);
          LinearRow<kSpread, kFar>(colors_, uRest + du * static_cast<float>(four), du, rest - four, outRest + four);
          break;
        case Kind::kRadial:
          four = RadialRow4<kSpread>(colors_, uRest, vRest, du, dv, rest, outRest);
          RadialRow<kSpread, kFar>(colors_, uRest + du * static_cast<float>(four), vRest + dv * static_cast<float>(four),
                                   du, dv, rest - four, outRest + four);
          break;
        default:
          four = FocalRow4<kSpread>(colors_, focal_, uRest, vRest, du, dv, rest, outRest);
          FocalRow<kSpread, kFar>(colors_, focal_, uRest + du * static_cast<float>(four),
                                  vRest + dv * static_cast<float>(four), du, dv, rest - four, outRest + four);
          break;
      }
      return;
    }
#endif
    switch (kind_) {
      case Kind::kLinear:
        LinearRow<kSpread, kFar>(colors_, u, du, count, out);
        break;
      case Kind::kRadial:
        RadialRow<kSpread, kFar>(colors_, u, v, du, dv, count, out);
        break;
      default:
        FocalRow<kSpread, kFar>(colors_, focal_, u, v, du, dv, count, out);
        break;
    }
  };
  auto spread = [&]<bool kFar>() {
    switch (spread_) {
      case SpreadMode::kPad:
        run.template operator()<SpreadMode::kPad, kFar>();
        break;
      case SpreadMode::kReflect:
        run.template operator()<SpreadMode::kReflect, kFar>();
        break;
      case SpreadMode::kRepeat:
        run.template operator()<SpreadMode::kRepeat, kFar>();
        break;
    }
  };
  if (far) {
    spread.template operator()<true>();
  } else {
    spread.template operator()<false>();
  }
}

void PaintSource::GenerateBitmap(int y, int x0, int count, std::uint32_t* out) const {
  const int w = bitmap_->width, h = bitmap_->height;
  const std::uint32_t* texels = bitmap_->pixels.data();
  const double py = y + 0.5;
  auto texel = [&](int tx, int ty) {
    if (repeat_) {
      tx = Wrap(tx, w);
      ty = Wrap(ty, h);
    } else {
      tx = std::clamp(tx, 0, w - 1);
      ty = std::clamp(ty, 0, h - 1);
    }
    return texels[static_cast<std::size_t>(ty) * static_cast<std::size_t>(w) + static_cast<std::size_t>(tx)];
  };
  for (int i = 0; i < count; ++i) {
    const double px = x0 + i + 0.5;
    const float u = Bounded(static_cast<float>(ua_ * px + uc_ * py + utx_));
    const float v = Bounded(static_cast<float>(ub_ * px + ud_ * py + uty_));
    std::uint32_t c;
    if (sampling_ == SampleQuality::kNearest) {
      c = texel(static_cast<int>(FloorOf(u)), static_cast<int>(FloorOf(v)));
    } else {
      // Bilinear between the four texel centres around the sample.
      const float su = u - 0.5f, sv = v - 0.5f;
      const float fu = FloorOf(su), fv = FloorOf(sv);
      const int tx = static_cast<int>(fu), ty = static_cast<int>(fv);
      const std::uint32_t wx = static_cast<std::uint32_t>((su - fu) * 256.0f + 0.5f);
      const std::uint32_t wy = static_cast<std::uint32_t>((sv - fv) * 256.0f + 0.5f);
      const std::uint32_t top = LerpPixel(texel(tx, ty), texel(tx + 1, ty), wx);
      const std::uint32_t bottom = LerpPixel(texel(tx, ty + 1), texel(tx + 1, ty + 1), wx);
      c = LerpPixel(top, bottom, wy);
    }
    out[i] = transformTexels_ ? TransformPremultiplied(cxform_, c) : c;
  }
}

}  // namespace tavelin::swf::render
