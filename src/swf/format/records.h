#pragma once
// The plain records a movie's definitions decode into, shared by the tag decoders, the
// rasterizer and the player. Coordinates are twips (1/20 pixel) unless a field says
// otherwise. These are data only: no drawing and no parsing live here.

#include <cstdint>
#include <memory>
#include <vector>

namespace tavelin::swf {

struct Rgba {
  std::uint8_t r = 0, g = 0, b = 0, a = 255;
  friend bool operator==(const Rgba&, const Rgba&) = default;
};

struct Rect {
  std::int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// The smallest rectangle holding both.
inline Rect Enclosing(const Rect& a, const Rect& b) {
  return {a.xMin < b.xMin ? a.xMin : b.xMin, a.xMax > b.xMax ? a.xMax : b.xMax, a.yMin < b.yMin ? a.yMin : b.yMin,
          a.yMax > b.yMax ? a.yMax : b.yMax};
}

// An affine map: x' = a*x + c*y + tx, y' = b*x + d*y + ty (the movie's scaleX,
// rotateSkew0, rotateSkew1, scaleY, translateX, translateY).
struct Matrix {
  double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

  // The map that applies `inner` first, then this one.
  Matrix operator*(const Matrix& inner) const {
    return {a * inner.a + c * inner.b,       b * inner.a + d * inner.b,
            a * inner.c + c * inner.d,       b * inner.c + d * inner.d,
            a * inner.tx + c * inner.ty + tx, b * inner.tx + d * inner.ty + ty};
  }
  friend bool operator==(const Matrix&, const Matrix&) = default;
};

// A colour transform: channel' = clamp(channel * mul + add), add in 0..255 units.
struct ColorTransform {
  float mulR = 1, mulG = 1, mulB = 1, mulA = 1;
  float addR = 0, addG = 0, addB = 0, addA = 0;

  // The transform that applies `inner` first, then this one.
  ColorTransform operator*(const ColorTransform& inner) const {
    return {mulR * inner.mulR, mulG * inner.mulG, mulB * inner.mulB, mulA * inner.mulA,
            mulR * inner.addR + addR, mulG * inner.addG + addG, mulB * inner.addB + addB,
            mulA * inner.addA + addA};
  }
  friend bool operator==(const ColorTransform&, const ColorTransform&) = default;
};

// A decoded bitmap: premultiplied 0xAARRGGBB, rows top to bottom.
struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

enum class SpreadMode : std::uint8_t { kPad, kReflect, kRepeat };
enum class InterpolationMode : std::uint8_t { kRgb, kLinearRgb };

struct GradientStop {
  std::uint8_t ratio = 0;  // 0..255 along the gradient
  Rgba color;
};

struct Gradient {
  SpreadMode spread = SpreadMode::kPad;
  InterpolationMode interpolation = InterpolationMode::kRgb;
  std::vector<GradientStop> stops;
  float focalPoint = 0;  // -1..1, focal radial gradients only
};

enum class FillKind : std::uint8_t {
  kSolid,
  kLinearGradient,
  kRadialGradient,
  kFocalGradient,
  kRepeatingBitmap,
  kClippedBitmap,
  kNonSmoothedRepeatingBitmap,
  kNonSmoothedClippedBitmap,
};

struct FillStyle {
  FillKind kind = FillKind::kSolid;
  Rgba color;  // solid fills
  // Gradients: maps the gradient square (-16384..16384 twips on both axes) into shape
  // space. Bitmaps: maps bitmap pixels into shape space.
  Matrix matrix;
  Gradient gradient;
  std::uint16_t bitmapId = 0;
  // The bitmap named by bitmapId, filled in by the player when the shape is defined;
  // null when the movie defines no such bitmap (drawn as nothing).
  std::shared_ptr<const Bitmap> bitmap;
};

enum class CapStyle : std::uint8_t { kRound, kNone, kSquare };
enum class JoinStyle : std::uint8_t { kRound, kBevel, kMiter };

struct LineStyle {
  std::uint16_t width = 0;  // twips; 0 is a hairline, one pixel wide at any scale
  Rgba color;
  CapStyle startCap = CapStyle::kRound;
  CapStyle endCap = CapStyle::kRound;
  JoinStyle join = JoinStyle::kRound;
  float miterLimit = 3;
  bool noHScale = false;
  bool noVScale = false;
  bool pixelHinting = false;
  bool noClose = false;
  bool hasFill = false;  // stroke painted with `fill` instead of `color`
  FillStyle fill;
};

struct Point {
  std::int32_t x = 0, y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// A straight edge, or a quadratic curve through `control`, ending at `to`.
struct Segment {
  Point control;
  Point to;
  bool curved = false;
};

// A run of connected edges drawn with one set of styles. Style numbers are 1-based
// indices into the enclosing StyleGroup's lists; 0 means none. fill0 is the fill on the
// left of the edges as they run, fill1 the fill on their right.
struct ShapePath {
  std::uint32_t fill0 = 0, fill1 = 0, line = 0;
  Point start;
  std::vector<Segment> segments;
};

// Styles and the paths that use them. A shape starts a new group each time it brings
// new style lists; paths refer only to their own group's styles.
struct StyleGroup {
  std::vector<FillStyle> fills;
  std::vector<LineStyle> lines;
  std::vector<ShapePath> paths;
};

struct Shape {
  Rect bounds;  // including strokes
  std::vector<StyleGroup> groups;
  // Overlapping outlines of one fill join instead of cutting holes (a hint of the
  // fourth kind of shape).
  bool nonZeroWinding = false;
  // Whatever the rasterizer prepares once per shape (flattened edges, for instance);
  // owned and typed by the rasterizer, empty until it first draws the shape.
  mutable std::shared_ptr<const void> prepared;
};

}  // namespace tavelin::swf
