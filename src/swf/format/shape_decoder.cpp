#include "swf/format/shape_decoder.h"

#include <algorithm>
#include <cstdint>

namespace tavelin::swf::format {
namespace {

// Pen moves in 64 bits, saturated: deltas of absurd files must not overflow.
std::int32_t Moved(std::int32_t from, std::int64_t delta) {
  const std::int64_t to = from + delta;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(to, INT32_MIN, INT32_MAX));
}

Gradient ReadGradient(Reader& reader, int version, bool focal) {
  Gradient gradient;
  const std::uint32_t spread = reader.Bits(2);
  const std::uint32_t interpolation = reader.Bits(2);
  const std::uint32_t count = reader.Bits(4);
  // Older shapes leave these bits zero; values past the known ones mean the default.
  gradient.spread = spread == 1 ? SpreadMode::kReflect : spread == 2 ? SpreadMode::kRepeat : SpreadMode::kPad;
  gradient.interpolation = interpolation == 1 ? InterpolationMode::kLinearRgb : InterpolationMode::kRgb;
  for (std::uint32_t i = 0; i < count; ++i) {
    GradientStop stop;
    stop.ratio = reader.U8();
    stop.color = version >= 3 ? reader.ReadRgba() : reader.ReadRgb();
    gradient.stops.push_back(stop);
  }
  if (focal) gradient.focalPoint = static_cast<float>(reader.Fixed8());
  return gradient;
}

std::size_t ReadStyleCount(Reader& reader, int version) {
  std::size_t count = reader.U8();
  if (count == 0xFF && version >= 2) count = reader.U16();
  return count;
}

LineStyle ReadLineStyle(Reader& reader, int version) {
  LineStyle line;
  line.width = reader.U16();
  if (version < 4) {
    line.color = version >= 3 ? reader.ReadRgba() : reader.ReadRgb();
    return line;
  }
  ReadLineStyle2Flags(reader, line);
  if (line.hasFill) {
    line.fill = ReadFillStyle(reader, version);
  } else {
    line.color = reader.ReadRgba();
  }
  return line;
}

void ReadStyles(Reader& reader, int version, StyleGroup& group) {
  const std::size_t fills = ReadStyleCount(reader, version);
  for (std::size_t i = 0; i < fills; ++i) group.fills.push_back(ReadFillStyle(reader, version));
  const std::size_t lines = ReadStyleCount(reader, version);
  for (std::size_t i = 0; i < lines; ++i) group.lines.push_back(ReadLineStyle(reader, version));
}

}  // namespace

void ReadLineStyle2Flags(Reader& reader, LineStyle& line) {
  const auto cap = [](std::uint32_t v) { return v == 1 ? CapStyle::kNone : v == 2 ? CapStyle::kSquare : CapStyle::kRound; };
  line.startCap = cap(reader.Bits(2));
  const std::uint32_t join = reader.Bits(2);
  line.join = join == 1 ? JoinStyle::kBevel : join == 2 ? JoinStyle::kMiter : JoinStyle::kRound;
  line.hasFill = reader.Flag();
  line.noHScale = reader.Flag();
  line.noVScale = reader.Flag();
  line.pixelHinting = reader.Flag();
  reader.Bits(5);
  line.noClose = reader.Flag();
  line.endCap = cap(reader.Bits(2));
  if (join == 2) line.miterLimit = static_cast<float>(reader.Fixed8());
}

FillStyle ReadFillStyle(Reader& reader, int version) {
  FillStyle fill;
  const std::uint8_t type = reader.U8();
  switch (type) {
    case 0x00:
      fill.kind = FillKind::kSolid;
      fill.color = version >= 3 ? reader.ReadRgba() : reader.ReadRgb();
      break;
    case 0x10:
    case 0x12:
    case 0x13:
      fill.kind = type == 0x10 ? FillKind::kLinearGradient : type == 0x12 ? FillKind::kRadialGradient : FillKind::kFocalGradient;
      fill.matrix = reader.ReadMatrix();
      fill.gradient = ReadGradient(reader, version, type == 0x13);
      break;
    case 0x40:
    case 0x41:
    case 0x42:
    case 0x43: {
      static constexpr FillKind kBitmapKinds[] = {FillKind::kRepeatingBitmap, FillKind::kClippedBitmap,
                                                  FillKind::kNonSmoothedRepeatingBitmap, FillKind::kNonSmoothedClippedBitmap};
      fill.kind = kBitmapKinds[type - 0x40];
      fill.bitmapId = reader.U16();
      fill.matrix = reader.ReadMatrix();
      break;
    }
    default:
      throw DecodeError("unknown fill style");
  }
  return fill;
}

void ReadShapeRecords(Reader& reader, int version, int fillBits, int lineBits, Shape& shape) {
  if (shape.groups.empty()) shape.groups.emplace_back();
  ShapePath current;
  Point pen;
  const auto finishPath = [&] {
    if (!current.segments.empty()) shape.groups.back().paths.push_back(current);
    current.segments.clear();
    current.start = pen;
  };
  reader.Align();
  for (;;) {
    if (!reader.Flag()) {
      const std::uint32_t flags = reader.Bits(5);
      if (flags == 0) break;  // end of shape
      finishPath();
      const bool newStyles = (flags & 0x10) != 0 && version >= 2;
      if (flags & 0x01) {
        const int bits = static_cast<int>(reader.Bits(5));
        pen.x = reader.SignedBits(bits);
        pen.y = reader.SignedBits(bits);
        current.start = pen;
      }
      if (flags & 0x02) current.fill0 = reader.Bits(fillBits);
      if (flags & 0x04) current.fill1 = reader.Bits(fillBits);
      if (flags & 0x08) current.line = reader.Bits(lineBits);
      if (newStyles) {
        shape.groups.emplace_back();
        ReadStyles(reader, version, shape.groups.back());
        fillBits = static_cast<int>(reader.Bits(4));
        lineBits = static_cast<int>(reader.Bits(4));
        // Selections the record does not make start empty in the new lists.
        if (!(flags & 0x02)) current.fill0 = 0;
        if (!(flags & 0x04)) current.fill1 = 0;
        if (!(flags & 0x08)) current.line = 0;
      }
      continue;
    }
    Segment segment;
    const bool straight = reader.Flag();
    const int bits = static_cast<int>(reader.Bits(4)) + 2;
    if (straight) {
      std::int32_t dx = 0, dy = 0;
      if (reader.Flag()) {
        dx = reader.SignedBits(bits);
        dy = reader.SignedBits(bits);
      } else if (reader.Flag()) {
        dy = reader.SignedBits(bits);
      } else {
        dx = reader.SignedBits(bits);
      }
      pen.x = Moved(pen.x, dx);
      pen.y = Moved(pen.y, dy);
      segment.control = pen;
    } else {
      segment.curved = true;
      pen.x = Moved(pen.x, reader.SignedBits(bits));
      pen.y = Moved(pen.y, reader.SignedBits(bits));
      segment.control = pen;
      pen.x = Moved(pen.x, reader.SignedBits(bits));
      pen.y = Moved(pen.y, reader.SignedBits(bits));
    }
    segment.to = pen;
    current.segments.push_back(segment);
  }
  finishPath();
}

Shape ReadBareShape(Reader& reader) {
  Shape shape;
  reader.Align();
  const int fillBits = static_cast<int>(reader.Bits(4));
  const int lineBits = static_cast<int>(reader.Bits(4));
  ReadShapeRecords(reader, 1, fillBits, lineBits, shape);
  return shape;
}

ShapeDefinition DecodeDefineShape(std::span<const std::uint8_t> body, int version) {
  Reader reader(body);
  ShapeDefinition definition;
  definition.id = reader.U16();
  definition.shape.bounds = reader.ReadRect();
  if (version >= 4) {
    reader.ReadRect();  // the edges' bounds, without strokes
    // Hints: bit 2 asks for the non-zero fill rule; the stroke-scaling bits change nothing.
    definition.shape.nonZeroWinding = (reader.U8() & 0x04) != 0;
  }
  definition.shape.groups.emplace_back();
  ReadStyles(reader, version, definition.shape.groups.back());
  const int fillBits = static_cast<int>(reader.Bits(4));
  const int lineBits = static_cast<int>(reader.Bits(4));
  ReadShapeRecords(reader, version, fillBits, lineBits, definition.shape);
  return definition;
}

}  // namespace tavelin::swf::format
