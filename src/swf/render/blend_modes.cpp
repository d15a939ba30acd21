#include "swf/render/blend_modes.h"

#include <algorithm>

#include "swf/render/pixel.h"

namespace tavelin::swf::render {
namespace {

struct Channels {
  std::int32_t c[4];  // a, r, g, b
};

Channels Split(std::uint32_t p) {
  return {{static_cast<std::int32_t>(p >> 24), static_cast<std::int32_t>((p >> 16) & 0xFF),
           static_cast<std::int32_t>((p >> 8) & 0xFF), static_cast<std::int32_t>(p & 0xFF)}};
}

std::uint32_t Join(const Channels& ch) {
  auto clamp = [](std::int32_t v) { return static_cast<std::uint32_t>(std::clamp(v, 0, 255)); };
  const std::uint32_t a = clamp(ch.c[0]);
  // Premultiplied colour never exceeds its alpha.
  auto colour = [&](std::int32_t v) { return std::min(clamp(v), a); };
  return (a << 24) | (colour(ch.c[1]) << 16) | (colour(ch.c[2]) << 8) | colour(ch.c[3]);
}

// x * y / 255 on channel values.
std::int32_t M(std::int32_t x, std::int32_t y) {
  return static_cast<std::int32_t>(Mul255(static_cast<std::uint32_t>(std::max(x, 0)), static_cast<std::uint32_t>(std::max(y, 0))));
}

// Separable modes in premultiplied form: result = s(1 - da) + d(1 - sa) + B, where B is
// the mode's mix of the two colours scaled by both alphas.
template <class Mix>
std::uint32_t Separable(std::uint32_t src, std::uint32_t dst, Mix mix) {
  const Channels s = Split(src), d = Split(dst);
  const std::int32_t sa = s.c[0], da = d.c[0];
  Channels out;
  out.c[0] = sa + da - M(sa, da);
  for (int i = 1; i < 4; ++i) {
    out.c[i] = M(s.c[i], 255 - da) + M(d.c[i], 255 - sa) + mix(s.c[i], d.c[i], sa, da);
  }
  return Join(out);
}

}  // namespace

std::uint32_t BlendPixel(BlendMode mode, std::uint32_t src, std::uint32_t dst) {
  switch (mode) {
    case BlendMode::kNormal:
    case BlendMode::kLayer:
      return SourceOver(src, dst);
    case BlendMode::kMultiply:
      return Separable(src, dst, [](int s, int d, int, int) { return M(s, d); });
    case BlendMode::kScreen:
      return Separable(src, dst, [](int s, int d, int sa, int da) { return M(s, da) + M(d, sa) - M(s, d); });
    case BlendMode::kLighten:
      return Separable(src, dst, [](int s, int d, int sa, int da) { return std::max(M(s, da), M(d, sa)); });
    case BlendMode::kDarken:
      return Separable(src, dst, [](int s, int d, int sa, int da) { return std::min(M(s, da), M(d, sa)); });
    case BlendMode::kDifference:
      return Separable(src, dst, [](int s, int d, int sa, int da) {
        const int x = M(s, da), y = M(d, sa);
        return x > y ? x - y : y - x;
      });
    case BlendMode::kOverlay:
      return Separable(src, dst, [](int s, int d, int sa, int da) {
        return 2 * d <= da ? 2 * M(s, d) : M(sa, da) - 2 * M(da - d, sa - s);
      });
    case BlendMode::kHardlight:
      return Separable(src, dst, [](int s, int d, int sa, int da) {
        return 2 * s <= sa ? 2 * M(s, d) : M(sa, da) - 2 * M(da - d, sa - s);
      });
    case BlendMode::kAdd: {
      const Channels s = Split(src), d = Split(dst);
      return Join({{s.c[0] + d.c[0], s.c[1] + d.c[1], s.c[2] + d.c[2], s.c[3] + d.c[3]}});
    }
    case BlendMode::kSubtract: {
      const Channels s = Split(src), d = Split(dst);
      return Join({{s.c[0] + d.c[0] - M(s.c[0], d.c[0]), d.c[1] - s.c[1], d.c[2] - s.c[2], d.c[3] - s.c[3]}});
    }
    case BlendMode::kInvert: {
      // The colour below turned negative as far as the layer is opaque.
      const Channels s = Split(src), d = Split(dst);
      const int sa = s.c[0], da = d.c[0];
      Channels out{{da, 0, 0, 0}};
      for (int i = 1; i < 4; ++i) out.c[i] = M(da - d.c[i], sa) + M(d.c[i], 255 - sa);
      return Join(out);
    }
    case BlendMode::kAlpha:
      return MulPixel(dst, src >> 24);
    case BlendMode::kErase:
      return MulPixel(dst, 255 - (src >> 24));
  }
  return SourceOver(src, dst);
}

void BlendLayer(BlendMode mode, const std::uint32_t* src, const PixelBox& box, std::uint32_t* dst, int stride) {
  // A clear pixel changes nothing, in every mode: kAlpha too leaves what lies below as it
  // was where the layer is wholly transparent.
  const PixelBox& area = box;
  for (int y = area.y0; y < area.y1; ++y) {
    const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(stride);
    for (int x = area.x0; x < area.x1; ++x) {
      const std::uint32_t s = src[row + static_cast<std::size_t>(x)];
      std::uint32_t& d = dst[row + static_cast<std::size_t>(x)];
      if (s == 0) continue;
      d = mode == BlendMode::kNormal || mode == BlendMode::kLayer ? SourceOver(s, d) : BlendPixel(mode, s, d);
    }
  }
}

}  // namespace tavelin::swf::render
