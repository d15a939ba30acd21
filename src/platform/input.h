#pragma once
// Keys, mouse buttons and modifier bits as the handlers receive them.

namespace tavelin {

namespace key {
inline constexpr int kEnter = 13;
inline constexpr int kUp = 38;
inline constexpr int kDown = 40;
inline constexpr int kDelete = 46;
inline constexpr int kF1 = 112;
inline constexpr int kF2 = 113;
inline constexpr int kF5 = 116;
}  // namespace key

namespace mouse {
inline constexpr int kLeft = 1;
inline constexpr int kRight = 2;
inline constexpr int kMiddle = 4;
}  // namespace mouse

// Bits of the modifier mask.
namespace modifier {
inline constexpr int kShift = 1;
inline constexpr int kCtrl = 2;
inline constexpr int kAlt = 4;
}  // namespace modifier

}  // namespace tavelin
