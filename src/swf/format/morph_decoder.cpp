#include "swf/format/morph_decoder.h"

#include "swf/format/reader.h"
#include "swf/format/shape_decoder.h"

namespace tavelin::swf::format {
namespace {

void ReadMorphGradient(Reader& reader, Gradient& start, Gradient& end) {
  const std::uint8_t header = reader.U8();
  const std::uint32_t spread = header >> 6 & 3;
  start.spread = spread == 1 ? SpreadMode::kReflect : spread == 2 ? SpreadMode::kRepeat : SpreadMode::kPad;
  start.interpolation = (header >> 4 & 3) == 1 ? InterpolationMode::kLinearRgb : InterpolationMode::kRgb;
  end.spread = start.spread;
  end.interpolation = start.interpolation;
  const int count = header & 0x0F;
  for (int i = 0; i < count; ++i) {
    GradientStop a, b;
    a.ratio = reader.U8();
    a.color = reader.ReadRgba();
    b.ratio = reader.U8();
    b.color = reader.ReadRgba();
    start.stops.push_back(a);
    end.stops.push_back(b);
  }
}

void ReadMorphFill(Reader& reader, FillStyle& start, FillStyle& end) {
  const std::uint8_t type = reader.U8();
  switch (type) {
    case 0x00:
      start.kind = end.kind = FillKind::kSolid;
      start.color = reader.ReadRgba();
      end.color = reader.ReadRgba();
      return;
    case 0x10:
    case 0x12:
    case 0x13:
      start.kind = type == 0x10 ? FillKind::kLinearGradient : type == 0x12 ? FillKind::kRadialGradient : FillKind::kFocalGradient;
      end.kind = start.kind;
      start.matrix = reader.ReadMatrix();
      end.matrix = reader.ReadMatrix();
      ReadMorphGradient(reader, start.gradient, end.gradient);
      if (type == 0x13) {
        start.gradient.focalPoint = static_cast<float>(reader.Fixed8());
        end.gradient.focalPoint = static_cast<float>(reader.Fixed8());
      }
      return;
    case 0x40:
    case 0x41:
    case 0x42:
    case 0x43: {
      static constexpr FillKind kBitmapKinds[] = {FillKind::kRepeatingBitmap, FillKind::kClippedBitmap,
                                                  FillKind::kNonSmoothedRepeatingBitmap, FillKind::kNonSmoothedClippedBitmap};
      start.kind = end.kind = kBitmapKinds[type - 0x40];
      start.bitmapId = end.bitmapId = reader.U16();
      start.matrix = reader.ReadMatrix();
      end.matrix = reader.ReadMatrix();
      return;
    }
    default:
      throw DecodeError("unknown morph fill style");
  }
}

void ReadMorphLine(Reader& reader, int version, LineStyle& start, LineStyle& end) {
  start.width = reader.U16();
  end.width = reader.U16();
  if (version >= 2) {
    ReadLineStyle2Flags(reader, start);
    const std::uint16_t endWidth = end.width;
    end = start;
    end.width = endWidth;
    if (start.hasFill) {
      ReadMorphFill(reader, start.fill, end.fill);
      return;
    }
  }
  start.color = reader.ReadRgba();
  end.color = reader.ReadRgba();
}

std::size_t ReadCount(Reader& reader) {
  std::size_t count = reader.U8();
  if (count == 0xFF) count = reader.U16();
  return count;
}

// Every edge of the end outline with the point it starts from, in order.
std::vector<std::pair<Point, Segment>> EdgesWithOrigins(const Shape& shape) {
  std::vector<std::pair<Point, Segment>> edges;
  for (const StyleGroup& group : shape.groups) {
    for (const ShapePath& path : group.paths) {
      Point from = path.start;
      for (const Segment& s : path.segments) {
        edges.emplace_back(from, s);
        from = s.to;
      }
    }
  }
  return edges;
}

}  // namespace

MorphShapeDefinition DecodeDefineMorphShape(std::span<const std::uint8_t> body, int version) {
  Reader reader(body);
  MorphShapeDefinition morph;
  morph.id = reader.U16();
  morph.startBounds = reader.ReadRect();
  morph.endBounds = reader.ReadRect();
  if (version >= 2) {
    reader.ReadRect();
    reader.ReadRect();
    reader.U8();
  }
  const std::uint32_t endEdgesOffset = reader.U32();
  const std::size_t endEdgesAt = reader.Position() + endEdgesOffset;
  if (endEdgesOffset > reader.Remaining()) throw DecodeError("end edges outside the tag");

  const std::size_t fills = ReadCount(reader);
  morph.startFills.resize(fills);
  morph.endFills.resize(fills);
  for (std::size_t i = 0; i < fills; ++i) ReadMorphFill(reader, morph.startFills[i], morph.endFills[i]);
  const std::size_t lines = ReadCount(reader);
  morph.startLines.resize(lines);
  morph.endLines.resize(lines);
  for (std::size_t i = 0; i < lines; ++i) ReadMorphLine(reader, version, morph.startLines[i], morph.endLines[i]);

  const Shape startShape = ReadBareShape(reader);
  Reader endReader(body.subspan(endEdgesAt));
  const Shape endShape = ReadBareShape(endReader);

  // The end outline repeats the start's edges one for one, with moves of its own; pair
  // them in order. Missing end edges keep the start's.
  const auto endEdges = EdgesWithOrigins(endShape);
  std::size_t next = 0;
  for (const StyleGroup& group : startShape.groups) {
    for (const ShapePath& path : group.paths) {
      MorphPath morphPath;
      morphPath.fill0 = path.fill0;
      morphPath.fill1 = path.fill1;
      morphPath.line = path.line;
      morphPath.start0 = path.start;
      morphPath.start1 = next < endEdges.size() ? endEdges[next].first : path.start;
      for (const Segment& s : path.segments) {
        Segment end = next < endEdges.size() ? endEdges[next++].second : s;
        morphPath.segments.push_back({s, end});
      }
      morph.paths.push_back(std::move(morphPath));
    }
  }
  return morph;
}

}  // namespace tavelin::swf::format
