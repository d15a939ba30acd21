#pragma once
// Writes small movies for tests and the demo: any stage, frame rate and frame count,
// uncompressed ("FWS") or zlib-compressed ("CWS").

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
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

struct Rgba8 {
  std::uint8_t red = 0, green = 0, blue = 0, alpha = 255;
};

// x' = scaleX*x + rotateSkew1*y + translateX, y' = rotateSkew0*x + scaleY*y + translateY.
struct Affine {
  double scaleX = 1, rotateSkew0 = 0, rotateSkew1 = 0, scaleY = 1;
  std::int32_t translateX = 0, translateY = 0;
};

// channel' = channel * multiply + add (multiply 1 keeps it).
struct ColourTransformValues {
  double multiplyRed = 1, multiplyGreen = 1, multiplyBlue = 1, multiplyAlpha = 1;
  std::int32_t addRed = 0, addGreen = 0, addBlue = 0, addAlpha = 0;
};

// Everything a PlaceObject2 (or, with a blend mode, PlaceObject3) can say.
struct Placement {
  std::uint16_t depth = 1;
  std::optional<std::uint16_t> characterId;
  bool move = false;
  std::optional<Affine> matrix;
  std::optional<ColourTransformValues> colourTransform;
  std::optional<std::uint16_t> ratio;
  std::optional<std::string> name;
  std::optional<std::uint16_t> clipDepth;
  std::optional<std::uint8_t> blendMode;
};

// Placing character `id` at `depth`, and moving what stands at `depth`, at (x, y) twips.
Placement Put(std::uint16_t depth, std::uint16_t id, std::int32_t x = 0, std::int32_t y = 0);
Placement Move(std::uint16_t depth, std::int32_t x, std::int32_t y = 0);

struct ShapeFill {
  enum class Kind { kSolid, kLinearGradient, kRadialGradient, kRepeatingBitmap, kClippedBitmap } kind = Kind::kSolid;
  Rgba8 colour;
  std::vector<std::pair<std::uint8_t, Rgba8>> stops;  // gradients: ratio and colour
  std::uint16_t bitmapId = 0;
  Affine matrix;
};

struct ShapeLine {
  std::uint16_t width = 20;
  Rgba8 colour;
};

// A run of edges through `points` (closed back to the first when `closed`), with
// 1-based style numbers (0: none). Edge k (into points[k + 1], or back to the first) is
// a curve when controls[k] holds its control point, else straight.
struct ShapeOutline {
  std::vector<TwipPoint> points;
  std::uint32_t fill0 = 0, fill1 = 0, line = 0;
  bool closed = true;
  std::vector<std::optional<TwipPoint>> controls = {};
};

// A DefineShape of any version (1..4) with its styles and outlines.
struct ShapeDrawing {
  int version = 3;
  std::vector<ShapeFill> fills;
  std::vector<ShapeLine> lines;
  std::vector<ShapeOutline> outlines;
};

// A glyph of a test font: a filled box from the baseline up, in units of 1024 per em.
struct BoxGlyph {
  std::uint16_t code = 0;
  std::int32_t width = 512, height = 512;
  std::int32_t advance = 600;
};

// How a sound is stored: coding 0 or 3 uncompressed, 1 ADPCM, 2 MP3; rate field 0..3
// for 5,512 to 44,100 frames a second.
struct SoundFormatFields {
  std::uint8_t coding = 3;
  std::uint8_t rate = 3;
  bool sixteenBit = true;
  bool stereo = false;
};

// Everything a StartSound can say.
struct SoundStartFields {
  std::uint16_t id = 1;
  bool stop = false, noMultiple = false;
  std::optional<std::uint32_t> inPoint, outPoint;
  std::optional<std::uint16_t> loops;
  std::vector<std::array<std::uint32_t, 3>> envelope;  // position, left, right
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

  // Richer definitions and placements (swf_writer_definitions.cpp).
  SwfWriter& Place(const Placement& placement);
  SwfWriter& DefineShape(std::uint16_t id, const ShapeDrawing& shape);
  // A sprite whose timeline is `timeline`'s tags and frames.
  SwfWriter& DefineSprite(std::uint16_t id, const SwfWriter& timeline);
  // A morph shape from one filled rectangle (left, top, right, bottom in twips) to
  // another.
  SwfWriter& DefineMorphRectangles(std::uint16_t id, std::array<std::int32_t, 4> from, Rgba8 fromColour,
                                   std::array<std::int32_t, 4> to, Rgba8 toColour);
  // DefineFont2 with box glyphs and layout, or DefineFont3 (20 times finer units).
  SwfWriter& DefineBoxFont(std::uint16_t id, const std::vector<BoxGlyph>& glyphs, int version = 2);
  // DefineText2: one record of glyph indices and advances (twips) in one font.
  SwfWriter& DefineText(std::uint16_t id, std::uint16_t fontId, std::uint16_t height, Rgba8 colour, TwipPoint origin,
                        const std::vector<std::pair<std::uint32_t, std::int32_t>>& glyphs);
  // DefineEditText with an embedded font and initial text; font 0 names none (the
  // system's font at the default size draws it).
  SwfWriter& DefineEditText(std::uint16_t id, std::array<std::int32_t, 4> bounds, std::uint16_t fontId, std::uint16_t height,
                            Rgba8 colour, const std::string& text);
  // DefineBitsLossless2 in 32-bit form: premultiplied 0xAARRGGBB texels, rows top down.
  SwfWriter& DefineLosslessBitmap(std::uint16_t id, int width, int height, const std::vector<std::uint32_t>& texels);
  SwfWriter& RawTag(std::uint16_t code, const std::vector<std::uint8_t>& body);

  // Sound tags (swf_writer_sounds.cpp).
  SwfWriter& DefineSound(std::uint16_t id, SoundFormatFields format, std::uint32_t sampleCount,
                         const std::vector<std::uint8_t>& data);
  SwfWriter& StartSound(const SoundStartFields& start);
  SwfWriter& SoundStreamHead(SoundFormatFields format, std::uint16_t samplesPerBlock);
  SwfWriter& SoundStreamBlock(const std::vector<std::uint8_t>& data);
  // DefineButtonSound: the sounds of the button's four changes, in the format's order
  // (over to up, up to over, over to down, down to over); an empty one plays nothing.
  SwfWriter& DefineButtonSound(std::uint16_t buttonId, const std::array<std::optional<SoundStartFields>, 4>& sounds);

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
