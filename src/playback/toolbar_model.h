#pragma once
// The main window's toolbar as data: 15 buttons with their styles, images and
// tooltips, and the pressed state of the check buttons.

#include <array>
#include <string>
#include <vector>

namespace tavelin {

enum class ButtonStyle { kPlain, kDropDown, kCheck, kSeparator };

struct ToolbarButton {
  ButtonStyle style = ButtonStyle::kPlain;
  int image = 0;  // 1-based slot of the toolbar images; 0 for separators
  std::string tooltip;
  bool pressed = false;
  bool enabled = true;
};

class ToolbarModel {
 public:
  static constexpr int kButtonCount = 15;

  ToolbarModel();

  // Buttons by their 1-based index.
  const ToolbarButton& Button(int index) const { return buttons_[static_cast<std::size_t>(index - 1)]; }
  ToolbarButton& Button(int index) { return buttons_[static_cast<std::size_t>(index - 1)]; }

  // Items of the play button's drop-down menu, in order.
  static const std::vector<std::string>& PlayMenuItems();

 private:
  std::array<ToolbarButton, kButtonCount> buttons_;
};

}  // namespace tavelin
