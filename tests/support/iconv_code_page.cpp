#include "support/iconv_code_page.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace tavelin::testing {
namespace {

// Converts `in`; each sequence iconv cannot convert is skipped and replaced by
// `replacement`. Returns whether everything converted.
bool Convert(const char* to, const char* from, const std::string& in, const std::string& replacement,
             std::string& out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv cannot convert to the ANSI code page");
  out.clear();
  bool complete = true;
  char* src = const_cast<char*>(in.data());
  std::size_t srcLeft = in.size();
  char buffer[256];
  while (srcLeft > 0) {
    char* dst = buffer;
    std::size_t dstLeft = sizeof buffer;
    const std::size_t result = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    if (result != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL: skip one input character.
    complete = false;
    out += replacement;
    std::size_t skip = 1;
    if (std::string(from) == "UTF-8") {
      const auto lead = static_cast<unsigned char>(*src);
      skip = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    }
    skip = std::min(skip, srcLeft);
    src += skip;
    srcLeft -= skip;
  }
  iconv_close(cd);
  return complete;
}

}  // namespace

bool IconvCodePage::FromUtf8(const std::string& utf8, std::string& out) {
  return Convert("CP936", "UTF-8", utf8, "?", out);
}

std::string IconvCodePage::ToUtf8(const std::string& ansi) {
  std::string out;
  Convert("UTF-8", "CP936", ansi, "\xEF\xBF\xBD", out);
  return out;
}

}  // namespace tavelin::testing
