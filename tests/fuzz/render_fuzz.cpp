// Any bytes, read as a shape (styles, edges, curves, absurd coordinates) and a matrix,
// must draw without failing, in bounded time, at every quality, masked and layered.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

#include "swf/format/records.h"
#include "swf/framebuffer.h"
#include "swf/render/renderer.h"

namespace {

using namespace tavelin::swf;

class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool Empty() const { return at_ >= size_; }
  std::uint8_t U8() { return at_ < size_ ? data_[at_++] : 0; }
  std::uint16_t U16() { return static_cast<std::uint16_t>(U8() | (U8() << 8)); }
  std::int32_t I32() { return static_cast<std::int32_t>(static_cast<std::uint32_t>(U16()) | (static_cast<std::uint32_t>(U16()) << 16)); }
  // Small coordinates most of the time, anything now and then.
  std::int32_t Coordinate() {
    const std::uint8_t kind = U8();
    if (kind < 200) return static_cast<std::int16_t>(U16()) / 4;
    return I32();
  }
  double Scale() {
    const std::uint8_t kind = U8();
    switch (kind % 8) {
      case 0: return 0;
      case 1: return std::ldexp(1.0, static_cast<int>(U8() % 200) - 100) * (U8() & 1 ? -1 : 1);
      case 2: return static_cast<std::int16_t>(U16()) * 1e-3;
      default: return static_cast<std::int16_t>(U16()) / 65536.0;
    }
  }
  Rgba Color() { return {U8(), U8(), U8(), U8()}; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

FillStyle ReadFill(ByteReader& in, const std::shared_ptr<const Bitmap>& bitmap) {
  FillStyle fill;
  fill.kind = static_cast<FillKind>(in.U8() % 8);
  fill.color = in.Color();
  fill.matrix = {in.Scale() * 100, in.Scale(), in.Scale(), in.Scale() * 100, static_cast<double>(in.Coordinate()),
                 static_cast<double>(in.Coordinate())};
  fill.gradient.spread = static_cast<SpreadMode>(in.U8() % 3);
  fill.gradient.interpolation = static_cast<InterpolationMode>(in.U8() % 2);
  fill.gradient.focalPoint = static_cast<float>(static_cast<std::int8_t>(in.U8())) / 64.0f;
  const int stops = in.U8() % 17;
  for (int i = 0; i < stops; ++i) fill.gradient.stops.push_back({in.U8(), in.Color()});
  if (in.U8() & 1) fill.bitmap = bitmap;
  return fill;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteReader in(data, size);
  auto bitmap = std::make_shared<Bitmap>();
  bitmap->width = 1 + in.U8() % 4;
  bitmap->height = 1 + in.U8() % 4;
  for (int i = 0; i < bitmap->width * bitmap->height; ++i) {
    const std::uint8_t a = in.U8();
    const std::uint8_t c = static_cast<std::uint8_t>(in.U8() % (a + 1));
    bitmap->pixels.push_back((static_cast<std::uint32_t>(a) << 24) | (static_cast<std::uint32_t>(c) << 16) | c);
  }

  Shape shape;
  const int groups = 1 + in.U8() % 3;
  for (int g = 0; g < groups && !in.Empty(); ++g) {
    StyleGroup& group = shape.groups.emplace_back();
    const int fills = in.U8() % 4, lines = in.U8() % 3;
    for (int i = 0; i < fills; ++i) group.fills.push_back(ReadFill(in, bitmap));
    for (int i = 0; i < lines; ++i) {
      LineStyle line;
      line.width = in.U16();
      line.color = in.Color();
      const std::uint8_t flags = in.U8();
      line.startCap = static_cast<CapStyle>(flags % 3);
      line.endCap = static_cast<CapStyle>((flags / 3) % 3);
      line.join = static_cast<JoinStyle>((flags / 9) % 3);
      line.noHScale = flags & 0x20, line.noVScale = flags & 0x40, line.noClose = flags & 0x80;
      line.miterLimit = static_cast<float>(in.U8()) / 8.0f;
      line.hasFill = in.U8() & 1;
      if (line.hasFill) line.fill = ReadFill(in, bitmap);
      group.lines.push_back(line);
    }
    const int paths = in.U8() % 6;
    for (int p = 0; p < paths && !in.Empty(); ++p) {
      ShapePath& path = group.paths.emplace_back();
      path.fill0 = in.U8() % 5, path.fill1 = in.U8() % 5, path.line = in.U8() % 4;
      path.start = {in.Coordinate(), in.Coordinate()};
      const int segments = in.U8();
      for (int s = 0; s < segments && !in.Empty(); ++s) {
        Segment segment;
        segment.curved = in.U8() & 1;
        segment.control = {in.Coordinate(), in.Coordinate()};
        segment.to = {in.Coordinate(), in.Coordinate()};
        path.segments.push_back(segment);
      }
    }
  }

  const Matrix matrix{in.Scale(), in.Scale(), in.Scale(), in.Scale(), static_cast<double>(in.Coordinate()) / 20,
                      static_cast<double>(in.Coordinate()) / 20};
  ColorTransform cxform;
  cxform.mulA = static_cast<float>(in.U8()) / 128.0f;
  cxform.addR = static_cast<float>(static_cast<std::int8_t>(in.U8()));
  const auto quality = static_cast<render::Quality>(in.U8() % 3);
  const std::uint8_t nesting = in.U8();

  Framebuffer framebuffer;
  framebuffer.Resize(in.U8() % 64, in.U8() % 64);
  render::Renderer renderer(framebuffer, quality);
  renderer.Clear({255, 255, 255, 255});
  renderer.DrawShape(shape, matrix, cxform);
  // The same shape again (now prepared), as a mask and inside a layer.
  if (nesting & 1) renderer.BeginMask();
  renderer.DrawShape(shape, matrix, cxform);
  if (nesting & 1) renderer.EndMask();
  if (nesting & 2) renderer.BeginLayer();
  renderer.DrawShape(shape, Matrix{}, cxform);
  if (nesting & 2) renderer.EndLayer(static_cast<render::BlendMode>(1 + (nesting >> 2) % 14));
  if (nesting & 1) renderer.PopMask();
  // Unbalanced calls are ignored.
  renderer.PopMask();
  renderer.EndLayer(render::BlendMode::kAlpha);
  for (std::uint32_t pixel : framebuffer.pixels) {
    if ((pixel >> 24) != 255) __builtin_trap();  // the framebuffer stays opaque
  }
  return 0;
}
