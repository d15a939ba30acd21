#include "support/swf_writer.h"

#include "support/swf_bits.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace tavelin::testing {
using namespace swf_bits;

SwfWriter& SwfWriter::Version(std::uint8_t version) {
  version_ = version;
  return *this;
}

SwfWriter& SwfWriter::Stage(std::int32_t xMin, std::int32_t xMax, std::int32_t yMin, std::int32_t yMax) {
  xMin_ = xMin;
  xMax_ = xMax;
  yMin_ = yMin;
  yMax_ = yMax;
  return *this;
}

SwfWriter& SwfWriter::StagePixels(std::int32_t width, std::int32_t height) {
  return Stage(0, width * 20, 0, height * 20);
}

SwfWriter& SwfWriter::StageFieldBits(int bits) {
  fieldBits_ = bits;
  return *this;
}

SwfWriter& SwfWriter::FrameRate(double framesPerSecond) {
  frameRate88_ = static_cast<std::uint16_t>(std::lround(framesPerSecond * 256.0));
  return *this;
}

SwfWriter& SwfWriter::Compressed(bool compressed) {
  compressed_ = compressed;
  return *this;
}

SwfWriter& SwfWriter::FrameCountInHeader(std::uint16_t frames) {
  headerFrames_ = frames;
  return *this;
}

SwfWriter& SwfWriter::RawTag(std::uint16_t code, const std::vector<std::uint8_t>& body) {
  if (body.size() < 0x3F) {
    Put16(tags_, static_cast<std::uint32_t>(code) << 6 | static_cast<std::uint32_t>(body.size()));
  } else {
    Put16(tags_, static_cast<std::uint32_t>(code) << 6 | 0x3F);
    Put32(tags_, static_cast<std::uint32_t>(body.size()));
  }
  tags_.insert(tags_.end(), body.begin(), body.end());
  return *this;
}

SwfWriter& SwfWriter::BackgroundColor(Rgb color) {
  return RawTag(9, {color.red, color.green, color.blue});
}

SwfWriter& SwfWriter::DefineShape(std::uint16_t id, const std::vector<FilledOutline>& outlines) {
  std::int32_t minX = 0, maxX = 0, minY = 0, maxY = 0;
  bool first = true;
  for (const auto& outline : outlines) {
    for (const auto& p : outline.points) {
      minX = first ? p.x : std::min(minX, p.x);
      maxX = first ? p.x : std::max(maxX, p.x);
      minY = first ? p.y : std::min(minY, p.y);
      maxY = first ? p.y : std::max(maxY, p.y);
      first = false;
    }
  }
  if (outlines.size() > 254) throw std::invalid_argument("too many fill styles for one shape");

  std::vector<std::uint8_t> body;
  Put16(body, id);
  BitWriter bounds;
  const int boundBits = SignedBits({minX, maxX, minY, maxY});
  bounds.Unsigned(static_cast<std::uint32_t>(boundBits), 5);
  for (std::int32_t v : {minX, maxX, minY, maxY}) bounds.Signed(v, boundBits);
  const auto boundBytes = bounds.Take();
  body.insert(body.end(), boundBytes.begin(), boundBytes.end());

  body.push_back(static_cast<std::uint8_t>(outlines.size()));  // fill styles
  for (const auto& outline : outlines) {
    body.insert(body.end(), {0x00, outline.fill.red, outline.fill.green, outline.fill.blue});
  }
  body.push_back(0);  // no line styles

  int fillBits = 1;
  while ((1u << fillBits) <= outlines.size()) ++fillBits;
  BitWriter records;
  records.Unsigned(static_cast<std::uint32_t>(fillBits), 4);
  records.Unsigned(0, 4);  // line style bits
  for (std::size_t i = 0; i < outlines.size(); ++i) {
    const auto& points = outlines[i].points;
    if (points.empty()) continue;
    // Style change: move to the first corner and select this outline's fill on the right.
    records.Unsigned(0, 1);  // non-edge record
    records.Unsigned(0, 1);  // new styles
    records.Unsigned(0, 1);  // line style
    records.Unsigned(1, 1);  // fill style 1
    records.Unsigned(1, 1);  // fill style 0 (cleared)
    records.Unsigned(1, 1);  // move to
    const int moveBits = SignedBits({points[0].x, points[0].y});
    records.Unsigned(static_cast<std::uint32_t>(moveBits), 5);
    records.Signed(points[0].x, moveBits);
    records.Signed(points[0].y, moveBits);
    records.Unsigned(0, static_cast<int>(fillBits));
    records.Unsigned(static_cast<std::uint32_t>(i + 1), static_cast<int>(fillBits));
    for (std::size_t k = 1; k <= points.size(); ++k) {
      const TwipPoint& from = points[k - 1];
      const TwipPoint& to = points[k % points.size()];
      const std::int32_t dx = to.x - from.x, dy = to.y - from.y;
      const int n = std::max(2, SignedBits({dx, dy}));
      records.Unsigned(1, 1);  // edge record
      records.Unsigned(1, 1);  // straight
      records.Unsigned(static_cast<std::uint32_t>(n - 2), 4);
      records.Unsigned(1, 1);  // general line: both deltas
      records.Signed(dx, n);
      records.Signed(dy, n);
    }
  }
  records.Unsigned(0, 6);  // end of shape
  const auto recordBytes = records.Take();
  body.insert(body.end(), recordBytes.begin(), recordBytes.end());
  return RawTag(2, body);
}

SwfWriter& SwfWriter::DefineRectangle(std::uint16_t id, std::int32_t width, std::int32_t height, Rgb fill) {
  return DefineShape(id, {{{{0, 0}, {width, 0}, {width, height}, {0, height}}, fill}});
}

SwfWriter& SwfWriter::PlaceObject(std::uint16_t depth, std::uint16_t id, std::int32_t x, std::int32_t y) {
  std::vector<std::uint8_t> body{0x06};  // has matrix, has character
  Put16(body, depth);
  Put16(body, id);
  BitWriter matrix;
  PutTranslateMatrix(matrix, x, y);
  const auto m = matrix.Take();
  body.insert(body.end(), m.begin(), m.end());
  return RawTag(26, body);
}

SwfWriter& SwfWriter::MoveObject(std::uint16_t depth, std::int32_t x, std::int32_t y) {
  std::vector<std::uint8_t> body{0x05};  // has matrix, move
  Put16(body, depth);
  BitWriter matrix;
  PutTranslateMatrix(matrix, x, y);
  const auto m = matrix.Take();
  body.insert(body.end(), m.begin(), m.end());
  return RawTag(26, body);
}

SwfWriter& SwfWriter::RemoveObject(std::uint16_t depth) {
  std::vector<std::uint8_t> body;
  Put16(body, depth);
  return RawTag(28, body);
}

SwfWriter& SwfWriter::ShowFrame() {
  ++shownFrames_;
  return RawTag(1, {});
}

std::vector<std::uint8_t> SwfWriter::Bytes() const {
  std::vector<std::uint8_t> body;
  BitWriter rect;
  const int bits = fieldBits_ > 0 ? fieldBits_ : SignedBits({xMin_, xMax_, yMin_, yMax_});
  rect.Unsigned(static_cast<std::uint32_t>(bits), 5);
  for (std::int32_t v : {xMin_, xMax_, yMin_, yMax_}) rect.Signed(v, bits);
  body = rect.Take();
  Put16(body, frameRate88_);
  Put16(body, headerFrames_ >= 0 ? static_cast<std::uint32_t>(headerFrames_) : shownFrames_);
  body.insert(body.end(), tags_.begin(), tags_.end());
  Put16(body, 0);  // End

  std::vector<std::uint8_t> file{static_cast<std::uint8_t>(compressed_ ? 'C' : 'F'), 'W', 'S', version_};
  Put32(file, static_cast<std::uint32_t>(8 + body.size()));
  if (!compressed_) {
    file.insert(file.end(), body.begin(), body.end());
    return file;
  }
  uLongf packedSize = compressBound(static_cast<uLong>(body.size()));
  std::vector<std::uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, body.data(), static_cast<uLong>(body.size()), Z_BEST_COMPRESSION) != Z_OK) {
    throw std::runtime_error("zlib could not compress the movie");
  }
  file.insert(file.end(), packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(packedSize));
  return file;
}

void SwfWriter::WriteTo(const std::string& path) const {
  const auto bytes = Bytes();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace tavelin::testing
