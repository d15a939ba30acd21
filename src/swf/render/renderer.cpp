#include "swf/render/renderer.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "swf/render/blend_modes.h"
#include "swf/render/coverage_rasterizer.h"
#include "swf/render/gradient_colors.h"
#include "swf/render/paint_source.h"
#include "swf/render/path_flattener.h"
#include "swf/render/pixel.h"
#include "swf/render/prepared_shape.h"
#include "swf/render/shared_edges.h"
#include "swf/render/span_compositor.h"
#include "swf/render/stroker.h"

namespace tavelin::swf::render {
namespace {

// Layers and masks each hold a whole-target buffer; deeper nesting than this is drawn as
// if the extra layers were normal and the extra masks hid nothing.
constexpr std::size_t kMaxNesting = 32;
// Device coordinates beyond this are not drawn (they come only from absurd matrices).
constexpr double kMaxCoordinate = 1e18;
// Strokes wider than this (in pixels) cover any target they touch anyway.
constexpr double kMaxHalfWidth = 1e7;
constexpr double kTwipsPerPixel = 20;
constexpr int kPrefetchRows = 2;
// Targets up to this many pixels (a window of 640 x 480 or so) stay in the processor's
// cache between shapes and are not prefetched.
constexpr std::size_t kCachedPixels = 320'000;

struct ColorLayer {
  std::vector<std::uint32_t> pixels;
  PixelBox dirty;  // outside it every pixel is clear
};

struct MaskLayer {
  std::vector<std::uint8_t> coverage;
  PixelBox dirty;  // outside it coverage is zero
};

bool Finite(const Matrix& m) {
  return std::isfinite(m.a) && std::isfinite(m.b) && std::isfinite(m.c) && std::isfinite(m.d) &&
         std::isfinite(m.tx) && std::isfinite(m.ty);
}

CoverageMode ModeFor(Quality quality) {
  switch (quality) {
    case Quality::kLow:
      return CoverageMode::kCentre;
    case Quality::kMedium:
      return CoverageMode::kQuarterArea;
    case Quality::kHigh:
      break;
  }
  return CoverageMode::kArea;
}

// Paints a row of the colour target.
void PaintColorRow(std::uint32_t* dst, const std::uint8_t* coverage, int count, const PaintSource& source, int y,
                   int x0, std::uint32_t* scratch) {
  if (source.kind() == PaintSource::Kind::kSolid) {
    CompositeSolidSpan(dst, source.solid(), coverage, count);
    return;
  }
  source.Generate(y, x0, count, scratch);
  CompositeSpan(dst, scratch, coverage, count);
}

// Adds coverage to a mask being built (union).
void PaintMaskRow(std::uint8_t* dst, const std::uint8_t* coverage, int count) {
  for (int i = 0; i < count; ++i) {
    const std::uint32_t k = coverage[i];
    if (k != 0) dst[i] = static_cast<std::uint8_t>(dst[i] + Mul255(k, 255u - dst[i]));
  }
}

// The pixels an extent in twips may reach under `matrix`, within `clip`.
PixelBox DeviceBox(const TwipsBox& extent, const Matrix& matrix, const PixelBox& clip) {
  double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
  for (const Point corner : {Point{extent.minX, extent.minY}, Point{extent.maxX, extent.minY},
                             Point{extent.minX, extent.maxY}, Point{extent.maxX, extent.maxY}}) {
    const DevicePoint p = Transform(matrix, corner);
    x0 = std::min(x0, p.x), y0 = std::min(y0, p.y), x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
  }
  auto clamp = [](double v, int lo, int hi) { return static_cast<int>(std::clamp(v, double(lo), double(hi))); };
  return {clamp(std::floor(x0) - 1, clip.x0, clip.x1), clamp(std::floor(y0) - 1, clip.y0, clip.y1),
          clamp(std::ceil(x1) + 1, clip.x0, clip.x1), clamp(std::ceil(y1) + 1, clip.y0, clip.y1)};
}

}  // namespace

struct Renderer::State {
  State(Framebuffer& t, Quality q) : target(t), quality(q) {}

  enum class FrameKind : std::uint8_t { kLayer, kMaskBuild, kMask };
  struct Frame {
    FrameKind kind;
    int buffer;  // index into the layer or mask pool; -1 past the nesting limit
  };

  // Where draws go: the framebuffer, a layer, a mask being built, or nowhere.
  struct DrawTarget {
    std::uint32_t* pixels = nullptr;
    std::uint8_t* coverage = nullptr;
    PixelBox* dirty = nullptr;
    bool Discards() const { return pixels == nullptr && coverage == nullptr; }
  };

  int Width() const { return target.width; }
  int Height() const { return target.height; }
  bool Usable() const {
    return target.width > 0 && target.height > 0 &&
           target.pixels.size() == static_cast<std::size_t>(target.width) * static_cast<std::size_t>(target.height);
  }
  std::size_t Area() const { return static_cast<std::size_t>(Width()) * static_cast<std::size_t>(Height()); }
  PixelBox Whole() const { return {0, 0, Width(), Height()}; }

  DrawTarget CurrentTarget() {
    for (std::size_t i = frames.size(); i-- > 0;) {
      const Frame& f = frames[i];
      if (f.kind == FrameKind::kLayer && f.buffer >= 0) {
        ColorLayer& layer = layers[static_cast<std::size_t>(f.buffer)];
        return {layer.pixels.data(), nullptr, &layer.dirty};
      }
      if (f.kind == FrameKind::kMaskBuild) {
        if (f.buffer < 0) return {};
        MaskLayer& mask = masks[static_cast<std::size_t>(f.buffer)];
        return {nullptr, mask.coverage.data(), &mask.dirty};
      }
    }
    return {target.pixels.data(), nullptr, &framebufferDirty};
  }

  // The innermost mask in force below frame `below` (it already includes the outer ones).
  const MaskLayer* ActiveMask(std::size_t below) const {
    for (std::size_t i = std::min(below, frames.size()); i-- > 0;) {
      if (frames[i].kind == FrameKind::kMask && frames[i].buffer >= 0) return &masks[static_cast<std::size_t>(frames[i].buffer)];
    }
    return nullptr;
  }

  int AcquireLayer() {
    if (frames.size() >= kMaxNesting) return -1;
    if (layersInUse == layers.size()) layers.emplace_back();
    ColorLayer& layer = layers[layersInUse];
    if (layer.pixels.size() != Area()) layer.pixels.assign(Area(), 0u);
    layer.dirty = {};
    return static_cast<int>(layersInUse++);
  }
  void ReleaseLayer() {
    ColorLayer& layer = layers[--layersInUse];
    for (int y = layer.dirty.y0; y < layer.dirty.y1; ++y) {
      auto row = layer.pixels.begin() + static_cast<std::ptrdiff_t>(y) * Width();
      std::fill(row + layer.dirty.x0, row + layer.dirty.x1, 0u);
    }
    layer.dirty = {};
  }
  int AcquireMask() {
    if (frames.size() >= kMaxNesting) return -1;
    if (masksInUse == masks.size()) masks.emplace_back();
    MaskLayer& mask = masks[masksInUse];
    if (mask.coverage.size() != Area()) mask.coverage.assign(Area(), 0);
    mask.dirty = {};
    return static_cast<int>(masksInUse++);
  }
  void ReleaseMask() {
    MaskLayer& mask = masks[--masksInUse];
    for (int y = mask.dirty.y0; y < mask.dirty.y1; ++y) {
      auto row = mask.coverage.begin() + static_cast<std::ptrdiff_t>(y) * Width();
      std::fill(row + mask.dirty.x0, row + mask.dirty.x1, std::uint8_t{0});
    }
    mask.dirty = {};
  }

  // Layers and masks are as large as the target was when they began. Should the target
  // change size under open ones, they are dropped and drawing goes on at the top level.
  void FollowTargetSize() {
    if (frameWidth == Width() && frameHeight == Height()) return;
    frames.clear();
    layersInUse = masksInUse = 0;
    for (ColorLayer& layer : layers) layer = {};
    for (MaskLayer& mask : masks) mask = {};
    framebufferDirty = {};
    frameWidth = Width();
    frameHeight = Height();
  }

  PaintSource SourceFor(const FillStyle& style, GradientColors& cache, const Matrix& matrix,
                        const ColorTransform& cxform) const;
  // `joined`: the fill is joined to the group's other fills along shared edges.
  void Fill(const PaintSource& source, FillRule rule, const DrawTarget& drawTarget, const MaskLayer* mask,
            bool joined = false);
  void DrawGroup(const StyleGroup& group, const PreparedGroup& prepared, FillRule fillRule, const Matrix& matrix,
                 const ColorTransform& cxform, const DrawTarget& drawTarget, const MaskLayer* mask,
                 const PixelBox& clip);

  Framebuffer& target;
  Quality quality;
  std::vector<Frame> frames;
  std::vector<ColorLayer> layers;
  std::vector<MaskLayer> masks;
  std::size_t layersInUse = 0, masksInUse = 0;
  PixelBox framebufferDirty;
  int frameWidth = 0, frameHeight = 0;  // the target's size the layers and masks have

  // Scratch kept between draws so drawing allocates only while buffers still grow.
  EdgeList edges;
  CoverageRasterizer rasterizer;
  SharedEdges sharedEdges;
  std::vector<PixelBox> fillBoxes, laterBoxes;
  DevicePolyline chain;
  std::vector<DevicePoint> points;
  std::vector<std::uint32_t> colors;
};

PaintSource Renderer::State::SourceFor(const FillStyle& style, GradientColors& cache, const Matrix& matrix,
                                       const ColorTransform& cxform) const {
  switch (style.kind) {
    case FillKind::kSolid:
      return PaintSource::Solid(Premultiply(Transform(cxform, style.color)));
    case FillKind::kLinearGradient:
    case FillKind::kRadialGradient:
    case FillKind::kFocalGradient:
      if (!cache.valid || !(cache.cxform == cxform)) {
        BuildGradientColors(style.gradient, cxform, cache.colors);
        cache.cxform = cxform;
        cache.valid = true;
      }
      return PaintSource::ForGradient(style.kind, style.gradient, matrix * style.matrix, cache.colors);
    case FillKind::kRepeatingBitmap:
    case FillKind::kClippedBitmap:
    case FillKind::kNonSmoothedRepeatingBitmap:
    case FillKind::kNonSmoothedClippedBitmap: {
      if (!style.bitmap) return {};
      const bool repeat = style.kind == FillKind::kRepeatingBitmap || style.kind == FillKind::kNonSmoothedRepeatingBitmap;
      const bool smooth = (style.kind == FillKind::kRepeatingBitmap || style.kind == FillKind::kClippedBitmap) &&
                          quality != Quality::kLow;
      return PaintSource::ForBitmap(*style.bitmap, matrix * style.matrix, repeat,
                                    smooth ? SampleQuality::kBilinear : SampleQuality::kNearest, cxform);
    }
  }
  return {};
}

void Renderer::State::Fill(const PaintSource& source, FillRule rule, const DrawTarget& drawTarget,
                           const MaskLayer* mask, bool joined) {
  const PixelBox box = edges.Bounds();
  if (box.Empty()) return;
  *drawTarget.dirty = drawTarget.dirty->Union(box);
  if (colors.size() < static_cast<std::size_t>(Width())) colors.resize(static_cast<std::size_t>(Width()));
  const std::size_t stride = static_cast<std::size_t>(Width());
  const int height = Height();
  const bool prefetch = Area() > kCachedPixels;
  rasterizer.Rasterize(edges, rule, ModeFor(quality), [&](int y, int x0, int count, std::uint8_t* coverage) {
    const std::size_t offset = static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x0);
    if (mask != nullptr) {
      const std::uint8_t* m = mask->coverage.data() + offset;
      for (int i = 0; i < count; ++i) coverage[i] = static_cast<std::uint8_t>(Mul255(coverage[i], m[i]));
    }
    if (drawTarget.coverage != nullptr) {
      if (joined && sharedEdges.Involves(y)) sharedEdges.MaskRow(y, x0, count, coverage, drawTarget.coverage + offset);
      PaintMaskRow(drawTarget.coverage + offset, coverage, count);
    } else {
      // A large target does not stay in cache between shapes: ask for the pixels two
      // rows down now, so they arrive while this row is painted.
      if (prefetch && y + kPrefetchRows < height) {
        const std::uint32_t* ahead = drawTarget.pixels + offset + kPrefetchRows * stride;
        for (int i = 0; i < count; i += 16) __builtin_prefetch(ahead + i, 1);
      }
      if (!joined || !sharedEdges.Involves(y)) {
        PaintColorRow(drawTarget.pixels + offset, coverage, count, source, y, x0, colors.data());
      } else if (source.kind() == PaintSource::Kind::kSolid) {
        sharedEdges.ColorRow(y, x0, count, coverage, drawTarget.pixels + offset, nullptr, source.solid());
        CompositeSolidSpan(drawTarget.pixels + offset, source.solid(), coverage, count);
      } else {
        source.Generate(y, x0, count, colors.data());
        sharedEdges.ColorRow(y, x0, count, coverage, drawTarget.pixels + offset, colors.data(), 0);
        CompositeSpan(drawTarget.pixels + offset, colors.data(), coverage, count);
      }
    }
  });
}

void Renderer::State::DrawGroup(const StyleGroup& group, const PreparedGroup& prepared, FillRule fillRule,
                                const Matrix& matrix,
                                const ColorTransform& cxform, const DrawTarget& drawTarget, const MaskLayer* mask,
                                const PixelBox& clip) {
  const bool building = drawTarget.coverage != nullptr;
  const PaintSource maskPaint = PaintSource::Solid(0xFFFFFFFFu);
  const CullBox cull{clip.x0 - 1.0, clip.y0 - 1.0, clip.x1 + 1.0, clip.y1 + 1.0};

  // Fills sharing an edge would each cover part of the pixels along it and let what lies
  // below show through, so a group with such edges has its fills joined where their boxes
  // meet. Fills that only overlap are right painted one over the other. Centre sampling
  // covers each pixel wholly or not at all, so it has no such pixels.
  const std::size_t fillCount = group.fills.size();
  bool joined = false;
  if (prepared.fillsMeet && quality != Quality::kLow && fillCount > 1) {
    fillBoxes.resize(fillCount);
    laterBoxes.resize(fillCount);
    for (std::size_t i = 0; i < fillCount; ++i) {
      fillBoxes[i] = prepared.fillRegions[i].Empty() ? PixelBox{} : DeviceBox(prepared.fillExtents[i], matrix, clip);
    }
    PixelBox later;
    for (std::size_t i = fillCount; i-- > 0;) {
      laterBoxes[i] = later;
      if (!fillBoxes[i].Intersect(later).Empty()) joined = true;
      later = later.Union(fillBoxes[i]);
    }
  }
  if (joined) sharedEdges.Begin(Height());
  PixelBox earlier;

  for (std::size_t i = 0; i < group.fills.size(); ++i) {
    const ShapeOutline& region = prepared.fillRegions[i];
    if (region.Empty()) continue;
    const PaintSource source = building ? maskPaint : SourceFor(group.fills[i], prepared.fillColors[i], matrix, cxform);
    if (source.kind() == PaintSource::Kind::kNothing) continue;
    edges.Reset(clip);
    FlattenRegion(region, matrix, cull, points, edges);
    // The even-odd rule unless the shape asks otherwise: a region's parity does not
    // depend on which way its edges run, so shapes whose tools left overlapping or
    // doubled outlines still draw as authored, and outlines drawn over themselves cut
    // holes as the drawing tools show them. Regions run with their fill on the right,
    // so the non-zero rule joins overlapping outlines.
    if (joined) {
      sharedEdges.NextFill(fillBoxes[i], earlier, laterBoxes[i]);
      earlier = earlier.Union(fillBoxes[i]);
    }
    Fill(source, fillRule, drawTarget, mask, joined);
  }
  if (joined) sharedEdges.End();

  // A mask is made of fills alone: strokes of the shapes that build it cover nothing.
  if (building) return;
  const double scaleX = std::hypot(matrix.a, matrix.b), scaleY = std::hypot(matrix.c, matrix.d);
  for (std::size_t i = 0; i < group.lines.size(); ++i) {
    const ShapeOutline& stroke = prepared.strokes[i];
    if (stroke.Empty()) continue;
    const LineStyle& line = group.lines[i];
    const PaintSource source =
        building ? maskPaint
                 : line.hasFill ? SourceFor(line.fill, prepared.lineColors[i], matrix, cxform)
                                : PaintSource::Solid(Premultiply(Transform(cxform, line.color)));
    if (source.kind() == PaintSource::Kind::kNothing) continue;
    // The width follows the matrix's smaller scale; a stroke that keeps its width when
    // scaled horizontally follows the vertical scale alone and the other way round, and
    // one that keeps both counts stage pixels. Any stroke covers at least one pixel.
    const double scale = line.noHScale && line.noVScale ? 1 / kTwipsPerPixel
                         : line.noHScale                 ? scaleY
                         : line.noVScale                 ? scaleX
                                                         : std::min(scaleX, scaleY);
    double width = std::max(line.width * scale, 1.0);
    // A hinted stroke is a whole number of pixels wide with its sides on pixel boundaries.
    PixelSnap snap;
    if (line.pixelHinting && width < kMaxHalfWidth) {
      width = std::floor(width + 0.5);
      snap.enabled = true;
      snap.offset = std::fmod(width, 2.0) == 1.0 ? 0.5 : 0.0;
    }
    StrokeGeometry geometry;
    geometry.halfWidth = std::min(width * 0.5, kMaxHalfWidth);
    geometry.startCap = line.startCap;
    geometry.endCap = line.endCap;
    geometry.join = line.join;
    geometry.miterLimit = std::isfinite(line.miterLimit) ? std::clamp(static_cast<double>(line.miterLimit), 1.0, 1000.0) : 1.0;
    const double margin = geometry.halfWidth * std::max(geometry.miterLimit, 1.5) + 1;
    const CullBox strokeCull{clip.x0 - margin, clip.y0 - margin, clip.x1 + margin, clip.y1 + margin};
    edges.Reset(clip);
    FlattenChains(stroke, matrix, strokeCull, chain,
                  [&](const DevicePolyline& polyline) { StrokePolyline(polyline, geometry, points, edges); }, snap);
    Fill(source, FillRule::kNonZero, drawTarget, mask);
  }
}

Renderer::Renderer(Framebuffer& target, Quality quality) : state_(std::make_unique<State>(target, quality)) {}

Renderer::~Renderer() = default;

void Renderer::Clear(Rgba background) {
  if (!state_->Usable()) return;
  const std::uint32_t c = 0xFF000000u | (static_cast<std::uint32_t>(background.r) << 16) |
                          (static_cast<std::uint32_t>(background.g) << 8) | background.b;
  std::fill(state_->target.pixels.begin(), state_->target.pixels.end(), c);
}

void Renderer::DrawShape(const Shape& shape, const Matrix& matrix, const ColorTransform& cxform) {
  State& s = *state_;
  s.FollowTargetSize();
  if (!s.Usable() || !Finite(matrix)) return;
  const State::DrawTarget drawTarget = s.CurrentTarget();
  if (drawTarget.Discards()) return;
  const MaskLayer* mask = s.ActiveMask(s.frames.size());
  const PixelBox clip = mask != nullptr ? s.Whole().Intersect(mask->dirty) : s.Whole();
  if (clip.Empty()) return;

  const PreparedShape& prepared = PrepareShape(shape);
  if (!prepared.hasPoints) return;
  // Skip shapes wholly outside the clip: the extent of every point, widened by the
  // farthest reach of a stroke (at the largest scale) and the one-pixel floor.
  double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
  for (const Point corner : {Point{prepared.minX, prepared.minY}, Point{prepared.maxX, prepared.minY},
                             Point{prepared.minX, prepared.maxY}, Point{prepared.maxX, prepared.maxY}}) {
    const DevicePoint p = Transform(matrix, corner);
    if (!(std::fabs(p.x) <= kMaxCoordinate && std::fabs(p.y) <= kMaxCoordinate)) return;
    x0 = std::min(x0, p.x), y0 = std::min(y0, p.y), x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
  }
  const double scale = std::max({std::hypot(matrix.a, matrix.b), std::hypot(matrix.c, matrix.d), 1 / kTwipsPerPixel});
  const double margin = std::min(prepared.strokeReach * scale, kMaxHalfWidth) + 2;
  if (x1 + margin < clip.x0 || y1 + margin < clip.y0 || x0 - margin > clip.x1 || y0 - margin > clip.y1) return;

  for (std::size_t g = 0; g < shape.groups.size(); ++g) {
    s.DrawGroup(shape.groups[g], prepared.groups[g], shape.nonZeroWinding ? FillRule::kNonZero : FillRule::kEvenOdd,
                matrix, cxform, drawTarget, mask, clip);
  }
}

void Renderer::BeginMask() {
  State& s = *state_;
  s.FollowTargetSize();
  s.frames.push_back({State::FrameKind::kMaskBuild, s.Usable() ? s.AcquireMask() : -1});
}

void Renderer::EndMask() {
  State& s = *state_;
  s.FollowTargetSize();
  if (s.frames.empty() || s.frames.back().kind != State::FrameKind::kMaskBuild) return;
  State::Frame& frame = s.frames.back();
  frame.kind = State::FrameKind::kMask;
  if (frame.buffer < 0) return;
  // Keep only what every enclosing mask lets through, so drawing consults one buffer.
  MaskLayer& mask = s.masks[static_cast<std::size_t>(frame.buffer)];
  const MaskLayer* outer = s.ActiveMask(s.frames.size() - 1);
  if (outer == nullptr) return;
  const int width = s.Width();
  for (int y = mask.dirty.y0; y < mask.dirty.y1; ++y) {
    const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    for (int x = mask.dirty.x0; x < mask.dirty.x1; ++x) {
      std::uint8_t& m = mask.coverage[row + static_cast<std::size_t>(x)];
      m = static_cast<std::uint8_t>(Mul255(m, outer->coverage[row + static_cast<std::size_t>(x)]));
    }
  }
  // Zeroed outside the outer mask's box now, but still to be cleared there on release.
}

void Renderer::PopMask() {
  State& s = *state_;
  s.FollowTargetSize();
  if (s.frames.empty() || s.frames.back().kind != State::FrameKind::kMask) return;
  if (s.frames.back().buffer >= 0) s.ReleaseMask();
  s.frames.pop_back();
}

void Renderer::BeginLayer() {
  State& s = *state_;
  s.FollowTargetSize();
  s.frames.push_back({State::FrameKind::kLayer, s.Usable() ? s.AcquireLayer() : -1});
}

void Renderer::EndLayer(BlendMode mode) {
  State& s = *state_;
  s.FollowTargetSize();
  if (s.frames.empty() || s.frames.back().kind != State::FrameKind::kLayer) return;
  const int buffer = s.frames.back().buffer;
  s.frames.pop_back();
  if (buffer < 0) return;
  const ColorLayer& layer = s.layers[static_cast<std::size_t>(buffer)];
  const State::DrawTarget below = s.CurrentTarget();
  const PixelBox box = layer.dirty.Intersect(s.Whole());
  const int width = s.Width();
  if (below.coverage != nullptr) {
    // Into a mask being built: the layer's opacity is its coverage.
    for (int y = box.y0; y < box.y1; ++y) {
      const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
      for (int x = box.x0; x < box.x1; ++x) {
        std::uint8_t& m = below.coverage[row + static_cast<std::size_t>(x)];
        m = static_cast<std::uint8_t>(m + Mul255(layer.pixels[row + static_cast<std::size_t>(x)] >> 24, 255u - m));
      }
    }
    *below.dirty = below.dirty->Union(box);
  } else if (below.pixels != nullptr) {
    const bool topLevel = below.pixels == s.target.pixels.data();
    // Alpha and erase change the opacity of the layer below; the framebuffer has none to change.
    if (!(topLevel && (mode == BlendMode::kAlpha || mode == BlendMode::kErase))) {
      BlendLayer(mode, layer.pixels.data(), box, below.pixels, width);
      if (mode != BlendMode::kAlpha && mode != BlendMode::kErase) *below.dirty = below.dirty->Union(box);
    }
  }
  s.ReleaseLayer();
}

}  // namespace tavelin::swf::render
