#pragma once
// The system's fonts for text fields that name a font instead of embedding one: the
// TrueType files of the Windows font folder, read through the file system port the
// first time a field asks for a glyph (most movies never do).

#include <memory>
#include <string>

#include "platform/file_system.h"
#include "swf/player/device_fonts.h"
#include "swf/player/truetype_fonts.h"

namespace tavelin {

class SystemFonts : public swf::player::DeviceFonts {
 public:
  explicit SystemFonts(FileSystem& files) : files_(files) {}

  bool Glyph(const std::string& fontName, bool bold, bool italic, char32_t code, swf::player::DeviceGlyph& glyph) override;
  double Ascent(const std::string& fontName) override;
  double Descent(const std::string& fontName) override;

 private:
  swf::player::TrueTypeFonts& Fonts();

  FileSystem& files_;
  std::unique_ptr<swf::player::TrueTypeFonts> fonts_;
};

}  // namespace tavelin
