#include "playback/player_menus.h"

namespace tavelin {
namespace {

// The check mark of a group of choices sits on the chosen item alone, whatever the
// previous choice was recorded as.
void CheckOnly(std::vector<MenuItemState>& items, int index) {
  for (std::size_t i = 0; i < items.size(); ++i) items[i].checked = static_cast<int>(i) == index;
}

}  // namespace

PlayerMenus::PlayerMenus() : quality_{{"高", true, true}}, scale_{{"全部显示", true, true}} {}

void PlayerMenus::Build() {
  for (const char* caption : {"自动高", "适中", "自动低", "低"}) quality_.push_back({caption, false, true});
  for (const char* caption : {"适应视频", "适应窗口"}) scale_.push_back({caption, false, true});
}

void PlayerMenus::ChooseQuality(int index, short& qualityIndex, MovieControl& player) {
  if (index >= 0 && index < static_cast<int>(kQualityNames.size())) {
    player.SetQuality(kQualityNames[static_cast<std::size_t>(index)]);
  }
  CheckOnly(quality_, index);
  qualityIndex = static_cast<short>(index);
}

void PlayerMenus::ChooseScale(int index, short& scaleIndex, MovieControl& player) {
  player.SetScaleMode(index);
  CheckOnly(scale_, index);
  scaleIndex = static_cast<short>(index);
}

}  // namespace tavelin
