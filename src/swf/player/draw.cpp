// Player::Draw: walks the display lists in depth order and hands each shape to the
// renderer with its accumulated matrix and colour transform; clip depths and the masks
// scripts set become masks, and blend modes layers.
#include <vector>

#include "swf/player/player.h"

namespace tavelin::swf::player {
namespace {

class FrameDrawer {
 public:
  FrameDrawer(render::Renderer& renderer, const Matrix& stage) : renderer_(renderer), stage_(stage) {}

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
      if (!object.visible || object.masksByScript) continue;
      const bool layered = !asMask && object.blendMode >= static_cast<std::uint8_t>(render::BlendMode::kLayer) &&
                           object.blendMode <= static_cast<std::uint8_t>(render::BlendMode::kHardlight);
      const std::shared_ptr<ClipAnchor> mask = asMask ? nullptr : object.scriptMask.lock();
      const bool masked = mask && mask->object && mask->object != &object;
      if (masked) {
        renderer_.BeginMask();
        DrawObject(*mask->object, ParentToDevice(*mask), ColorTransform{}, true, nesting);
        renderer_.EndMask();
      }
      if (layered) renderer_.BeginLayer();
      DrawObject(object, matrix, cxform, asMask, nesting);
      if (layered) renderer_.EndLayer(static_cast<render::BlendMode>(object.blendMode));
      if (masked) renderer_.PopMask();
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

  // Where the parent of a clip anywhere in the movie maps to the target.
  Matrix ParentToDevice(const ClipAnchor& clip) const {
    Matrix matrix;
    int guard = 0;
    for (const ClipAnchor* at = clip.parent.get(); at && at->object && guard < kMaxNesting; at = at->parent.get(), ++guard) {
      matrix = at->object->matrix * matrix;
    }
    return stage_ * matrix;
  }

  render::Renderer& renderer_;
  Matrix stage_;  // stage twips to target pixels
};

}  // namespace

void Player::Draw(Framebuffer& target, const Matrix& stageTwipsToPixels, render::Quality quality) const {
  render::Renderer renderer(target, quality);
  FrameDrawer drawer(renderer, stageTwipsToPixels);
  drawer.DrawTimeline(root_, stageTwipsToPixels, ColorTransform{}, false, 0);
  for (const auto& [number, level] : levels_) drawer.DrawLevel(level, stageTwipsToPixels);
}

}  // namespace tavelin::swf::player
