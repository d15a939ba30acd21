#include "playback/movie_control/system_fonts.h"

#include <exception>
#include <vector>

namespace tavelin {
namespace {

// In order of preference: Latin faces first, then faces with Chinese characters.
constexpr const char* kFontFiles[] = {"arial.ttf", "tahoma.ttf", "msyh.ttc", "simsun.ttc", "wqy-microhei.ttc"};
constexpr std::size_t kMaxFontFileBytes = std::size_t{64} << 20;

// The font folder beside the system folder (C:\Windows\System32 → C:\Windows\Fonts).
std::string FontFolder(const std::string& systemFolder) {
  std::string folder = systemFolder;
  while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  const std::size_t slash = folder.find_last_of("\\/");
  return (slash == std::string::npos ? folder : folder.substr(0, slash)) + "\\Fonts\\";
}

}  // namespace

swf::player::TrueTypeFonts& SystemFonts::Fonts() {
  if (!fonts_) {
    std::vector<std::vector<std::uint8_t>> files;
    try {
      const std::string folder = FontFolder(files_.SystemFolder());
      for (const char* name : kFontFiles) {
        try {
          if (files_.FileExists(folder + name)) files.push_back(files_.ReadFile(folder + name, kMaxFontFileBytes));
        } catch (const std::exception&) {
          // An unreadable font is skipped; the others still draw.
        }
      }
    } catch (const std::exception&) {
      files.clear();
    }
    fonts_ = std::make_unique<swf::player::TrueTypeFonts>(std::move(files));
  }
  return *fonts_;
}

bool SystemFonts::Glyph(const std::string& fontName, bool bold, bool italic, char32_t code, swf::player::DeviceGlyph& glyph) {
  return Fonts().Glyph(fontName, bold, italic, code, glyph);
}

double SystemFonts::Ascent(const std::string& fontName) { return Fonts().Ascent(fontName); }

double SystemFonts::Descent(const std::string& fontName) { return Fonts().Descent(fontName); }

}  // namespace tavelin
