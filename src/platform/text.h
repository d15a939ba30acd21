#pragma once
// Comparisons of names, extensions, tags and separators, which ignore letter case as
// Windows file names do, non-Latin letters included.

#include <algorithm>
#include <string>
#include <string_view>

namespace tavelin {

inline char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string LowerAscii(std::string_view text) {
  std::string lowered(text);
  std::transform(lowered.begin(), lowered.end(), lowered.begin(), [](char c) { return LowerAscii(c); });
  return lowered;
}

// The text with every letter in upper case as Windows compares file names: the
// simple uppercase mapping of the Basic Multilingual Plane ("é" and "É" are one name).
// Bytes that are not UTF-8 stay as they are.
std::string FoldCase(std::string_view utf8);
char32_t UpperCase(char32_t c);

// UTF-8: the length of the multi-byte sequence at `at` with its character in `c`, or 0
// for bytes that are not one (a single-byte character included); and one character
// appended.
std::size_t DecodeUtf8(std::string_view text, std::size_t at, char32_t& c);
void AppendUtf8(std::string& out, char32_t c);

inline bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  const auto ascii = [](std::string_view t) {
    return std::all_of(t.begin(), t.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  };
  if (ascii(a) && ascii(b)) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             return LowerAscii(x) == LowerAscii(y);
           });
  }
  return FoldCase(a) == FoldCase(b);
}

inline bool EndsWithIgnoreCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && EqualsIgnoreCase(text.substr(text.size() - suffix.size()), suffix);
}

// The folder with a trailing backslash added unless it already ends in one.
inline std::string WithTrailingBackslash(std::string folder) {
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

}  // namespace tavelin
