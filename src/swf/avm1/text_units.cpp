#include "swf/avm1/text_units.h"

#include "platform/text.h"

namespace tavelin::swf::avm1 {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The code point starting at `at` (advanced past it); malformed input gives U+FFFD and
// moves on by one byte.
char32_t NextCodePoint(std::string_view text, std::size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) {
    ++at;
    return lead;
  }
  char32_t code = 0;
  const std::size_t length = DecodeUtf8(text, at, code);
  at += length ? length : 1;
  return length ? code : kReplacement;
}

}  // namespace

std::u16string ToUnits(std::string_view text, int version) {
  std::u16string units;
  units.reserve(text.size());
  if (version < 6) {
    for (const char c : text) units += static_cast<char16_t>(static_cast<unsigned char>(c));
    return units;
  }
  for (std::size_t at = 0; at < text.size();) {
    const char32_t code = NextCodePoint(text, at);
    if (code >= 0x10000) {
      units += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      units += static_cast<char16_t>(code);
    }
  }
  return units;
}

std::string FromUnits(std::u16string_view units, int version) {
  std::string text;
  text.reserve(units.size());
  if (version < 6) {
    for (const char16_t unit : units) text += static_cast<char>(unit & 0xFF);
    return text;
  }
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t unit = units[i];
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
      AppendUtf8(text, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else if (unit >= 0xD800 && unit < 0xE000) {
      AppendUtf8(text, kReplacement);
    } else {
      AppendUtf8(text, unit);
    }
  }
  return text;
}

std::string Utf8Of(char32_t code) {
  std::string text;
  AppendUtf8(text, code);
  return text;
}

std::size_t UnitCount(std::string_view text, int version) {
  if (version < 6) return text.size();
  std::size_t count = 0;
  for (std::size_t at = 0; at < text.size();) count += NextCodePoint(text, at) >= 0x10000 ? 2 : 1;
  return count;
}

}  // namespace tavelin::swf::avm1
