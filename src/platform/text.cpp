#include "platform/text.h"

#include <cstdint>

namespace tavelin {
namespace {

struct CaseRun {
  std::uint16_t first, last;
  std::int32_t delta;
  std::uint16_t stride;
};

constexpr CaseRun kUpperCaseRuns[] = {
#include "platform/upper_case_table.inc"
};

}  // namespace

std::size_t DecodeUtf8(std::string_view text, std::size_t at, char32_t& c) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  std::size_t length = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, c = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, c = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, c = lead & 0x07u;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    c = (c << 6) | (byte(at + i) & 0x3Fu);
  }
  const bool overlong = (length == 3 && c < 0x800) || (length == 4 && c < 0x10000);
  if (overlong || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return length;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

char32_t UpperCase(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
  if (c > 0xFFFF) return c;
  // The last run that starts at or before c.
  std::size_t low = 0, high = std::size(kUpperCaseRuns);
  while (low < high) {
    const std::size_t middle = (low + high) / 2;
    if (kUpperCaseRuns[middle].first <= c) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  if (low == 0) return c;
  const CaseRun& run = kUpperCaseRuns[low - 1];
  if (c > run.last || (c - run.first) % run.stride != 0) return c;
  return static_cast<char32_t>(static_cast<std::int32_t>(c) + run.delta);
}

std::string FoldCase(std::string_view utf8) {
  std::string folded;
  folded.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    const auto byte = static_cast<unsigned char>(utf8[at]);
    if (byte < 0x80) {
      folded += static_cast<char>(byte >= 'a' && byte <= 'z' ? byte - 32 : byte);
      ++at;
      continue;
    }
    char32_t c = 0;
    const std::size_t length = DecodeUtf8(utf8, at, c);
    if (length == 0) {
      folded += utf8[at++];
      continue;
    }
    AppendUtf8(folded, UpperCase(c));
    at += length;
  }
  return folded;
}

}  // namespace tavelin
