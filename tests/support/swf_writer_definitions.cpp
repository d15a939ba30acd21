// The movie writer's richer tags: general shapes, sprites, morph shapes, fonts and
// text, lossless bitmaps, and placements with every PlaceObject2/3 field.
#include <zlib.h>

#include <cmath>
#include <stdexcept>

#include "support/swf_bits.h"
#include "support/swf_writer.h"

namespace tavelin::testing {
namespace {

using namespace swf_bits;

std::int32_t Fixed16(double v) { return static_cast<std::int32_t>(std::lround(v * 65536.0)); }

void PutMatrix(BitWriter& bits, const Affine& m) {
  const bool scaled = m.scaleX != 1 || m.scaleY != 1;
  bits.Unsigned(scaled, 1);
  if (scaled) {
    const int n = SignedBits({Fixed16(m.scaleX), Fixed16(m.scaleY)});
    bits.Unsigned(static_cast<std::uint32_t>(n), 5);
    bits.Signed(Fixed16(m.scaleX), n);
    bits.Signed(Fixed16(m.scaleY), n);
  }
  const bool rotated = m.rotateSkew0 != 0 || m.rotateSkew1 != 0;
  bits.Unsigned(rotated, 1);
  if (rotated) {
    const int n = SignedBits({Fixed16(m.rotateSkew0), Fixed16(m.rotateSkew1)});
    bits.Unsigned(static_cast<std::uint32_t>(n), 5);
    bits.Signed(Fixed16(m.rotateSkew0), n);
    bits.Signed(Fixed16(m.rotateSkew1), n);
  }
  const int n = SignedBits({m.translateX, m.translateY});
  bits.Unsigned(static_cast<std::uint32_t>(n), 5);
  bits.Signed(m.translateX, n);
  bits.Signed(m.translateY, n);
  bits.Align();
}

void PutColourTransform(BitWriter& bits, const ColourTransformValues& c) {
  const auto mul = [](double v) { return static_cast<std::int32_t>(std::lround(v * 256.0)); };
  const std::int32_t values[] = {mul(c.multiplyRed), mul(c.multiplyGreen), mul(c.multiplyBlue), mul(c.multiplyAlpha),
                                 c.addRed,           c.addGreen,           c.addBlue,           c.addAlpha};
  const int n = SignedBits({values[0], values[1], values[2], values[3], values[4], values[5], values[6], values[7]});
  if (n > 15) throw std::invalid_argument("colour transform out of range");
  bits.Unsigned(1, 1);  // add terms
  bits.Unsigned(1, 1);  // multiply terms
  bits.Unsigned(static_cast<std::uint32_t>(n), 4);
  for (std::int32_t v : values) bits.Signed(v, n);
  bits.Align();
}

void PutRect(std::vector<std::uint8_t>& out, std::int32_t xMin, std::int32_t xMax, std::int32_t yMin, std::int32_t yMax) {
  BitWriter bits;
  const int n = SignedBits({xMin, xMax, yMin, yMax});
  bits.Unsigned(static_cast<std::uint32_t>(n), 5);
  for (std::int32_t v : {xMin, xMax, yMin, yMax}) bits.Signed(v, n);
  const auto bytes = bits.Take();
  out.insert(out.end(), bytes.begin(), bytes.end());
}

void PutBits(std::vector<std::uint8_t>& out, BitWriter& bits) {
  const auto bytes = bits.Take();
  out.insert(out.end(), bytes.begin(), bytes.end());
}

void PutRgba(std::vector<std::uint8_t>& out, Rgba8 c) { out.insert(out.end(), {c.red, c.green, c.blue, c.alpha}); }

int IndexBits(std::size_t count) {
  int bits = 0;
  while ((std::size_t{1} << bits) <= count) ++bits;
  return bits;
}

// A style change that moves to `start` (and selects styles when `withStyles`).
void PutMoveTo(BitWriter& bits, TwipPoint start, const ShapeOutline* styles, int fillBits, int lineBits) {
  bits.Unsigned(0, 1);
  bits.Unsigned(0, 1);                  // new styles
  bits.Unsigned(styles ? 1 : 0, 1);     // line style
  bits.Unsigned(styles ? 1 : 0, 1);     // fill style 1
  bits.Unsigned(styles ? 1 : 0, 1);     // fill style 0
  bits.Unsigned(1, 1);                  // move to
  const int n = SignedBits({start.x, start.y});
  bits.Unsigned(static_cast<std::uint32_t>(n), 5);
  bits.Signed(start.x, n);
  bits.Signed(start.y, n);
  if (styles) {
    bits.Unsigned(styles->fill0, fillBits);
    bits.Unsigned(styles->fill1, fillBits);
    bits.Unsigned(styles->line, lineBits);
  }
}

void PutLineTo(BitWriter& bits, TwipPoint from, TwipPoint to) {
  const std::int32_t dx = to.x - from.x, dy = to.y - from.y;
  const int n = std::max(2, SignedBits({dx, dy}));
  bits.Unsigned(1, 1);  // edge
  bits.Unsigned(1, 1);  // straight
  bits.Unsigned(static_cast<std::uint32_t>(n - 2), 4);
  bits.Unsigned(1, 1);  // both deltas
  bits.Signed(dx, n);
  bits.Signed(dy, n);
}

void PutCurveTo(BitWriter& bits, TwipPoint from, TwipPoint control, TwipPoint to) {
  const std::int32_t cx = control.x - from.x, cy = control.y - from.y;
  const std::int32_t ax = to.x - control.x, ay = to.y - control.y;
  const int n = std::max(2, SignedBits({cx, cy, ax, ay}));
  bits.Unsigned(1, 1);  // edge
  bits.Unsigned(0, 1);  // curved
  bits.Unsigned(static_cast<std::uint32_t>(n - 2), 4);
  bits.Signed(cx, n);
  bits.Signed(cy, n);
  bits.Signed(ax, n);
  bits.Signed(ay, n);
}

void PutOutline(BitWriter& bits, const ShapeOutline& outline, bool withStyles, int fillBits, int lineBits) {
  if (outline.points.empty()) return;
  PutMoveTo(bits, outline.points[0], withStyles ? &outline : nullptr, fillBits, lineBits);
  const std::size_t edges = outline.closed ? outline.points.size() : outline.points.size() - 1;
  for (std::size_t k = 1; k <= edges; ++k) {
    const TwipPoint from = outline.points[k - 1], to = outline.points[k % outline.points.size()];
    if (k - 1 < outline.controls.size() && outline.controls[k - 1]) {
      PutCurveTo(bits, from, *outline.controls[k - 1], to);
    } else {
      PutLineTo(bits, from, to);
    }
  }
}

void PutFill(std::vector<std::uint8_t>& out, const ShapeFill& fill, int version) {
  const auto colour = [&](Rgba8 c) {
    out.insert(out.end(), {c.red, c.green, c.blue});
    if (version >= 3) out.push_back(c.alpha);
  };
  BitWriter matrix;
  switch (fill.kind) {
    case ShapeFill::Kind::kSolid:
      out.push_back(0x00);
      colour(fill.colour);
      return;
    case ShapeFill::Kind::kLinearGradient:
    case ShapeFill::Kind::kRadialGradient:
      out.push_back(fill.kind == ShapeFill::Kind::kLinearGradient ? 0x10 : 0x12);
      PutMatrix(matrix, fill.matrix);
      PutBits(out, matrix);
      out.push_back(static_cast<std::uint8_t>(fill.stops.size()));
      for (const auto& [ratio, c] : fill.stops) {
        out.push_back(ratio);
        colour(c);
      }
      return;
    case ShapeFill::Kind::kRepeatingBitmap:
    case ShapeFill::Kind::kClippedBitmap:
      out.push_back(fill.kind == ShapeFill::Kind::kRepeatingBitmap ? 0x40 : 0x41);
      Put16(out, fill.bitmapId);
      PutMatrix(matrix, fill.matrix);
      PutBits(out, matrix);
      return;
  }
}

std::vector<std::uint8_t> Zlib(const std::vector<std::uint8_t>& data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::vector<std::uint8_t> packed(size);
  if (compress2(packed.data(), &size, data.data(), static_cast<uLong>(data.size()), Z_BEST_COMPRESSION) != Z_OK) {
    throw std::runtime_error("zlib could not compress");
  }
  packed.resize(size);
  return packed;
}

// A box glyph's outline: clockwise on screen from its top left, filled on the right.
std::vector<std::uint8_t> BoxOutline(std::int32_t width, std::int32_t height) {
  BitWriter bits;
  bits.Unsigned(1, 4);  // fill bits
  bits.Unsigned(0, 4);  // line bits
  ShapeOutline box{{{0, -height}, {width, -height}, {width, 0}, {0, 0}}, 0, 1, 0, true};
  PutOutline(bits, box, true, 1, 0);
  bits.Unsigned(0, 6);
  return bits.Take();
}

}  // namespace

SwfWriter& SwfWriter::Place(const Placement& p) {
  const bool third = p.blendMode.has_value();
  std::uint8_t flags = 0;
  if (p.move) flags |= 0x01;
  if (p.characterId) flags |= 0x02;
  if (p.matrix) flags |= 0x04;
  if (p.colourTransform) flags |= 0x08;
  if (p.ratio) flags |= 0x10;
  if (p.name) flags |= 0x20;
  if (p.clipDepth) flags |= 0x40;
  std::vector<std::uint8_t> body{flags};
  if (third) body.push_back(0x02);  // has blend mode
  Put16(body, p.depth);
  if (p.characterId) Put16(body, *p.characterId);
  if (p.matrix) {
    BitWriter bits;
    PutMatrix(bits, *p.matrix);
    PutBits(body, bits);
  }
  if (p.colourTransform) {
    BitWriter bits;
    PutColourTransform(bits, *p.colourTransform);
    PutBits(body, bits);
  }
  if (p.ratio) Put16(body, *p.ratio);
  if (p.name) {
    body.insert(body.end(), p.name->begin(), p.name->end());
    body.push_back(0);
  }
  if (p.clipDepth) Put16(body, *p.clipDepth);
  if (third) body.push_back(*p.blendMode);
  return RawTag(third ? 70 : 26, body);
}

SwfWriter& SwfWriter::DefineShape(std::uint16_t id, const ShapeDrawing& shape) {
  std::int32_t minX = 0, maxX = 0, minY = 0, maxY = 0;
  for (const auto& outline : shape.outlines) {
    auto reach = [&](TwipPoint p) {
      minX = std::min(minX, p.x);
      maxX = std::max(maxX, p.x);
      minY = std::min(minY, p.y);
      maxY = std::max(maxY, p.y);
    };
    for (const auto& p : outline.points) reach(p);
    for (const auto& c : outline.controls) {
      if (c) reach(*c);  // a curve stays inside the hull of its points
    }
  }
  std::vector<std::uint8_t> body;
  Put16(body, id);
  PutRect(body, minX, maxX, minY, maxY);
  if (shape.version >= 4) {
    PutRect(body, minX, maxX, minY, maxY);
    body.push_back(0);
  }
  body.push_back(static_cast<std::uint8_t>(shape.fills.size()));
  for (const auto& fill : shape.fills) PutFill(body, fill, shape.version);
  body.push_back(static_cast<std::uint8_t>(shape.lines.size()));
  for (const auto& line : shape.lines) {
    Put16(body, line.width);
    if (shape.version >= 4) body.insert(body.end(), {0x00, 0x00});  // round caps and joins, colour follows
    body.insert(body.end(), {line.colour.red, line.colour.green, line.colour.blue});
    if (shape.version >= 3) body.push_back(line.colour.alpha);
  }
  const int fillBits = IndexBits(shape.fills.size());
  const int lineBits = IndexBits(shape.lines.size());
  BitWriter records;
  records.Unsigned(static_cast<std::uint32_t>(fillBits), 4);
  records.Unsigned(static_cast<std::uint32_t>(lineBits), 4);
  for (const auto& outline : shape.outlines) PutOutline(records, outline, true, fillBits, lineBits);
  records.Unsigned(0, 6);
  PutBits(body, records);
  static constexpr std::uint16_t kCodes[] = {2, 2, 22, 32, 83};
  return RawTag(kCodes[std::clamp(shape.version, 1, 4)], body);
}

SwfWriter& SwfWriter::DefineSprite(std::uint16_t id, const SwfWriter& timeline) {
  std::vector<std::uint8_t> body;
  Put16(body, id);
  Put16(body, timeline.shownFrames_);
  body.insert(body.end(), timeline.tags_.begin(), timeline.tags_.end());
  Put16(body, 0);  // End
  return RawTag(39, body);
}

SwfWriter& SwfWriter::DefineMorphRectangles(std::uint16_t id, std::array<std::int32_t, 4> from, Rgba8 fromColour,
                                            std::array<std::int32_t, 4> to, Rgba8 toColour) {
  const auto corners = [](const std::array<std::int32_t, 4>& r) {
    return std::vector<TwipPoint>{{r[0], r[1]}, {r[2], r[1]}, {r[2], r[3]}, {r[0], r[3]}};
  };
  std::vector<std::uint8_t> body;
  Put16(body, id);
  PutRect(body, from[0], from[2], from[1], from[3]);
  PutRect(body, to[0], to[2], to[1], to[3]);
  std::vector<std::uint8_t> rest;
  rest.push_back(1);  // one fill style
  rest.push_back(0x00);
  PutRgba(rest, fromColour);
  PutRgba(rest, toColour);
  rest.push_back(0);  // no line styles
  BitWriter start;
  start.Unsigned(1, 4);
  start.Unsigned(0, 4);
  PutOutline(start, ShapeOutline{corners(from), 0, 1, 0, true}, true, 1, 0);
  start.Unsigned(0, 6);
  PutBits(rest, start);
  const auto endOffset = static_cast<std::uint32_t>(rest.size());
  BitWriter end;
  end.Unsigned(0, 4);
  end.Unsigned(0, 4);
  PutOutline(end, ShapeOutline{corners(to), 0, 0, 0, true}, false, 0, 0);
  end.Unsigned(0, 6);
  PutBits(rest, end);
  Put32(body, endOffset);
  body.insert(body.end(), rest.begin(), rest.end());
  return RawTag(46, body);
}

SwfWriter& SwfWriter::DefineBoxFont(std::uint16_t id, const std::vector<BoxGlyph>& glyphs, int version) {
  const std::int32_t unit = version >= 3 ? 20 : 1;
  std::vector<std::vector<std::uint8_t>> outlines;
  for (const auto& g : glyphs) outlines.push_back(BoxOutline(g.width * unit, g.height * unit));
  std::vector<std::uint8_t> body;
  Put16(body, id);
  body.push_back(0x80 | 0x04);  // layout, wide codes
  body.push_back(0);            // language
  const std::string name = "Box";
  body.push_back(static_cast<std::uint8_t>(name.size()));
  body.insert(body.end(), name.begin(), name.end());
  Put16(body, static_cast<std::uint32_t>(glyphs.size()));
  std::uint32_t offset = static_cast<std::uint32_t>((glyphs.size() + 1) * 2);
  for (const auto& outline : outlines) {
    Put16(body, offset);
    offset += static_cast<std::uint32_t>(outline.size());
  }
  Put16(body, offset);  // the code table follows the glyphs
  for (const auto& outline : outlines) body.insert(body.end(), outline.begin(), outline.end());
  for (const auto& g : glyphs) Put16(body, g.code);
  Put16(body, static_cast<std::uint32_t>(800 * unit));  // ascent
  Put16(body, static_cast<std::uint32_t>(224 * unit));  // descent
  Put16(body, 0);                                       // leading
  for (const auto& g : glyphs) Put16(body, static_cast<std::uint32_t>(g.advance * unit));
  for (const auto& g : glyphs) PutRect(body, 0, g.width * unit, -g.height * unit, 0);
  Put16(body, 0);  // no kerning
  return RawTag(version >= 3 ? 75 : 48, body);
}

SwfWriter& SwfWriter::DefineText(std::uint16_t id, std::uint16_t fontId, std::uint16_t height, Rgba8 colour, TwipPoint origin,
                                 const std::vector<std::pair<std::uint32_t, std::int32_t>>& glyphs) {
  std::vector<std::uint8_t> body;
  Put16(body, id);
  PutRect(body, 0, 20000, -2000, 2000);
  BitWriter identity;
  PutMatrix(identity, Affine{});
  PutBits(body, identity);
  const int glyphBits = 8, advanceBits = 16;
  body.push_back(glyphBits);
  body.push_back(advanceBits);
  body.push_back(0x80 | 0x08 | 0x04 | 0x02 | 0x01);  // font, colour, y and x offsets
  Put16(body, fontId);
  PutRgba(body, colour);
  Put16(body, static_cast<std::uint32_t>(origin.x));
  Put16(body, static_cast<std::uint32_t>(origin.y));
  Put16(body, height);
  body.push_back(static_cast<std::uint8_t>(glyphs.size()));
  BitWriter entries;
  for (const auto& [index, advance] : glyphs) {
    entries.Unsigned(index, glyphBits);
    entries.Signed(advance, advanceBits);
  }
  PutBits(body, entries);
  body.push_back(0);  // end of records
  return RawTag(33, body);
}

SwfWriter& SwfWriter::DefineEditText(std::uint16_t id, std::array<std::int32_t, 4> bounds, std::uint16_t fontId,
                                     std::uint16_t height, Rgba8 colour, const std::string& text) {
  std::vector<std::uint8_t> body;
  Put16(body, id);
  PutRect(body, bounds[0], bounds[2], bounds[1], bounds[3]);
  const bool embedded = fontId != 0;
  body.push_back(embedded ? 0x80 | 0x04 | 0x01 : 0x80 | 0x04);  // text, colour (and font)
  body.push_back(embedded ? 0x01 : 0x00);                          // use the embedded outlines
  if (embedded) {
    Put16(body, fontId);
    Put16(body, height);
  }
  PutRgba(body, colour);
  body.push_back(0);  // no variable
  body.insert(body.end(), text.begin(), text.end());
  body.push_back(0);
  return RawTag(37, body);
}

SwfWriter& SwfWriter::DefineLosslessBitmap(std::uint16_t id, int width, int height, const std::vector<std::uint32_t>& texels) {
  std::vector<std::uint8_t> raw;
  for (std::uint32_t t : texels) {
    raw.insert(raw.end(), {static_cast<std::uint8_t>(t >> 24), static_cast<std::uint8_t>(t >> 16), static_cast<std::uint8_t>(t >> 8),
                           static_cast<std::uint8_t>(t)});
  }
  std::vector<std::uint8_t> body;
  Put16(body, id);
  body.push_back(5);
  Put16(body, static_cast<std::uint32_t>(width));
  Put16(body, static_cast<std::uint32_t>(height));
  const auto packed = Zlib(raw);
  body.insert(body.end(), packed.begin(), packed.end());
  return RawTag(36, body);
}

Placement Put(std::uint16_t depth, std::uint16_t id, std::int32_t x, std::int32_t y) {
  Placement p;
  p.depth = depth;
  p.characterId = id;
  p.matrix = Affine{1, 0, 0, 1, x, y};
  return p;
}

Placement Move(std::uint16_t depth, std::int32_t x, std::int32_t y) {
  Placement p;
  p.depth = depth;
  p.move = true;
  p.matrix = Affine{1, 0, 0, 1, x, y};
  return p;
}

}  // namespace tavelin::testing
