#include "swf/avm1/text_units.h"

namespace tavelin::swf::avm1 {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The code point starting at `at` (advanced past it); malformed input gives U+FFFD and
// moves on by one byte.
char32_t NextCodePoint(std::string_view text, std::size_t& at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) {
    ++at;
    return lead;
  }
  const int extra = lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 && lead < 0xE0 ? 1 : -1;
  if (extra < 0 || at + static_cast<std::size_t>(extra) >= text.size()) {
    ++at;
    return kReplacement;
  }
  char32_t code = lead & (0x3F >> extra);
  for (int i = 1; i <= extra; ++i) {
    const unsigned char next = byte(at + static_cast<std::size_t>(i));
    if ((next & 0xC0) != 0x80) {
      ++at;
      return kReplacement;
    }
    code = (code << 6) | (next & 0x3F);
  }
  const char32_t smallest = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
  if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) {
    ++at;
    return kReplacement;
  }
  at += static_cast<std::size_t>(extra) + 1;
  return code;
}

void Append(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
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
      Append(text, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else if (unit >= 0xD800 && unit < 0xE000) {
      Append(text, kReplacement);
    } else {
      Append(text, unit);
    }
  }
  return text;
}

std::string Utf8Of(char32_t code) {
  std::string text;
  Append(text, code);
  return text;
}

std::size_t UnitCount(std::string_view text, int version) {
  if (version < 6) return text.size();
  std::size_t count = 0;
  for (std::size_t at = 0; at < text.size();) count += NextCodePoint(text, at) >= 0x10000 ? 2 : 1;
  return count;
}

}  // namespace tavelin::swf::avm1
