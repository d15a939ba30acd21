#pragma once
// Decodes DefineButton and DefineButton2: the characters each state shows. The actions
// and sounds that follow are not decoded here.

#include <cstdint>
#include <span>
#include <vector>

#include "swf/format/records.h"

namespace tavelin::swf::format {

struct ButtonRecord {
  bool up = false, over = false, down = false, hitTest = false;
  std::uint16_t characterId = 0;
  std::uint16_t depth = 0;
  Matrix matrix;
  ColorTransform colorTransform;
  std::uint8_t blendMode = 0;
};

struct ButtonDefinition {
  std::uint16_t id = 0;
  std::vector<ButtonRecord> records;
};

// `version` 1 for DefineButton, 2 for DefineButton2 (colour transforms, filters, blend).
ButtonDefinition DecodeDefineButton(std::span<const std::uint8_t> body, int version);

}  // namespace tavelin::swf::format
