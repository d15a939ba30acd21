#include "swf/render/gradient_colors.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "swf/render/pixel.h"

namespace tavelin::swf::render {
namespace {

constexpr std::size_t kMaxStops = 15;

// Each 8-bit channel value's linear light, worked out once.
float ToLinear(std::uint8_t value) {
  static const std::array<float, 256> table = [] {
    std::array<float, 256> t{};
    for (int i = 0; i < 256; ++i) {
      const float c = static_cast<float>(i) / 255.0f;
      t[static_cast<std::size_t>(i)] = c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
    }
    return t;
  }();
  return table[value];
}

// The 8-bit channel value of a linear light from 0 to 1, looked up among 16,384 steps
// (fine enough near black, where the curve is steepest) instead of a power per entry.
float FromLinear(float c) {
  constexpr int kSteps = 16384;
  static const std::array<std::uint8_t, kSteps> table = [] {
    std::array<std::uint8_t, kSteps> t{};
    for (int i = 0; i < kSteps; ++i) {
      const float l = static_cast<float>(i) / (kSteps - 1);
      const float v = l <= 0.0031308f ? l * 12.92f : 1.055f * std::pow(l, 1.0f / 2.4f) - 0.055f;
      t[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(std::clamp(v * 255.0f + 0.5f, 0.0f, 255.0f));
    }
    return t;
  }();
  const float index = std::clamp(c, 0.0f, 1.0f) * (kSteps - 1) + 0.5f;
  return table[static_cast<std::size_t>(index)];
}

// Entries enough that no channel changes by more than about one step from one entry to
// the next (a power of two from 256 to kMaxGradientEntries).
int EntriesFor(const GradientStop* stops, std::size_t count) {
  int steepest = 1;  // most channel steps per ratio, rounded up
  for (std::size_t k = 1; k < count; ++k) {
    const Rgba a = stops[k - 1].color, b = stops[k].color;
    const int change = std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b), std::abs(a.a - b.a)});
    const int span = std::max(1, std::abs(stops[k].ratio - stops[k - 1].ratio));
    steepest = std::max(steepest, (change + span - 1) / span);
  }
  int entries = 256;
  while (entries < kMaxGradientEntries && entries < 256 * steepest) entries *= 2;
  return entries;
}

}  // namespace

void BuildGradientColors(const Gradient& gradient, const ColorTransform& cxform, GradientTable& colors) {
  const std::size_t count = std::min(gradient.stops.size(), kMaxStops);
  if (count == 0) {
    colors.assign(256, 0u);
    return;
  }
  const int entries = EntriesFor(gradient.stops.data(), count);
  colors.resize(static_cast<std::size_t>(entries));
  // The stops as the movie gives them: each entry takes the first stop at or past its
  // ratio and the one before it in the list. For stops in ratio order (as movies
  // normally give them) that is the pair around the entry; stops out of order make the
  // bands the original player shows for them.
  const GradientStop* stops = gradient.stops.data();
  const bool linear = gradient.interpolation == InterpolationMode::kLinearRgb;

  // The first stop at or past each whole ratio: stop ratios are whole numbers, so an
  // entry between two whole ratios has the pair of the higher one.
  std::array<std::uint8_t, 256> nextFor{};
  for (std::size_t r = 0; r < nextFor.size(); ++r) {
    std::size_t next = 0;
    while (next < count && stops[next].ratio < r) ++next;
    nextFor[r] = static_cast<std::uint8_t>(next);
  }
  std::array<float, kMaxStops> perSpan{};  // 1 / (ratio of stop k - ratio of stop k - 1)
  for (std::size_t k = 1; k < count; ++k) {
    const int span = stops[k].ratio - stops[k - 1].ratio;
    perSpan[k] = span > 0 ? 1.0f / static_cast<float>(span) : 0.0f;
  }
  // The colour transform of each channel value, looked up per entry.
  std::array<std::array<std::uint8_t, 256>, 4> transformed;
  for (int v = 0; v < 256; ++v) {
    const auto i = static_cast<std::size_t>(v);
    const float value = static_cast<float>(v);
    transformed[0][i] = TransformChannel(value, cxform.mulR, cxform.addR);
    transformed[1][i] = TransformChannel(value, cxform.mulG, cxform.addG);
    transformed[2][i] = TransformChannel(value, cxform.mulB, cxform.addB);
    transformed[3][i] = TransformChannel(value, cxform.mulA, cxform.addA);
  }
  // Mixes of values 0..255 with f in (0, 1] stay in 0..255: rounding needs no clamp.
  auto round = [](float v) { return static_cast<std::uint32_t>(v + 0.5f); };
  const float ratioPerEntry = 255.0f / static_cast<float>(entries - 1);
  for (int i = 0; i < entries; ++i) {
    const float ratio = static_cast<float>(i) * ratioPerEntry;
    const int whole = static_cast<int>(ratio);
    const std::size_t next = nextFor[static_cast<std::size_t>(std::min(static_cast<float>(whole) < ratio ? whole + 1 : whole, 255))];
    std::uint32_t r, g, b, a;
    if (next == 0 || next == count) {
      const Rgba c = stops[next == 0 ? 0 : count - 1].color;
      r = c.r, g = c.g, b = c.b, a = c.a;
    } else {
      const Rgba x = stops[next - 1].color, y = stops[next].color;
      const float f = (ratio - static_cast<float>(stops[next - 1].ratio)) * perSpan[next];
      auto mix = [f](std::uint8_t from, std::uint8_t to) {
        return static_cast<float>(from) + (static_cast<float>(to) - static_cast<float>(from)) * f;
      };
      if (linear) {
        auto mixLinear = [f](std::uint8_t from, std::uint8_t to) {
          return static_cast<std::uint32_t>(FromLinear(ToLinear(from) + (ToLinear(to) - ToLinear(from)) * f));
        };
        r = mixLinear(x.r, y.r), g = mixLinear(x.g, y.g), b = mixLinear(x.b, y.b);
      } else {
        r = round(mix(x.r, y.r)), g = round(mix(x.g, y.g)), b = round(mix(x.b, y.b));
      }
      a = round(mix(x.a, y.a));
    }
    colors[static_cast<std::size_t>(i)] =
        PackPremultiplied(transformed[0][r], transformed[1][g], transformed[2][b], transformed[3][a]);
  }
}

}  // namespace tavelin::swf::render
