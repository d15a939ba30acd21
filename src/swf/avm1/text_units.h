#pragma once
// Script texts are kept as UTF-8. From version 6 the String methods count and index
// them in UTF-16 code units, as movies expect (a Chinese character is one unit, a
// character beyond the basic plane two); older movies count bytes.

#include <cstddef>
#include <string>
#include <string_view>

namespace tavelin::swf::avm1 {

// The units of `text`: UTF-16 from version 6 (bytes that are not UTF-8 become U+FFFD),
// otherwise one unit per byte.
std::u16string ToUnits(std::string_view text, int version);
// Back to a script text; from version 6 a surrogate without its pair becomes U+FFFD.
std::string FromUnits(std::u16string_view units, int version);
std::size_t UnitCount(std::string_view text, int version);
// The UTF-8 form of one character.
std::string Utf8Of(char32_t code);

}  // namespace tavelin::swf::avm1
