#pragma once
// The system's fonts, for text fields that name a font instead of embedding one. The
// program answers with the system's outlines; without a source such text is not drawn.

#include <memory>
#include <string>

#include "swf/format/records.h"

namespace tavelin::swf::player {

// A glyph in units of 1024 per em, baseline at y = 0, y growing downwards; its outline
// fills style 1, which the player paints in the text's colour.
struct DeviceGlyph {
  std::shared_ptr<const Shape> outline;  // null for a blank glyph such as a space
  double advance = 0;
};

class DeviceFonts {
 public:
  virtual ~DeviceFonts() = default;
  // The glyph for `code` in the font best matching the name and style; false when no
  // installed font has it.
  virtual bool Glyph(const std::string& fontName, bool bold, bool italic, char32_t code, DeviceGlyph& glyph) = 0;
  // Ascent and descent of that font in units of 1024 per em.
  virtual double Ascent(const std::string& fontName) = 0;
  virtual double Descent(const std::string& fontName) = 0;
};

}  // namespace tavelin::swf::player
