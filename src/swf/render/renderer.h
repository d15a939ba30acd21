#pragma once
// Draws shapes into a framebuffer: the anti-aliased rasterizer with its fills, strokes,
// colour transforms, masks and blend modes. The player walks its display list and calls
// these members in depth order; the renderer knows nothing of timelines.

#include <memory>

#include "swf/format/records.h"
#include "swf/framebuffer.h"

namespace tavelin::swf::render {

// Anti-aliasing and bitmap smoothing. High: at least 16 coverage levels per pixel edge
// and smoothed bitmaps; Medium: fewer levels; Low: none, bitmaps unsmoothed.
enum class Quality { kLow, kMedium, kHigh };

// The values PlaceObject3 gives; 0 and 1 both mean normal.
enum class BlendMode : std::uint8_t {
  kNormal = 1, kLayer, kMultiply, kScreen, kLighten, kDarken, kDifference, kAdd,
  kSubtract, kInvert, kAlpha, kErase, kOverlay, kHardlight,
};

class Renderer {
 public:
  // Draws into `target`, which keeps its size; everything is clipped to it.
  Renderer(Framebuffer& target, Quality quality);
  ~Renderer();
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  // Fills the whole target with an opaque colour.
  void Clear(Rgba background);

  // Draws a shape. `matrix` maps the shape's twips to target pixels (the player folds
  // the stage mapping and every parent's matrix into it); `cxform` colours it.
  void DrawShape(const Shape& shape, const Matrix& matrix, const ColorTransform& cxform);

  // Masks. Draws between BeginMask and EndMask build the mask's coverage instead of
  // painting; after EndMask, draws show only where the mask (and every enclosing mask)
  // covers, until the matching PopMask. Masks nest.
  void BeginMask();
  void EndMask();
  void PopMask();

  // Blend modes. Draws between BeginLayer and EndLayer go into a transparent layer that
  // is then composited onto what lies below with `mode`. Layers nest.
  void BeginLayer();
  void EndLayer(BlendMode mode);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace tavelin::swf::render
