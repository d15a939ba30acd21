#pragma once
// The movie's characters by id. Definition tags are decoded as their frame is reached;
// a definition whose bytes are damaged leaves its id undefined (placing it shows
// nothing) and the rest of the movie plays on.

#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "swf/movie.h"
#include "swf/format/text_decoder.h"
#include "swf/player/character.h"

namespace tavelin::swf::player {

class DeviceFonts;

class Dictionary {
 public:
  explicit Dictionary(DeviceFonts* deviceFonts = nullptr) : deviceFonts_(deviceFonts) {}

  // Handles one tag if it defines something (or is JPEGTables); returns false for tags
  // of other kinds. A damaged definition is dropped and counts as handled. The first
  // definition of an id wins.
  bool Define(const Movie& movie, const Tag& tag);

  const Character& Find(std::uint16_t id) const;
  template <class T>
  std::shared_ptr<const T> FindAs(std::uint16_t id) const {
    const auto* found = std::get_if<std::shared_ptr<const T>>(&Find(id));
    return found ? *found : nullptr;
  }
  // An embedded font with outlines by name (ASCII case ignored) and style; failing
  // that, one of that name in any style; null when none.
  std::shared_ptr<const Font> FindFont(const std::string& name, bool bold, bool italic) const;
  std::size_t Size() const { return characters_.size(); }
  // Text fields bound to a variable, by id (null for others), and the fonts to lay
  // their text out again with.
  const format::EditTextDefinition* FindBoundField(std::uint16_t id) const {
    const format::EditTextDefinition* field = FindEditText(id);
    return field && !field->variableName.empty() ? field : nullptr;
  }
  // Any text field's definition by id (null for other ids).
  const format::EditTextDefinition* FindEditText(std::uint16_t id) const {
    const auto found = editTexts_.find(id);
    return found == editTexts_.end() ? nullptr : &found->second;
  }
  DeviceFonts* Fonts() const { return deviceFonts_; }

 private:
  void Add(std::uint16_t id, Character character);
  // Points every bitmap fill of `shape` at its bitmap.
  void ResolveBitmaps(Shape& shape) const;
  void ResolveBitmap(FillStyle& fill) const;

  void IndexFont(std::uint16_t id, const Font& font);

  std::unordered_map<std::uint16_t, Character> characters_;
  // Font ids by lower-case name, so text fields find fonts without a scan.
  std::unordered_map<std::string, std::vector<std::uint16_t>> fontsByName_;
  std::vector<std::uint8_t> jpegTables_;
  std::unordered_map<std::uint16_t, format::EditTextDefinition> editTexts_;
  DeviceFonts* deviceFonts_;
};

}  // namespace tavelin::swf::player
