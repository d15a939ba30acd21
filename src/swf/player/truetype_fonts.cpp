#include "swf/player/truetype_fonts.h"

#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#include <stb/stb_truetype.h>

#include <climits>
#include <cmath>

namespace tavelin::swf::player {
namespace {

constexpr double kUnitsPerEm = 1024;

}  // namespace

struct TrueTypeFonts::Face {
  std::vector<std::uint8_t> bytes;
  stbtt_fontinfo info{};
  double scale = 1;  // font units to 1024 per em
};

TrueTypeFonts::TrueTypeFonts(std::vector<std::vector<std::uint8_t>> files) {
  for (auto& file : files) {
    auto face = std::make_unique<Face>();
    face->bytes = std::move(file);
    if (face->bytes.empty() || face->bytes.size() > INT_MAX) continue;
    const int offset = stbtt_GetFontOffsetForIndex(face->bytes.data(), 0);
    if (offset < 0 || !stbtt_InitFont(&face->info, face->bytes.data(), offset)) continue;
    face->scale = stbtt_ScaleForMappingEmToPixels(&face->info, static_cast<float>(kUnitsPerEm));
    fonts_.push_back(std::move(face));
  }
}

TrueTypeFonts::~TrueTypeFonts() = default;

bool TrueTypeFonts::Glyph(const std::string&, bool, bool, char32_t code, DeviceGlyph& glyph) {
  if (const auto cached = cache_.find(code); cached != cache_.end()) {
    glyph = cached->second;
    return true;
  }
  for (const auto& face : fonts_) {
    const int index = stbtt_FindGlyphIndex(&face->info, static_cast<int>(code));
    if (index == 0) continue;
    int advance = 0, bearing = 0;
    stbtt_GetGlyphHMetrics(&face->info, index, &advance, &bearing);
    DeviceGlyph found;
    found.advance = advance * face->scale;
    stbtt_vertex* vertices = nullptr;
    const int count = stbtt_GetGlyphShape(&face->info, index, &vertices);
    if (count > 0) {
      // Font units grow upwards; the movie's y grows downwards.
      const auto at = [&](double x, double y) {
        return Point{static_cast<std::int32_t>(std::lround(x * face->scale)), static_cast<std::int32_t>(std::lround(-y * face->scale))};
      };
      auto shape = std::make_shared<Shape>();
      StyleGroup group;
      FillStyle white;
      white.color = {255, 255, 255, 255};
      group.fills.push_back(white);
      ShapePath path;
      double penX = 0, penY = 0;
      for (int i = 0; i < count; ++i) {
        const stbtt_vertex& v = vertices[i];
        if (v.type == STBTT_vmove) {
          if (!path.segments.empty()) group.paths.push_back(path);
          path = ShapePath{};
          path.fill1 = 1;
          path.start = at(v.x, v.y);
        } else if (v.type == STBTT_vline) {
          path.segments.push_back({at(v.x, v.y), at(v.x, v.y), false});
        } else if (v.type == STBTT_vcurve) {
          path.segments.push_back({at(v.cx, v.cy), at(v.x, v.y), true});
        } else {
          // A cubic (CFF outlines) as one quadratic through the blend of its controls.
          const double cx = (3.0 * (v.cx + v.cx1) - penX - v.x) / 4.0;
          const double cy = (3.0 * (v.cy + v.cy1) - penY - v.y) / 4.0;
          path.segments.push_back({at(cx, cy), at(v.x, v.y), true});
        }
        penX = v.x;
        penY = v.y;
      }
      if (!path.segments.empty()) group.paths.push_back(path);
      shape->groups.push_back(std::move(group));
      found.outline = std::move(shape);
    }
    stbtt_FreeShape(&face->info, vertices);
    cache_.emplace(code, found);
    glyph = found;
    return true;
  }
  return false;
}

double TrueTypeFonts::Ascent(const std::string&) {
  if (fonts_.empty()) return kUnitsPerEm * 0.8;
  int ascent = 0, descent = 0, gap = 0;
  stbtt_GetFontVMetrics(&fonts_.front()->info, &ascent, &descent, &gap);
  return ascent * fonts_.front()->scale;
}

double TrueTypeFonts::Descent(const std::string&) {
  if (fonts_.empty()) return kUnitsPerEm * 0.2;
  int ascent = 0, descent = 0, gap = 0;
  stbtt_GetFontVMetrics(&fonts_.front()->info, &ascent, &descent, &gap);
  return -descent * fonts_.front()->scale;
}

}  // namespace tavelin::swf::player
