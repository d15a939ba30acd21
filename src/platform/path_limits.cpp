#include "platform/path_limits.h"

namespace tavelin {

std::size_t Utf16Length(std::string_view utf8) {
  std::size_t units = 0;
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte
    units += byte >= 0xF0 ? 2 : 1;        // four-byte sequences become surrogate pairs
  }
  return units;
}

}  // namespace tavelin
