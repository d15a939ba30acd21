// Any bytes must read as a store without crashing or hanging, and split into exactly
// one section per section break.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "library/category_store.h"

namespace {

// Reads each byte as the character of the same number, as a single-byte code page does.
class ByteCodePage : public tavelin::CodePage {
 public:
  bool FromUtf8(const std::string& utf8, std::string& out) override {
    out = utf8;
    return true;
  }
  std::string ToUtf8(const std::string& ansi) override {
    std::string out;
    for (unsigned char c : ansi) {
      if (c < 0x80) {
        out += static_cast<char>(c);
      } else {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
      }
    }
    return out;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteCodePage codePage;
  const std::string text = tavelin::DecodeStore(std::vector<std::uint8_t>(data, data + size), codePage);
  const tavelin::StoredLibrary library = tavelin::ParseStore(text);
  std::size_t breaks = 0;
  for (std::size_t at = text.find("\r\n\r\n"); at != std::string::npos; at = text.find("\r\n\r\n", at + 4)) ++breaks;
  if (library.sections.size() != breaks) std::abort();
  return 0;
}
