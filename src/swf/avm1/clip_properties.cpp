#include "swf/avm1/clip_properties.h"

#include <cmath>
#include <numbers>

#include "swf/avm1/text_fields.h"
#include "swf/player/clip_control.h"
#include "swf/player/hit_test.h"

namespace tavelin::swf::avm1 {
namespace {

constexpr const char* kNames[kClipPropertyCount] = {
    "_x",     "_y",      "_xscale",      "_yscale",     "_currentframe", "_totalframes", "_alpha",     "_visible",
    "_width", "_height", "_rotation",    "_target",     "_framesloaded", "_name",        "_droptarget", "_url",
    "_highquality", "_focusrect", "_soundbuftime", "_quality", "_xmouse", "_ymouse"};

// Movie-wide settings kept as the player has them; they do not change the picture.
struct GlobalSettings {
  double highQuality = 1;
  double focusRect = 1;
  double soundBufTime = 5;
};
GlobalSettings& Settings() {
  static GlobalSettings settings;
  return settings;
}

double Scale(double a, double b) { return std::sqrt(a * a + b * b); }

}  // namespace

int ClipPropertyIndex(Interpreter& vm, String* name) {
  if (name->clipProperty != -2) return name->clipProperty;
  name->clipProperty = -1;
  if (!name->text.empty() && name->text[0] == '_') {
    const std::string& folded = vm.GetHeap().Folded(name)->text;
    for (int i = 0; i < kClipPropertyCount; ++i) {
      if (folded == kNames[i]) name->clipProperty = static_cast<std::int8_t>(i);
    }
  }
  return name->clipProperty;
}

String* ClipPropertyName(Interpreter& vm, int index) {
  return index >= 0 && index < kClipPropertyCount ? vm.Name(kNames[index]) : vm.Names().empty;
}

Value GetClipProperty(Interpreter& vm, Object* clip, int index) {
  player::ClipAnchor* anchor = vm.AnchorOf(clip);
  player::ClipControl* clips = vm.Clips();
  if (!anchor || !clips) return Value();
  const bool isRoot = anchor == &clips->Root();
  if (!isRoot && !anchor->object) return Value();
  const Matrix matrix = isRoot ? Matrix{} : anchor->object->matrix;
  namespace p = clip_property;
  switch (index) {
    case p::kX: return matrix.tx / 20.0;
    case p::kY: return matrix.ty / 20.0;
    case p::kXScale: return Scale(matrix.a, matrix.b) * 100.0;
    case p::kYScale: return Scale(matrix.c, matrix.d) * 100.0;
    case p::kRotation: {
      double degrees = std::atan2(matrix.b, matrix.a) * 180.0 / std::numbers::pi;
      return degrees;
    }
    case p::kCurrentFrame: return clips->CurrentFrame(*anchor) + 1;
    case p::kTotalFrames:
    case p::kFramesLoaded: return clips->FrameCount(*anchor);
    case p::kAlpha: return isRoot ? 100.0 : anchor->object->colorTransform.mulA * 100.0;
    case p::kVisible: return isRoot ? true : anchor->object->visible;
    case p::kWidth:
    case p::kHeight: {
      const Rect local = clips->Bounds(*anchor);
      if (local.xMin == local.xMax && local.yMin == local.yMax) return 0.0;
      const player::TransformedBox box = player::TransformBox(matrix, local);
      return (index == p::kWidth ? box.xMax - box.xMin : box.yMax - box.yMin) / 20.0;
    }
    case p::kTarget: {
      std::string path = vm.TargetPath(clip);
      // "_level0.a.b" reads "/a/b" here.
      if (path == "_level0") return vm.Intern("/");
      const std::size_t first = path.find('.');
      if (first == std::string::npos) return vm.Intern(path);  // another level's root
      std::string slash;
      for (std::size_t i = first; i < path.size(); ++i) slash += path[i] == '.' ? '/' : path[i];
      return vm.Intern(slash);
    }
    case p::kName: return isRoot || !anchor->parent ? vm.Names().empty : vm.Intern(anchor->object->name);
    case p::kDropTarget: return vm.Names().empty;
    case p::kUrl: {
      const auto found = vm.movieUrls.find(&clips->MovieOf(*anchor));
      return vm.Intern(found != vm.movieUrls.end() ? found->second : std::string("file:///movie.swf"));
    }
    case p::kHighQuality: return Settings().highQuality;
    case p::kFocusRect: return Settings().focusRect;
    case p::kSoundBufTime: return Settings().soundBufTime;
    case p::kQuality: return vm.Intern("HIGH");
    case p::kXMouse:
    case p::kYMouse: {
      // The pointer in the clip's own coordinates, in pixels.
      const Matrix toLocal = isRoot ? Matrix{} : player::Inverse(clips->ToStage(*anchor));
      const double x = vm.input.mouseX, y = vm.input.mouseY;
      const double local = index == p::kXMouse ? toLocal.a * x + toLocal.c * y + toLocal.tx : toLocal.b * x + toLocal.d * y + toLocal.ty;
      return std::round(local / 20.0 * 100.0) / 100.0;
    }
    default: return Value();
  }
}

void SetClipProperty(Interpreter& vm, Object* clip, int index, const Value& value) {
  player::ClipAnchor* anchor = vm.AnchorOf(clip);
  player::ClipControl* clips = vm.Clips();
  if (!anchor || !clips) return;
  namespace p = clip_property;
  if (index == p::kHighQuality) Settings().highQuality = vm.ToNumber(value);
  if (index == p::kFocusRect) Settings().focusRect = vm.ToNumber(value);
  if (index == p::kSoundBufTime) Settings().soundBufTime = vm.ToNumber(value);
  if (!anchor->object) return;
  player::DisplayObject& object = *anchor->object;
  Matrix& m = object.matrix;
  if (index == p::kName) {
    object.name = vm.ToText(value);
    return;
  }
  if (index == p::kVisible) {
    object.visible = vm.ToBoolean(value);
    if (!object.visible && FocusedObject(vm) == clip) SetFocus(vm, nullptr);  // hidden things lose the focus
    return;
  }
  const double number = value.IsNumber() ? value.number : vm.ToNumber(value);
  if (!std::isfinite(number)) return;
  if (index == p::kX) {
    m.tx = number * 20.0;
    return;
  }
  if (index == p::kY) {
    m.ty = number * 20.0;
    return;
  }
  const double xScale = Scale(m.a, m.b), yScale = Scale(m.c, m.d);
  const double rotation = std::atan2(m.b, m.a);
  const double skew = std::atan2(-m.c, m.d);
  switch (index) {
    case p::kXScale:
      m.a = number / 100.0 * std::cos(rotation);
      m.b = number / 100.0 * std::sin(rotation);
      break;
    case p::kYScale:
      m.c = -number / 100.0 * std::sin(skew);
      m.d = number / 100.0 * std::cos(skew);
      break;
    case p::kRotation: {
      const double radians = std::fmod(number, 360.0) * std::numbers::pi / 180.0;
      m.a = xScale * std::cos(radians);
      m.b = xScale * std::sin(radians);
      m.c = -yScale * std::sin(radians);
      m.d = yScale * std::cos(radians);
      break;
    }
    case p::kAlpha: object.colorTransform.mulA = static_cast<float>(number / 100.0); break;
    case p::kWidth:
    case p::kHeight: {
      if (ResizeField(vm, clip, index == p::kWidth, number)) break;  // fields change size, not scale
      const double current = vm.ToNumber(GetClipProperty(vm, clip, index));
      if (current <= 0) break;
      const double factor = number / current;
      if (index == p::kWidth) {
        m.a *= factor;
        m.c *= factor;
      } else {
        m.b *= factor;
        m.d *= factor;
      }
      break;
    }
    default: break;
  }
}

}  // namespace tavelin::swf::avm1
