#pragma once
// What a region is painted with: one colour, a gradient's colour table, or a bitmap, each
// already carrying the colour transform. Produces premultiplied colours for a run of
// pixels of one row, so the compositor never asks per pixel what kind of fill it has.

#include <array>
#include <cstdint>

#include "swf/format/records.h"
#include "swf/render/gradient_colors.h"

namespace tavelin::swf::render {

enum class SampleQuality : std::uint8_t { kNearest, kBilinear };

class PaintSource {
 public:
  enum class Kind : std::uint8_t { kNothing, kSolid, kLinear, kRadial, kFocal, kBitmap };

  static PaintSource Solid(std::uint32_t premultiplied);
  // `toDevice` maps the gradient square (-16384..16384) to device pixels; `colors` must
  // outlive the source.
  static PaintSource ForGradient(FillKind kind, const Gradient& gradient, const Matrix& toDevice,
                                 const GradientTable& colors);
  // `toDevice` maps bitmap pixels to device pixels.
  static PaintSource ForBitmap(const Bitmap& bitmap, const Matrix& toDevice, bool repeat, SampleQuality sampling,
                               const ColorTransform& cxform);

  Kind kind() const { return kind_; }
  std::uint32_t solid() const { return solid_; }

  // Colours of pixels x0 .. x0 + count - 1 of row y.
  void Generate(int y, int x0, int count, std::uint32_t* out) const;

 private:
  void GenerateGradient(int y, int x0, int count, std::uint32_t* out) const;
  void GenerateBitmap(int y, int x0, int count, std::uint32_t* out) const;

  Kind kind_ = Kind::kNothing;
  std::uint32_t solid_ = 0;
  // Device pixel centre to fill space: u = ua*x + uc*y + utx, v = ub*x + ud*y + uty.
  // For gradients fill space is the unit square (-1..1); for bitmaps, texels.
  double ua_ = 0, ub_ = 0, uc_ = 0, ud_ = 0, utx_ = 0, uty_ = 0;
  GradientLookup colors_;
  SpreadMode spread_ = SpreadMode::kPad;
  float focal_ = 0;
  const Bitmap* bitmap_ = nullptr;
  bool repeat_ = false;
  SampleQuality sampling_ = SampleQuality::kNearest;
  bool transformTexels_ = false;
  ColorTransform cxform_;
};

// The inverse of `m`, or false when it squashes the plane (or overflows).
bool Invert(const Matrix& m, Matrix& inverse);

}  // namespace tavelin::swf::render
