#pragma once
// Decodes FrameLabel: the name a frame can be found by.

#include <cstdint>
#include <span>
#include <string>

namespace tavelin::swf::format {

// The label's text (the optional named-anchor flag after it is not needed).
std::string DecodeFrameLabel(std::span<const std::uint8_t> body);

}  // namespace tavelin::swf::format
