#pragma once
// Premultiplied 0xAARRGGBB pixel arithmetic shared by the painters and the compositor.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "swf/format/records.h"

namespace tavelin::swf::render {

// All four channels times k / 255 (k in 0..255), rounded to nearest: the same as Mul255
// on each channel, two channels per multiplication.
inline std::uint32_t MulPixel(std::uint32_t c, std::uint32_t k) {
  std::uint32_t rb = (c & 0x00FF00FFu) * k + 0x00800080u;
  rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
  std::uint32_t ag = ((c >> 8) & 0x00FF00FFu) * k + 0x00800080u;
  ag = (ag + ((ag >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
  return rb | ag;
}

// a + (b - a) * w / 256 on all four channels, rounded (w in 0..256): equal inputs come
// back unchanged.
inline std::uint32_t LerpPixel(std::uint32_t a, std::uint32_t b, std::uint32_t w) {
  const std::uint32_t keep = 256 - w;
  const std::uint32_t rb = (((a & 0x00FF00FFu) * keep + (b & 0x00FF00FFu) * w + 0x00800080u) >> 8) & 0x00FF00FFu;
  const std::uint32_t ag = (((a >> 8) & 0x00FF00FFu) * keep + ((b >> 8) & 0x00FF00FFu) * w + 0x00800080u) & 0xFF00FF00u;
  return rb | ag;
}

// Premultiplied source over destination. Rounding both terms exactly keeps every channel
// within 255 and draws a covered fraction of a pixel as exactly that fraction.
inline std::uint32_t SourceOver(std::uint32_t src, std::uint32_t dst) {
  return src + MulPixel(dst, 255 - (src >> 24));
}

// a * b / 255, rounded.
inline std::uint32_t Mul255(std::uint32_t a, std::uint32_t b) {
  const std::uint32_t t = a * b + 128;
  return (t + (t >> 8)) >> 8;
}

inline std::uint32_t PackPremultiplied(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a) {
  return (a << 24) | (Mul255(r, a) << 16) | (Mul255(g, a) << 8) | Mul255(b, a);
}

inline std::uint8_t TransformChannel(float value, float mul, float add) {
  const float v = value * mul + add;
  if (!(v > 0.0f)) return 0;
  if (v >= 255.0f) return 255;
  return static_cast<std::uint8_t>(v + 0.5f);
}

inline Rgba Transform(const ColorTransform& t, Rgba c) {
  return {TransformChannel(c.r, t.mulR, t.addR), TransformChannel(c.g, t.mulG, t.addG),
          TransformChannel(c.b, t.mulB, t.addB), TransformChannel(c.a, t.mulA, t.addA)};
}

inline std::uint32_t Premultiply(Rgba c) { return PackPremultiplied(c.r, c.g, c.b, c.a); }

inline bool IsIdentity(const ColorTransform& t) { return t == ColorTransform{}; }

// Applies a colour transform to a premultiplied pixel (through its straight colour).
inline std::uint32_t TransformPremultiplied(const ColorTransform& t, std::uint32_t c) {
  const std::uint32_t a = c >> 24;
  Rgba straight{0, 0, 0, static_cast<std::uint8_t>(a)};
  if (a != 0) {
    straight.r = static_cast<std::uint8_t>(std::min<std::uint32_t>(255, (((c >> 16) & 0xFF) * 255 + a / 2) / a));
    straight.g = static_cast<std::uint8_t>(std::min<std::uint32_t>(255, (((c >> 8) & 0xFF) * 255 + a / 2) / a));
    straight.b = static_cast<std::uint8_t>(std::min<std::uint32_t>(255, ((c & 0xFF) * 255 + a / 2) / a));
  }
  return Premultiply(Transform(t, straight));
}

}  // namespace tavelin::swf::render
