#pragma once
// The state of the player menu's items that other commands read and set: the
// quality and scale-mode lists with their check marks, and the area-zoom item. The
// menu shown on screen is built from this state when it opens.

#include <array>
#include <string>
#include <vector>

#include "platform/movie_control.h"

namespace tavelin {

struct MenuItemState {
  std::string caption;
  bool checked = false;
  bool enabled = true;
};

class PlayerMenus {
 public:
  // Quality names the movie control takes, by item index.
  static constexpr std::array<const char*, 5> kQualityNames = {"High", "Autohigh", "Medium", "Autolow", "Low"};

  PlayerMenus();

  // Completes the quality and scale-mode lists after their first items.
  void Build();

  // Moves the quality check mark to item `index` and sets the control's quality.
  void ChooseQuality(int index, short& qualityIndex, MovieControl& player);
  // Moves the scale-mode check mark to item `index` and sets the control's scale mode.
  void ChooseScale(int index, short& scaleIndex, MovieControl& player);

  const std::vector<MenuItemState>& QualityItems() const { return quality_; }
  const std::vector<MenuItemState>& ScaleItems() const { return scale_; }
  MenuItemState& ZoomRect() { return zoomRect_; }
  // The play options; their check marks mirror the main window's flags.
  MenuItemState& AutoStart() { return autoStart_; }
  MenuItemState& FlashLoop() { return flashLoop_; }
  MenuItemState& ListLoop() { return listLoop_; }
  const MenuItemState& ZoomRect() const { return zoomRect_; }

 private:
  std::vector<MenuItemState> quality_;
  std::vector<MenuItemState> scale_;
  MenuItemState zoomRect_{"区域放大", false, true};
  MenuItemState autoStart_{"自动播放", false, true};
  MenuItemState flashLoop_{"播放循环", false, true};
  // Off like its option until a stored value or the user turns it on.
  MenuItemState listLoop_{"列表循环", false, true};
};

}  // namespace tavelin
