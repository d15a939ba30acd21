// The MovieClip drawing methods: lineStyle, beginFill, beginGradientFill, moveTo, lineTo,
// curveTo, endFill and clear. Arguments are read here (pixels, 0-100 alphas, names of
// styles) and handed to the clip's ClipDrawing in twips and 0-255 alphas.
#include <algorithm>
#include <cmath>
#include <optional>

#include "swf/avm1/builtins.h"
#include "swf/player/clip_control.h"
#include "swf/player/clip_drawing.h"

namespace tavelin::swf::avm1 {
namespace {

using player::ClipDrawing;

// Gradients keep at most this many colours.
constexpr std::size_t kMaxStops = 15;

ClipDrawing* DrawingOf(Interpreter& vm, const Value& self) {
  player::ClipAnchor* clip = vm.AnchorOf(self.AsObject());
  return clip ? vm.Clips()->Drawing(*clip) : nullptr;
}

// A coordinate in pixels as twips; what is not a number counts as 0.
std::int32_t Twips(Interpreter& vm, const Value& value) {
  const double pixels = vm.ToNumber(value);
  if (std::isnan(pixels)) return 0;
  const double limit = ClipDrawing::kMaxCoordinate;
  return static_cast<std::int32_t>(std::lround(std::clamp(pixels * 20, -limit, limit)));
}

Point PointArgs(Interpreter& vm, std::span<const Value> args, std::size_t first) {
  return {Twips(vm, Arg(args, first)), Twips(vm, Arg(args, first + 1))};
}

// 0xRRGGBB and a 0-100 alpha (100 when not given).
Rgba ColorOf(Interpreter& vm, const Value& rgb, const Value& alpha) {
  const double number = vm.ToNumber(rgb);
  const auto bits = std::isfinite(number) ? static_cast<std::uint32_t>(static_cast<std::int64_t>(std::fmod(number, 4294967296.0)))
                                          : 0u;
  double percent = alpha.IsUndefined() ? 100 : vm.ToNumber(alpha);
  if (std::isnan(percent)) percent = 0;
  percent = std::clamp(percent, 0.0, 100.0);
  return Rgba{static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits),
              static_cast<std::uint8_t>(std::lround(percent * 2.55))};
}

CapStyle Cap(const std::string& name) {
  if (name == "none") return CapStyle::kNone;
  if (name == "square") return CapStyle::kSquare;
  return CapStyle::kRound;
}

JoinStyle Join(const std::string& name) {
  if (name == "miter") return JoinStyle::kMiter;
  if (name == "bevel") return JoinStyle::kBevel;
  return JoinStyle::kRound;
}

Value LineStyleMethod(Interpreter& vm, const Value& self, std::span<const Value> args) {
  ClipDrawing* drawing = DrawingOf(vm, self);
  if (!drawing) return Value();
  if (Arg(args, 0).IsUndefined()) {
    drawing->SetLineStyle(std::nullopt);
    return Value();
  }
  double thickness = vm.ToNumber(args[0]);
  if (std::isnan(thickness)) thickness = 0;
  LineStyle line;
  line.width = static_cast<std::uint16_t>(std::lround(std::clamp(thickness, 0.0, 255.0) * 20));
  line.color = ColorOf(vm, Arg(args, 1), Arg(args, 2));
  line.pixelHinting = vm.ToBoolean(Arg(args, 3));
  if (!Arg(args, 4).IsUndefined()) {
    const std::string scale = vm.ToText(args[4]);
    line.noHScale = scale == "none" || scale == "horizontal";
    line.noVScale = scale == "none" || scale == "vertical";
  }
  if (!Arg(args, 5).IsUndefined()) line.startCap = line.endCap = Cap(vm.ToText(args[5]));
  if (!Arg(args, 6).IsUndefined()) line.join = Join(vm.ToText(args[6]));
  if (!Arg(args, 7).IsUndefined()) {
    const double limit = vm.ToNumber(args[7]);
    line.miterLimit = std::isnan(limit) ? 3.0f : static_cast<float>(std::clamp(limit, 1.0, 255.0));
  }
  drawing->SetLineStyle(line);
  return Value();
}

Value BeginFill(Interpreter& vm, const Value& self, std::span<const Value> args) {
  ClipDrawing* drawing = DrawingOf(vm, self);
  if (!drawing) return Value();
  if (Arg(args, 0).IsUndefined()) {
    drawing->BeginFill(std::nullopt);
    return Value();
  }
  FillStyle fill;
  fill.color = ColorOf(vm, args[0], Arg(args, 1));
  drawing->BeginFill(fill);
  return Value();
}

// The gradient's matrix: a box {matrixType: "box", x, y, w, h, r}, a 2x3 matrix {a, b, c,
// d, tx, ty} over the gradient square of 1638.4 pixels, or a 3x3 one {a, b, d, e, g, h}
// over the square from -1 to 1. Null when a field is missing or not a number.
std::optional<Matrix> GradientMatrix(Interpreter& vm, Object* object) {
  if (!object) return std::nullopt;
  const auto field = [&](const char* name) { return vm.ToNumber(vm.Get(object, vm.Intern(name))); };
  Matrix m;
  if (vm.Has(object, vm.Intern("matrixType"))) {
    if (vm.ToText(vm.Get(object, vm.Intern("matrixType"))) != "box") return std::nullopt;
    const double x = field("x"), y = field("y"), w = field("w"), h = field("h"), r = field("r");
    const double sx = w * 20 / 32768, sy = h * 20 / 32768;
    m = Matrix{sx * std::cos(r), sy * std::sin(r), -sx * std::sin(r), sy * std::cos(r), (x + w / 2) * 20, (y + h / 2) * 20};
  } else if (vm.Has(object, vm.Intern("tx"))) {
    m = Matrix{field("a"), field("b"), field("c"), field("d"), field("tx") * 20, field("ty") * 20};
  } else {
    constexpr double kUnit = 20.0 / 16384;
    m = Matrix{field("a") * kUnit, field("b") * kUnit, field("d") * kUnit, field("e") * kUnit, field("g") * 20, field("h") * 20};
  }
  for (const double v : {m.a, m.b, m.c, m.d, m.tx, m.ty}) {
    if (!std::isfinite(v) || std::fabs(v) > 1e12) return std::nullopt;
  }
  return m;
}

std::optional<FillStyle> GradientFill(Interpreter& vm, std::span<const Value> args) {
  const std::string type = vm.ToText(Arg(args, 0));
  if (type != "linear" && type != "radial") return std::nullopt;
  Object* colors = Arg(args, 1).AsObject();
  Object* alphas = Arg(args, 2).AsObject();
  Object* ratios = Arg(args, 3).AsObject();
  if (!colors || !alphas || !ratios) return std::nullopt;
  const std::size_t count = vm.ArrayLength(colors);
  if (count == 0 || count != vm.ArrayLength(alphas) || count != vm.ArrayLength(ratios)) return std::nullopt;
  const std::optional<Matrix> matrix = GradientMatrix(vm, Arg(args, 4).AsObject());
  if (!matrix) return std::nullopt;
  FillStyle fill;
  fill.kind = type == "linear" ? FillKind::kLinearGradient : FillKind::kRadialGradient;
  fill.matrix = *matrix;
  for (std::size_t i = 0; i < std::min(count, kMaxStops); ++i) {
    double ratio = vm.ToNumber(vm.ArrayAt(ratios, i));
    if (std::isnan(ratio)) ratio = 0;
    fill.gradient.stops.push_back(
        {static_cast<std::uint8_t>(std::lround(std::clamp(ratio, 0.0, 255.0))), ColorOf(vm, vm.ArrayAt(colors, i), vm.ArrayAt(alphas, i))});
  }
  const std::string spread = Arg(args, 5).IsUndefined() ? std::string() : vm.ToText(args[5]);
  fill.gradient.spread = spread == "reflect" ? SpreadMode::kReflect : spread == "repeat" ? SpreadMode::kRepeat : SpreadMode::kPad;
  if (!Arg(args, 6).IsUndefined() && vm.ToText(args[6]) == "linearRGB") fill.gradient.interpolation = InterpolationMode::kLinearRgb;
  if (fill.kind == FillKind::kRadialGradient && !Arg(args, 7).IsUndefined()) {
    const double focal = vm.ToNumber(args[7]);
    if (std::isfinite(focal) && focal != 0) {
      fill.kind = FillKind::kFocalGradient;
      fill.gradient.focalPoint = static_cast<float>(std::clamp(focal, -1.0, 1.0));
    }
  }
  return fill;
}

Value BeginGradientFill(Interpreter& vm, const Value& self, std::span<const Value> args) {
  if (ClipDrawing* drawing = DrawingOf(vm, self)) drawing->BeginFill(GradientFill(vm, args));
  return Value();
}

Value EndFill(Interpreter& vm, const Value& self, std::span<const Value>) {
  if (ClipDrawing* drawing = DrawingOf(vm, self)) drawing->EndFill();
  return Value();
}

Value MoveTo(Interpreter& vm, const Value& self, std::span<const Value> args) {
  if (ClipDrawing* drawing = DrawingOf(vm, self)) drawing->MoveTo(PointArgs(vm, args, 0));
  return Value();
}

Value LineTo(Interpreter& vm, const Value& self, std::span<const Value> args) {
  if (ClipDrawing* drawing = DrawingOf(vm, self)) drawing->LineTo(PointArgs(vm, args, 0));
  return Value();
}

Value CurveTo(Interpreter& vm, const Value& self, std::span<const Value> args) {
  if (ClipDrawing* drawing = DrawingOf(vm, self)) drawing->CurveTo(PointArgs(vm, args, 0), PointArgs(vm, args, 2));
  return Value();
}

Value Clear(Interpreter& vm, const Value& self, std::span<const Value>) {
  if (ClipDrawing* drawing = DrawingOf(vm, self)) drawing->Clear();
  return Value();
}

Value Ignored(Interpreter&, const Value&, std::span<const Value>) { return Value(); }

}  // namespace

void InstallClipDrawing(Interpreter& vm, Object* clipProto) {
  vm.DefineNative(clipProto, "lineStyle", LineStyleMethod);
  vm.DefineNative(clipProto, "beginFill", BeginFill);
  vm.DefineNative(clipProto, "beginGradientFill", BeginGradientFill);
  vm.DefineNative(clipProto, "endFill", EndFill);
  vm.DefineNative(clipProto, "moveTo", MoveTo);
  vm.DefineNative(clipProto, "lineTo", LineTo);
  vm.DefineNative(clipProto, "curveTo", CurveTo);
  vm.DefineNative(clipProto, "clear", Clear);
  // Bitmap fills and gradient lines are accepted and not drawn.
  vm.DefineNative(clipProto, "beginBitmapFill", Ignored);
  vm.DefineNative(clipProto, "lineGradientStyle", Ignored);
}

}  // namespace tavelin::swf::avm1
