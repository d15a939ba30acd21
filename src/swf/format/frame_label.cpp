#include "swf/format/frame_label.h"

#include "swf/format/reader.h"

namespace tavelin::swf::format {

std::string DecodeFrameLabel(std::span<const std::uint8_t> body) {
  Reader reader(body);
  return reader.String();
}

}  // namespace tavelin::swf::format
