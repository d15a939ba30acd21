#pragma once
// Writes small movies for tests and the demo: any stage, frame rate and frame count,
// uncompressed ("FWS") or zlib-compressed ("CWS").

#include <cstdint>
#include <string>
#include <vector>

namespace tavelin::testing {

struct Rgb {
  std::uint8_t red = 0, green = 0, blue = 0;
};

// A point in twips.
struct TwipPoint {
  std::int32_t x = 0, y = 0;
};

// One closed outline filled with a solid colour.
struct FilledOutline {
  std::vector<TwipPoint> points;  // corners in order; the outline closes itself
  Rgb fill;
};

class SwfWriter {
 public:
  SwfWriter& Version(std::uint8_t version);
  SwfWriter& Stage(std::int32_t xMin, std::int32_t xMax, std::int32_t yMin, std::int32_t yMax);
  // Stage of width x height pixels with its origin at 0, 0.
  SwfWriter& StagePixels(std::int32_t width, std::int32_t height);
  // Forces the bit width of the stage rectangle's fields (0 = the smallest that fits).
  SwfWriter& StageFieldBits(int bits);
  SwfWriter& FrameRate(double framesPerSecond);
  SwfWriter& Compressed(bool compressed);
  // Overrides the frame count written in the header (default: the ShowFrame tags).
  SwfWriter& FrameCountInHeader(std::uint16_t frames);

  SwfWriter& BackgroundColor(Rgb color);
  SwfWriter& DefineShape(std::uint16_t id, const std::vector<FilledOutline>& outlines);
  SwfWriter& DefineRectangle(std::uint16_t id, std::int32_t width, std::int32_t height, Rgb fill);
  SwfWriter& PlaceObject(std::uint16_t depth, std::uint16_t id, std::int32_t x = 0, std::int32_t y = 0);
  SwfWriter& MoveObject(std::uint16_t depth, std::int32_t x, std::int32_t y);
  SwfWriter& RemoveObject(std::uint16_t depth);
  SwfWriter& ShowFrame();
  SwfWriter& RawTag(std::uint16_t code, const std::vector<std::uint8_t>& body);

  // The finished file; an End tag is added after the last tag.
  std::vector<std::uint8_t> Bytes() const;
  void WriteTo(const std::string& path) const;

 private:
  std::uint8_t version_ = 10;
  std::int32_t xMin_ = 0, xMax_ = 550 * 20, yMin_ = 0, yMax_ = 400 * 20;
  int fieldBits_ = 0;
  std::uint16_t frameRate88_ = 12 << 8;
  bool compressed_ = false;
  int headerFrames_ = -1;
  std::uint16_t shownFrames_ = 0;
  std::vector<std::uint8_t> tags_;
};

}  // namespace tavelin::testing
