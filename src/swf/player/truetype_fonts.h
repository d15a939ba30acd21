#pragma once
// Device fonts read from TrueType files with stb_truetype: the native stand-in for the
// system's fonts (the command-line renderer uses it; the Windows program asks the
// system instead). Every font name maps to the same files: the first file that has a
// character draws it.

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "swf/player/device_fonts.h"

namespace tavelin::swf::player {

class TrueTypeFonts : public DeviceFonts {
 public:
  // The fonts' file contents in order of preference (TrueType, or the first font of a
  // collection). Files stb_truetype cannot read are left out.
  explicit TrueTypeFonts(std::vector<std::vector<std::uint8_t>> files);
  ~TrueTypeFonts() override;

  bool Empty() const { return fonts_.empty(); }

  bool Glyph(const std::string& fontName, bool bold, bool italic, char32_t code, DeviceGlyph& glyph) override;
  double Ascent(const std::string& fontName) override;
  double Descent(const std::string& fontName) override;

 private:
  struct Face;
  std::vector<std::unique_ptr<Face>> fonts_;
  std::unordered_map<char32_t, DeviceGlyph> cache_;
};

}  // namespace tavelin::swf::player
