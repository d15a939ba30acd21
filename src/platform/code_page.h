#pragma once
// The system's ANSI code page, used by the text files the program shares with other
// tools (the library store and the registry script).

#include <string>

namespace tavelin {

class CodePage {
 public:
  virtual ~CodePage() = default;

  // Converts UTF-8 text to the ANSI code page. Returns false when some character has
  // no representation there (out then holds a best-effort conversion).
  virtual bool FromUtf8(const std::string& utf8, std::string& out) = 0;
  // Converts ANSI code page text to UTF-8; bytes that form no character become U+FFFD.
  virtual std::string ToUtf8(const std::string& ansi) = 0;
};

}  // namespace tavelin
