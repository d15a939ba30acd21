// Player::Draw: walks the display lists in depth order and hands each shape to the
// renderer with its accumulated matrix and colour transform; clip depths become masks
// and blend modes layers.
#include <vector>

#include "swf/player/player.h"

namespace tavelin::swf::player {
namespace {

class FrameDrawer {
 public:
  explicit FrameDrawer(render::Renderer& renderer) : renderer_(renderer) {}

  // `asMask`: the objects build a mask's coverage, so masks and layers inside them
  // are not set up again.
  void DrawList(const DisplayList& list, const Matrix& matrix, const ColorTransform& cxform, bool asMask, int nesting) {
    std::vector<std::uint16_t> openMasks;  // clip depths, innermost last
    for (const auto& [depth, object] : list) {
      while (!openMasks.empty() && depth > openMasks.back()) {
        renderer_.PopMask();
        openMasks.pop_back();
      }
      if (object.clipDepth > 0) {
        if (asMask) continue;
        renderer_.BeginMask();
        DrawObject(object, matrix, cxform, true, nesting);
        renderer_.EndMask();
        openMasks.push_back(object.clipDepth);
        continue;
      }
      if (!object.visible) continue;
      const bool layered = !asMask && object.blendMode >= static_cast<std::uint8_t>(render::BlendMode::kLayer) &&
                           object.blendMode <= static_cast<std::uint8_t>(render::BlendMode::kHardlight);
      if (layered) renderer_.BeginLayer();
      DrawObject(object, matrix, cxform, asMask, nesting);
      if (layered) renderer_.EndLayer(static_cast<render::BlendMode>(object.blendMode));
    }
    for (std::size_t i = 0; i < openMasks.size(); ++i) renderer_.PopMask();
  }

  // A clip's scripted drawing, then its children above it.
  void DrawTimeline(const TimelineState& timeline, const Matrix& matrix, const ColorTransform& cxform, bool asMask, int nesting) {
    if (const auto drawn = timeline.Drawn()) renderer_.DrawShape(*drawn, matrix, cxform);
    DrawList(timeline.list, matrix, cxform, asMask, nesting);
  }

  // A level's movie, above the levels below it.
  void DrawLevel(const DisplayObject& level, const Matrix& stage) {
    if (level.visible) DrawObject(level, stage, ColorTransform{}, false, 0);
  }

 private:
  void DrawObject(const DisplayObject& object, const Matrix& parent, const ColorTransform& parentCx, bool asMask, int nesting) {
    const Matrix matrix = parent * object.matrix;
    const ColorTransform cxform = parentCx * object.colorTransform;
    if (const auto* shape = std::get_if<std::shared_ptr<const Shape>>(&object.character)) {
      renderer_.DrawShape(**shape, matrix, cxform);
    } else if (std::holds_alternative<std::shared_ptr<const MorphCharacter>>(object.character)) {
      if (object.morphed) renderer_.DrawShape(*object.morphed, matrix, cxform);
    } else if (const auto* text = std::get_if<std::shared_ptr<const TextCharacter>>(&object.character)) {
      if ((*text)->background) renderer_.DrawShape(*(*text)->background, matrix, cxform);
      for (const PlacedGlyph& glyph : (*text)->glyphs) renderer_.DrawShape(*glyph.glyph, matrix * glyph.matrix, cxform * glyph.tint);
    } else if (object.timeline && nesting < kMaxNesting) {
      DrawTimeline(*object.timeline, matrix, cxform, asMask, nesting + 1);
    }
  }

  render::Renderer& renderer_;
};

}  // namespace

void Player::Draw(Framebuffer& target, const Matrix& stageTwipsToPixels, render::Quality quality) const {
  render::Renderer renderer(target, quality);
  FrameDrawer drawer(renderer);
  drawer.DrawTimeline(root_, stageTwipsToPixels, ColorTransform{}, false, 0);
  for (const auto& [number, level] : levels_) drawer.DrawLevel(level, stageTwipsToPixels);
}

}  // namespace tavelin::swf::player
