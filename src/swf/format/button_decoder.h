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

// A button's actions and the transitions (button_condition flags) that run them; the
// actions point into the tag's body.
struct ButtonAction {
  std::uint16_t conditions = 0;
  std::span<const std::uint8_t> actions;
};

namespace button_condition {
inline constexpr std::uint16_t kRollOver = 0x0001;        // idle to over, up
inline constexpr std::uint16_t kRollOut = 0x0002;         // over, up to idle
inline constexpr std::uint16_t kPress = 0x0004;           // over, up to over, down
inline constexpr std::uint16_t kRelease = 0x0008;         // over, down to over, up
inline constexpr std::uint16_t kDragOut = 0x0010;         // over, down to out, down
inline constexpr std::uint16_t kDragOver = 0x0020;        // out, down to over, down
inline constexpr std::uint16_t kReleaseOutside = 0x0040;  // out, down to idle
inline constexpr std::uint16_t kMenuDragOver = 0x0080;    // idle to over, down
inline constexpr std::uint16_t kMenuDragOut = 0x0100;     // over, down to idle
// The key a condition waits for sits in bits 9-15.
inline int KeyCode(std::uint16_t conditions) { return conditions >> 9; }
}  // namespace button_condition

struct ButtonDefinition {
  std::uint16_t id = 0;
  std::vector<ButtonRecord> records;
  std::vector<ButtonAction> actions;
  bool trackAsMenu = false;
};

// `version` 1 for DefineButton, 2 for DefineButton2 (colour transforms, filters, blend).
ButtonDefinition DecodeDefineButton(std::span<const std::uint8_t> body, int version);

}  // namespace tavelin::swf::format
