#include "swf/render/gradient_colors.h"

#include <algorithm>
#include <cmath>

#include "swf/render/pixel.h"

namespace tavelin::swf::render {
namespace {

constexpr std::size_t kMaxStops = 15;

float ToLinear(float c) {
  c /= 255.0f;
  return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
}

float FromLinear(float c) {
  const float s = c <= 0.0031308f ? c * 12.92f : 1.055f * std::pow(c, 1.0f / 2.4f) - 0.055f;
  return std::clamp(s * 255.0f, 0.0f, 255.0f);
}

}  // namespace

void BuildGradientColors(const Gradient& gradient, const ColorTransform& cxform,
                         std::array<std::uint32_t, 256>& colors) {
  const std::size_t count = std::min(gradient.stops.size(), kMaxStops);
  if (count == 0) {
    colors.fill(0);
    return;
  }
  // The stops as the movie gives them: each entry takes the first stop at or past its
  // ratio and the one before it in the list. For stops in ratio order (as movies
  // normally give them) that is the pair around the entry; stops out of order make the
  // bands the original player shows for them.
  const GradientStop* stops = gradient.stops.data();
  const bool linear = gradient.interpolation == InterpolationMode::kLinearRgb;

  for (int i = 0; i < 256; ++i) {
    std::size_t next = 0;
    while (next < count && stops[next].ratio < i) ++next;
    Rgba c;
    if (next == 0) {
      c = stops[0].color;
    } else if (next == count) {
      c = stops[count - 1].color;
    } else {
      const GradientStop& a = stops[next - 1];
      const GradientStop& b = stops[next];
      const float f = static_cast<float>(i - a.ratio) / static_cast<float>(b.ratio - a.ratio);
      auto mix = [&](std::uint8_t x, std::uint8_t y) {
        if (linear) return FromLinear(ToLinear(x) + (ToLinear(y) - ToLinear(x)) * f);
        return static_cast<float>(x) + (static_cast<float>(y) - static_cast<float>(x)) * f;
      };
      auto round = [](float v) { return static_cast<std::uint8_t>(std::clamp(v + 0.5f, 0.0f, 255.0f)); };
      c = {round(mix(a.color.r, b.color.r)), round(mix(a.color.g, b.color.g)), round(mix(a.color.b, b.color.b)),
           round(static_cast<float>(a.color.a) + (static_cast<float>(b.color.a) - a.color.a) * f)};
    }
    colors[static_cast<std::size_t>(i)] = Premultiply(Transform(cxform, c));
  }
}

}  // namespace tavelin::swf::render
